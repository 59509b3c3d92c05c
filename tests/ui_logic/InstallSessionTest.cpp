#include "ui/InstallSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/InstallerSettings.h"

namespace {

// Tests that drive the session with engine events and watch every effect it asks for,
// with a tick counter the test sets.
class RecordingEffects : public CInstallSessionEffects {
 public:
  uint32_t TickCount() override { return tick; }
  void ReportTask(const wchar_t* name, float elapsed, const std::wstring& ab) override {
    calls.push_back(L"task " + std::wstring(name) + L" " + std::to_wstring(static_cast<int>(elapsed)) + L" " + ab);
  }
  void ReportDownloadFailure(double value, const std::wstring& text, const std::wstring& ab) override {
    calls.push_back(L"downloadFailure " + std::to_wstring(static_cast<int>(value)) + L" " + text + L" " + ab);
  }
  void ReportFailureReason(double value, const std::wstring& text, bool download, const std::wstring& ab) override {
    calls.push_back(std::wstring(download ? L"downloadReason " : L"installReason ") +
                    std::to_wstring(static_cast<int>(value)) + L" " + text + L" " + ab);
  }
  void WriteHandover(const std::wstring& folder) override { calls.push_back(L"handover " + folder); }
  void RecordInstallation(const std::wstring& folder, const std::wstring& entry) override {
    calls.push_back(L"record " + folder + L" " + entry);
  }
  void OpenAddress(const std::wstring& address) override { calls.push_back(L"address " + address); }
  bool Exists(const std::wstring& path) override { return path == existing; }
  void LetWindowRepaint() override { calls.push_back(L"repaint"); }
  void OpenProgram(const std::wstring& program) override { calls.push_back(L"program " + program); }

  uint32_t tick = 1000;
  std::wstring existing;
  std::vector<std::wstring> calls;
};

class InstallSessionTest : public ::testing::Test {
 protected:
  RecordingEffects effects;
  CInstallSession session{effects, 0.7};
};

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(InstallSessionTest, DownloadFillsItsShareOfTheBar) {
  const SessionOutcome half = session.OnEngineEvent(1002, 0.5, L"");
  EXPECT_EQ(half.action, SessionAction::kProgress);
  EXPECT_EQ(half.percent, 35);
  EXPECT_EQ(half.text, L"正在安装中:35%，请稍候...");
  EXPECT_EQ(session.BarValue(), 35);
  EXPECT_EQ(session.OnEngineEvent(1002, 1.0, L"").percent, 70);
  EXPECT_EQ(session.OnEngineEvent(1002, 0.0, L"").percent, 0);
}

TEST_F(InstallSessionTest, InstallProgressMovesByAtLeastFifteenPercentOfItsShareUntilNinetyFive) {
  // Package progress values and the percentage each one shows.
  const struct {
    double value;
    int percent;
  } steps[] = {{0.0, 74}, {0.0, 78}, {0.0, 83}, {0.0, 88},  {0.0, 92}, {0.0, 97},
               {0.0, 98}, {0.1, 98}, {0.5, 98}, {0.99, 99}, {0.2, 99}, {1.0, 100}};
  int index = 0;
  for (const auto& step : steps) {
    const SessionOutcome outcome = session.OnEngineEvent(2002, step.value, L"");
    EXPECT_EQ(outcome.action, SessionAction::kProgress) << index;
    EXPECT_EQ(outcome.percent, step.percent) << "event " << index + 1;
    ++index;
  }
  EXPECT_DOUBLE_EQ(session.InstallFraction(), 1.0);
}

TEST_F(InstallSessionTest, AnotherDownloadScaleSplitsTheBarAccordingly) {
  CInstallSession even(effects, 0.5);
  EXPECT_EQ(even.OnEngineEvent(1002, 0.5, L"").percent, 25);
  EXPECT_EQ(even.OnEngineEvent(2002, 0.6, L"").percent, 80);
}

TEST_F(InstallSessionTest, ProgressTextSwitchesAfterSixtySecondsOfDownload) {
  EXPECT_EQ(session.ProgressText(5), L"正在安装中:5%，请稍候...");  // stopwatch not running
  effects.tick = 0xFFFFF000u;                                       // the tick counter wraps during the download
  session.OnEngineEvent(1001, 0, L"");
  effects.tick = 0xFFFFF000u + 60000u;
  EXPECT_EQ(session.OnEngineEvent(1002, 0.25, L"").text, L"正在安装中:17%，请稍候...");
  effects.tick = 0xFFFFF000u + 60001u;
  EXPECT_EQ(session.OnEngineEvent(1002, 0.75, L"").text, L"正在安装中:52%，请耐心等待...");
  // A new download start restarts the stopwatch.
  session.OnEngineEvent(1001, 0, L"");
  EXPECT_EQ(session.OnEngineEvent(2002, 0, L"").text, L"正在安装中:74%，请稍候...");
}

TEST_F(InstallSessionTest, TheProgressLabelsOwnFormatWins) {
  session.SetProgressFormat(L"进度 %d%%");
  EXPECT_EQ(session.OnEngineEvent(1002, 0.5, L"").text, L"进度 35%");
}

TEST(FormatProgressTextTest, OnlyOnePercentDIsFilledAndNothingElseIsRead) {
  const struct {
    const wchar_t* format;
    const wchar_t* expected;
  } cases[] = {
      {L"%d%%", L"42%"}, {L"%s und %d", L"%s und 42"}, {L"%d %d", L"42 %d"}, {L"ohne", L"ohne"}, {L"50%", L"50%"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatProgressText(c.format, 42), c.expected) << c.format;
  EXPECT_EQ(FormatProgressText(std::wstring(300, L'x'), 1).size(), 250u);
}

TEST_F(InstallSessionTest, InstallFailureAfterSeventyResetsTheBar) {
  session.OnEngineEvent(1002, 1.0, L"");
  session.OnEngineEvent(2002, 0.0, L"");
  const SessionOutcome failed = session.OnEngineEvent(2004, 3.9, L"磁盘已满");
  EXPECT_EQ(failed.action, SessionAction::kInstallFailed);
  EXPECT_EQ(failed.text, L"磁盘已满");
  EXPECT_TRUE(failed.resetProgress);
  EXPECT_EQ(failed.percent, 0);
  EXPECT_EQ(session.BarValue(), 0);
  EXPECT_THAT(effects.calls, ElementsAre(L"installReason 3 磁盘已满 IN"));
  // The installation share is never given back: the next attempt goes on from there.
  EXPECT_EQ(session.OnEngineEvent(2002, 0.0, L"").percent, 78);
}

TEST_F(InstallSessionTest, InstallFailureBelowSeventyKeepsTheBar) {
  session.OnEngineEvent(1002, 0.99, L"");
  const SessionOutcome failed = session.OnEngineEvent(2004, 1, L"");
  EXPECT_EQ(failed.action, SessionAction::kInstallFailed);
  EXPECT_EQ(failed.text, L"安装失败");
  EXPECT_FALSE(failed.resetProgress);
  EXPECT_EQ(session.BarValue(), 69);
}

TEST_F(InstallSessionTest, UnknownAndQuietCodesChangeNothing) {
  for (int code : {1005, 3002, 3006, 5001, 5002, 5003, 0, -1, 4000, 9999}) {
    const SessionOutcome outcome = session.OnEngineEvent(code, 0.8, L"text");
    EXPECT_EQ(outcome.action, SessionAction::kNone) << code;
  }
  EXPECT_THAT(effects.calls, IsEmpty());
  EXPECT_EQ(session.BarValue(), 0);
  EXPECT_EQ(session.InstallFraction(), 0.0);
  EXPECT_EQ(session.StartupStyle(), 0);
}

TEST_F(InstallSessionTest, MilestonesOfADownloadAreReportedOnceEach) {
  Utils::InstallerSettings& settings = Utils::Settings();
  const std::wstring savedGroup = settings.AbGroup;
  settings.AbGroup = L"B";
  session.OnEngineEvent(1001, 0, L"");
  effects.tick += 12500;
  session.OnEngineEvent(1003, 0, L"");
  session.OnEngineEvent(1001, 0, L"");
  session.OnDownloaderAnnounced();
  settings.AbGroup = savedGroup;
  EXPECT_THAT(effects.calls, ElementsAre(L"task 下载器启动 0 B", L"task 开始下载大包 0 B", L"task 大包下载完毕 12 B",
                                         L"task 开始下载大包 0 B"));
  EXPECT_EQ(session.AbValue(), L"B");
}

TEST_F(InstallSessionTest, AnAnnouncedDownloaderKeepsTheFirstAbLabel) {
  Utils::InstallerSettings& settings = Utils::Settings();
  const std::wstring savedGroup = settings.AbGroup;
  settings.AbGroup = L"B";
  session.OnDownloaderAnnounced();
  session.OnEngineEvent(1001, 0, L"");
  settings.AbGroup = savedGroup;
  EXPECT_THAT(effects.calls, ElementsAre(L"task 下载器启动 0 IN", L"task 开始下载大包 0 IN"));
}

TEST_F(InstallSessionTest, FailuresAreReportedAndAskForTheirPrompts) {
  EXPECT_EQ(session.OnEngineEvent(1006, 7, L"md5").action, SessionAction::kNone);
  EXPECT_EQ(session.OnEngineEvent(1004, 28, L"timeout").action, SessionAction::kNetworkPrompt);
  const SessionOutcome message = session.OnEngineEvent(3009, 0, L"请重启");
  EXPECT_EQ(message.action, SessionAction::kPackageMessage);
  EXPECT_EQ(message.text, L"请重启");
  for (int code : {5004, 5005}) {
    const SessionOutcome removal = session.OnEngineEvent(code, 0, L"");
    EXPECT_EQ(removal.action, SessionAction::kUninstallFailed);
    EXPECT_EQ(removal.text, L"安装程序检测到青蓝工坊\r\n正在运行，请退出程序后再安装");
  }
  EXPECT_THAT(effects.calls, ElementsAre(L"downloadReason 7 md5 IN", L"downloadFailure 28 timeout IN"));
}

TEST_F(InstallSessionTest, SuccessRecordsHandsOverAndStartsTheProductWhenAsked) {
  session.BeginInstall(L"C:\\chosen");
  session.OnEngineEvent(2001, 0, L"");
  session.OnEngineEvent(3000, 0, L"C:\\reported");
  session.OnEngineEvent(3001, 0, L"C:\\reported\\Quillora.exe");
  session.OnEngineEvent(3003, 0, L"C:\\reported\\uninst.ep");
  session.OnEngineEvent(3004, 0, L"http://127.0.0.1/welcome");
  session.OnEngineEvent(3005, 1.9, L"");
  session.OnEngineEvent(3007, 250.7, L"");
  session.OnEngineEvent(3008, -5, L"");
  effects.existing = L"C:\\reported\\Quillora.exe";
  const SessionOutcome done = session.OnEngineEvent(2003, 0, L"");
  EXPECT_EQ(done.action, SessionAction::kInstallSucceeded);
  EXPECT_EQ(session.BarValue(), 100);
  session.FinishInstallation();
  EXPECT_THAT(effects.calls,
              ElementsAre(L"handover C:\\chosen", L"task 安装成功 0 IN", L"record C:\\reported C:\\reported\\uninst.ep",
                          L"handover C:\\reported", L"address http://127.0.0.1/welcome", L"repaint",
                          L"program C:\\reported\\Quillora.exe"));
  EXPECT_EQ(session.StartupStyle(), 1);
  EXPECT_EQ(session.TopShowDelay(), 250u);
  EXPECT_EQ(session.FinishCloseDelay(), 0u);
  // The start button does not start it a second time.
  effects.calls.clear();
  session.OnOpenProductClicked();
  EXPECT_THAT(effects.calls, IsEmpty());
}

TEST_F(InstallSessionTest, StartStyleDecidesWhenTheProductStarts) {
  // Start style, whether finishing starts it, whether the start button starts it.
  const struct {
    double style;
    bool atFinish;
    bool onClick;
  } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, false, false}};
  for (const auto& c : cases) {
    RecordingEffects fx;
    CInstallSession s(fx, 0.7);
    s.OnEngineEvent(3001, 0, L"C:\\p\\Quillora.exe");
    s.OnEngineEvent(3005, c.style, L"");
    fx.existing = L"C:\\p\\Quillora.exe";
    s.FinishInstallation();
    const bool started = !fx.calls.empty() && fx.calls.back() == L"program C:\\p\\Quillora.exe";
    EXPECT_EQ(started, c.atFinish) << c.style;
    fx.calls.clear();
    s.OnOpenProductClicked();
    EXPECT_EQ(!fx.calls.empty() && fx.calls.back() == L"program C:\\p\\Quillora.exe", c.onClick) << c.style;
  }
}

TEST_F(InstallSessionTest, RunProductSkipsShortAddressesAndMissingPrograms) {
  session.OnEngineEvent(3004, 0, L"a.cn");
  session.OnEngineEvent(3001, 0, L"C:\\gone\\Quillora.exe");
  session.RunProduct();
  EXPECT_THAT(effects.calls, IsEmpty());
  EXPECT_EQ(session.TopShowDelay(), 3000u);
  EXPECT_EQ(session.FinishCloseDelay(), 0xFFFFFFFFu);
}

}  // namespace
