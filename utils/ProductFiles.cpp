#include "utils/ProductFiles.h"

namespace Utils {

std::wstring FileInFolder(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\') return folder + name;
  return folder + L"\\" + name;
}

std::wstring UninstallEntryPath(const std::wstring& folder) {
  return FileInFolder(folder, kUninstallEntryName);
}

std::wstring InstallationSettingsPath(const std::wstring& folder) {
  return FileInFolder(folder, kInstallationSettingsName);
}

std::wstring InstalledLanguagePath(const std::wstring& folder) {
  return FileInFolder(folder, kInstalledLanguageName);
}

std::wstring PackagePath(const std::wstring& folder) {
  return FileInFolder(folder, std::wstring(L"__Package_") + kProductName + L".exe");
}

std::wstring ProductExePath(const std::wstring& folder) {
  return FileInFolder(folder, std::wstring(kProductName) + L".exe");
}

std::wstring UninstallerCopyPath(const std::wstring& tempFolder) {
  return FileInFolder(tempFolder, std::wstring(kProductName) + L"_un_asa.exe");
}

}  // namespace Utils
