#include "utils/InstallerSettings.h"

#include <windows.h>
#include <shlwapi.h>

#include "utils/WindowsVersion.h"

#ifndef QUILLORA_DOWNLOAD_HOST
#define QUILLORA_DOWNLOAD_HOST "download.quillora.example"
#endif

namespace Utils {
namespace {

constexpr wchar_t kSection[] = L"Install";
constexpr wchar_t kRouteToken[] = L"${ROUTE}";
constexpr DWORD kTextBuffer = 260;

std::wstring DefaultVersionName() { return GetWindowsVersionName().name; }

VersionNameSource g_versionNameSource = &DefaultVersionName;

std::wstring ReadProfileText(const std::wstring& file, const wchar_t* key, const wchar_t* fallback) {
  wchar_t buffer[kTextBuffer] = {};
  ::GetPrivateProfileStringW(kSection, key, fallback, buffer, kTextBuffer, file.c_str());
  return buffer;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

std::wstring DefaultDownloadAddress() {
  const char* host = QUILLORA_DOWNLOAD_HOST;
  return L"http://" + std::wstring(host, host + std::char_traits<char>::length(host)) + L"/software/477";
}

std::wstring ApplyDownloadRoute(const std::wstring& address) {
  if (address.find(kRouteToken) == std::wstring::npos) return address;
  const std::wstring version = g_versionNameSource();
  const std::wstring route = version.find(L"XP") != std::wstring::npos ? L"download_silent_xp" : L"download_silent";
  std::wstring result = address;
  // Search again from the start after each replacement.
  for (size_t at = result.find(kRouteToken); at != std::wstring::npos; at = result.find(kRouteToken)) {
    result.replace(at, std::char_traits<wchar_t>::length(kRouteToken), route);
  }
  return result;
}

VersionNameSource SetVersionNameSourceForTesting(VersionNameSource source) {
  VersionNameSource previous = g_versionNameSource;
  g_versionNameSource = source ? source : &DefaultVersionName;
  return previous;
}

InstallerSettings::InstallerSettings() { SetDownloadUrl(DefaultDownloadAddress()); }

void InstallerSettings::SetDownloadUrl(const std::wstring& address) { DownloadUrl = ApplyDownloadRoute(address); }

void InstallerSettings::ReadInstallerConfig(const std::wstring& exePath) {
  wchar_t name[MAX_PATH] = {};
  wchar_t folder[MAX_PATH] = {};
  lstrcpynW(name, exePath.c_str(), MAX_PATH);
  lstrcpynW(folder, exePath.c_str(), MAX_PATH);
  ::PathStripPathW(name);
  ::PathRemoveFileSpecW(folder);
  ExeName = name;

  const std::wstring file = std::wstring(folder) + L"\\VeltoInstallerConfig.ini";
  if (::PathFileExistsW(file.c_str())) {
    SetDownloadUrl(ReadProfileText(file, L"DownloadUrl", DefaultDownloadAddress().c_str()));

    const NumberResult<int> type = ParseInt32(ReadProfileText(file, L"DownloadType", L"1"));
    if (type.status != NumberStatus::kOutOfRange) DownloadType = type.value;

    IsCheckNet = ReadProfileText(file, L"IsCheckNet", L"true") == L"true";
    IsEnableAppAnalytics = ReadProfileText(file, L"IsEnableAppAnalytics", L"true") == L"true";
    DlAppNameSuffix = ReadProfileText(file, L"DlAppNameSuffix", L".downloader");
    DlAppVersion = ReadProfileText(file, L"m_DlAppVersion", L"");

    // Not a number reads as 0.0; a number beyond the double range keeps the default.
    const NumberResult<double> scale = ParseDouble(ReadProfileText(file, L"DownloadScale", L"0.7"));
    if (scale.status != NumberStatus::kOutOfRange) DownloadScale = scale.value;

    InstCmd = ReadProfileText(file, L"InstCmd", L"");
    AnalyticsUrl = ReadProfileText(file, L"AnalyticsUrl", L"");
  }
  AppName = L"Quillora";
  AppVersion = L"1.7.9";
}

void InstallerSettings::ParseCommandLine(const CommandLine& commandLine) {
  if (commandLine.Has(L"-downloadurl")) SetDownloadUrl(commandLine.GetString(L"-downloadurl"));
  if (commandLine.Has(L"-downloadtype")) {
    if (auto value = commandLine.GetInt(L"-downloadtype")) DownloadType = *value;
  }
  if (commandLine.Has(L"-downloadscale")) DownloadScale = commandLine.GetDouble(L"-downloadscale", DownloadScale);
  if (commandLine.Has(L"-ischecknet")) IsCheckNet = commandLine.GetBool(L"-ischecknet");
  if (commandLine.Has(L"-isenableappanalytics")) IsEnableAppAnalytics = commandLine.GetBool(L"-isenableappanalytics");
  if (commandLine.Has(L"-dlappnamesuffix")) DlAppNameSuffix = commandLine.GetString(L"-dlappnamesuffix");
  if (commandLine.Has(L"-dlappversion")) DlAppVersion = commandLine.GetString(L"-dlappversion");
  if (commandLine.Has(L"-instcmd")) InstCmd = commandLine.GetString(L"-instcmd");
  if (commandLine.Has(L"-language")) {
    if (auto value = commandLine.GetInt(L"-language")) Language = *value;
  }
  if (commandLine.Has(L"-insnew")) InsNew = commandLine.GetBool(L"-insnew");
  if (commandLine.Has(L"-analyticsurl")) AnalyticsUrl = commandLine.GetString(L"-analyticsurl");
}

namespace {

InstallerSettings MakeProcessSettings() {
  InstallerSettings settings;
  settings.ReadInstallerConfig(ModulePath());
  return settings;
}

// Initialised before every other static object of the program.
InstallerSettings g_settings __attribute__((init_priority(101))) = MakeProcessSettings();

}  // namespace

InstallerSettings& Settings() { return g_settings; }

void ParseCommandLine() { g_settings.ParseCommandLine(CommandLine(::GetCommandLineW())); }

}  // namespace Utils
