#include "tracker/InstallerReporting.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/tracker/PropertyMatchers.h"
#include "tests/tracker/TrackerFixture.h"
#include "utils/InstallerSettings.h"
#include "utils/TextConvert.h"

using namespace velto::tracking;
using testing_support::ScratchDir;
using tracker_testing::ExpectProperties;
using tracker_testing::FakeAnalyticsCore;
using tracker_testing::TrackerTest;

namespace {

// Restores the process-wide settings record when the test ends.
class ScopedSettings {
 public:
  ScopedSettings() : saved_(Utils::Settings()) {}
  ~ScopedSettings() { Utils::Settings() = saved_; }

 private:
  Utils::InstallerSettings saved_;
};

// Sets an environment variable for the test's duration.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[MAX_PATH] = {};
    had_ = ::GetEnvironmentVariableW(name, old, MAX_PATH) > 0;
    old_ = old;
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool had_;
  std::wstring old_;
};

std::wstring ReadWideKey(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[512] = {};
  ::GetPrivateProfileStringW(section, key, L"<none>", buffer, 512, file.c_str());
  return buffer;
}

// Tests of the reporting functions against a tracker with a recording core.
class ReportingTest : public TrackerTest {
 protected:
  ReportingTest() {
    Utils::Settings().IsEnableAppAnalytics = true;
    Utils::Settings().AnalyticsUrl = L"http://127.0.0.1:9/sa";
  }
  ScopedSettings settings;
};

}  // namespace

TEST_F(ReportingTest, TrackerConfigurationFromTheSettings) {
  Utils::Settings().DlAppNameSuffix = L".dl";
  Utils::Settings().DlAppVersion = L"2.1";
  const TrackerConfig config = AnalyticsTrackerConfig();
  EXPECT_EQ(config.appName, "Quillora.dl");
  EXPECT_EQ(config.appVersion, "1.7.9");
  EXPECT_EQ(config.appStore, "tracker_tests.exe");
  EXPECT_EQ(config.dlAppId, "Quillora");
  EXPECT_EQ(config.dlAppVersion, "2.1");
  EXPECT_EQ(config.logPath, "");
  EXPECT_EQ(config.edition, 0);
  EXPECT_EQ(config.serverUrl, "http://127.0.0.1:9/sa");

  InitAnalyticsTracker();
  ASSERT_TRUE(usageTracker());
  EXPECT_EQ(core.serverUrl, "http://127.0.0.1:9/sa");
  EXPECT_EQ(core.superProperties.text("vt_app_id"), "Quillora.dl");
}

TEST_F(ReportingTest, ReportingOffBuildsAndSendsNothing) {
  Utils::Settings().IsEnableAppAnalytics = false;
  InitAnalyticsTracker();
  EXPECT_FALSE(usageTracker());
  EXPECT_EQ(core.initCalls, 0);

  // Even with a tracker in place (reporting switched off after start-up), nothing is sent.
  Utils::Settings().IsEnableAppAnalytics = true;
  InitAnalyticsTracker();
  Utils::Settings().IsEnableAppAnalytics = false;
  ReportTaskEvent(L"下载器启动", L"", 0, {{L"AB", L"IN"}});
  ReportClickEvent({{L"AB", L"IN"}}, L"立即安装");
  ReportViewEvent({{L"AB", L"IN"}});
  ReportCrashEvent();
  ReportFailureReason(1, L"x", true, L"IN");
  ReportDownloadFailure(L"C:\\nowhere\\p.exe", 1, L"x", L"IN");
  EXPECT_TRUE(core.trackedEvents().empty());
  ReleaseAnalyticsTracker();  // off: the tracker stays
  EXPECT_TRUE(usageTracker());
}

TEST_F(ReportingTest, NoTrackerSendsNothing) {
  ReportTaskEvent(L"libcurl初始化失败", L"", 0, {{L"AB", L"IN"}});
  ReportCrashEvent();
  EXPECT_TRUE(core.trackedEvents().empty());
}

TEST_F(ReportingTest, TaskClickViewAndCrashEvents) {
  InitAnalyticsTracker();
  ReportTaskEvent(L"大包下载完毕", L"", 2.5f, {{L"AB", L"IN"}, {L"other", L"x"}});
  ReportClickEvent({{L"AB", L"B2"}}, L"立即安装");
  ReportViewEvent({{L"AB", L"IN"}});
  ReportCrashEvent();
  const auto events = core.trackedEvents();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].name, "VtEventTask");
  ExpectProperties(events[0].properties, {{"vt_task_name", std::string("大包下载完毕")},
                                          {"vt_task_elapsed", 2.5},
                                          {"vt_task_result", std::string("Success")},
                                          {"$is_first_time", true},
                                          {"vtc_ab", std::string("IN")}});
  EXPECT_EQ(events[1].name, "VtEventClick");
  ExpectProperties(events[1].properties, {{"vt_name", std::string("立即安装")},
                                          {"vt_click_type", std::string("Button")},
                                          {"$is_first_time", true},
                                          {"vtc_ab", std::string("B2")}});
  EXPECT_EQ(events[2].name, "VtEventView");
  ExpectProperties(events[2].properties,
                   {{"vt_name", std::string("安装中")}, {"$is_first_time", true}, {"vtc_ab", std::string("IN")}});
  EXPECT_EQ(events[3].name, "AppCrashed");
  ExpectProperties(events[3].properties, {{"app_crashed_reason", std::string("崩溃")}});
}

TEST_F(ReportingTest, AbValuesThatAreMissingEmptyOrInvalidAreLeftOut) {
  InitAnalyticsTracker();
  const ExtraValues cases[] = {
      {}, {{L"ab", L"IN"}}, {{L"AB", L""}}, {{L"AB", L"in"}}, {{L"AB", L"ABCD"}}, {{L"AB", L"中"}}};
  for (const ExtraValues& extras : cases) ReportTaskEvent(L"安装成功", L"", 0, extras);
  const auto events = core.trackedEvents();
  ASSERT_EQ(events.size(), std::size(cases));
  for (const auto& event : events) {
    EXPECT_FALSE(event.properties.has("vtc_ab"));
    EXPECT_EQ(event.properties.text("vt_task_name"), "安装成功");
  }
}

TEST_F(ReportingTest, LongReasonsAreCutAt199Characters) {
  InitAnalyticsTracker();
  const std::wstring reason(250, L'原');
  ReportTaskEvent(L"下载失败原因", reason.c_str(), 0, {{L"AB", L"IN"}});
  const auto events = core.trackedEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].properties.text("vt_reason"), Utils::WideToUtf8(std::wstring(199, L'原')));

  EXPECT_EQ(LimitReason(std::wstring(199, L'a')), std::wstring(199, L'a'));
  // A surrogate pair across the limit is dropped whole.
  const std::wstring pair = std::wstring(198, L'a') + L"\xD83D\xDE00" + L"b";
  EXPECT_EQ(LimitReason(pair), std::wstring(198, L'a'));
}

TEST(ReasonTextTest, DownloadAndInstallFailureTexts) {
  DownloadDiagnostics d;
  d.freeGigabytes = 5.0;
  d.writable = true;
  d.networkCode = 65600;
  EXPECT_EQ(ComposeDownloadFailureReason(22.7, L"curl失败", d),
            L"1.code=22；2.msg=curl失败；3.缓存磁盘容量=5.00G；4.缓存读写权限=可读；5.服务器连接状态code=65600");
  d.writable = false;
  d.freeGigabytes = 0;
  EXPECT_EQ(ComposeDownloadFailureReason(-3.9, L"", d),
            L"1.code=-3；2.msg=；3.缓存磁盘容量=0.00G；4.缓存读写权限=无权限；5.服务器连接状态code=65600");
  EXPECT_EQ(ComposeFailureReason(3.9, L"x"), L":1.code=3；2.msg=x");
  EXPECT_EQ(ComposeFailureReason(1, std::wstring(300, L'y')).size(), 199u);
}

TEST(ReasonTextTest, WritePermissionProbe) {
  ScratchDir dir;
  const std::wstring package = dir.File(L"__Package_Quillora.exe");
  EXPECT_TRUE(ProbeWritePermission(package));
  EXPECT_EQ(::GetFileAttributesW(package.c_str()), INVALID_FILE_ATTRIBUTES);  // removed again
  ASSERT_TRUE(testing_support::WriteFileBytes(package, "partial"));
  EXPECT_TRUE(ProbeWritePermission(package));
  EXPECT_EQ(::GetFileAttributesW(package.c_str()), INVALID_FILE_ATTRIBUTES);  // the partial file goes too
  EXPECT_FALSE(ProbeWritePermission(dir.File(L"missing\\__Package_Quillora.exe")));

  // An open file that cannot be deleted fails the probe.
  ASSERT_TRUE(testing_support::WriteFileBytes(package, "busy"));
  HANDLE held = ::CreateFileW(package.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ProbeWritePermission(package));
  ::CloseHandle(held);
}

TEST_F(ReportingTest, DownloadFailureReportCarriesTheMachineDiagnostics) {
  InitAnalyticsTracker();
  const std::wstring package = dir.File(L"__Package_Quillora.exe");
  ReportDownloadFailure(package, 28.0, L"timeout", L"IN");
  ReportFailureReason(3.9, L"x", false, L"IN");
  ReportFailureReason(2.0, L"md5", true, L"IN");
  const auto events = core.trackedEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].properties.text("vt_task_name"), "下载失败原因");
  const std::string reason = events[0].properties.text("vt_reason");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(reason, m,
                               std::regex("1\\.code=28；2\\.msg=timeout；3\\.缓存磁盘容量=([0-9]+\\.[0-9]{2})G；"
                                          "4\\.缓存读写权限=可读；5\\.服务器连接状态code=([0-9]+)")))
      << reason;
  EXPECT_GT(std::stod(m[1].str()), 0.0);
  EXPECT_EQ(events[1].properties.text("vt_task_name"), "安装失败原因");
  EXPECT_EQ(events[1].properties.text("vt_reason"), ":1.code=3；2.msg=x");
  EXPECT_EQ(events[2].properties.text("vt_task_name"), "下载失败原因");
  EXPECT_EQ(events[2].properties.text("vt_reason"), ":1.code=2；2.msg=md5");
}

TEST(HandoverTest, WritesSetIniAndStampsTheAnalyticsFile) {
  ScratchDir install;
  ScratchDir roaming;
  ScopedVariable appData(L"APPDATA", roaming.Path());
  WriteAnalyticsHandover(install.Path());

  const std::wstring setIni = install.File(L"set.ini");
  EXPECT_EQ(ReadWideKey(setIni, L"Install", L"APPStore"), L"tracker_tests.exe");
  EXPECT_EQ(ReadWideKey(setIni, L"Install", L"AppName"), L"Quillora");
  const std::wstring device = ReadWideKey(setIni, L"Install", L"DeviceID");
  EXPECT_TRUE(std::regex_match(device, std::wregex(L"[0-9A-Fa-f]{32}"))) << device;
  const std::wstring analytics = roaming.Path() + L"\\VelToData\\Quillora\\VTUsageAnalytics.ini";
  EXPECT_EQ(ReadWideKey(setIni, L"Install", L"VTUsageAnalyticsIni"), analytics);
  const std::wstring stamp = ReadWideKey(analytics, L"Init", L"UpdateTime");
  EXPECT_TRUE(std::regex_match(stamp, std::wregex(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"))) << stamp;

  // The tracker of the installed product finds the file through the hand-over entry.
  const std::string narrowSetIni(setIni.begin(), setIni.end());
  EXPECT_EQ(analyticsSettingsPathFrom(narrowSetIni), std::string(analytics.begin(), analytics.end()));
  std::setlocale(LC_ALL, "C");
}
