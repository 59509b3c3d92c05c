#include "app/StartupHooks.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "engine/CurlClient.h"
#include "tests/support/TestPaths.h"
#include "tests/tracker/FakeAnalyticsCore.h"
#include "tracker/UsageTrackerImpl.h"
#include "utils/InstallerSettings.h"

using tracker_testing::FakeAnalyticsCore;

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// Tests that start-up's tracker hooks create and release the tracker from the settings and
// send start-up milestones and the HTTP client's failure reasons as Task events.
TEST(StartupHooksTest, TrackerMilestonesAndHttpFailureReasons) {
  const Utils::InstallerSettings saved = Utils::Settings();
  testing_support::ScratchDir dir;
  FakeAnalyticsCore core;
  velto::tracking::TrackerEnvironment environment;
  environment.core = &core;
  environment.exePath = Narrow(dir.File(L"QuilloraSetup.exe"));
  environment.localAppDataFolder = Narrow(dir.Path());
  velto::tracking::setTrackerEnvironmentForTesting(environment);
  Utils::Settings().IsEnableAppAnalytics = true;
  Utils::Settings().AnalyticsUrl = L"http://127.0.0.1:9/sa";
  curl_global_init(CURL_GLOBAL_ALL);

  app::StartTracker();
  ASSERT_TRUE(velto::tracking::usageTracker());
  EXPECT_EQ(core.serverUrl, "http://127.0.0.1:9/sa");

  app::ReportStartupMilestone(L"libcurl初始化失败");
  {
    CurlClient client(L"http://127.0.0.1:1/software/477", dir.File(L"p.exe"), nullptr);
    EXPECT_EQ(client.GetDownloadFileLength_Str("http://127.0.0.1:1/software/477"), -1.0);  // refused
  }
  app::StopTracker();
  EXPECT_FALSE(velto::tracking::usageTracker());
  EXPECT_EQ(core.shutdowns, 1);

  const auto events = core.trackedEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].properties.text("vt_task_name"), "libcurl初始化失败");
  EXPECT_EQ(events[0].properties.text("vtc_ab"), "IN");
  EXPECT_EQ(events[1].properties.text("vt_task_name"), "下载失败原因");
  EXPECT_EQ(events[1].properties.text("vt_reason"), "1.获取文件大小的状态码为=0；");
  EXPECT_EQ(events[1].properties.text("vtc_ab"), "IN");

  CurlClient::SetFailureReporter(nullptr);
  curl_global_cleanup();
  velto::tracking::setTrackerEnvironmentForTesting({});
  Utils::Settings() = saved;
}
