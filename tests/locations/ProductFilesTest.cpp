#include "utils/ProductFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Tests every file name of an installation, with and without a trailing separator on the
// folder.
TEST(ProductFilesTest, NamesInsideAFolder) {
  using Maker = std::wstring (*)(const std::wstring&);
  struct Case {
    Maker make;
    const wchar_t* name;
  };
  const Case cases[] = {
      {&Utils::UninstallEntryPath, L"uninst.ep"},     {&Utils::InstallationSettingsPath, L"set.ini"},
      {&Utils::InstalledLanguagePath, L"config.ini"}, {&Utils::PackagePath, L"__Package_Quillora.exe"},
      {&Utils::ProductExePath, L"Quillora.exe"},      {&Utils::UninstallerCopyPath, L"Quillora_un_asa.exe"},
  };
  for (const Case& c : cases) {
    const std::wstring expected = std::wstring(L"D:\\Apps\\Quillora\\") + c.name;
    EXPECT_EQ(c.make(L"D:\\Apps\\Quillora"), expected);
    EXPECT_EQ(c.make(L"D:\\Apps\\Quillora\\"), expected);
  }
}

TEST(ProductFilesTest, FileInFolderAddsOneSeparator) {
  EXPECT_EQ(Utils::FileInFolder(L"C:\\", L"a.txt"), L"C:\\a.txt");
  EXPECT_EQ(Utils::FileInFolder(L"C:\\Temp\\~VelToTemp.92482B06FB471E17\\", L"x.exe"),
            L"C:\\Temp\\~VelToTemp.92482B06FB471E17\\x.exe");
  EXPECT_EQ(Utils::FileInFolder(L"C:\\Temp", L"x.exe"), L"C:\\Temp\\x.exe");
}

}  // namespace
