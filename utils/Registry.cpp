#include "utils/Registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "utils/Handles.h"

namespace Utils {

bool ReadRegString(const std::wstring& valueName, std::wstring& text) {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductRegistryKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  // The value may change between the size query and the read; a few rounds settle that.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
      return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // Room for the data, an odd trailing byte and a terminating zero the system may add.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status =
        ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    const size_t stored = std::min<size_t>(size / sizeof(wchar_t), buffer.size());
    size_t length = 0;
    while (length < stored && buffer[length] != L'\0') ++length;
    text.assign(buffer.data(), length);
    return true;
  }
  return false;
}

bool WriteRegString(const std::wstring& valueName, const std::wstring& text) {
  UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProductRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

}  // namespace Utils
