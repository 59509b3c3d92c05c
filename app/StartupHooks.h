#pragma once

// The points where start-up and shutdown hand over to the analytics tracker and the UI
// framework. Each is called exactly where the start-up order puts it; the subsystems
// behind them are wired in here as they arrive.

#include <windows.h>

#include <string>

namespace app {

// Creates the process-wide tracker when reporting is enabled (start-up step 5).
void StartTracker();

// Releases the tracker when reporting is enabled (shutdown step 1).
void StopTracker();

// Reports a start-up milestone (a Task event with an empty reason, elapsed 0 and the
// extra pair "AB" = "IN").
void ReportStartupMilestone(const std::wstring& milestone);

// Reports the crash event after the "崩溃退出" milestone.
void ReportCrash();

// Gives the UI framework the module instance and the skin reader (start-up step 7).
void SetUpUiFramework(HINSTANCE instance);

}  // namespace app
