#include "engine/OldVersionUninstaller.h"

#include <gtest/gtest.h>

#include "utils/ChildProcess.h"

#include <random>
#include <string>
#include <vector>

#include "tests/engine_runners/RunnerSupport.h"
#include "tests/support/TestPaths.h"
#include "utils/SystemProbes.h"

using runner_tests::Event;
using runner_tests::EventLog;
using runner_tests::NamedEvent;
using runner_tests::ScriptEscape;
using runner_tests::StagedChild;

namespace {

using Flags = OldVersionUninstaller::AdminFlags;

const Event kAnnounced{5001, 0.0, L""};
const Event kStarting{5002, 0.0, L""};
const Event kEndedWithoutResult{5003, 1.0, L""};
const Event kSucceeded{5003, 0.0, L""};
const Event kCannotStart{5004, 2.0, L""};

OldVersionUninstaller::AdminProbe FixedFlags(bool account, bool process) {
  return [=] { return Flags{account, process}; };
}

// Runs |script| as the uninstaller working copy (in a folder with a blank in its name) to
// the end and returns the events.
std::vector<Event> RunUninstaller(const testing_support::ScratchDir& dir, const std::string& script,
                                  std::unique_ptr<StagedChild>* child = nullptr, EventLog* log = nullptr) {
  auto staged = std::make_unique<StagedChild>(dir.File(L"Quillora_un_asa.exe"), script);
  EventLog ownLog;
  EventLog& events = log ? *log : ownLog;
  {
    OldVersionUninstaller uninstaller(events.Callback(), staged->Path(), L"C:\\Old Quillora", FixedFlags(false, true));
    uninstaller.Start();
  }
  if (child) *child = std::move(staged);
  return events.Events();
}

}  // namespace

struct UninstallCommandCase {
  const wchar_t* path;
  const wchar_t* dir;
  Flags flags;
  const wchar_t* expected;
};

// Tests the uninstaller's command line: the path quoted only when it holds a blank, both
// flags in place, and the old folder unquoted as the last item.
TEST(OldVersionUninstallerTest, CommandLine) {
  const UninstallCommandCase cases[] = {
      {L"C:\\Temp\\Quillora_un_asa.exe",
       L"C:\\Q",
       {true, true},
       L"C:\\Temp\\Quillora_un_asa.exe /S -adminact=true -authorizationact=true -console=show _?=C:\\Q"},
      {L"C:\\Users\\A B\\Temp\\Quillora_un_asa.exe",
       L"C:\\Program Files\\Quillora",
       {false, true},
       L"\"C:\\Users\\A B\\Temp\\Quillora_un_asa.exe\" /S -adminact=false -authorizationact=true -console=show "
       L"_?=C:\\Program Files\\Quillora"},
      {L"\"C:\\A B\\un.exe\"",
       L"C:\\Q",
       {true, false},
       L"\"C:\\A B\\un.exe\" /S -adminact=true -authorizationact=false -console=show _?=C:\\Q"},
      {L"C:\\A\tB\\un.exe",
       L"",
       {false, false},
       L"\"C:\\A\tB\\un.exe\" /S -adminact=false -authorizationact=false -console=show _?="},
  };
  for (const UninstallCommandCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.expected)));
    EXPECT_EQ(OldVersionUninstaller::MakeCommandLine(c.path, c.dir, c.flags), c.expected);
  }
}

// Tests that the working copy in a folder with blanks really starts, with the flags the
// probe gave at Start, and that one that writes nothing and exits is a success with 1.0.
TEST(OldVersionUninstallerTest, RunsTheUninstallerWithItsCommandLine) {
  testing_support::ScratchDir dir(L"qrun un");
  StagedChild child(dir.File(L"Quillora_un_asa.exe"), "exit 2\n");
  EventLog log;
  int probed = 0;
  {
    OldVersionUninstaller uninstaller(log.Callback(), child.Path(), L"C:\\Program Files\\Quillora", [&] {
      ++probed;
      return Flags{true, false};
    });
    EXPECT_EQ(probed, 0);
    uninstaller.Start();
  }
  EXPECT_EQ(probed, 1);
  EXPECT_EQ(child.CommandLine(), L"\"" + child.Path() +
                                     L"\" /S -adminact=true -authorizationact=false -console=show "
                                     L"_?=C:\\Program Files\\Quillora");
  EXPECT_EQ(child.Trace(), "start\nend\n");
  EXPECT_EQ(log.Events(), (std::vector<Event>{kAnnounced, kStarting, kEndedWithoutResult}));
}

// Tests that without a probe the runner asks the system: the console user's account for
// "-adminact=" and this process's group membership for "-authorizationact=".
TEST(OldVersionUninstallerTest, AsksTheSystemForTheFlagsByDefault) {
  std::wstring user;
  const bool accountIsAdmin = Utils::GetConsoleUserName(user) && Utils::IsAdminAccount(user);
  const bool processIsAdmin = Utils::IsProcessAdmin();
  const OldVersionUninstaller::AdminFlags flags = OldVersionUninstaller::SystemAdminFlags();
  EXPECT_EQ(flags.accountIsAdmin, accountIsAdmin);
  EXPECT_EQ(flags.processIsAdmin, processIsAdmin);

  testing_support::ScratchDir dir(L"qrun");
  StagedChild child(dir.File(L"Quillora_un_asa.exe"), "");
  {
    OldVersionUninstaller uninstaller({}, child.Path(), L"C:\\Q");
    uninstaller.Start();
  }
  EXPECT_EQ(child.CommandLine(),
            OldVersionUninstaller::MakeCommandLine(child.Path(), L"C:\\Q", {accountIsAdmin, processIsAdmin}));
}

// Tests the three ways not to start: no file at the path, a file that is no program, and a
// command line that would not fit.
TEST(OldVersionUninstallerTest, StartFailures) {
  testing_support::ScratchDir dir(L"qrun");
  {
    EventLog log;
    {
      OldVersionUninstaller uninstaller(log.Callback(), dir.File(L"missing.exe"), L"C:\\Q", FixedFlags(true, true));
      uninstaller.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kAnnounced, {5004, 1.0, L"可执行卸载文件不存在"}}));
  }
  {
    // A folder at the path is no file either.
    EventLog log;
    {
      OldVersionUninstaller uninstaller(log.Callback(), dir.Path(), L"C:\\Q", FixedFlags(true, true));
      uninstaller.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kAnnounced, {5004, 1.0, L"可执行卸载文件不存在"}}));
  }
  {
    ASSERT_TRUE(testing_support::WriteFileBytes(dir.File(L"not a program.exe"), "State=Success\n"));
    EventLog log;
    {
      OldVersionUninstaller uninstaller(log.Callback(), dir.File(L"not a program.exe"), L"C:\\Q",
                                        FixedFlags(true, true));
      uninstaller.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kAnnounced, kStarting, kCannotStart}));
  }
  {
    StagedChild child(dir.File(L"Quillora_un_asa.exe"), "write State=Fail\\n\n");
    const std::wstring longDir = L"C:\\" + std::wstring(1000, L'o');
    ASSERT_GE(OldVersionUninstaller::MakeCommandLine(child.Path(), longDir, {}).size(),
              Utils::ChildProcess::kCommandLineCapacity);
    EventLog log;
    {
      OldVersionUninstaller uninstaller(log.Callback(), child.Path(), longDir, FixedFlags(true, true));
      uninstaller.Start();
    }
    EXPECT_EQ(log.Events(), (std::vector<Event>{kAnnounced, kStarting, kCannotStart}));
    EXPECT_EQ(child.Trace(), "");
  }
}

// Tests that a success is reported at once while the uninstaller keeps running, that its
// later lines are still interpreted, and that no second 5003 follows at its exit.
TEST(OldVersionUninstallerTest, ReportsAtOnceAndKeepsInterpreting) {
  testing_support::ScratchDir dir(L"qrun");
  NamedEvent release;
  EventLog log([&](const Event& e) {
    if (e.code == 5003) release.Set();
  });
  std::unique_ptr<StagedChild> child;
  const std::vector<Event> events = RunUninstaller(dir,
                                                   "write Progress=0.4\\nState=Success\\n\n"
                                                   "wait " +
                                                       release.Name() +
                                                       " 30000\n"
                                                       "write Progress=0.8\\nError=locked\\n\n",
                                                   &child, &log);
  EXPECT_EQ(events,
            (std::vector<Event>{
                kAnnounced, kStarting, {5002, 0.4, L""}, kSucceeded, {5002, 0.8, L""}, {5005, 0.0, L"locked"}}));
  EXPECT_EQ(child->Trace(), "start\nsignalled " + release.Name() + "\nend\n");
}

struct UninstallLastLineCase {
  const char* script;
  std::vector<Event> tail;
};

// Tests that lines still in the pipe when the uninstaller exits are read, an unterminated
// last line included, and that a large output after the result is drained and interpreted.
TEST(OldVersionUninstallerTest, ReadsEverythingUntilTheEnd) {
  const UninstallLastLineCase cases[] = {
      {"write State=Fail\\n\nexit 0\n", {{5005, 0.0, L"安装包卸载失败"}}},
      {"write Progress=0.2\\nState=Fail\nexit 5\n", {{5002, 0.2, L""}, {5005, 0.0, L"安装包卸载失败"}}},
      {"write State=Success\\n\nfill 300000 4000\nwrite State=Fail\\n\n", {kSucceeded, {5005, 0.0, L"安装包卸载失败"}}},
      {"write Encode=936\\nProgress=0.5\\n\n", {{5002, 0.5, L""}, kEndedWithoutResult}},
  };
  for (const UninstallLastLineCase& c : cases) {
    SCOPED_TRACE(c.script);
    testing_support::ScratchDir dir(L"qrun");
    std::unique_ptr<StagedChild> child;
    std::vector<Event> expected{kAnnounced, kStarting};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(RunUninstaller(dir, c.script, &child), expected);
    EXPECT_EQ(child->Trace().substr(child->Trace().size() - 4), "end\n");
  }
}

// Tests, end to end through real pipe writes, that the fixed output split into writes at
// random places (inside multibyte characters too) gives the events of the unsplit output.
TEST(OldVersionUninstallerTest, SplitWritesGiveTheSameEvents) {
  const std::string output = runner_tests::UninstallerScriptOutput();
  std::vector<Event> expected{kAnnounced, kStarting};
  const std::vector<Event> lines = runner_tests::UninstallerScriptEvents();
  expected.insert(expected.end(), lines.begin(), lines.end());
  std::mt19937 random(7);
  for (int round = 0; round < 4; ++round) {
    std::vector<size_t> cuts = runner_tests::RandomCuts(random, output.size(), 10);
    std::string script;
    size_t from = 0;
    cuts.push_back(output.size());
    for (size_t cut : cuts) {
      script += "write " + ScriptEscape(output.substr(from, cut - from)) + "\nsleep 20\n";
      from = cut;
    }
    SCOPED_TRACE(script);
    testing_support::ScratchDir dir(L"qrun");
    EXPECT_EQ(RunUninstaller(dir, script), expected);
  }
}
