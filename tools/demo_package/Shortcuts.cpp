#include "tools/demo_package/Shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

namespace demo {

namespace {

std::wstring OverrideFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = ::GetEnvironmentVariableW(kShellDirVariable, buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer) : std::wstring();
}

std::wstring ShellFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
  return buffer;
}

// Releases a COM interface pointer when it goes out of scope.
template <typename T>
struct ComReleaser {
  T* p = nullptr;
  ~ComReleaser() {
    if (p != nullptr) p->Release();
  }
};

}  // namespace

std::wstring DesktopFolder() {
  const std::wstring root = OverrideFolder();
  if (!root.empty()) return root + L"\\Desktop";
  return ShellFolder(CSIDL_DESKTOPDIRECTORY);
}

std::wstring QuickLaunchFolder() {
  const std::wstring root = OverrideFolder();
  if (!root.empty()) return root + L"\\Quick Launch";
  const std::wstring appData = ShellFolder(CSIDL_APPDATA);
  if (appData.empty()) return {};
  return appData + L"\\Microsoft\\Internet Explorer\\Quick Launch";
}

bool EnsureFolder(const std::wstring& folder) {
  const int rc = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS;
}

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& workingDir,
                    const std::wstring& description) {
  ComReleaser<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
    return false;
  }
  link.p->SetPath(target.c_str());
  link.p->SetWorkingDirectory(workingDir.c_str());
  link.p->SetDescription(description.c_str());
  ComReleaser<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
  return SUCCEEDED(file.p->Save(linkPath.c_str(), TRUE));
}

}  // namespace demo
