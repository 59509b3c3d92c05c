#include "utils/WindowsVersion.h"

#include <gtest/gtest.h>

TEST(WindowsVersionTest, NamesEveryRowOfTheTable) {
  struct Case {
    unsigned major, minor, build;
    bool r2;
    const wchar_t* name;
  };
  const Case cases[] = {
      {0, 0, 0, false, L"XP-"},       {4, 10, 1998, false, L"XP-"}, {5, 0, 2195, false, L"2K"},
      {5, 1, 2600, false, L"XP"},     {5, 2, 3790, false, L"Server 2003"},
      {5, 2, 3790, true, L"Server 2003 R2"},                        {5, 3, 0, false, L"XP+"},
      {6, 0, 6002, false, L"Vista"},  {6, 1, 7601, false, L"7"},    {6, 2, 9200, false, L"8"},
      {6, 3, 9600, false, L"8.1"},    {6, 4, 9841, false, L"8.1+"}, {10, 0, 22631, false, L"10"},
      {10, 1, 0, false, L"10+"},      {11, 2, 345, false, L"11.2.345"}, {7, 0, 1, true, L"7.0.1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::VersionNameFromNumbers(c.major, c.minor, c.build, c.r2), c.name)
        << c.major << "." << c.minor << "." << c.build;
  }
}

// The test prefix is set to Windows 10; the real probe must see that through ntdll.
TEST(WindowsVersionTest, RealProbeAnswersTheConfiguredVersion) {
  const Utils::WindowsVersionName v = Utils::GetWindowsVersionName();
  EXPECT_EQ(v.family, L"Windows");
  EXPECT_EQ(v.name, L"10");
}
