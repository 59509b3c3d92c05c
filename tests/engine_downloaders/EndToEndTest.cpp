// The whole job without a window: the orchestrator with the real downloaders, and the
// headless engine program, installing the demo package served by nginx behind its
// /<md5>/<file> redirect.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/DownloadInstaller.h"
#include "tests/engine_download/DownloadTestSupport.h"
#include "tests/support/RegistryOverride.h"
#include "tests/support/TestPaths.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"
#include "utils/ProductLocations.h"

namespace {

using download_test::Env;
using download_test::EnvUtf8;
using download_test::EventLog;
using download_test::FileSize;
using download_test::FromUtf8;
using download_test::SameContents;
using download_test::ServedFile;
using download_test::UniqueToken;

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The demo package's switches for a short run whose shortcuts land in |shellDir|; restored
// afterwards.
class DemoEnvironment {
 public:
  explicit DemoEnvironment(const std::wstring& shellDir) {
    ::CreateDirectoryW(shellDir.c_str(), nullptr);
    ::SetEnvironmentVariableW(L"QUILLORA_DEMO_DURATION_MS", L"50");
    ::SetEnvironmentVariableW(L"QUILLORA_DEMO_SHELL_DIR", shellDir.c_str());
  }
  ~DemoEnvironment() {
    ::SetEnvironmentVariableW(L"QUILLORA_DEMO_DURATION_MS", nullptr);
    ::SetEnvironmentVariableW(L"QUILLORA_DEMO_SHELL_DIR", nullptr);
  }
};

class ScopedSettings {
 public:
  ScopedSettings(int type) : type_(Utils::Settings().DownloadType) { Utils::Settings().DownloadType = type; }
  ~ScopedSettings() { Utils::Settings().DownloadType = type_; }

 private:
  int type_;
};

// Runs the orchestrator to a final event and destroys it (joining every stage).
std::vector<download_test::Event> Install(const std::wstring& url, const std::wstring& dir,
                                          const std::wstring& oldUninstaller = L"") {
  EventLog events;
  {
    CDownloadInstaller orchestrator(
        [&](int32_t code, double value, const wchar_t* text) { events.Add(code, value, text); });
    orchestrator.SetParams(url, oldUninstaller, dir, true, true, true, false, L"");
    orchestrator.Start();
    for (int i = 0; i < 1200; ++i) {
      bool done = false;
      for (const auto& e : events.Events()) {
        done = done || e.code == 2003 || e.code == 2004 || e.code == 1004 || e.code == 5004 || e.code == 5005;
      }
      if (done) break;
      ::Sleep(100);
    }
  }
  return events.Events();
}

// Runs QuilloraEngine.exe with |args|; its standard output and exit status.
struct EngineResult {
  DWORD status = 0xFFFFFFFF;
  std::string output;
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(output.substr(start, end - start));
    }
    return lines;
  }
};

EngineResult RunEngine(const std::wstring& args) {
  EngineResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::wstring line = L"\"" + testing_support::BuildFile(L"QuilloraEngine.exe") + L"\" " + args;
  PROCESS_INFORMATION process{};
  const BOOL started =
      ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  ::CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) result.output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &result.status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(readEnd);
  return result;
}

std::string Utf8(const std::wstring& text) {
  return download_test::ToUtf8(text);
}

}  // namespace

// Tests that download types 1, 2, 3 and 7 each download the padded demo package, run it
// into the target folder (its files are there afterwards) and delete the package file.
TEST(EndToEndTest, EveryDownloadTypeInstallsThePackage) {
  testing_support::ScratchDir dir(L"qe2e");
  DemoEnvironment demo(dir.File(L"shell"));
  for (int type : {1, 2, 3, 7}) {
    SCOPED_TRACE(type);
    ScopedSettings settings(type);
    const std::wstring target = dir.File(L"type " + std::to_wstring(type) + L"\\Quillora");
    const auto events = Install(Env(L"QUILLORA_TEST_NGINX") + L"/software/demo.exe", target);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().code, 1001);
    EXPECT_EQ(events.back().code, 2003);
    EXPECT_TRUE(Exists(Utils::ProductExePath(target)));
    EXPECT_TRUE(Exists(Utils::UninstallEntryPath(target)));
    EXPECT_FALSE(Exists(Utils::PackagePath(target)));
  }
}

// Tests two ranges end to end: a package over 20 MiB through download type 3 installs.
TEST(EndToEndTest, TwoRangePackageInstalls) {
  testing_support::ScratchDir dir(L"qe2e");
  DemoEnvironment demo(dir.File(L"shell"));
  ScopedSettings settings(3);
  const std::wstring target = dir.File(L"big");
  const auto events = Install(Env(L"QUILLORA_TEST_NGINX") + L"/software/demo-big.exe", target);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().code, 2003);
  EXPECT_TRUE(Exists(Utils::ProductExePath(target)));
  EXPECT_FALSE(Exists(Utils::PackagePath(target)));
}

// Tests an upgrade: with version 1 installed and recorded in the registry, installing
// version 2 elsewhere first runs the recorded uninstaller (from its working copy), which
// removes version 1, then downloads and installs version 2.
TEST(EndToEndTest, UpgradeRemovesTheOlderCopyFirst) {
  testing_support::ScopedCurrentUserOverride registry;
  ASSERT_TRUE(registry.Active());
  testing_support::ScratchDir dir(L"qe2e");
  DemoEnvironment demo(dir.File(L"shell"));
  const std::wstring temp = dir.File(L"tmp");
  ASSERT_TRUE(::CreateDirectoryW(temp.c_str(), nullptr));
  const std::wstring oldDir = dir.File(L"v1"), newDir = dir.File(L"v2");
  ScopedSettings settings(1);

  ASSERT_EQ(Install(Env(L"QUILLORA_TEST_NGINX") + L"/software/demo.exe", oldDir).back().code, 2003);
  ASSERT_TRUE(Exists(Utils::ProductExePath(oldDir)));
  Utils::ProductLocations().WriteInstalledLocation(oldDir, L"");
  Utils::ProductLocations installed;
  installed.ReadInstalledLocation();
  ASSERT_EQ(installed.UninstallEntry(), Utils::UninstallEntryPath(oldDir));

  wchar_t savedTmp[MAX_PATH] = {};
  ::GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
  ::SetEnvironmentVariableW(L"TMP", temp.c_str());
  const auto events = Install(Env(L"QUILLORA_TEST_NGINX") + L"/software/demo2.exe", newDir, installed.UninstallEntry());
  ::SetEnvironmentVariableW(L"TMP", savedTmp[0] ? savedTmp : nullptr);

  std::vector<int32_t> firsts;
  for (const auto& e : events) {
    if (e.code == 5001 || e.code == 5003 || e.code == 1001 || e.code == 2001 || e.code == 2003)
      firsts.push_back(e.code);
  }
  EXPECT_EQ(firsts, (std::vector<int32_t>{5001, 5003, 1001, 2001, 2003}));
  EXPECT_FALSE(Exists(Utils::ProductExePath(oldDir)));
  EXPECT_TRUE(SameContents(Utils::ProductExePath(newDir), testing_support::BuildFile(L"demo\\Quillora-2.exe")));
  EXPECT_TRUE(Exists(Utils::UninstallerCopyPath(temp + L"\\" + Utils::kTempFolderName)));
}

struct UsageCase {
  const wchar_t* args;
};

// Tests bad usage: exit status 2 with nothing on standard output.
TEST(EngineProgramTest, BadUsage) {
  const UsageCase cases[] = {{L""},
                             {L"--dir=C:\\x"},
                             {L"--url=http://127.0.0.1:9/ --dir=C:\\x --bogus"},
                             {L"--url=http://127.0.0.1:9/ --dir=C:\\x --desktop=yes"},
                             {L"--url=http://127.0.0.1:9/ --dir=C:\\x --download-type=x"},
                             {L"--uninstall=C:\\u.exe"},
                             {L"--package=C:\\p.exe --download-only"}};
  for (const UsageCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.args)));
    const EngineResult result = RunEngine(c.args);
    EXPECT_EQ(result.status, 2u);
    EXPECT_EQ(result.output, "");
  }
}

struct DownloadOnlyCase {
  int type;
  const char* last;
};

// Tests --download-only with types 1, 2 and 3: one line per event, the first "1001", the
// last the transport's 1003; exit 0 and the package in the folder, not run.
TEST(EngineProgramTest, DownloadOnly) {
  const DownloadOnlyCase cases[] = {
      {1, "1003\t0\tLibCurl"}, {2, "1003\t0\tURLDownloadToFile"}, {3, "1003\t0\tLibCurl"}};
  testing_support::ScratchDir dir(L"qeng");
  for (const DownloadOnlyCase& c : cases) {
    SCOPED_TRACE(c.type);
    const std::wstring target = dir.File(L"t" + std::to_wstring(c.type));
    const EngineResult result = RunEngine(L"--url=" + Env(L"QUILLORA_TEST_NGINX") + L"/software/demo.exe \"--dir=" +
                                          target + L"\" --download-only --download-type=" + std::to_wstring(c.type));
    EXPECT_EQ(result.status, 0u);
    const auto lines = result.Lines();
    ASSERT_GE(lines.size(), 2u) << result.output;
    EXPECT_EQ(lines.front(), "1001\t1\t");
    EXPECT_EQ(lines.back(), c.last);
    for (const std::string& line : lines) {
      EXPECT_TRUE(line.rfind("100", 0) == 0) << line;  // download events only
    }
    EXPECT_TRUE(SameContents(Utils::PackagePath(target), ServedFile(L"demo.exe")));
    EXPECT_FALSE(Exists(Utils::ProductExePath(target)));
  }
}

// Tests whole runs of the program: an install ends with "2003" and status 0 and leaves the
// product; a download that fails for good ends with "1004" (22, LibCurl) and status 1; a
// given package runs without a download; a removal whose uninstaller is missing fails with
// its text in UTF-8.
TEST(EngineProgramTest, WholeRunsAndStages) {
  testing_support::ScratchDir dir(L"qeng");
  DemoEnvironment demo(dir.File(L"shell"));
  {
    const std::wstring target = dir.File(L"full");
    const EngineResult result = RunEngine(L"--url=" + Env(L"QUILLORA_TEST_NGINX") + L"/software/demo.exe --dir=" +
                                          target + L" --download-type=3 --desktop=false --lang=en");
    EXPECT_EQ(result.status, 0u) << result.output;
    ASSERT_FALSE(result.Lines().empty());
    EXPECT_EQ(result.Lines().back(), "2003\t0\t");
    EXPECT_TRUE(Exists(Utils::ProductExePath(target)));
    EXPECT_FALSE(Exists(Utils::PackagePath(target)));
  }
  {
    const std::wstring target = dir.File(L"fail");
    const EngineResult result =
        RunEngine(L"--url=" + FromUtf8(EnvUtf8(L"QUILLORA_TEST_FAULT")) + L"/t/" + FromUtf8(UniqueToken("eng")) +
                  L"/file=demo.exe,get=500/x/p.exe --dir=" + target);
    EXPECT_EQ(result.status, 1u);
    ASSERT_FALSE(result.Lines().empty());
    EXPECT_EQ(result.Lines().back(), "1004\t22\tLibCurl");
    EXPECT_FALSE(Exists(Utils::PackagePath(target)));
  }
  {
    const std::wstring target = dir.File(L"package");
    const EngineResult result = RunEngine(L"\"--package=" + ServedFile(L"demo.exe") + L"\" --dir=" + target);
    EXPECT_EQ(result.status, 0u) << result.output;
    ASSERT_FALSE(result.Lines().empty());
    EXPECT_EQ(result.Lines().front(), "2001\t0\t");
    EXPECT_EQ(result.Lines().back(), "2003\t0\t");
    EXPECT_TRUE(Exists(Utils::ProductExePath(target)));
  }
  {
    const EngineResult result = RunEngine(L"--uninstall=" + dir.File(L"none.exe") + L" --old-dir=" + dir.Path());
    EXPECT_EQ(result.status, 1u);
    EXPECT_EQ(result.output, "5001\t0\t\n5004\t1\t" + Utf8(L"可执行卸载文件不存在") + "\n");
  }
}
