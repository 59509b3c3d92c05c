#include "tracker/UsageTrackerImpl.h"

#include <gtest/gtest.h>
#include <io.h>

#include <fcntl.h>

#include <chrono>
#include <regex>
#include <thread>

#include "tests/tracker/PropertyMatchers.h"
#include "tests/tracker/TrackerFixture.h"
#include "tracker/UsageTrackerWrapper.h"
#include "utils/DebugLog.h"

using namespace velto::tracking;
using testing_support::WriteFileBytes;
using tracker_testing::ExpectProperties;
using tracker_testing::FakeAnalyticsCore;
using tracker_testing::Narrow;
using tracker_testing::ReadKey;
using tracker_testing::ThrownMessage;
using tracker_testing::TrackerTest;

namespace {

// Waits (without a time assertion) until |done| holds; false after a generous limit.
template <typename Condition>
bool Eventually(Condition done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// Everything the process writes to its standard output while the object lives.
class CapturedStdout {
 public:
  explicit CapturedStdout(const std::wstring& file) : file_(file) {
    std::fflush(stdout);
    saved_ = _dup(1);
    const int fd = _wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
    _dup2(fd, 1);
    _close(fd);
  }
  std::string Finish() {
    std::fflush(stdout);
    _dup2(saved_, 1);
    _close(saved_);
    return testing_support::ReadFileBytes(file_);
  }

 private:
  std::wstring file_;
  int saved_;
};

std::vector<std::wstring> g_logLines;
void CollectLine(const wchar_t* line) {
  g_logLines.push_back(line);
}

}  // namespace

TEST_F(TrackerTest, FirstRunUsesTheDefaultLocations) {
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  const std::string folder = Narrow(dir.Path()) + "\\VTLocal\\Quillora.downloader\\";
  EXPECT_EQ(tracker.dataFolder(), folder);
  EXPECT_EQ(tracker.settingsFile(), folder + "Quillora.downloader_VTSConfigure.ini");
  EXPECT_EQ(tracker.logPath(), folder + "Quillora.downloader_VTSLog.txt");
  EXPECT_NE(::GetFileAttributesA(tracker.logPath().c_str()), INVALID_FILE_ATTRIBUTES);

  const std::string ini = tracker.settingsFile();
  EXPECT_EQ(ReadKey(ini, "Base", "DistinctId"), tracker.identity().distinctId);
  EXPECT_EQ(ReadKey(ini, "Base", "PrimaryDistinctId"), tracker.identity().distinctId);
  EXPECT_EQ(ReadKey(ini, "Base", "URL"), "http://127.0.0.1:9/sa");
  EXPECT_EQ(ReadKey(ini, "UninstallInfo", "AppStore"), "QuilloraSetup.exe");
  EXPECT_EQ(ReadKey(ini, "UninstallInfo", "AppName"), "Quillora.downloader");
  EXPECT_EQ(ReadKey(ini, "UninstallInfo", "AppVersion"), "1.7.9");

  EXPECT_EQ(core.stagingFolder, folder);
  EXPECT_EQ(core.serverUrl, "http://127.0.0.1:9/sa");
  EXPECT_EQ(core.distinctId, tracker.identity().distinctId);
  EXPECT_FALSE(core.isLoginId);
  EXPECT_EQ(tracker.getPrimaryDistinctId(), tracker.identity().distinctId);
}

TEST_F(TrackerTest, SuperPropertiesInOrder) {
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  const EventProperties& p = core.superProperties;
  EXPECT_EQ(p.names(), (std::vector<std::string>{"vt_app_id", "$app_version", "$app_id", "vt_app_store", "vt_edition",
                                                 "vt_dlapp_id", "vt_app_platform", "vt_track_type", "vt_sdk_version",
                                                 "vt_sdk", "$os", "$os_version", "vt_l10n_locale", "vt_l10n_language",
                                                 "vt_l10n_country", "$screen_height", "$screen_width"}));
  EXPECT_EQ(p.text("vt_app_id"), "Quillora.downloader");
  EXPECT_EQ(p.text("vt_edition"), "china");
  EXPECT_EQ(p.text("vt_dlapp_id"), "Quillora");
  EXPECT_EQ(p.text("vt_sdk_version"), "3.3.8");
  EXPECT_EQ(p.text("vt_sdk"), "WindowsCPP");
  EXPECT_EQ(p.text("vt_track_type"), "Client");
  EXPECT_EQ(p.text("$os"), "Windows");
  EXPECT_EQ(p.text("$os_version"), osVersion());
  const std::string locale = p.text("vt_l10n_locale");
  EXPECT_EQ(locale, p.text("vt_l10n_language") + "_" + p.text("vt_l10n_country"));
  EXPECT_EQ(*p.find("$screen_width"), PropertyValue(static_cast<int32_t>(::GetSystemMetrics(SM_CXSCREEN))));

  tracker.setLocale("en_GB");
  EXPECT_EQ(p.text("vt_l10n_locale"), "en_GB");
  EXPECT_EQ(p.text("vt_l10n_language"), "en");
  EXPECT_EQ(p.text("vt_l10n_country"), "GB");
  tracker.setLocale("xx");  // no "_": the system's locale
  EXPECT_EQ(p.text("vt_l10n_locale"), locale);
}

TEST_F(TrackerTest, EditionsAndOptionalDownloadVersion) {
  TrackerConfig config = Config();
  config.edition = 1;
  config.dlAppVersion = "2.0";
  {
    UsageTrackerImpl tracker(config, environment);
    tracker.init();
    EXPECT_EQ(core.superProperties.text("vt_edition"), "overseas");
    EXPECT_EQ(core.superProperties.text("vt_dlapp_version"), "2.0");
  }
  FakeAnalyticsCore other;
  environment.core = &other;
  config.edition = 2;
  UsageTrackerImpl tracker(config, environment);
  std::string function;
  EXPECT_EQ(ThrownMessage([&] { tracker.init(); }, &function), "Unknown edition [2]!");
  EXPECT_EQ(function, "toString");
  EXPECT_EQ(other.initCalls, 1);  // fails after the core was set up
  EXPECT_FALSE(other.superProperties.has("vt_dlapp_version") && other.superProperties.has("vt_edition"));
}

TEST_F(TrackerTest, MissingConfigurationTexts) {
  struct Case {
    void (*spoil)(TrackerConfig&);
    const char* message;
  };
  const Case cases[] = {
      {[](TrackerConfig& c) { c.appName.clear(); }, "appName is empty"},
      {[](TrackerConfig& c) { c.appVersion.clear(); }, "appVersion is empty"},
      {[](TrackerConfig& c) { c.appStore.clear(); }, "appStore is empty"},
  };
  for (const Case& c : cases) {
    TrackerConfig config = Config();
    c.spoil(config);
    UsageTrackerImpl tracker(config, environment);
    std::string function;
    EXPECT_EQ(ThrownMessage([&] { tracker.init(); }, &function), c.message);
    EXPECT_EQ(function, "init");
  }
  core.initResult = false;
  UsageTrackerImpl refused(Config(), environment);
  EXPECT_EQ(ThrownMessage([&] { refused.init(); }), "analytics_core::Sdk::Init is failed");
}

TEST_F(TrackerTest, FacadeAfterAFailedInitSendsNothingAndRaisesNothing) {
  TrackerConfig config = Config();
  config.appStore.clear();
  initUsageTracker(config);
  auto tracker = usageTracker();
  ASSERT_TRUE(tracker);
  VtEventTask task;
  task.name = "t";
  VtContextProperties context;
  tracker->trackTask(task, context);
  tracker->trackCrash("x");
  tracker->trackClick(VtEventClick{}, context);
  EXPECT_TRUE(core.trackedEvents().empty());
  EXPECT_EQ(tracker->getLogger(), nullptr);
  releaseUsageTracker();
  EXPECT_FALSE(usageTracker());

  UsageTrackerWrapper empty(nullptr);
  empty.trackTask(task, context);
  empty.setLocale("en_GB");
  EXPECT_EQ(empty.getPrimaryDistinctId(), "");
}

TEST_F(TrackerTest, FacadePrintsTheFailureOfASwallowedException) {
  initUsageTracker(Config());
  auto tracker = usageTracker();
  VtContextProperties context;
  CapturedStdout out(dir.File(L"stdout.txt"));
  tracker->trackClick(VtEventClick{}, context);         // no name
  tracker->trackPayment(VtEventPayment{}, context);     // no order id
  tracker->trackAppOpenNotification(nullptr, context);  // no notification
  EXPECT_EQ(out.Finish(), "Failed to trackClick\nFailed to trackPayment\nFailed to trackAppOpenNotification\n");
  EXPECT_TRUE(core.trackedEvents().empty());
}

TEST_F(TrackerTest, HandoverWithForwardSlashesPicksTheDataFolder) {
  const std::string data = Narrow(dir.Path()) + "\\data\\deep";
  std::string forward = data + "\\x.ini";
  for (char& c : forward) {
    if (c == '\\') c = '/';
  }
  ASSERT_TRUE(WriteFileBytes(dir.File(L"Set.ini"), "[Install]\r\nVTUsageAnalyticsIni=" + forward + "\r\n"));
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  EXPECT_EQ(tracker.settingsFile(), data + "\\x.ini");
  EXPECT_EQ(tracker.dataFolder(), data);
  EXPECT_EQ(tracker.logPath(), data + "\\Quillora.downloader_VTSLog.txt");
  EXPECT_EQ(ReadKey(data + "\\x.ini", "UninstallInfo", "AppName"), "Quillora.downloader");
}

TEST_F(TrackerTest, LoggedInIdentityAndLogin) {
  const std::string folder = Narrow(dir.Path()) + "\\VTLocal\\Quillora.downloader";
  ASSERT_TRUE(::CreateDirectoryA((Narrow(dir.Path()) + "\\VTLocal").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string ini = folder + "\\Quillora.downloader_VTSConfigure.ini";
  ASSERT_TRUE(WriteFileBytes(std::wstring(ini.begin(), ini.end()),
                             "[Base]\r\nDistinctId=D1\r\nPrimaryDistinctId=P1\r\nUserId=U1\r\nisLogined=OK\r\n"
                             "URL=http://127.0.0.1:9/sa\r\n"));
  {
    UsageTrackerImpl tracker(Config(), environment);
    tracker.init();
    EXPECT_EQ(core.distinctId, "U1");
    EXPECT_TRUE(core.isLoginId);
    EXPECT_EQ(core.superProperties.text("vt_user_id"), "U1");
    // Already logged in: no new sign-up, but the VIP level is taken and saved.
    VtUserInfo user;
    user.userId = "U2";
    user.vipLevel = 4;
    tracker.trackLogin(user, true, "", VtContextProperties{});
    EXPECT_TRUE(core.logins.empty());
    EXPECT_EQ(ReadKey(ini, "Base", "UserVipLevel"), "4");
  }

  ASSERT_TRUE(WriteFileBytes(std::wstring(ini.begin(), ini.end()),
                             "[Base]\r\nDistinctId=D1\r\nPrimaryDistinctId=P1\r\nURL=http://127.0.0.1:9/sa\r\n"));
  FakeAnalyticsCore fresh;
  environment.core = &fresh;
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  EXPECT_EQ(fresh.distinctId, "D1");
  VtUserInfo nobody;
  tracker.trackLogin(nobody, false, "denied", VtContextProperties{});
  ASSERT_EQ(fresh.tracked.size(), 1u);
  ExpectProperties(
      fresh.tracked[0].properties,
      {{"vt_type", std::string("unknown")}, {"vt_result", std::string("Fail")}, {"vt_reason", std::string("denied")}});
  EXPECT_FALSE(tracker.identity().loggedIn);
  EXPECT_EQ(ReadKey(ini, "Base", "isLogined"), "<none>");  // the identity was not touched

  VtUserInfo user;
  user.userId = "U9";
  tracker.trackLogin(user, true, "", VtContextProperties{});
  EXPECT_EQ(fresh.logins, std::vector<std::string>{"U9"});
  EXPECT_EQ(fresh.superProperties.text("vt_user_id"), "U9");
  EXPECT_EQ(tracker.identity().distinctId, "U9");
  EXPECT_EQ(tracker.identity().primaryDistinctId, "P1");
  EXPECT_EQ(ReadKey(ini, "Base", "isLogined"), "OK");
  EXPECT_EQ(ReadKey(ini, "Base", "UserId"), "U9");
  EXPECT_EQ(ReadKey(ini, "Base", "DistinctId"), "U9");
}

TEST_F(TrackerTest, ActivityLaunchAndPaymentProfileUpdates) {
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  tracker.trackActivity(VtContextProperties{});
  ASSERT_EQ(core.tracked.size(), 1u);
  EXPECT_EQ(core.tracked[0].name, "VtEventActivity");
  EXPECT_EQ(core.tracked[0].properties.text("$user_agent"), userAgent("Windows", osVersion(), true));
  ASSERT_EQ(core.profiles.size(), 10u);
  EXPECT_EQ(core.profiles[0].operation, ProfileOperation::SetOnce);  // $first_visit_time
  EXPECT_EQ(core.profiles[2].operation, ProfileOperation::Set);      // vt_last_visit_date
  EXPECT_EQ(core.profiles[9].operation, ProfileOperation::SetOnce);  // $ios_install_source

  core.profiles.clear();
  tracker.trackLaunch(VtContextProperties{});  // nobody logged in: no profile update
  EXPECT_EQ(core.tracked.back().name, "VtEventLaunch");
  EXPECT_TRUE(core.tracked.back().properties.empty());
  EXPECT_TRUE(core.profiles.empty());

  VtEventPayment payment;
  payment.orderId = "o";
  payment.paidAmount = 9.5f;
  payment.result = VtResult::Success;
  payment.paidPlatform = VtPaidPlatform::Alipay;
  payment.currency = VtCurrency::CNY;
  tracker.trackPayment(payment, VtContextProperties{});
  ASSERT_EQ(core.profiles.size(), 4u);
  ExpectProperties(core.profiles[0].properties, {{"vt_paid_count", int32_t{1}}});
  ExpectProperties(core.profiles[1].properties, {{"vt_consumption", 9.5}});
  EXPECT_EQ(tracker.identity().vipLevel, 1);
  EXPECT_EQ(ReadKey(tracker.settingsFile(), "Base", "UserVipLevel"), "1");
}

TEST_F(TrackerTest, SendsInlineWhileTheLastSendSucceeded) {
  core.lastSend = true;
  core.flushResult = true;
  auto* tracker = new UsageTrackerImpl(Config(), environment);
  std::unique_ptr<UsageTrackerImpl> owner(tracker);
  tracker->init();
  VtEventClick click;
  click.name = "c";
  tracker->trackClick(click, VtContextProperties{});
  EXPECT_EQ(tracker->pendingCount(), 2);  // raised before, and marked by the send step
  VtEventTask task;
  task.name = "t";
  tracker->trackTask(task, VtContextProperties{});
  EXPECT_EQ(tracker->pendingCount(), 3);
  EXPECT_EQ(core.flushCalls, 0);
  tracker->trackUpdate(VtEventUpdate{VtUpdateOp::DownloadStart, {}, {}}, VtContextProperties{});
  EXPECT_EQ(core.flushCalls, 1);
  EXPECT_EQ(tracker->pendingCount(), 0);
  tracker->trackLaunch(VtContextProperties{});  // nothing pending: no flush
  EXPECT_EQ(core.flushCalls, 1);

  core.flushResult = false;
  tracker->trackTask(task, VtContextProperties{});
  tracker->trackUninstall(VtEventUninstall{}, VtContextProperties{});
  EXPECT_EQ(core.flushCalls, 4);  // three attempts
  EXPECT_EQ(tracker->pendingCount(), 1);
  owner.reset();  // release: three more attempts, then the core is shut down
  EXPECT_EQ(core.flushCalls, 7);
  EXPECT_EQ(core.shutdowns, 1);
}

TEST_F(TrackerTest, SendsOnADetachedThreadWhileTheLastSendFailed) {
  core.lastSend = false;
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  g_logLines.clear();
  const Utils::LogSink previous = Utils::SetLogSinkForTesting(&CollectLine);
  VtEventClick click;
  click.name = "c";
  tracker.trackClick(click, VtContextProperties{});
  Utils::SetLogSinkForTesting(previous);
  ASSERT_EQ(g_logLines.size(), 1u);
  EXPECT_NE(g_logLines[0].find(L"[Tracker] Sending messages asynchronously"), std::wstring::npos);
  EXPECT_TRUE(Eventually([&] { return tracker.pendingCount() == 2; }));
}

TEST_F(TrackerTest, CrashIsFlushedOnTheCallingThread) {
  core.lastSend = false;  // would otherwise go to a send thread
  core.flushResult = true;
  UsageTrackerImpl tracker(Config(), environment);
  tracker.init();
  tracker.trackCrash("崩溃");
  EXPECT_EQ(core.flushCalls, 1);
  ASSERT_EQ(core.tracked.size(), 1u);
  EXPECT_EQ(core.tracked[0].name, "AppCrashed");
  ExpectProperties(core.tracked[0].properties, {{"app_crashed_reason", std::string("崩溃")}});
}
