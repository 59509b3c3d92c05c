#include "app/StartupHooks.h"

#include "tracker/InstallerReporting.h"

namespace app {

void StartTracker() {
  InitAnalyticsTracker();
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

// The skinned UI framework is not part of the program yet.
void SetUpUiFramework(HINSTANCE) {}

}  // namespace app
