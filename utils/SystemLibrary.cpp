#include "utils/SystemLibrary.h"

#include <map>
#include <mutex>
#include <string>

#include "utils/Handles.h"

namespace Utils {

FARPROC SystemProc(const wchar_t* dll, const char* name) {
  static std::mutex mutex;
  static std::map<std::wstring, UniqueModule> modules;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = modules.find(dll);
  if (it == modules.end()) {
    // A full path: a DLL of that name beside the installer (its download folder) must not
    // be picked up instead.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    UniqueModule module;
    if (length > 0 && length < MAX_PATH) {
      const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
      module.Reset(::LoadLibraryW(path.c_str()));
    }
    it = modules.emplace(dll, std::move(module)).first;
  }
  return it->second ? ::GetProcAddress(it->second.Get(), name) : nullptr;
}

}  // namespace Utils
