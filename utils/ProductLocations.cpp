#include "utils/ProductLocations.h"

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <utility>

#include "utils/Registry.h"
#include "utils/SystemProbes.h"

namespace Utils {

namespace {

// The environment variable |name| when it is set and fits a path buffer; empty otherwise.
std::wstring ReadPathVariable(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return value;
}

// A shell special folder; empty when the shell cannot name it.
std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

bool FileExists(const std::wstring& path) {
  return !path.empty() && ::PathFileExistsW(path.c_str());
}

// Drops trailing backslashes except the one of a drive root ("C:\").
std::wstring WithoutTrailingBackslash(std::wstring folder) {
  while (folder.size() > 1 && folder.back() == L'\\' && !(folder.size() == 3 && folder[1] == L':')) {
    folder.pop_back();
  }
  return folder;
}

}  // namespace

AdminProbes RealAdminProbes() {
  AdminProbes probes;
  probes.sessionUserIsAdmin = [] {
    std::wstring user;
    return GetConsoleUserName(user) && IsAdminAccount(user);
  };
  probes.processIsAdmin = [] { return IsProcessAdmin(); };
  return probes;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.size() >= MAX_PATH) return {};
  wchar_t path[MAX_PATH] = {};
  std::copy(folder.begin(), folder.end(), path);
  if (!::PathAppendW(path, name.c_str())) return {};
  return path;
}

bool IsSameFolder(const std::wstring& from, const std::wstring& to) {
  if (from.empty() || to.empty()) return false;
  const std::wstring a = WithoutTrailingBackslash(from);
  const std::wstring b = WithoutTrailingBackslash(to);
  wchar_t relative[MAX_PATH] = {};
  if (!::PathRelativePathToW(relative, a.c_str(), FILE_ATTRIBUTE_DIRECTORY, b.c_str(), FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  return ::lstrcmpW(relative, L".") == 0;
}

ProductLocations::ProductLocations(AdminProbes probes) : probes_(std::move(probes)) {}

void ProductLocations::ReadInstalledLocation() {
  installedDir_.clear();
  uninstallEntry_.clear();
  ReadRegString(kInstallPathValue, installedDir_);
  ReadRegString(kUninstallEntryValue, uninstallEntry_);
  if (uninstallEntry_.empty() && !installedDir_.empty()) {
    uninstallEntry_ = UninstallEntryPath(installedDir_);
  }
}

void ProductLocations::WriteInstalledLocation(const std::wstring& folder, const std::wstring& reportedEntry) const {
  WriteRegString(kInstallPathValue, folder);
  const std::wstring entry = reportedEntry.empty() ? UninstallEntryPath(folder) : reportedEntry;
  if (FileExists(entry)) WriteRegString(kUninstallEntryValue, entry);
}

std::wstring ProductLocations::GetDefaultInstallDir() {
  sessionUserIsAdmin_ = probes_.sessionUserIsAdmin && probes_.sessionUserIsAdmin();
  processIsAdmin_ = probes_.processIsAdmin && probes_.processIsAdmin();
  if (!installedDir_.empty() && FileExists(uninstallEntry_)) return installedDir_;

  if (sessionUserIsAdmin_ && processIsAdmin_) {
    const std::wstring appData = ReadPathVariable(L"APPDATA");
    if (!appData.empty()) return JoinPath(JoinPath(appData, L"brisko"), kProductName);
  }
  std::wstring programFiles = SpecialFolder(CSIDL_PROGRAM_FILESX86);
  if (programFiles.empty()) programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
  return JoinPath(programFiles, kProductName);
}

bool ProductLocations::IsDefaultInstallDir(const std::wstring& folder) {
  return IsSameFolder(GetDefaultInstallDir(), folder);
}

std::wstring ProductLocations::GetCustomInstallDir(const std::wstring& editText) {
  const std::wstring defaultDir = GetDefaultInstallDir();
  // Slashes first, so that the default folder typed with "/" is still recognised.
  std::wstring folder = editText;
  std::replace(folder.begin(), folder.end(), L'/', L'\\');
  if (IsSameFolder(defaultDir, folder)) return defaultDir;
  return JoinPath(folder, kProductName);
}

bool ProductLocations::IsOverrideDisabled(const std::wstring& folder) const {
  if (!IsSameFolder(installedDir_, folder)) return false;
  const std::wstring settingsFile = InstallationSettingsPath(folder);
  wchar_t value[20] = {};
  ::GetPrivateProfileStringW(L"Uninstall", L"IsOverride", L"true", value, 20, settingsFile.c_str());
  return ::lstrcmpW(value, L"false") == 0;
}

std::wstring GetProductDataDir() {
  std::wstring base = ReadPathVariable(L"APPDATA");
  if (base.empty()) base = SpecialFolder(CSIDL_COMMON_DOCUMENTS);
  if (base.empty()) return {};
  return JoinPath(JoinPath(base, L"VelToData"), kProductName);
}

}  // namespace Utils
