#pragma once

// The names of the files the installer reads or writes around an installation, in one
// place. Each helper joins with a single "\" whether or not the folder ends with one.

#include <string>

namespace Utils {

// The product's name as it appears in folder and file names.
inline constexpr wchar_t kProductName[] = L"Quillora";

// Names inside an installation folder.
inline constexpr wchar_t kUninstallEntryName[] = L"uninst.ep";
inline constexpr wchar_t kInstallationSettingsName[] = L"set.ini";
inline constexpr wchar_t kInstalledLanguageName[] = L"config.ini";

// The analytics hand-over file inside the product data folder.
inline constexpr wchar_t kUsageAnalyticsName[] = L"VTUsageAnalytics.ini";

// |folder| + "\" + |name| without doubling a separator |folder| already ends with.
std::wstring FileInFolder(const std::wstring& folder, const std::wstring& name);

// The installation's uninstaller: folder\uninst.ep.
std::wstring UninstallEntryPath(const std::wstring& folder);
// The per-installation settings: folder\set.ini.
std::wstring InstallationSettingsPath(const std::wstring& folder);
// The installed copy's language file: folder\config.ini.
std::wstring InstalledLanguagePath(const std::wstring& folder);
// The downloaded package: folder\__Package_Quillora.exe.
std::wstring PackagePath(const std::wstring& folder);
// The product executable: folder\Quillora.exe.
std::wstring ProductExePath(const std::wstring& folder);
// The working copy of the old uninstaller in the scratch folder: temp\Quillora_un_asa.exe.
std::wstring UninstallerCopyPath(const std::wstring& tempFolder);

}  // namespace Utils
