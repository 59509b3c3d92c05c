#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/demo_package/DemoRun.h"
#include "tests/support/TestPaths.h"
#include "tools/demo_package/InstallRecord.h"

namespace {

using demo_testing::DemoFile;
using demo_testing::Exists;
using demo_testing::RunProgram;
using demo_testing::RunResult;
using demo_testing::ScopedEnvironment;
using demo_testing::Utf8;
using testing_support::ReadFileBytes;

constexpr wchar_t kShortcutName[] = L"青蓝工坊.lnk";

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[260] = {};
  ::GetPrivateProfileStringW(section, key, L"<none>", buffer, 260, file.c_str());
  return buffer;
}

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

// Tests that run the demo package and its uninstaller as the installer does: the package
// copied into the target folder under the downloaded name, the uninstaller copied to a
// temporary folder with blanks in its path. The shortcut folders are moved into a scratch
// folder and the progress is made quick; every file lives under scratch folders.
class DemoPackageTest : public testing::Test {
 protected:
  DemoPackageTest()
      : root_(L"青蓝 demo"),
        shell_(L"demo-shell"),
        folder_(root_.Path() + L"\\Quillora"),
        shellDir_(L"QUILLORA_DEMO_SHELL_DIR", shell_.Path()),
        duration_(L"QUILLORA_DEMO_DURATION_MS", L"0") {}

  std::wstring DesktopLink() const { return shell_.Path() + L"\\Desktop\\" + kShortcutName; }
  std::wstring QuickLaunchLink() const { return shell_.Path() + L"\\Quick Launch\\" + kShortcutName; }

  // Runs |package| from the target folder with the package runner's command line; the
  // package file is removed afterwards, as the installer does once a result is known.
  RunResult RunPackage(const std::wstring& package, bool desktop, bool quickLaunch, const std::wstring& extra = L"",
                       const std::wstring& folder = L"") {
    const std::wstring target = folder.empty() ? folder_ : folder;
    const std::wstring packageDir = root_.Path();
    const std::wstring packagePath = packageDir + L"\\__Package_Quillora.exe";
    EXPECT_TRUE(::CopyFileW(DemoFile(package).c_str(), packagePath.c_str(), FALSE));
    std::wstring line = L"\"" + packagePath + L"\" /S -console=show -version=1.0.0 -adminact=true" +
                        L" -authorizationact=true -dsc=" + (desktop ? L"true" : L"false") + L" -ssc=" +
                        (quickLaunch ? L"true" : L"false") + L" -inslang=\"en-US\"";
    if (!extra.empty()) line += L" " + extra;
    line += L" -instdir=\"" + target + L"\" /D=" + target;
    RunResult result = RunProgram(line);
    ::DeleteFileW(packagePath.c_str());
    return result;
  }

  // Copies the installed uninstaller to a temporary folder and runs it on |folder|.
  RunResult RunUninstaller(const std::wstring& folder, const std::wstring& extra = L"") {
    const std::wstring tempDir = root_.Path() + L"\\temp dir";
    ::CreateDirectoryW(tempDir.c_str(), nullptr);
    const std::wstring copy = tempDir + L"\\Quillora_un_asa.exe";
    EXPECT_TRUE(::CopyFileW((folder_ + L"\\uninst.ep").c_str(), copy.c_str(), FALSE));
    std::wstring line = copy + L" /S -adminact=true -authorizationact=true -console=show";
    if (!extra.empty()) line += L" " + extra;
    if (!folder.empty()) line += L" _?=" + folder;
    return RunProgram(line);
  }

  void InstallOrFail() {
    const RunResult installed = RunPackage(L"QuilloraDemoSetup.exe", true, true);
    ASSERT_FALSE(installed.lines.empty());
    ASSERT_EQ(installed.lines.back(), "State=Success");
    ASSERT_TRUE(Exists(folder_ + L"\\uninst.ep"));
  }

  testing_support::ScratchDir root_;
  testing_support::ScratchDir shell_;
  std::wstring folder_;
  ScopedEnvironment shellDir_;
  ScopedEnvironment duration_;
};

struct InstallCase {
  const wchar_t* package;
  const wchar_t* product;
  const char* version;
  bool desktop;
  bool quickLaunch;
};

class DemoPackageInstallTest : public DemoPackageTest, public testing::WithParamInterface<InstallCase> {};

// Tests that each package version reports the whole protocol in order, installs its own
// product, the uninstaller and the marker files, and creates exactly the shortcuts asked for.
TEST_P(DemoPackageInstallTest, InstallsAndReportsInOrder) {
  const InstallCase& c = GetParam();
  const RunResult result = RunPackage(c.package, c.desktop, c.quickLaunch);
  EXPECT_EQ(result.exitCode, 0u);
  const std::vector<std::string>& lines = result.lines;
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(lines[0], "Encode=UTF8");
  EXPECT_EQ(lines[1], std::string("InstallVersion=") + c.version);

  // Progress from 0 to 1, never going back, before the closing lines.
  size_t i = 2;
  double last = -1.0;
  for (; i < lines.size() && lines[i].rfind("Progress=", 0) == 0; ++i) {
    const double value = std::atof(lines[i].c_str() + 9);
    EXPECT_GE(value, last) << lines[i];
    last = value;
  }
  EXPECT_GE(i, 5u) << "too few progress lines";
  EXPECT_EQ(lines[2], "Progress=0.00");
  EXPECT_DOUBLE_EQ(last, 1.0);
  const std::vector<std::string> closing = {"InstPath=" + Utf8(folder_), "ExePath=" + Utf8(folder_ + L"\\Quillora.exe"),
                                            "UninstEp=" + Utf8(folder_ + L"\\uninst.ep"), "StartupStyle=UserStartup",
                                            "State=Success"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end()), closing);

  const std::string product = ReadFileBytes(folder_ + L"\\Quillora.exe");
  EXPECT_FALSE(product.empty());
  EXPECT_EQ(product, ReadFileBytes(DemoFile(c.product)));
  EXPECT_EQ(ReadFileBytes(folder_ + L"\\uninst.ep"), ReadFileBytes(DemoFile(L"uninst.ep")));
  EXPECT_EQ(IniValue(folder_ + L"\\set.ini", L"Uninstall", L"IsOverride"), L"true");
  EXPECT_EQ(IniValue(folder_ + L"\\config.ini", L"Install", L"Language"), L"en-US");
  EXPECT_EQ(Exists(DesktopLink()), c.desktop);
  EXPECT_EQ(Exists(QuickLaunchLink()), c.quickLaunch);
}

INSTANTIATE_TEST_SUITE_P(Versions, DemoPackageInstallTest,
                         testing::Values(InstallCase{L"QuilloraDemoSetup.exe", L"Quillora.exe", "1.0.0", true, true},
                                         InstallCase{L"QuilloraDemoSetup-2.exe", L"Quillora-2.exe", "2.0.0", false,
                                                     false},
                                         InstallCase{L"QuilloraDemoSetup.exe", L"Quillora.exe", "1.0.0", true, false}));

// Tests that the uninstaller, run from a temporary copy, speaks the four-key protocol and
// removes the files and shortcuts; the folder goes too unless the user left a file in it.
TEST_F(DemoPackageTest, UninstallerRemovesTheInstallation) {
  for (const bool userFile : {false, true}) {
    SCOPED_TRACE(userFile ? "with a user file" : "without user files");
    ASSERT_NO_FATAL_FAILURE(InstallOrFail());
    const std::wstring notes = folder_ + L"\\笔记.txt";
    if (userFile) {
      ASSERT_TRUE(testing_support::WriteFileBytes(notes, "mine"));
    }

    const RunResult result = RunUninstaller(folder_);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_GE(result.lines.size(), 3u);
    EXPECT_EQ(result.lines.front(), "Encode=UTF8");
    EXPECT_EQ(result.lines.back(), "State=Success");
    EXPECT_EQ(result.lines[result.lines.size() - 2], "Progress=1.00");
    for (size_t i = 1; i + 1 < result.lines.size(); ++i) {
      EXPECT_EQ(result.lines[i].rfind("Progress=", 0), 0u) << result.lines[i];
    }
    for (const wchar_t* name : {L"Quillora.exe", L"uninst.ep", L"set.ini", L"config.ini", L"uninst.lst"}) {
      EXPECT_FALSE(Exists(folder_ + L"\\" + name)) << Utf8(name);
    }
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(Exists(QuickLaunchLink()));
    EXPECT_EQ(Exists(folder_), userFile);
    if (userFile) {
      EXPECT_EQ(ReadFileBytes(notes), "mine");
      ::DeleteFileW(notes.c_str());
      ::RemoveDirectoryW(folder_.c_str());
    }
  }
}

// Tests that the uninstaller run in place removes everything but its own running file.
TEST_F(DemoPackageTest, UninstallerRunInPlaceKeepsOnlyItself) {
  ASSERT_NO_FATAL_FAILURE(InstallOrFail());
  const std::wstring self = folder_ + L"\\uninst.ep";
  const RunResult result =
      RunProgram(L"\"" + self + L"\" /S -adminact=false -authorizationact=true -console=show _?=" + folder_);
  ASSERT_FALSE(result.lines.empty());
  EXPECT_EQ(result.lines.back(), "State=Success");
  EXPECT_FALSE(Exists(folder_ + L"\\Quillora.exe"));
  EXPECT_FALSE(Exists(DesktopLink()));
  EXPECT_TRUE(Exists(self));
}

// Tests that a second version installed over the first replaces the product and keeps one
// list of what to remove, so that one uninstall leaves nothing behind.
TEST_F(DemoPackageTest, UpgradeOverAnInstallationIsRemovedWhole) {
  ASSERT_NO_FATAL_FAILURE(InstallOrFail());
  const RunResult upgrade = RunPackage(L"QuilloraDemoSetup-2.exe", false, false);
  ASSERT_FALSE(upgrade.lines.empty());
  EXPECT_EQ(upgrade.lines.back(), "State=Success");
  EXPECT_EQ(ReadFileBytes(folder_ + L"\\Quillora.exe"), ReadFileBytes(DemoFile(L"Quillora-2.exe")));
  EXPECT_EQ(demo::ReadInstallRecord(folder_).size(), 6u);  // four files and the two earlier links

  const RunResult removed = RunUninstaller(folder_);
  ASSERT_FALSE(removed.lines.empty());
  EXPECT_EQ(removed.lines.back(), "State=Success");
  EXPECT_FALSE(Exists(folder_));
  EXPECT_FALSE(Exists(DesktopLink()));
}

struct PackageFailureCase {
  const char* name;
  const wchar_t* variable;  // result set through the environment, or
  const wchar_t* option;    // through an extra argument
  std::vector<std::string> lastLines;
  DWORD exitCode;
  bool installed;
  bool reportsResult;
};

class DemoPackageFailureTest : public DemoPackageTest, public testing::WithParamInterface<PackageFailureCase> {};

// Tests that the failure switches give the failure lines (or no result at all) and that a
// failed package installs nothing.
TEST_P(DemoPackageFailureTest, ReportsTheChosenOutcome) {
  const PackageFailureCase& c = GetParam();
  std::unique_ptr<ScopedEnvironment> variable;
  if (c.variable != nullptr) variable = std::make_unique<ScopedEnvironment>(L"QUILLORA_DEMO_SETUP_RESULT", c.variable);
  const RunResult result = RunPackage(L"QuilloraDemoSetup.exe", true, true, c.option != nullptr ? c.option : L"");
  EXPECT_EQ(result.exitCode, c.exitCode);
  ASSERT_GE(result.lines.size(), c.lastLines.size() + 1);
  EXPECT_EQ(result.lines.front(), "Encode=UTF8");
  EXPECT_EQ(std::vector<std::string>(result.lines.end() - static_cast<std::ptrdiff_t>(c.lastLines.size()),
                                     result.lines.end()),
            c.lastLines);
  EXPECT_EQ(HasLineStartingWith(result.lines, "State="), c.reportsResult);
  EXPECT_EQ(Exists(folder_ + L"\\Quillora.exe"), c.installed);
  EXPECT_EQ(Exists(DesktopLink()), c.installed);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DemoPackageFailureTest,
    testing::Values(PackageFailureCase{"fail", L"fail", nullptr, {"Progress=0.50", "State=Fail"}, 1, false, true},
                    PackageFailureCase{"error",
                                       nullptr,
                                       L"-demo-result=error -demo-error=\"磁盘空间 不足\"",
                                       {"Progress=0.50", Utf8(L"Error=磁盘空间 不足"), "State=Fail"},
                                       1,
                                       false,
                                       true},
                    PackageFailureCase{"noresult", L"noresult", nullptr, {"StartupStyle=UserStartup"}, 0, true, false},
                    PackageFailureCase{"abort", nullptr, L"-demo-result=abort", {"Progress=0.50"}, 3, false, false}),
    [](const testing::TestParamInfo<PackageFailureCase>& info) { return std::string(info.param.name); });

// Tests that a folder that is not a full path is refused instead of being installed to
// somewhere relative to the package's working folder.
TEST_F(DemoPackageTest, RefusesARelativeFolder) {
  const RunResult result = RunPackage(L"QuilloraDemoSetup.exe", true, true, L"", L"relative dir\\Quillora");
  EXPECT_EQ(result.exitCode, 1u);
  ASSERT_GE(result.lines.size(), 2u);
  EXPECT_EQ(result.lines[result.lines.size() - 2], Utf8(L"Error=安装目录无效：relative dir\\Quillora"));
  EXPECT_EQ(result.lines.back(), "State=Fail");
  EXPECT_FALSE(Exists(DesktopLink()));
}

// Tests the uninstaller's failure switches, through the environment and the command line:
// the failure lines come and nothing is removed.
TEST_F(DemoPackageTest, UninstallerFailureSwitchesKeepTheInstallation) {
  ASSERT_NO_FATAL_FAILURE(InstallOrFail());
  {
    ScopedEnvironment fail(L"QUILLORA_DEMO_UNINST_RESULT", L"fail");
    const RunResult result = RunUninstaller(folder_);
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_GE(result.lines.size(), 2u);
    EXPECT_EQ(result.lines.front(), "Encode=UTF8");
    EXPECT_EQ(result.lines.back(), "State=Fail");
    EXPECT_FALSE(HasLineStartingWith(result.lines, "Error="));
  }
  {
    const RunResult result = RunUninstaller(folder_, L"-demo-result=error -demo-error=\"文件 被占用\"");
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_GE(result.lines.size(), 3u);
    EXPECT_EQ(result.lines[result.lines.size() - 2], Utf8(L"Error=文件 被占用"));
    EXPECT_EQ(result.lines.back(), "State=Fail");
  }
  EXPECT_TRUE(Exists(folder_ + L"\\Quillora.exe"));
  EXPECT_TRUE(Exists(DesktopLink()));
  EXPECT_EQ(RunUninstaller(folder_).lines.back(), "State=Success");
}

// Tests that the uninstaller refuses a missing or relative folder, and that a damaged list
// cannot make it delete a file outside the installation.
TEST_F(DemoPackageTest, UninstallerStaysInsideTheInstallation) {
  ASSERT_NO_FATAL_FAILURE(InstallOrFail());
  for (const wchar_t* folder : {L"", L"relative\\Quillora"}) {
    const RunResult result = RunUninstaller(folder);
    EXPECT_EQ(result.exitCode, 2u);
    ASSERT_GE(result.lines.size(), 3u);
    EXPECT_EQ(result.lines[1].rfind("Error=", 0), 0u) << result.lines[1];
    EXPECT_EQ(result.lines.back(), "State=Fail");
  }
  const std::wstring outside = root_.File(L"outside.txt");
  ASSERT_TRUE(testing_support::WriteFileBytes(outside, "keep"));
  ASSERT_TRUE(demo::AddToInstallRecord(folder_, {outside}));
  EXPECT_EQ(RunUninstaller(folder_).lines.back(), "State=Success");
  EXPECT_EQ(ReadFileBytes(outside), "keep");
  EXPECT_FALSE(Exists(folder_ + L"\\Quillora.exe"));
}

}  // namespace

namespace {

// The lines of a protocol copy whose writer is |writer|, without stamp and writer; every
// stamp must be a number.
std::vector<std::string> CopiedLines(const std::string& copy, const std::string& writer) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < copy.size()) {
    size_t end = copy.find('\n', start);
    if (end == std::string::npos) end = copy.size();
    const std::string line = copy.substr(start, end - start);
    start = end + 1;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    EXPECT_NE(tab2, std::string::npos) << line;
    if (tab2 == std::string::npos) continue;
    EXPECT_GT(std::atof(line.substr(0, tab1).c_str()), 1.7e9) << line;
    if (line.substr(tab1 + 1, tab2 - tab1 - 1) == writer) lines.push_back(line.substr(tab2 + 1));
  }
  return lines;
}

}  // namespace

// Tests that with a protocol copy named, the package and its uninstaller append exactly the
// lines they write to standard output, each marked with its writer.
TEST_F(DemoPackageTest, ProtocolCopyHoldsWhatBothProgramsWrote) {
  const std::wstring copy = root_.Path() + L"\\protocol.tsv";
  ScopedEnvironment copyPath(L"QUILLORA_DEMO_PROTOCOL_COPY", copy);
  const RunResult installed = RunPackage(L"QuilloraDemoSetup.exe", false, false);
  ASSERT_FALSE(installed.lines.empty());
  ASSERT_EQ(installed.lines.back(), "State=Success");
  const RunResult removed = RunUninstaller(folder_);
  ASSERT_FALSE(removed.lines.empty());

  const std::string written = ReadFileBytes(copy);
  EXPECT_EQ(CopiedLines(written, "package"), installed.lines);
  EXPECT_EQ(CopiedLines(written, "uninstaller"), removed.lines);
  // The package's lines come first: the uninstaller ran afterwards.
  EXPECT_LT(written.find("\tpackage\t"), written.find("\tuninstaller\t"));
}
