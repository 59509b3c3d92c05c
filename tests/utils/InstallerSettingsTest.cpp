#include "utils/InstallerSettings.h"

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

using testing_support::ScratchDir;
using testing_support::WriteFileBytes;
using Utils::CommandLine;
using Utils::InstallerSettings;

namespace {

std::wstring Windows7() { return L"7"; }
std::wstring WindowsXp() { return L"XP"; }
std::wstring Windows2000() { return L"2K"; }
std::wstring UnknownOld() { return L"XP-"; }

// Pins the version name that the download route sees.
class ScopedVersionName {
 public:
  explicit ScopedVersionName(Utils::VersionNameSource source)
      : previous_(Utils::SetVersionNameSourceForTesting(source)) {}
  ~ScopedVersionName() { Utils::SetVersionNameSourceForTesting(previous_); }

 private:
  Utils::VersionNameSource previous_;
};

// A settings record read as if the installer lay in a scratch folder with the given
// settings file (none when |ini| is null).
InstallerSettings ReadWithFile(const ScratchDir& dir, const char* ini) {
  if (ini) {
    EXPECT_TRUE(WriteFileBytes(dir.File(L"VeltoInstallerConfig.ini"), ini));
  }
  InstallerSettings settings;
  settings.ReadInstallerConfig(dir.File(L"QuilloraSetup.exe"));
  return settings;
}

}  // namespace

TEST(InstallerSettingsTest, DefaultsWithoutFileAndOptions) {
  ScopedVersionName version(&Windows7);
  ScratchDir dir;
  const InstallerSettings s = ReadWithFile(dir, nullptr);
  EXPECT_EQ(s.DownloadUrl, L"http://download.quillora.example/software/477");
  EXPECT_EQ(s.DownloadType, 1);
  EXPECT_FALSE(s.IsCheckNet);
  EXPECT_TRUE(s.IsEnableAppAnalytics);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
  EXPECT_EQ(s.ExeName, L"QuilloraSetup.exe");
  EXPECT_EQ(s.AppName, L"Quillora");
  EXPECT_EQ(s.AppVersion, L"1.7.9");
  EXPECT_EQ(s.DlAppNameSuffix, L".downloader");
  EXPECT_EQ(s.AbGroup, L"IN");
  EXPECT_EQ(s.Language, -1);
  EXPECT_TRUE(s.CurlReady);
  EXPECT_FALSE(s.InsNew);
}

TEST(InstallerSettingsTest, SectionHeaderOnlyTurnsTheNetworkCheckOn) {
  ScratchDir dir;
  const InstallerSettings s = ReadWithFile(dir, "[Install]\r\n");
  EXPECT_TRUE(s.IsCheckNet);
  EXPECT_TRUE(s.IsEnableAppAnalytics);
  EXPECT_EQ(s.DownloadType, 1);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
  EXPECT_EQ(s.DownloadUrl, L"http://download.quillora.example/software/477");
}

TEST(InstallerSettingsTest, ReadsEveryKeyOfTheFile) {
  ScopedVersionName version(&Windows7);
  ScratchDir dir;
  const InstallerSettings s = ReadWithFile(dir,
                                           "[Install]\r\n"
                                           "DownloadUrl=http://127.0.0.1:8080/${ROUTE}/a/${ROUTE}\r\n"
                                           "DownloadType=3\r\n"
                                           "IsCheckNet=TRUE\r\n"
                                           "IsEnableAppAnalytics=false\r\n"
                                           "DlAppNameSuffix=.x\r\n"
                                           "m_DlAppVersion=2.0\r\n"
                                           "DownloadScale=0.25\r\n"
                                           "InstCmd=-foo=bar\r\n"
                                           "AppName=Other\r\n");
  EXPECT_EQ(s.DownloadUrl, L"http://127.0.0.1:8080/download_silent/a/download_silent");
  EXPECT_EQ(s.DownloadType, 3);
  EXPECT_FALSE(s.IsCheckNet);  // only "true" in lower case is true
  EXPECT_FALSE(s.IsEnableAppAnalytics);
  EXPECT_EQ(s.DlAppNameSuffix, L".x");
  EXPECT_EQ(s.DlAppVersion, L"2.0");
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.25);
  EXPECT_EQ(s.InstCmd, L"-foo=bar");
  EXPECT_EQ(s.AppName, L"Quillora");  // cannot be changed
}

TEST(InstallerSettingsTest, FileNumbersThatAreNotNumbersOrOutOfRange) {
  struct Case {
    const char* ini;
    int type;
    double scale;
  };
  const Case cases[] = {
      {"[Install]\r\nDownloadType=abc\r\nDownloadScale=abc\r\n", 0, 0.0},  // not a number: 0
      {"[Install]\r\nDownloadType=7z\r\nDownloadScale=0.5kb\r\n", 7, 0.5},  // leading digits
      {"[Install]\r\nDownloadType=99999999999\r\nDownloadScale=1e999\r\n", 1, 0.7},  // out of range: kept
      {"[Install]\r\nDownloadType=-2\r\nDownloadScale=-0.5\r\n", -2, -0.5},  // no range checks otherwise
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const InstallerSettings s = ReadWithFile(dir, c.ini);
    EXPECT_EQ(s.DownloadType, c.type) << c.ini;
    EXPECT_DOUBLE_EQ(s.DownloadScale, c.scale) << c.ini;
  }
}

TEST(DownloadRouteTest, ReplacesEveryTokenByTheVersionsRoute) {
  struct Case {
    Utils::VersionNameSource version;
    const wchar_t* address;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {&Windows7, L"http://h/${ROUTE}/x/${ROUTE}", L"http://h/download_silent/x/download_silent"},
      {&WindowsXp, L"http://h/${ROUTE}/x/${ROUTE}", L"http://h/download_silent_xp/x/download_silent_xp"},
      {&UnknownOld, L"http://h/${ROUTE}", L"http://h/download_silent_xp"},
      {&Windows2000, L"http://h/${ROUTE}", L"http://h/download_silent"},
      {&WindowsXp, L"http://h/software/477", L"http://h/software/477"},
      {&Windows7, L"${ROUTE}${ROUTE}", L"download_silentdownload_silent"},
  };
  for (const Case& c : cases) {
    ScopedVersionName version(c.version);
    EXPECT_EQ(Utils::ApplyDownloadRoute(c.address), c.expected) << c.address;
  }
}

TEST(ParseCommandLineTest, OptionsOverrideTheFile) {
  ScopedVersionName version(&WindowsXp);
  InstallerSettings s;
  s.ParseCommandLine(CommandLine(
      L"setup.exe -downloadurl=http://h/${ROUTE}/p -downloadtype=2 -downloadscale=0.5 -ischecknet=true "
      L"-isenableappanalytics=false -dlappnamesuffix=.s -dlappversion=9 -instcmd=a=b -language=9 -insnew=true"));
  EXPECT_EQ(s.DownloadUrl, L"http://h/download_silent_xp/p");
  EXPECT_EQ(s.DownloadType, 2);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.5);
  EXPECT_TRUE(s.IsCheckNet);
  EXPECT_FALSE(s.IsEnableAppAnalytics);
  EXPECT_EQ(s.DlAppNameSuffix, L".s");
  EXPECT_EQ(s.DlAppVersion, L"9");
  EXPECT_EQ(s.InstCmd, L"a=b");
  EXPECT_EQ(s.Language, 9);
  EXPECT_TRUE(s.InsNew);
}

TEST(ParseCommandLineTest, EdgeCasesOfTheOptions) {
  struct Case {
    const wchar_t* line;
    void (*check)(const InstallerSettings&);
  };
  const Case cases[] = {
      {L"s.exe -downloadtype=3 -downloadtype=1", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadType, 3); }},
      {L"s.exe -ischecknet", [](const InstallerSettings& s) { EXPECT_FALSE(s.IsCheckNet); }},
      {L"s.exe -ISCHECKNET=false", [](const InstallerSettings& s) { EXPECT_TRUE(s.IsCheckNet); }},  // ignored
      {L"s.exe -downloadurl=", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadUrl, L""); }},
      {L"s.exe -instcmd=a=b", [](const InstallerSettings& s) { EXPECT_EQ(s.InstCmd, L"a=b"); }},
      {L"s.exe -downloadscale=abc", [](const InstallerSettings& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.3); }},
      {L"s.exe -downloadscale=1e999", [](const InstallerSettings& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.3); }},
      {L"s.exe -downloadscale", [](const InstallerSettings& s) { EXPECT_DOUBLE_EQ(s.DownloadScale, 0.3); }},
      {L"s.exe -downloadtype=abc", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadType, 0); }},
      {L"s.exe -downloadtype", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadType, 0); }},
      {L"s.exe -downloadtype=4294967297", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadType, 5); }},
      {L"s.exe -language=99999999999", [](const InstallerSettings& s) { EXPECT_EQ(s.Language, 4); }},
      {L"s.exe -language=-3", [](const InstallerSettings& s) { EXPECT_EQ(s.Language, -3); }},
      {L"s.exe -dlappversion", [](const InstallerSettings& s) { EXPECT_EQ(s.DlAppVersion, L""); }},
      {L"s.exe unrelated -other=1", [](const InstallerSettings& s) { EXPECT_EQ(s.DownloadType, 5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "line: " << testing::PrintToString(std::wstring(c.line)));
    InstallerSettings s;
    s.IsCheckNet = true;
    s.DownloadScale = 0.3;
    s.DownloadType = 5;
    s.Language = 4;
    s.DlAppVersion = L"old";
    s.ParseCommandLine(CommandLine(c.line));
    c.check(s);
  }
}

TEST(InstallerSettingsTest, AnalyticsUrlFromFileThenCommandLine) {
  struct Case {
    const char* ini;             // null: no settings file
    const wchar_t* commandLine;  // options after the program name
    const wchar_t* expected;
  };
  const Case cases[] = {
      {nullptr, L"", L""},
      {"[Install]\r\n", L"", L""},
      {"[Install]\r\nAnalyticsUrl=http://127.0.0.1:9/sa\r\n", L"", L"http://127.0.0.1:9/sa"},
      {"[Install]\r\nAnalyticsUrl=http://127.0.0.1:9/sa\r\n", L" -analyticsurl=https://a.example/x",
       L"https://a.example/x"},
      {"[Install]\r\nAnalyticsUrl=http://127.0.0.1:9/sa\r\n", L" -analyticsurl=", L""},
      {nullptr, L" -analyticsurl=http://h/p?a=1", L"http://h/p?a=1"},
      {"[Other]\r\nAnalyticsUrl=http://127.0.0.1:9/sa\r\n", L" -AnalyticsUrl=x", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini ? c.ini : "(no file)");
    ScratchDir dir;
    InstallerSettings s = ReadWithFile(dir, c.ini);
    s.ParseCommandLine(CommandLine((std::wstring(L"s.exe") + c.commandLine).c_str()));
    EXPECT_EQ(s.AnalyticsUrl, c.expected);
  }
}
