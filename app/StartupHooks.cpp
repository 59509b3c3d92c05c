#include "app/StartupHooks.h"

#include "engine/CurlClient.h"
#include "tracker/InstallerReporting.h"
#include "ui/WindowShadow.h"
#include "uifw/Framework.h"
#include "utils/InstallerSettings.h"

namespace app {

void StartTracker() {
  // The other options are applied after the tracker exists; its address must be known now.
  const Utils::CommandLine commandLine(::GetCommandLineW());
  if (commandLine.Has(L"-analyticsurl")) Utils::Settings().AnalyticsUrl = commandLine.GetString(L"-analyticsurl");
  InitAnalyticsTracker();
  CurlClient::SetFailureReporter([](const std::wstring& reason) {
    ReportTaskEvent(L"下载失败原因", reason.c_str(), 0.0f, {{L"AB", L"IN"}});
  });
}

void StopTracker() {
  ReleaseAnalyticsTracker();
}

void ReportStartupMilestone(const std::wstring& milestone) {
  ReportTaskEvent(milestone.c_str(), L"", 0.0f, {{L"AB", L"IN"}});
}

void ReportCrash() {
  ReportCrashEvent();
}

void SetUpUiFramework(HINSTANCE instance) {
  uifw::SetInstance(instance);
  uifw::SetPackageFormat(uifw::PackageFormat::SevenZip);
  CWindowShadow::Initialize(instance);
}

}  // namespace app
