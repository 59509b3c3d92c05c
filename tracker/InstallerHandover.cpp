// The parts of the installer's reporting that ask the system: the download-failure
// diagnostics and the analytics hand-over to the installed product.

#include <objbase.h>
#include <windows.h>

#include <clocale>
#include <cstdio>

#include "tracker/InstallerReporting.h"
#include "utils/DiskSpace.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"
#include "utils/ProductLocations.h"
#include "utils/SystemProbes.h"

namespace {

std::wstring exeFileName() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

// "C:" of "C:\folder\file"; empty for a path without a drive.
std::wstring driveOf(const std::wstring& path) {
  wchar_t drive[_MAX_DRIVE] = {};
  if (_wsplitpath_s(path.c_str(), drive, _MAX_DRIVE, nullptr, 0, nullptr, 0, nullptr, 0) != 0) return {};
  return drive;
}

}  // namespace

DownloadDiagnostics ProbeDownloadDiagnostics(const std::wstring& packagePath) {
  DownloadDiagnostics d;
  // The network list manager needs COM on this thread; an apartment already set up stays.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  d.networkCode = static_cast<int>(Utils::CheckNetwork());
  if (SUCCEEDED(com)) ::CoUninitialize();
  d.writable = ProbeWritePermission(packagePath);
  Utils::HardDiskManager disk;
  const std::wstring drive = driveOf(packagePath);
  if (!drive.empty() && disk.CheckFreeSpace(drive)) {
    d.freeGigabytes = static_cast<double>(disk.FreeBytesAvailable()) / 1073741824.0;
  }
  return d;
}

void ReportDownloadFailure(const std::wstring& packagePath, double value, const std::wstring& text,
                           const std::wstring& abValue) {
  if (!Utils::Settings().IsEnableAppAnalytics) return;
  const std::wstring reason = ComposeDownloadFailureReason(value, text, ProbeDownloadDiagnostics(packagePath));
  ReportTaskEvent(L"下载失败原因", reason.c_str(), 0.0f, {{L"AB", abValue}});
}

void WriteAnalyticsHandover(const std::wstring& installFolder) {
  std::setlocale(LC_ALL, "en_GB.UTF-8");
  const std::wstring handover = Utils::InstallationSettingsPath(installFolder);
  ::WritePrivateProfileStringW(L"Install", L"APPStore", exeFileName().c_str(), handover.c_str());
  ::WritePrivateProfileStringW(L"Install", L"AppName", Utils::kProductName, handover.c_str());
  ::WritePrivateProfileStringW(L"Install", L"DeviceID", Utils::NewGuidText().c_str(), handover.c_str());

  const std::wstring dataFolder = Utils::GetProductDataDir();
  if (dataFolder.empty() || !Utils::CreateDirectoryTree(dataFolder)) return;
  const std::wstring analytics = Utils::FileInFolder(dataFolder, Utils::kUsageAnalyticsName);
  ::WritePrivateProfileStringW(L"Install", L"VTUsageAnalyticsIni", analytics.c_str(), handover.c_str());

  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t stamp[64] = {};
  _snwprintf(stamp, 63, L"%d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
  ::WritePrivateProfileStringW(L"Init", L"UpdateTime", stamp, analytics.c_str());
}
