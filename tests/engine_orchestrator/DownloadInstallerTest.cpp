#include "engine/DownloadInstaller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/CurlDownloader.h"
#include "engine/MTCurlDownloader.h"
#include "engine/WinDownloader.h"
#include "tests/engine_orchestrator/OrchestratorSupport.h"
#include "tests/engine_runners/RunnerSupport.h"
#include "tests/support/ProcessUtil.h"
#include "tests/support/TestPaths.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"
#include "utils/SystemProbes.h"

using orchestrator_tests::FileExists;
using orchestrator_tests::LogCapture;
using orchestrator_tests::Recorder;
using orchestrator_tests::ScopedTempFolder;
using orchestrator_tests::ScriptedDownloader;
using orchestrator_tests::ScriptedEvent;
using runner_tests::Event;
using runner_tests::StagedChild;

namespace {

using Runs = std::vector<std::vector<ScriptedEvent>>;

const std::vector<int32_t> kFinalCodes{1004, 2003, 2004, 5004, 5005};

// Keeps the settings' download type for the test and restores it.
class ScopedDownloadType {
 public:
  explicit ScopedDownloadType(int type) : old_(Utils::Settings().DownloadType) {
    Utils::Settings().DownloadType = type;
  }
  ~ScopedDownloadType() { Utils::Settings().DownloadType = old_; }

 private:
  int old_;
};

// An orchestrator whose downloader plays |runs|; remembers the type it was asked for.
struct Harness {
  Recorder events;
  ScriptedDownloader* downloader = nullptr;
  int requestedType = -1;
  std::wstring requestedUrl;
  std::unique_ptr<CDownloadInstaller> orchestrator;

  explicit Harness(Runs runs, std::function<void(int)> beforeRun = {}) {
    orchestrator = std::make_unique<CDownloadInstaller>(
        events.Callback(),
        [this, runs, beforeRun](int type, EngineEventCallback callback, const std::wstring& url, const std::wstring&) {
          requestedType = type;
          requestedUrl = url;
          auto made = std::make_unique<ScriptedDownloader>(std::move(callback), runs, beforeRun);
          downloader = made.get();
          return made;
        },
        [] {
          return OldVersionUninstaller::AdminFlags{true, true};
        });
  }

  // Starts, waits for a final event, then destroys the orchestrator (joining everything).
  void RunToEnd(const std::wstring& installDir, const std::wstring& oldUninstaller = L"") {
    orchestrator->SetParams(L"http://127.0.0.1:9/software/477", oldUninstaller, installDir, true, false, true, false,
                            L"zh_CN");
    orchestrator->Start();
    EXPECT_TRUE(events.WaitFor(kFinalCodes));
    starts = downloader ? downloader->Starts() : -1;
    orchestrator.reset();
  }
  int starts = -1;
};

const Runs kGoodDownload{
    {{1001, 1.0, L""}, {1002, 0.25, L""}, {1002, 0.5, L""}, {1002, 1.0, L""}, {1003, 0.0, L"LibCurl"}}};

// The lines one handler wrote, in order.
std::vector<std::wstring> LinesOf(const std::vector<std::wstring>& lines, const std::wstring& function) {
  std::vector<std::wstring> out;
  for (const std::wstring& line : lines) {
    if (line.compare(0, function.size() + 1, function + L"|") == 0) out.push_back(line.substr(function.size() + 1));
  }
  return out;
}

std::vector<int32_t> CodesFrom(const std::vector<int32_t>& codes, int32_t first) {
  std::vector<int32_t> out;
  for (int32_t code : codes) {
    if (code / 1000 == first / 1000 || (first / 1000 == 2 && code / 1000 == 3)) out.push_back(code);
  }
  return out;
}

}  // namespace

// Tests the plain road without an older copy: the download comes first (1001 is the first
// event), every event reaches the window before the orchestrator acts on it (1003 before the
// package runner's 2001), the package runs with the choices, each stage logs its lines, and
// the package file is gone at the end.
TEST(DownloadInstallerTest, NoOlderCopyDownloadsThenInstalls) {
  testing_support::ScratchDir dir(L"qorch");
  const std::wstring installDir = dir.File(L"target dir");
  ASSERT_TRUE(::CreateDirectoryW(installDir.c_str(), nullptr));
  StagedChild package(Utils::PackagePath(installDir), "write Progress=0.5\\nState=Success\\n\n");
  ScopedDownloadType type(1);
  LogCapture log;
  Harness harness(kGoodDownload);
  harness.RunToEnd(installDir);

  EXPECT_EQ(harness.requestedType, 1);
  EXPECT_EQ(harness.requestedUrl, L"http://127.0.0.1:9/software/477");
  EXPECT_EQ(harness.starts, 1);
  const std::vector<Event> events = harness.events.Events();
  ASSERT_GE(events.size(), 8u);
  EXPECT_EQ(std::vector<Event>(events.begin(), events.begin() + 6), (std::vector<Event>{{1001, 1.0, L""},
                                                                                        {1002, 0.25, L""},
                                                                                        {1002, 0.5, L""},
                                                                                        {1002, 1.0, L""},
                                                                                        {1003, 0.0, L"LibCurl"},
                                                                                        {2001, 0.0, L""}}));
  EXPECT_EQ(events.back(), (Event{2003, 0.0, L""}));

  const std::vector<std::wstring> lines = log.Lines();
  EXPECT_EQ(LinesOf(lines, L"Start"), std::vector<std::wstring>{L"DL_TYPE=1"});
  EXPECT_EQ(LinesOf(lines, L"OnDownloadEvent"),
            (std::vector<std::wstring>{L"DL_CODE_START", L"DL_CODE_PROGRESS", L"DL_CODE_PROGRESS", L"DL_CODE_PROGRESS",
                                       L"DOWNLOAD_SUCCESS", L"DL_CODE_SUCCESS"}));
  const std::vector<std::wstring> install = LinesOf(lines, L"OnInstallEvent");
  ASSERT_FALSE(install.empty());
  EXPECT_EQ(install.front(), L"IST_CODE_START");
  EXPECT_EQ(install.back(), L"INSTALL_SUCCESS");
  EXPECT_TRUE(LinesOf(lines, L"OnUninstallEvent").empty());

  const std::wstring commandLine = package.CommandLine();
  EXPECT_EQ(commandLine.find(L"\"" + package.Path() + L"\" /S -console=show"), 0u) << commandLine;
  EXPECT_NE(commandLine.find(L"-adminact=true -authorizationact=false -dsc=true -ssc=false -inslang=\"zh_CN\""),
            std::wstring::npos)
      << commandLine;
  EXPECT_NE(commandLine.find(L" /D=" + installDir), std::wstring::npos) << commandLine;
  EXPECT_FALSE(FileExists(package.Path()));
}

struct DownloaderTypeCase {
  int type;
  const char* expected;
};

// Tests the choice of downloader by download type: 2 the system one, 3 the multi-part one,
// anything else (1, 7, 0) the single-stream one; and that the orchestrator asks with the
// settings' type and logs it.
TEST(DownloadInstallerTest, DownloaderByType) {
  const DownloaderTypeCase cases[] = {{1, "curl"}, {2, "win"}, {3, "mt"}, {7, "curl"}, {0, "curl"}};
  testing_support::ScratchDir dir(L"qorch");
  for (const DownloaderTypeCase& c : cases) {
    SCOPED_TRACE(c.type);
    auto made = CDownloadInstaller::CreateDownloader(c.type, {}, L"http://127.0.0.1:9/x", dir.File(L"p.exe"));
    const char* kind = dynamic_cast<CWinDownloader*>(made.get())      ? "win"
                       : dynamic_cast<CMTCurlDownloader*>(made.get()) ? "mt"
                       : dynamic_cast<CCurlDownloader*>(made.get())   ? "curl"
                                                                      : "none";
    EXPECT_STREQ(kind, c.expected);

    ScopedDownloadType type(c.type);
    LogCapture log;
    Harness harness({{{1004, 7.0, L"LibCurl"}}});
    harness.RunToEnd(dir.File(L"t"));
    EXPECT_EQ(harness.requestedType, c.type);
    EXPECT_EQ(LinesOf(log.Lines(), L"Start"), std::vector<std::wstring>{L"DL_TYPE=" + std::to_wstring(c.type)});
  }
}

// Tests the upgrade road: the old uninstaller is copied to the temporary folder and run
// from there with the old folder; the download starts only on its success; all three
// stages log their lines.
TEST(DownloadInstallerTest, OlderCopyIsRemovedFirst) {
  testing_support::ScratchDir dir(L"qorch");
  const std::wstring temp = dir.File(L"tmp");
  ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
  ScopedTempFolder tempFolder(temp);
  const std::wstring oldDir = dir.File(L"old copy");
  const std::wstring installDir = dir.File(L"new");
  ASSERT_TRUE(::CreateDirectoryW(oldDir.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(installDir.c_str(), nullptr));
  StagedChild oldUninstaller(Utils::UninstallEntryPath(oldDir), "");
  // The working copy plays this script (the copy looks for it beside itself).
  const std::wstring workingCopy = Utils::UninstallerCopyPath(Utils::GetTempFolder());
  ASSERT_NE(workingCopy.find(temp), std::wstring::npos);
  ASSERT_TRUE(testing_support::WriteFileBytes(workingCopy + L".script", "write Progress=0.5\\nState=Success\\n\n"));
  StagedChild package(Utils::PackagePath(installDir), "write State=Success\\n\n");
  ScopedDownloadType type(1);
  LogCapture log;
  Harness harness(kGoodDownload);
  harness.RunToEnd(installDir, oldUninstaller.Path());

  const std::vector<int32_t> codes = harness.events.Codes();
  ASSERT_GE(codes.size(), 5u);
  EXPECT_EQ(std::vector<int32_t>(codes.begin(), codes.begin() + 5),
            (std::vector<int32_t>{5001, 5002, 5002, 5003, 1001}));
  EXPECT_EQ(codes.back(), 2003);
  EXPECT_EQ(harness.starts, 1);
  EXPECT_EQ(oldUninstaller.Trace(), "");  // the original is never run
  const std::string copyTrace = testing_support::ReadFileBytes(workingCopy + L".trace");
  EXPECT_EQ(copyTrace, "start\nend\n");
  const std::string copyCommand = testing_support::ReadFileBytes(workingCopy + L".cmdline");
  const std::wstring command(reinterpret_cast<const wchar_t*>(copyCommand.data()), copyCommand.size() / 2);
  EXPECT_NE(command.find(L" /S -adminact=true -authorizationact=true -console=show _?=" + oldDir), std::wstring::npos)
      << command;
  EXPECT_EQ(LinesOf(log.Lines(), L"OnUninstallEvent"),
            (std::vector<std::wstring>{L"UNIST_CODE_START", L"UNIST_CODE_PROGRESS", L"UNIST_CODE_PROGRESS",
                                       L"UNIST_CODE_SUCCESS"}));
}

struct StoppingUninstallCase {
  const char* name;
  const char* script;  // the working copy's script; nullptr: no temporary folder at all
  Event last;
  const wchar_t* line;
};

// Tests that an uninstaller that fails (5005) or cannot be run because no working copy can
// be made (5004 "可执行卸载文件不存在") stops everything: nothing is downloaded.
TEST(DownloadInstallerTest, FailingUninstallerStopsEverything) {
  const StoppingUninstallCase cases[] = {
      {"fails", "write State=Fail\\n\n", {5005, 0.0, L"安装包卸载失败"}, L"UNIST_CODE_ERROR"},
      {"no temporary folder", nullptr, {5004, 1.0, L"可执行卸载文件不存在"}, L"UNIST_CODE_FAIL"},
  };
  for (const StoppingUninstallCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::ScratchDir dir(L"qorch");
    const std::wstring temp = c.script ? dir.File(L"tmp") : dir.File(L"missing\\deeper");
    if (c.script) {
      ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
    }
    ScopedTempFolder tempFolder(temp);
    if (c.script) {
      ASSERT_TRUE(
          testing_support::WriteFileBytes(Utils::UninstallerCopyPath(Utils::GetTempFolder()) + L".script", c.script));
    } else {
      ASSERT_EQ(Utils::GetTempFolder(), L"");
    }
    StagedChild oldUninstaller(dir.File(L"uninst.ep"), "write State=Success\\n\n");
    LogCapture log;
    Harness harness(kGoodDownload);
    harness.RunToEnd(dir.File(L"new"), oldUninstaller.Path());
    const std::vector<Event> events = harness.events.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (Event{5001, 0.0, L""}));
    EXPECT_EQ(events.back(), c.last);
    EXPECT_EQ(harness.starts, 0);
    EXPECT_EQ(LinesOf(log.Lines(), L"OnUninstallEvent").back(), c.line);
    EXPECT_TRUE(LinesOf(log.Lines(), L"OnDownloadEvent").empty());
  }
}

// Tests that an old uninstaller path that names no file skips the removal: the download
// starts at once.
TEST(DownloadInstallerTest, MissingOldUninstallerSkipsTheRemoval) {
  testing_support::ScratchDir dir(L"qorch");
  Harness harness({{{1001, 1.0, L""}, {1004, 28.0, L"LibCurl"}}});
  harness.RunToEnd(dir.File(L"new"), dir.File(L"gone\\uninst.ep"));
  EXPECT_EQ(harness.events.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_EQ(harness.starts, 1);
}

// Tests a download that fails for good: the install folder was made on 1001 (with its
// parents), the package file and the file an earlier run could not delete are deleted, and
// this package path is the one remembered for the process.
TEST(DownloadInstallerTest, FailedDownloadDeletesThePackage) {
  testing_support::ScratchDir dir(L"qorch");
  const std::wstring first = dir.File(L"a\\b\\c");
  const std::wstring second = dir.File(L"d");
  {
    LogCapture log;
    Harness harness({{{1001, 1.0, L""}, {1004, 28.0, L"LibCurl"}}}, [&](int) {
      // The downloader's file, written once the folder exists.
      testing_support::WriteFileBytes(Utils::PackagePath(first), "partial");
    });
    harness.RunToEnd(first);
    EXPECT_FALSE(FileExists(Utils::PackagePath(first)));
    EXPECT_EQ(CDownloadInstaller::RememberedPackagePath(), Utils::PackagePath(first));
    EXPECT_EQ(LinesOf(log.Lines(), L"OnDownloadEvent"), (std::vector<std::wstring>{L"DL_CODE_START", L"DL_CODE_FAIL"}));
  }
  // A leftover at the remembered path goes with the next result of any orchestrator.
  ASSERT_TRUE(testing_support::WriteFileBytes(Utils::PackagePath(first), "left over"));
  Harness harness({{{1001, 1.0, L""}, {1004, 28.0, L"LibCurl"}}});
  harness.RunToEnd(second);
  EXPECT_FALSE(FileExists(Utils::PackagePath(first)));
  EXPECT_TRUE(::GetFileAttributesW(second.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(CDownloadInstaller::RememberedPackagePath(), Utils::PackagePath(second));
}

// Tests the retry request: 1005 starts the same downloader again from its own worker, and
// a package that fails (2004) still has its file deleted.
TEST(DownloadInstallerTest, RetryRequestAndFailingPackage) {
  testing_support::ScratchDir dir(L"qorch");
  const std::wstring installDir = dir.File(L"t");
  ASSERT_TRUE(::CreateDirectoryW(installDir.c_str(), nullptr));
  StagedChild package(Utils::PackagePath(installDir), "write State=Fail\\n\n");
  LogCapture log;
  Harness harness({{{1001, 1.0, L""}, {1006, 0.0, L"curl文件md5校验失败"}, {1005, 0.0, L"LibCurl"}},
                   {{1001, 1.0, L""}, {1003, 0.0, L"LibCurl"}}});
  harness.RunToEnd(installDir);
  EXPECT_EQ(harness.starts, 2);
  const std::vector<int32_t> codes = harness.events.Codes();
  EXPECT_EQ(CodesFrom(codes, 1000), (std::vector<int32_t>{1001, 1006, 1005, 1001, 1003}));
  EXPECT_EQ(codes.back(), 2004);
  EXPECT_EQ(LinesOf(log.Lines(), L"OnDownloadEvent"),
            (std::vector<std::wstring>{L"DL_CODE_START", L"DL_CODE_RETRY", L"DL_CODE_START", L"DOWNLOAD_SUCCESS",
                                       L"DL_CODE_SUCCESS"}));
  EXPECT_EQ(LinesOf(log.Lines(), L"OnInstallEvent").back(), L"IST_CODE_FAIL");
  EXPECT_FALSE(FileExists(package.Path()));
}

// Tests the "-insnew" wait: while a program named "Quillora.exe" runs, Start waits on the
// caller's thread and nothing is started; once it has ended the removal begins.
TEST(DownloadInstallerTest, InsNewWaitsForTheRunningProduct) {
  testing_support::ScratchDir dir(L"qorch");
  const std::wstring temp = dir.File(L"tmp");
  ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
  ScopedTempFolder tempFolder(temp);
  ASSERT_TRUE(testing_support::WriteFileBytes(Utils::UninstallerCopyPath(Utils::GetTempFolder()) + L".script",
                                              "write State=Fail\\n\n"));
  StagedChild oldUninstaller(dir.File(L"uninst.ep"), "");
  const std::wstring product = dir.File(L"Quillora.exe");
  ASSERT_TRUE(::CopyFileW(testing_support::BuildFile(L"tools\\probe_target\\probe_target.exe").c_str(), product.c_str(),
                          FALSE));
  auto running = std::make_unique<testing_support::RunningProcess>();
  ASSERT_TRUE(running->Start(L"\"" + product + L"\" " + std::to_wstring(::GetCurrentProcessId())));
  for (int i = 0; i < 100 && Utils::IsProcessRunning(L"Quillora.exe") == 0; ++i) ::Sleep(50);
  ASSERT_NE(Utils::IsProcessRunning(L"Quillora.exe"), 0u);

  const bool oldInsNew = Utils::Settings().InsNew;
  Utils::Settings().InsNew = true;
  Harness harness(kGoodDownload);
  harness.orchestrator->SetParams(L"http://127.0.0.1:9/x", oldUninstaller.Path(), dir.File(L"new"), true, true, true,
                                  false, L"");
  std::atomic<bool> returned{false};
  std::thread caller([&] {
    harness.orchestrator->Start();
    returned = true;
  });
  ::Sleep(500);
  EXPECT_FALSE(returned);
  EXPECT_TRUE(harness.events.Events().empty());
  running.reset();  // ends the product
  caller.join();
  Utils::Settings().InsNew = oldInsNew;
  EXPECT_TRUE(harness.events.WaitFor({5005}));
  harness.orchestrator.reset();
  EXPECT_EQ(harness.events.Codes().front(), 5001);
  EXPECT_EQ(harness.downloader->Starts(), 0);
}
