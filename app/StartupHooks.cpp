#include "app/StartupHooks.h"

namespace app {

// The tracker and the skinned UI framework are not part of the program yet; until they
// are, these steps have nothing to do.
void StartTracker() {}
void StopTracker() {}
void ReportStartupMilestone(const std::wstring&) {}
void ReportCrash() {}
void SetUpUiFramework(HINSTANCE) {}

}  // namespace app
