#include "engine/Installer.h"

#include <gtest/gtest.h>

#include "utils/ChildProcess.h"

#include <random>
#include <string>
#include <vector>

#include "tests/engine_runners/RunnerSupport.h"
#include "tests/support/TestPaths.h"
#include "utils/InstallerSettings.h"

using runner_tests::Event;
using runner_tests::EventLog;
using runner_tests::NamedEvent;
using runner_tests::ScriptEscape;
using runner_tests::StagedChild;

namespace {

// Sets the settings' InstCmd for one test and restores it.
class InstCmdScope {
 public:
  explicit InstCmdScope(std::wstring value) : saved_(Utils::Settings().InstCmd) {
    Utils::Settings().InstCmd = std::move(value);
  }
  ~InstCmdScope() { Utils::Settings().InstCmd = saved_; }

 private:
  std::wstring saved_;
};

const Event kBegin{2001, 0.0, L""};
const Event kStarting{2002, 0.0, L""};
const Event kEndedWithoutResult{2003, 1.0, L""};
const Event kCannotStart{2004, 2.0, L""};

std::wstring Quoted(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

// Runs |script| as the package (in a folder with a blank in its name) to the end and returns
// the events; |child| receives the staged program for further checks.
std::vector<Event> RunPackage(const testing_support::ScratchDir& dir, const std::string& script,
                              std::unique_ptr<StagedChild>* child = nullptr, EventLog* log = nullptr) {
  auto staged = std::make_unique<StagedChild>(dir.File(L"__Package_Quillora.exe"), script);
  EventLog ownLog;
  EventLog& events = log ? *log : ownLog;
  {
    CInstaller installer(events.Callback(), Quoted(staged->Path()), L"");
    installer.Start();
  }
  if (child) *child = std::move(staged);
  return events.Events();
}

}  // namespace

struct CommandLineCase {
  const wchar_t* language;
  const wchar_t* instCmd;
  const wchar_t* dir;
  bool admin;
  bool elevated;
  bool desktop;
  bool quickLaunch;
  const wchar_t* expected;
};

// Tests the package's command line with and without language, extra arguments and folder,
// and each flag in its place.
TEST(InstallerTest, CommandLine) {
  const CommandLineCase cases[] = {
      {L"", L"", L"", false, true, false, false,
       L"\"C:\\T\\__Package_Quillora.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true "
       L"-dsc=false -ssc=false"},
      {L"zh_CN", L"", L"", true, false, true, false,
       L"\"C:\\T\\__Package_Quillora.exe\" /S -console=show -version=1.0.0 -adminact=true -authorizationact=false "
       L"-dsc=true -ssc=false -inslang=\"zh_CN\""},
      {L"", L"-channel=store -x", L"", false, false, false, true,
       L"\"C:\\T\\__Package_Quillora.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=false "
       L"-dsc=false -ssc=true -channel=store -x"},
      {L"", L"", L"D:\\Program Files\\Quillora", true, true, true, true,
       L"\"C:\\T\\__Package_Quillora.exe\" /S -console=show -version=1.0.0 -adminact=true -authorizationact=true "
       L"-dsc=true -ssc=true -instdir=\"D:\\Program Files\\Quillora\" /D=D:\\Program Files\\Quillora"},
      {L"en_US", L"/quiet", L"C:\\青蓝", false, true, true, false,
       L"\"C:\\T\\__Package_Quillora.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true "
       L"-dsc=true -ssc=false -inslang=\"en_US\" /quiet -instdir=\"C:\\青蓝\" /D=C:\\青蓝"},
  };
  for (const CommandLineCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.expected)));
    InstCmdScope instCmd(c.instCmd);
    CInstaller installer({}, L"\"C:\\T\\__Package_Quillora.exe\"", L"E:\\replaced");
    installer.SetInstallDir(c.dir);
    installer.SetInstallLanguage(c.language);
    installer.SetAdminAccount(c.admin);
    installer.SetElevated(c.elevated);
    installer.SetDesktopShortcut(c.desktop);
    installer.SetQuickLaunchShortcut(c.quickLaunch);
    EXPECT_EQ(installer.MakeCommandLine(), c.expected);
  }
  // Construction's folder is used until the owner sets another; the elevated flag starts true.
  CInstaller defaults({}, L"\"p.exe\"", L"C:\\Q");
  EXPECT_EQ(defaults.MakeCommandLine(),
            L"\"p.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true -dsc=false -ssc=false "
            L"-instdir=\"C:\\Q\" /D=C:\\Q");
}

// Tests that the package really starts with that command line (folder with blanks included),
// and that a package that writes nothing and exits is a success with value 1.0.
TEST(InstallerTest, RunsThePackageWithItsCommandLine) {
  testing_support::ScratchDir dir(L"qrun pkg");
  InstCmdScope instCmd(L"-from=test");
  StagedChild child(dir.File(L"__Package_Quillora.exe"), "exit 3\n");
  EventLog log;
  std::wstring expected;
  {
    CInstaller installer(log.Callback(), Quoted(child.Path()), dir.Path());
    installer.SetInstallLanguage(L"zh_CN");
    installer.SetDesktopShortcut(true);
    expected = installer.MakeCommandLine();
    installer.Start();
  }
  EXPECT_EQ(child.CommandLine(), expected);
  EXPECT_EQ(expected, Quoted(child.Path()) +
                          L" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true -dsc=true "
                          L"-ssc=false -inslang=\"zh_CN\" -from=test -instdir=\"" +
                          dir.Path() + L"\" /D=" + dir.Path());
  EXPECT_EQ(child.Trace(), "start\nend\n");
  EXPECT_EQ(log.Events(), (std::vector<Event>{kBegin, kStarting, kEndedWithoutResult}));
}

// Tests that a package that cannot be started, or whose command line would not fit, gives
// 2004 with 2.0 after the two opening events and nothing else, and starts nothing.
TEST(InstallerTest, StartFailures) {
  {
    EventLog log;
    {
      CInstaller installer(log.Callback(), L"\"C:\\no\\such\\folder\\__Package_Quillora.exe\"", L"");
      installer.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kBegin, kStarting, kCannotStart}));
  }
  {
    testing_support::ScratchDir dir(L"qrun");
    StagedChild child(dir.File(L"__Package_Quillora.exe"), "write State=Fail\\n\n");
    EventLog log;
    {
      CInstaller installer(log.Callback(), Quoted(child.Path()), L"C:\\" + std::wstring(500, L'd'));
      ASSERT_GE(installer.MakeCommandLine().size(), Utils::ChildProcess::kCommandLineCapacity);
      installer.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kBegin, kStarting, kCannotStart}));
    EXPECT_EQ(child.Trace(), "");
  }
}

// Tests that a successful state and an error in one read send both, that nothing after
// that read is interpreted while the package keeps running, and that the runner waits for
// the package to exit.
TEST(InstallerTest, StopsInterpretingAfterTheReadWithTheResult) {
  testing_support::ScratchDir dir(L"qrun");
  NamedEvent release;
  EventLog log([&](const Event& e) {
    if (e.code == 2004) release.Set();
  });
  std::unique_ptr<StagedChild> child;
  const std::vector<Event> events =
      RunPackage(dir,
                 "write Progress=0.5\\nState=Success\\nError=disk full\\nMessage=same read\\n\n"
                 "wait " +
                     release.Name() +
                     " 30000\n"
                     "write Progress=0.9\\nState=Fail\\nMessage=late\\n\n"
                     "sleep 200\n"
                     "write Error=later still\\n\n",
                 &child, &log);
  EXPECT_EQ(events, (std::vector<Event>{kBegin,
                                        kStarting,
                                        {2002, 0.5, L""},
                                        {2003, 0.0, L""},
                                        {2004, 1000.0, L"disk full"},
                                        {3009, 0.0, L"same read"}}));
  EXPECT_EQ(child->Trace(), "start\nsignalled " + release.Name() + "\nend\n");
}

struct LastLineCase {
  const char* script;
  std::vector<Event> tail;
};

// Tests that the lines written just before the package exits are read: a failed state
// (with or without a line feed), and an error after progress.
TEST(InstallerTest, ReadsTheLastLinesBeforeExit) {
  const LastLineCase cases[] = {
      {"write Progress=0.3\\n\nsleep 150\nwrite State=Fail\\n\nexit 0\n",
       {{2002, 0.3, L""}, {2004, 0.0, L"安装包安装失败"}}},
      {"write Progress=0.3\\nState=Fail\nexit 1\n", {{2002, 0.3, L""}, {2004, 0.0, L"安装包安装失败"}}},
      {"write Progress=0.3\\n\nwrite Err\nwrite or=gone\n", {{2002, 0.3, L""}, {2004, 1000.0, L"gone"}}},
      {"write Progress=0.3\n", {{2002, 0.3, L""}, kEndedWithoutResult}},
  };
  for (const LastLineCase& c : cases) {
    SCOPED_TRACE(c.script);
    testing_support::ScratchDir dir(L"qrun");
    std::vector<Event> expected{kBegin, kStarting};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(RunPackage(dir, c.script), expected);
  }
}

// Tests that a package writing far more than a pipe holds after its result is drained (it
// finishes its writes and exits) and that nothing of that output is interpreted.
TEST(InstallerTest, DrainsLargeOutputAfterTheResult) {
  testing_support::ScratchDir dir(L"qrun");
  std::unique_ptr<StagedChild> child;
  const std::vector<Event> events =
      RunPackage(dir, "write State=Success\\n\nfill 300000 4000\nwrite State=Fail\\n\n", &child);
  EXPECT_EQ(events, (std::vector<Event>{kBegin, kStarting, {2003, 0.0, L""}}));
  EXPECT_EQ(child->Trace(), "start\nfilled 300000\nend\n");
}

// Tests that a second Start waits for the first run to end, then runs the package anew, and
// that destruction waits for a package that is still running.
TEST(InstallerTest, StartWaitsForThePreviousRunAndDestructionWaitsForThePackage) {
  testing_support::ScratchDir dir(L"qrun");
  StagedChild child(dir.File(L"__Package_Quillora.exe"), "sleep 300\nwrite Progress=0.5\\n\nsleep 300\n");
  EventLog log;
  {
    CInstaller installer(log.Callback(), Quoted(child.Path()), L"");
    installer.Start();
    installer.Start();
  }
  EXPECT_EQ(child.Trace(), "start\nend\nstart\nend\n");
  const std::vector<Event> once{kBegin, kStarting, {2002, 0.5, L""}, kEndedWithoutResult};
  std::vector<Event> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(log.Events(), twice);
}

// Tests, end to end through real pipe writes, that the fixed output split into writes at
// random places (inside multibyte characters too) gives the events of the unsplit output.
TEST(InstallerTest, SplitWritesGiveTheSameEvents) {
  const std::string output = runner_tests::PackageScriptOutput();
  std::vector<Event> expected{kBegin, kStarting};
  const std::vector<Event> lines = runner_tests::PackageScriptEvents();
  expected.insert(expected.end(), lines.begin(), lines.end());
  std::mt19937 random(4);
  for (int round = 0; round < 3; ++round) {
    std::vector<size_t> cuts = runner_tests::RandomCuts(random, output.size(), 6);
    std::string script;
    size_t from = 0;
    cuts.push_back(output.size());
    for (size_t cut : cuts) {
      script += "write " + ScriptEscape(output.substr(from, cut - from)) + "\nsleep 120\n";
      from = cut;
    }
    SCOPED_TRACE(script);
    testing_support::ScratchDir dir(L"qrun");
    EXPECT_EQ(RunPackage(dir, script), expected);
  }
}
