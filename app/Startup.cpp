#include "app/Startup.h"

#include <curl/curl.h>

#include <string>

#include "app/StartupHooks.h"
#include "ui/MainWnd.h"
#include "utils/InstallerSettings.h"
#include "utils/NamedMutex.h"

namespace app {

void HardenDllSearchPath() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel32) {
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  ::SetDllDirectoryW(L"");

  wchar_t system[MAX_PATH] = {};
  if (!::GetSystemDirectoryW(system, MAX_PATH)) return;
  static const wchar_t* const kPreload[] = {L"ieframe.dll", L"version.dll", L"sxs.dll",
                                             L"ws2help.dll", L"dwmapi.dll",  L"msimg32.dll",
                                             L"d3d8.dll",    L"ws2_32.dll",  L"WindowsCodecs.dll"};
  for (const wchar_t* name : kPreload) {
    // Kept loaded for the life of the process: later loads by name get this copy.
    ::LoadLibraryW((std::wstring(system) + L"\\" + name).c_str());
  }
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) {
  ReportStartupMilestone(L"崩溃退出");
  ReportCrash();
  return EXCEPTION_CONTINUE_SEARCH;
}

int RunInstaller(HINSTANCE instance) {
  ::SetUnhandledExceptionFilter(&CrashFilter);
  HardenDllSearchPath();

  Utils::InstallerSettings& settings = Utils::Settings();
  if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
    settings.CurlReady = false;
    ReportStartupMilestone(L"libcurl初始化失败");
  }

  Utils::NamedMutex mutex(kInstanceMutexName);
  mutex.Create();
  if (!mutex.IsHeld()) return kExitAnotherInstance;

  // Before the command line: the settings file alone decides whether a tracker exists.
  if (settings.IsEnableAppAnalytics) StartTracker();
  Utils::ParseCommandLine();
  SetUpUiFramework(instance);

  {
    CMainWnd window;
    if (window.Create(nullptr, L"青蓝工坊", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) window.ShowModal();

    if (settings.IsEnableAppAnalytics) StopTracker();
    curl_global_cleanup();
  }  // the window object goes before the mutex is released

  mutex.Close();
  return kExitOk;
}

}  // namespace app
