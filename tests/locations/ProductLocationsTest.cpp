#include "utils/ProductLocations.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/RegistryOverride.h"
#include "tests/support/TestPaths.h"
#include "utils/Registry.h"

namespace {

using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

Utils::AdminProbes Injected(bool sessionUserIsAdmin, bool processIsAdmin) {
  return {[=] { return sessionUserIsAdmin; }, [=] { return processIsAdmin; }};
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::wstring ProgramFilesDefault() {
  std::wstring base = ShellFolder(CSIDL_PROGRAM_FILESX86);
  if (base.empty()) base = ShellFolder(CSIDL_PROGRAM_FILES);
  return base + L"\\Quillora";
}

std::optional<std::wstring> ReadVariable(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD n = ::GetEnvironmentVariableW(name, value, 32768);
  if (n == 0 || n >= 32768) return std::nullopt;
  return std::wstring(value, n);
}

// Sets (or, with nullptr, removes) an environment variable while it lives.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name), previous_(ReadVariable(name)) {
    ::SetEnvironmentVariableW(name, value);
  }
  ~ScopedVariable() { ::SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const wchar_t* name_;
  std::optional<std::wstring> previous_;
};

// Tests the location rules with HKEY_CURRENT_USER redirected to a key of the test's own, a
// scratch folder standing for installation folders and APPDATA pointing into it.
class ProductLocationsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(override_.Active());
    ASSERT_FALSE(ProgramFilesDefault().empty());
  }
  std::wstring Folder(const wchar_t* name) {
    const std::wstring folder = scratch_.File(name);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
  }
  // Installs a fake copy: a folder with an uninstall entry file.
  std::wstring FakeInstallation(const wchar_t* name) {
    const std::wstring folder = Folder(name);
    EXPECT_TRUE(WriteFileBytes(folder + L"\\uninst.ep", "MZ"));
    return folder;
  }

  testing_support::ScopedCurrentUserOverride override_;
  ScratchDir scratch_;
  ScopedVariable appData_{L"APPDATA", scratch_.File(L"Roaming").c_str()};
};

// No installation recorded: the default depends on both administrator flags.
TEST_F(ProductLocationsTest, DefaultFolderByAdministratorFlags) {
  struct Case {
    bool session;
    bool process;
    std::wstring expected;
  };
  const Case cases[] = {
      {true, true, scratch_.File(L"Roaming\\brisko\\Quillora")},
      {true, false, ProgramFilesDefault()},
      {false, true, ProgramFilesDefault()},
      {false, false, ProgramFilesDefault()},
  };
  for (const Case& c : cases) {
    Utils::ProductLocations locations(Injected(c.session, c.process));
    locations.ReadInstalledLocation();
    EXPECT_EQ(locations.InstalledDir(), L"");
    EXPECT_EQ(locations.UninstallEntry(), L"");
    EXPECT_EQ(locations.GetDefaultInstallDir(), c.expected) << c.session << c.process;
    EXPECT_EQ(locations.SessionUserIsAdmin(), c.session);
    EXPECT_EQ(locations.ProcessIsAdmin(), c.process);
  }
}

// The real probes under Wine: the token is an administrator's but the console user reads
// as a guest, so the program files folder is the default.
TEST_F(ProductLocationsTest, RealProbesUnderWine) {
  Utils::ProductLocations locations;
  EXPECT_EQ(locations.GetDefaultInstallDir(), ProgramFilesDefault());
  EXPECT_FALSE(locations.SessionUserIsAdmin());
  EXPECT_TRUE(locations.ProcessIsAdmin());
}

TEST_F(ProductLocationsTest, AdministratorWithoutAppDataGetsProgramFiles) {
  ScopedVariable noAppData(L"APPDATA", nullptr);
  Utils::ProductLocations locations(Injected(true, true));
  EXPECT_EQ(locations.GetDefaultInstallDir(), ProgramFilesDefault());
}

// InstallPath without UnInstallEp: the entry is derived; the installed folder is the
// default only while that entry file exists.
TEST_F(ProductLocationsTest, InstalledFolderIsDefaultWhileItsEntryExists) {
  const std::wstring installed = FakeInstallation(L"Installed");
  ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", installed));
  Utils::ProductLocations locations(Injected(true, true));
  locations.ReadInstalledLocation();
  EXPECT_EQ(locations.InstalledDir(), installed);
  EXPECT_EQ(locations.UninstallEntry(), installed + L"\\uninst.ep");
  EXPECT_EQ(locations.GetDefaultInstallDir(), installed);
  EXPECT_TRUE(locations.IsDefaultInstallDir(installed));

  ASSERT_TRUE(::DeleteFileW((installed + L"\\uninst.ep").c_str()));
  EXPECT_EQ(locations.GetDefaultInstallDir(), scratch_.File(L"Roaming\\brisko\\Quillora"));
  EXPECT_EQ(locations.InstalledDir(), installed);
}

TEST_F(ProductLocationsTest, RecordedUninstallEntryIsUsedAsIs) {
  const std::wstring installed = Folder(L"Installed");
  const std::wstring entry = FakeInstallation(L"Elsewhere") + L"\\uninst.ep";
  ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", installed));
  ASSERT_TRUE(Utils::WriteRegString(L"UnInstallEp", entry));
  Utils::ProductLocations locations(Injected(false, false));
  locations.ReadInstalledLocation();
  EXPECT_EQ(locations.UninstallEntry(), entry);
  EXPECT_EQ(locations.GetDefaultInstallDir(), installed);
}

// A recorded entry without a folder is no installation.
TEST_F(ProductLocationsTest, EntryWithoutFolderIsNoInstallation) {
  const std::wstring entry = FakeInstallation(L"Orphan") + L"\\uninst.ep";
  ASSERT_TRUE(Utils::WriteRegString(L"UnInstallEp", entry));
  Utils::ProductLocations locations(Injected(false, false));
  locations.ReadInstalledLocation();
  EXPECT_EQ(locations.InstalledDir(), L"");
  EXPECT_EQ(locations.GetDefaultInstallDir(), ProgramFilesDefault());
}

TEST_F(ProductLocationsTest, CustomFolderFromTheEditText) {
  Utils::ProductLocations locations(Injected(false, false));
  const std::wstring defaultDir = ProgramFilesDefault();
  std::wstring defaultWithSlashes = defaultDir;
  for (wchar_t& c : defaultWithSlashes) {
    if (c == L'\\') c = L'/';
  }
  std::wstring defaultUpper = defaultDir;
  ::CharUpperBuffW(defaultUpper.data(), static_cast<DWORD>(defaultUpper.size()));
  struct Case {
    std::wstring typed;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"D:/Apps", L"D:\\Apps\\Quillora"},
      {L"D:\\Apps\\", L"D:\\Apps\\Quillora"},
      {L"D:\\Apps", L"D:\\Apps\\Quillora"},
      {L"D:/Apps/Tools/", L"D:\\Apps\\Tools\\Quillora"},
      {L"D:\\", L"D:\\Quillora"},
      {L"D:\\Apps\\Quillora", L"D:\\Apps\\Quillora\\Quillora"},
      {defaultDir, defaultDir},
      {defaultDir + L"\\", defaultDir},
      {defaultUpper, defaultDir},
      {defaultWithSlashes, defaultDir},
      {defaultDir + L"\\Sub", defaultDir + L"\\Sub\\Quillora"},
  };
  for (const Case& c : cases) EXPECT_EQ(locations.GetCustomInstallDir(c.typed), c.expected) << c.typed.size();
}

// With an installation recorded, its folder typed back is kept as it is.
TEST_F(ProductLocationsTest, CustomFolderKeepsTheInstalledFolder) {
  const std::wstring installed = FakeInstallation(L"Installed");
  ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", installed));
  Utils::ProductLocations locations(Injected(false, false));
  locations.ReadInstalledLocation();
  EXPECT_EQ(locations.GetCustomInstallDir(installed), installed);
  EXPECT_EQ(locations.GetCustomInstallDir(installed + L"\\"), installed);
  EXPECT_EQ(locations.GetCustomInstallDir(ProgramFilesDefault()), ProgramFilesDefault() + L"\\Quillora");
}

TEST_F(ProductLocationsTest, SameFolderTest) {
  struct Case {
    const wchar_t* from;
    const wchar_t* to;
    bool same;
  };
  const Case cases[] = {
      {L"C:\\Apps\\Quillora", L"C:\\Apps\\Quillora", true},
      {L"C:\\Apps\\Quillora", L"c:\\apps\\QUILLORA", true},
      {L"C:\\Apps\\Quillora\\", L"C:\\Apps\\Quillora", true},
      {L"C:\\Apps\\Quillora", L"C:\\Apps\\Quillora\\", true},
      {L"C:\\Apps\\Quillora\\", L"C:\\Apps\\Quillora\\", true},
      {L"C:\\", L"C:\\", true},
      {L"C:\\Apps\\Quillora", L"C:\\Apps", false},
      {L"C:\\Apps", L"C:\\Apps\\Quillora", false},
      {L"C:\\Apps\\Quillora", L"D:\\Apps\\Quillora", false},
      {L"", L"C:\\Apps", false},
      {L"C:\\Apps", L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::IsSameFolder(c.from, c.to), c.same) << wcslen(c.from) << " " << wcslen(c.to);
  }
}

// Only the installed folder's "set.ini" can forbid the uninstall, and only with "false".
TEST_F(ProductLocationsTest, OverrideRule) {
  const std::wstring installed = FakeInstallation(L"Installed");
  const std::wstring other = FakeInstallation(L"Other");
  ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", installed));
  Utils::ProductLocations locations(Injected(false, false));
  locations.ReadInstalledLocation();

  struct Case {
    std::string ini;  // empty: no file
    bool installedDisabled;
  };
  const Case cases[] = {
      {"[Uninstall]\r\nIsOverride=false\r\n", true},  {"[Uninstall]\r\nIsOverride=False\r\n", false},
      {"[Uninstall]\r\nIsOverride=FALSE\r\n", false}, {"[Uninstall]\r\nIsOverride=true\r\n", false},
      {"[Uninstall]\r\nIsOverride=0\r\n", false},     {"[Install]\r\nIsOverride=false\r\n", false},
      {"[Uninstall]\r\nOther=false\r\n", false},      {"", false},
  };
  for (const Case& c : cases) {
    for (const std::wstring& folder : {installed, other}) {
      const std::wstring ini = folder + L"\\set.ini";
      ::DeleteFileW(ini.c_str());
      if (!c.ini.empty()) {
        ASSERT_TRUE(WriteFileBytes(ini, c.ini));
      }
    }
    EXPECT_EQ(locations.IsOverrideDisabled(installed), c.installedDisabled) << c.ini;
    EXPECT_EQ(locations.IsOverrideDisabled(installed + L"\\"), c.installedDisabled) << c.ini;
    EXPECT_FALSE(locations.IsOverrideDisabled(other)) << c.ini;
  }
}

TEST_F(ProductLocationsTest, NoInstallationNoOverride) {
  const std::wstring folder = FakeInstallation(L"Installed");
  ASSERT_TRUE(WriteFileBytes(folder + L"\\set.ini", "[Uninstall]\r\nIsOverride=false\r\n"));
  Utils::ProductLocations locations(Injected(false, false));
  locations.ReadInstalledLocation();
  EXPECT_FALSE(locations.IsOverrideDisabled(folder));
}

TEST_F(ProductLocationsTest, RecordsAFinishedInstallation) {
  const std::wstring folder = FakeInstallation(L"Installed");
  const Utils::ProductLocations locations(Injected(false, false));
  locations.WriteInstalledLocation(folder, L"");
  std::wstring path;
  std::wstring entry;
  ASSERT_TRUE(Utils::ReadRegString(L"InstallPath", path));
  ASSERT_TRUE(Utils::ReadRegString(L"UnInstallEp", entry));
  EXPECT_EQ(path, folder);
  EXPECT_EQ(entry, folder + L"\\uninst.ep");

  Utils::ProductLocations reader(Injected(false, false));
  reader.ReadInstalledLocation();
  EXPECT_EQ(reader.InstalledDir(), folder);
  EXPECT_EQ(reader.UninstallEntry(), folder + L"\\uninst.ep");
}

TEST_F(ProductLocationsTest, RecordsTheReportedEntry) {
  const std::wstring folder = Folder(L"Installed");
  const std::wstring reported = FakeInstallation(L"Reported") + L"\\uninst.ep";
  Utils::ProductLocations(Injected(false, false)).WriteInstalledLocation(folder, reported);
  std::wstring entry;
  ASSERT_TRUE(Utils::ReadRegString(L"UnInstallEp", entry));
  EXPECT_EQ(entry, reported);
}

// A missing entry file leaves the recorded entry as it was (or absent).
TEST_F(ProductLocationsTest, MissingEntryFileKeepsTheOldEntry) {
  const std::wstring folder = Folder(L"NoEntry");
  const Utils::ProductLocations locations(Injected(false, false));
  locations.WriteInstalledLocation(folder, L"");
  std::wstring entry = L"none";
  EXPECT_FALSE(Utils::ReadRegString(L"UnInstallEp", entry));

  ASSERT_TRUE(Utils::WriteRegString(L"UnInstallEp", L"C:\\Old\\uninst.ep"));
  locations.WriteInstalledLocation(folder, folder + L"\\missing.ep");
  ASSERT_TRUE(Utils::ReadRegString(L"UnInstallEp", entry));
  EXPECT_EQ(entry, L"C:\\Old\\uninst.ep");
  std::wstring path;
  ASSERT_TRUE(Utils::ReadRegString(L"InstallPath", path));
  EXPECT_EQ(path, folder);
}

TEST(ProductDataDirTest, AppDataOrSharedDocuments) {
  {
    ScopedVariable appData(L"APPDATA", L"C:\\Users\\amy\\AppData\\Roaming");
    EXPECT_EQ(Utils::GetProductDataDir(), L"C:\\Users\\amy\\AppData\\Roaming\\VelToData\\Quillora");
  }
  {
    ScopedVariable appData(L"APPDATA", L"C:\\Users\\amy\\AppData\\Roaming\\");
    EXPECT_EQ(Utils::GetProductDataDir(), L"C:\\Users\\amy\\AppData\\Roaming\\VelToData\\Quillora");
  }
  {
    ScopedVariable appData(L"APPDATA", nullptr);
    const std::wstring shared = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    ASSERT_FALSE(shared.empty());
    EXPECT_EQ(Utils::GetProductDataDir(), shared + L"\\VelToData\\Quillora");
  }
}

TEST(JoinPathTest, AddsOneSeparator) {
  struct Case {
    std::wstring folder;
    std::wstring name;
    std::wstring joined;
  };
  const Case cases[] = {
      {L"C:\\Apps", L"Quillora", L"C:\\Apps\\Quillora"},
      {L"C:\\Apps\\", L"Quillora", L"C:\\Apps\\Quillora"},
      {L"C:\\", L"Quillora", L"C:\\Quillora"},
      {std::wstring(MAX_PATH, L'a'), L"Quillora", L""},
      {L"C:\\" + std::wstring(250, L'a'), L"Quillora", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::JoinPath(c.folder, c.name), c.joined) << c.folder.size();
}

}  // namespace
