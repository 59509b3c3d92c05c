#pragma once

// The installer's one process-wide settings record: built-in defaults, then
// "VeltoInstallerConfig.ini" beside the executable (read during static initialisation),
// then the command line (applied by start-up). Read-only once start-up is done.

#include <string>

#include "utils/CommandLine.h"

namespace Utils {

class InstallerSettings {
 public:
  // Fills the built-in defaults (no file is read).
  InstallerSettings();

  std::wstring AppName = L"Quillora";
  std::wstring AppVersion = L"1.7.9";
  std::wstring ExeName = L"NULL";
  std::wstring DlAppNameSuffix = L".downloader";
  std::wstring DlAppVersion;
  std::wstring InstCmd;
  std::wstring DownloadUrl;
  int DownloadType = 1;
  bool IsCheckNet = false;
  bool IsEnableAppAnalytics = true;
  double DownloadScale = 0.7;
  bool CurlReady = true;
  std::wstring AbGroup = L"IN";
  int Language = -1;
  bool InsNew = false;
  // The analytics server address; empty means the tracker's built-in one.
  std::wstring AnalyticsUrl;

  // Stores ApplyDownloadRoute(address) as DownloadUrl.
  void SetDownloadUrl(const std::wstring& address);

  // Sets ExeName from |exePath| and reads "VeltoInstallerConfig.ini" from its folder when
  // that file exists. AppName and AppVersion are reset afterwards either way.
  void ReadInstallerConfig(const std::wstring& exePath);

  // Applies the recognised options of |commandLine| in their fixed order. A numeric value
  // that is out of range, or a "-downloadscale" that is not a number, keeps the field.
  void ParseCommandLine(const CommandLine& commandLine);
};

// The process-wide record; its static initialiser runs before other static objects and
// reads the settings file beside the running executable.
InstallerSettings& Settings();

// Reads the process command line (GetCommandLineW) into Settings().
void ParseCommandLine();

// "http://" + the build's default download host + "/software/477", before route
// substitution.
std::wstring DefaultDownloadAddress();

// |address| with every "${ROUTE}" replaced: "download_silent_xp" when the Windows version
// name contains "XP", else "download_silent".
std::wstring ApplyDownloadRoute(const std::wstring& address);

// Where ApplyDownloadRoute gets the version name from (GetWindowsVersionName by default).
// nullptr restores the default; returns the previous source. Tests only.
using VersionNameSource = std::wstring (*)();
VersionNameSource SetVersionNameSourceForTesting(VersionNameSource source);

}  // namespace Utils
