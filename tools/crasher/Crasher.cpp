// A fixture program that starts the analytics tracker as the installer does, installs the
// installer's crash filter and then crashes on purpose.
//   crasher.exe -analyticsurl=URL FOLDER
// FOLDER stands in for the local application-data folder (the tracker's files go there).

#include <windows.h>

#include <curl/curl.h>

#include <string>

#include "app/Startup.h"
#include "app/StartupHooks.h"
#include "tracker/UsageTrackerImpl.h"
#include "utils/InstallerSettings.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  const std::wstring folder = argv[2];
  const std::string narrowFolder(folder.begin(), folder.end());
  velto::tracking::TrackerEnvironment environment;
  environment.exePath = narrowFolder + "\\crasher.exe";  // no hand-over file there
  environment.localAppDataFolder = narrowFolder;
  velto::tracking::setTrackerEnvironmentForTesting(environment);

  Utils::Settings().IsEnableAppAnalytics = true;
  curl_global_init(CURL_GLOBAL_ALL);
  app::StartTracker();
  ::SetUnhandledExceptionFilter(&app::CrashFilter);

  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
