// QuilloraEngine.exe: the download and install engine without a window, for scripts, tests
// and benchmarks. One line per engine event on standard output; exit status 0 on success,
// 1 on failure, 2 for bad usage.

#include <windows.h>

#include <curl/curl.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/EngineOptions.h"
#include "app/EngineRun.h"
#include "engine/CurlClient.h"
#include "tracker/InstallerReporting.h"
#include "utils/InstallerSettings.h"
#include "utils/TextConvert.h"

namespace {

std::mutex g_outputLock;

void WriteOut(DWORD which, const std::string& text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  engine_app::EngineOptions options;
  std::wstring error;
  if (!engine_app::ParseEngineOptions(args, options, error)) {
    WriteOut(STD_ERROR_HANDLE, Utils::WideToUtf8(error + L"; " + engine_app::EngineUsage()) + "\n");
    return 2;
  }

  Utils::InstallerSettings& settings = Utils::Settings();
  settings.DownloadType = options.downloadType;
  if (!options.url.empty()) settings.SetDownloadUrl(options.url);
  if (options.hasInstCmd) settings.InstCmd = options.instCmd;
  settings.CurlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
  // The tracker as the installer's start-up creates it, sending to the given address.
  const bool tracking = !options.analyticsUrl.empty() && settings.IsEnableAppAnalytics;
  if (tracking) {
    settings.AnalyticsUrl = options.analyticsUrl;
    InitAnalyticsTracker();
    CurlClient::SetFailureReporter([](const std::wstring& reason) {
      ReportTaskEvent(L"下载失败原因", reason.c_str(), 0.0f, {{L"AB", L"IN"}});
    });
  }

  const int status = engine_app::RunEngine(options, [](int32_t code, double value, const wchar_t* text) {
    const std::string line = engine_app::FormatEventLine(code, value, text);
    std::lock_guard<std::mutex> lock(g_outputLock);
    WriteOut(STD_OUTPUT_HANDLE, line);
  });

  if (tracking) ReleaseAnalyticsTracker();
  curl_global_cleanup();
  return status;
}
