// The tracker end to end: events leave through the analytics SDK core and arrive at the
// loopback collector.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "tests/support/ProcessUtil.h"
#include "tests/support/TestPaths.h"
#include "tracker/InstallerReporting.h"
#include "tracker/UsageTrackerImpl.h"
#include "utils/InstallerSettings.h"

using namespace velto::tracking;
using testing_support::ScratchDir;

namespace {

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// The plain-HTTP collector of this test run and the records it stored per sink.
class Collector {
 public:
  static Collector& Get() {
    static Collector instance;
    return instance;
  }
  bool Ready() const { return !dir_.empty(); }
  // The address whose records go to |sink|.
  std::string Url(const std::string& sink) const {
    return "http://127.0.0.1:" + Trim(testing_support::ReadFileBytes(dir_ + L"\\http.port")) + "/collect/" + sink;
  }
  std::vector<std::string> Records(const std::string& sink) const {
    std::vector<std::string> lines;
    const std::string text =
        testing_support::ReadFileBytes(dir_ + L"\\out\\" + std::wstring(sink.begin(), sink.end()) + L".jsonl");
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
      lines.push_back(Trim(text.substr(start, end - start)));
      start = end + 1;
    }
    return lines;
  }

 private:
  Collector() {
    const char* dir = std::getenv("QUILLORA_COLLECTOR_DIR");
    if (dir && *dir) dir_ = testing_support::HostPathToWindows(dir);
  }
  std::wstring dir_;
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Restores the process-wide settings record when the test ends.
class ScopedSettings {
 public:
  ScopedSettings() : saved_(Utils::Settings()) {}
  ~ScopedSettings() { Utils::Settings() = saved_; }

 private:
  Utils::InstallerSettings saved_;
};

// Tests that run the real tracker and SDK core in a scratch folder against the collector.
class TrackerCollectorTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
  static void TearDownTestSuite() { curl_global_cleanup(); }
  void SetUp() override {
    ASSERT_TRUE(Collector::Get().Ready()) << "QUILLORA_COLLECTOR_DIR is not set";
    TrackerEnvironment environment;
    environment.exePath = Narrow(dir.File(L"QuilloraSetup.exe"));
    environment.localAppDataFolder = Narrow(dir.Path());
    setTrackerEnvironmentForTesting(environment);
  }
  void TearDown() override {
    releaseUsageTracker();
    setTrackerEnvironmentForTesting({});
  }
  static TrackerConfig Config(const std::string& sink) {
    TrackerConfig config;
    config.appName = "Quillora.downloader";
    config.appVersion = "1.7.9";
    config.appStore = "QuilloraSetup.exe";
    config.dlAppId = "Quillora";
    config.serverUrl = Collector::Get().Url(sink);
    return config;
  }

  ScratchDir dir;
  ScopedSettings settings;
};

}  // namespace

TEST_F(TrackerCollectorTest, EventsArriveWithTheirPropertiesAndTheSuperProperties) {
  initUsageTracker(Config("events"));
  auto tracker = usageTracker();
  VtContextProperties ab;
  ab.setProperty("IN", {static_cast<int32_t>(VtEvent::Task)});
  VtEventTask task;
  task.name = "t";
  task.elapsed = 2.5f;
  task.result = VtResult::Cancelled;
  tracker->trackTask(task, ab);
  VtEventClick click;
  click.name = "c";
  click.clickType = static_cast<VtClickType>(7);  // nothing is sent
  tracker->trackClick(click, VtContextProperties{});
  click.clickType = VtClickType::Button;
  tracker->trackClick(click, ab);  // "vtc_ab" only for Task
  tracker.reset();
  releaseUsageTracker();  // the last reference: the last flush

  const auto records = Collector::Get().Records("events");
  ASSERT_EQ(records.size(), 2u);
  const std::string& t = records[0];
  EXPECT_TRUE(Has(t, "\"event\":\"VtEventTask\"")) << t;
  EXPECT_TRUE(Has(t, "\"vt_task_elapsed\":2.5,")) << t;
  EXPECT_TRUE(Has(t, "\"vt_task_result\":\"Cancelled\"")) << t;
  EXPECT_TRUE(Has(t, "\"vtc_ab\":\"IN\"")) << t;
  EXPECT_TRUE(Has(t, "\"$is_first_time\":true")) << t;
  EXPECT_TRUE(Has(t, "\"vt_edition\":\"china\"")) << t;
  EXPECT_TRUE(Has(t, "\"vt_sdk_version\":\"3.3.8\"")) << t;
  EXPECT_TRUE(Has(t, "\"vt_dlapp_id\":\"Quillora\"")) << t;
  EXPECT_FALSE(Has(t, "vt_dlapp_version")) << t;
  EXPECT_TRUE(Has(t, "\"$os\":\"Windows\"")) << t;
  const std::string& c = records[1];
  EXPECT_TRUE(Has(c, "\"event\":\"VtEventClick\"")) << c;
  EXPECT_TRUE(Has(c, "\"vt_click_type\":\"Button\"")) << c;
  EXPECT_FALSE(Has(c, "vtc_ab")) << c;
}

TEST_F(TrackerCollectorTest, ReportingFunctionsAndTheOffSwitch) {
  Utils::Settings().IsEnableAppAnalytics = false;
  Utils::Settings().AnalyticsUrl = L"http://127.0.0.1:1/unused";
  InitAnalyticsTracker();
  EXPECT_FALSE(usageTracker());

  Utils::Settings().IsEnableAppAnalytics = true;
  const std::string url = Collector::Get().Url("reports");
  Utils::Settings().AnalyticsUrl = std::wstring(url.begin(), url.end());
  InitAnalyticsTracker();
  ReportTaskEvent(L"下载器启动", L"", 0, {{L"AB", L"IN"}});
  ReportClickEvent({{L"AB", L"in"}}, L"立即安装");  // invalid A/B: sent without it
  ReportViewEvent({{L"AB", L"IN"}});
  ReleaseAnalyticsTracker();

  const auto records = Collector::Get().Records("reports");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_TRUE(Has(records[0], "\"vt_task_name\":\"下载器启动\"")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vt_task_result\":\"Success\"")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vt_task_elapsed\":0,")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vt_app_id\":\"Quillora.downloader\"")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vt_app_store\":\"tracker_collector_tests.exe\"")) << records[0];
  EXPECT_TRUE(Has(records[1], "\"vt_name\":\"立即安装\"")) << records[1];
  EXPECT_FALSE(Has(records[1], "vtc_ab")) << records[1];
  EXPECT_TRUE(Has(records[2], "\"vt_name\":\"安装中\"")) << records[2];
  EXPECT_TRUE(Has(records[2], "\"vtc_ab\":\"IN\"")) << records[2];
}

TEST_F(TrackerCollectorTest, CrashFilterSendsTheMilestoneAndTheCrashBeforeTheProcessDies) {
  const std::string url = Collector::Get().Url("crash");
  testing_support::RunningProcess crasher;
  ASSERT_TRUE(crasher.Start(L"\"" + testing_support::BuildFile(L"tools\\crasher\\crasher.exe") + L"\" -analyticsurl=" +
                            std::wstring(url.begin(), url.end()) + L" \"" + dir.Path() + L"\""));
  ASSERT_TRUE(crasher.WaitForExit(60000));
  EXPECT_EQ(crasher.ExitCode(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  const auto records = Collector::Get().Records("crash");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(Has(records[0], "\"event\":\"VtEventTask\"")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vt_task_name\":\"崩溃退出\"")) << records[0];
  EXPECT_TRUE(Has(records[0], "\"vtc_ab\":\"IN\"")) << records[0];
  EXPECT_TRUE(Has(records[1], "\"event\":\"AppCrashed\"")) << records[1];
  EXPECT_TRUE(Has(records[1], "\"app_crashed_reason\":\"崩溃\"")) << records[1];
  EXPECT_FALSE(Has(records[1], "$is_first_time")) << records[1];

  // Wine lets go of the dead process's files a moment after it has ended.
  bool removed = false;
  for (int attempt = 0; attempt < 200 && !removed; ++attempt) {
    removed = testing_support::RemoveTree(dir.Path() + L"\\VTLocal");
    if (!removed) ::Sleep(50);
  }
  EXPECT_TRUE(removed);
}
