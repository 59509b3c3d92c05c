#pragma once

// The process frame: everything before the installer window exists and after it is gone.

#include <windows.h>

namespace app {

// The single-instance mutex: a fixed prefix and the product's installer name.
inline constexpr wchar_t kInstanceMutexName[] = L"D1A547DB89C0BC61_Installer_Quillora";

// Exit codes of the process.
inline constexpr int kExitOk = 0;
inline constexpr int kExitAnotherInstance = -1;

// Removes the current folder from the library search order and preloads the system
// libraries the process may pull in later, from the system folder. Never fails visibly.
void HardenDllSearchPath();

// The process's unhandled-exception filter: reports "崩溃退出" and the crash event, then
// lets the system's default handling end the process.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info);

// Runs the installer from start-up to shutdown and returns the process exit code.
int RunInstaller(HINSTANCE instance);

}  // namespace app
