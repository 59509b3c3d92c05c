#include "tracker/IdentityStore.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/support/TestPaths.h"

using namespace velto::tracking;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

std::string Narrow(const std::wstring& path) {
  return std::string(path.begin(), path.end());
}

std::string ReadKey(const std::string& file, const char* section, const char* key) {
  char buffer[256] = {};
  ::GetPrivateProfileStringA(section, key, "<none>", buffer, sizeof buffer, file.c_str());
  return buffer;
}

const std::regex kGuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");

HRESULT WINAPI FailingGuid(GUID*) {
  return E_FAIL;
}

}  // namespace

TEST(IdentityStoreTest, HandoverFileAndSettingsPath) {
  EXPECT_EQ(handoverFilePath("C:\\a\\b\\setup.exe"), "C:\\a\\b\\Set.ini");
  EXPECT_EQ(handoverFilePath("C:/a/b/setup.exe"), "C:\\a\\b\\Set.ini");
  EXPECT_EQ(handoverFilePath("setup.exe"), "\\Set.ini");

  ScratchDir dir;
  const std::string handover = Narrow(dir.File(L"Set.ini"));
  EXPECT_EQ(analyticsSettingsPathFrom(handover), "");  // no file
  ASSERT_TRUE(WriteFileBytes(dir.File(L"Set.ini"), "[Install]\r\nVTUsageAnalyticsIni=C:/data/x.ini\r\n"));
  EXPECT_EQ(analyticsSettingsPathFrom(handover), "C:\\data\\x.ini");
  ASSERT_TRUE(WriteFileBytes(dir.File(L"Set.ini"), "[Install]\r\nOther=1\r\n"));
  EXPECT_EQ(analyticsSettingsPathFrom(handover), "");
}

TEST(IdentityStoreTest, FirstRunCreatesAndSavesANewIdentity) {
  ScratchDir dir;
  const std::string file = Narrow(dir.File(L"a.ini"));
  Identity identity;
  loadIdentity(identity, file);
  renewIdentity(identity, "http://127.0.0.1:1/sa", file);
  EXPECT_TRUE(std::regex_match(identity.distinctId, kGuid)) << identity.distinctId;
  EXPECT_EQ(identity.primaryDistinctId, identity.distinctId);
  EXPECT_FALSE(identity.loggedIn);
  EXPECT_EQ(ReadKey(file, "Base", "DistinctId"), identity.distinctId);
  EXPECT_EQ(ReadKey(file, "Base", "PrimaryDistinctId"), identity.distinctId);
  EXPECT_EQ(ReadKey(file, "Base", "isLogined"), "NG");
  EXPECT_EQ(ReadKey(file, "Base", "URL"), "http://127.0.0.1:1/sa");
  EXPECT_EQ(ReadKey(file, "Base", "UserId"), "");
  EXPECT_EQ(ReadKey(file, "Base", "UserVipLevel"), "0");
}

TEST(IdentityStoreTest, ChangedAddressRenewsFromThePrimaryId) {
  ScratchDir dir;
  const std::string file = Narrow(dir.File(L"a.ini"));
  ASSERT_TRUE(WriteFileBytes(dir.File(L"a.ini"),
                             "[Base]\r\nDistinctId=user-7\r\nPrimaryDistinctId=P-1\r\nUserId=user-7\r\n"
                             "UserVipLevel=3\r\nisLogined=OK\r\nURL=http://old\r\n"));
  Identity identity;
  loadIdentity(identity, file);
  EXPECT_TRUE(identity.loggedIn);
  EXPECT_EQ(identity.vipLevel, 3);
  renewIdentity(identity, "http://new", file);
  EXPECT_EQ(identity.distinctId, "P-1");
  EXPECT_EQ(identity.primaryDistinctId, "P-1");
  EXPECT_EQ(identity.loginId, "");
  EXPECT_FALSE(identity.loggedIn);
  EXPECT_EQ(ReadKey(file, "Base", "UserId"), "");
  EXPECT_EQ(ReadKey(file, "Base", "DistinctId"), "P-1");
  EXPECT_EQ(ReadKey(file, "Base", "URL"), "http://new");
  EXPECT_EQ(ReadKey(file, "Base", "isLogined"), "NG");

  // Same address: kept as it was.
  Identity again;
  ASSERT_TRUE(WriteFileBytes(dir.File(L"a.ini"),
                             "[Base]\r\nDistinctId=user-7\r\nPrimaryDistinctId=P-1\r\nUserId=user-7\r\n"
                             "isLogined=OK\r\nURL=http://new\r\n"));
  loadIdentity(again, file);
  renewIdentity(again, "http://new", file);
  EXPECT_EQ(again.distinctId, "user-7");
  EXPECT_TRUE(again.loggedIn);
}

TEST(IdentityStoreTest, LoginFlagSpellings) {
  struct Case {
    const char* value;
    bool loggedIn;
  };
  const Case cases[] = {{"OK", true}, {"ok", false}, {"OK ", false}, {"NG", false}, {"", false}};
  for (const Case& c : cases) {
    ScratchDir dir;
    // Quoted so that the profile reader keeps a trailing blank.
    ASSERT_TRUE(WriteFileBytes(dir.File(L"a.ini"), std::string("[Base]\r\nDistinctId=d\r\nUserId=u\r\nURL=x\r\n"
                                                               "isLogined=\"") +
                                                       c.value + "\"\r\n"));
    Identity identity;
    loadIdentity(identity, Narrow(dir.File(L"a.ini")));
    EXPECT_EQ(identity.loggedIn, c.loggedIn) << "[" << c.value << "]";
    EXPECT_EQ(identity.primaryDistinctId, "d");  // an empty primary id copies the distinct id
  }
}

TEST(IdentityStoreTest, GuidTextAndFallback) {
  EXPECT_TRUE(std::regex_match(newGuidText(), kGuid));
  EXPECT_NE(newGuidText(), newGuidText());
  const std::string fallback = newGuidText(&FailingGuid);
  // Eight hexadecimal groups joined as "%x%x-%x-%x-%x-%x%x%x"; the fourth is 4xxx, the fifth 8000 to bffe.
  std::smatch m;
  ASSERT_TRUE(
      std::regex_match(fallback, m, std::regex("[0-9a-f]+-[0-9a-f]+-(4[0-9a-f]{3})-([89ab][0-9a-f]{3})-[0-9a-f]+")))
      << fallback;
  EXPECT_NE(newGuidText(&FailingGuid), fallback);  // the generator moves on
}

TEST(IdentityStoreTest, VersionTexts) {
  struct Case {
    SystemVersion version;
    bool is64;
    bool r2;
    const char* text;
  };
  const Case cases[] = {
      {{4, 0, 1381}, false, false, "XP-"},
      {{0, 0, 0}, false, false, "XP-"},
      {{5, 0, 2195}, false, false, "2K"},
      {{5, 1, 2600}, false, false, "XP"},
      {{5, 2, 3790}, true, false, "XP64"},
      {{5, 2, 3790}, false, true, "Server 2003 R2"},
      {{5, 2, 3790}, false, false, "Server 2003"},
      {{5, 3, 0}, false, false, "XP+"},
      {{6, 0, 6000}, true, false, "Vista64"},
      {{6, 0, 6000}, false, false, "Vista"},
      {{6, 1, 7601}, true, false, "7"},
      {{6, 1, 7601}, false, false, "7-32"},
      {{6, 2, 9200}, true, false, "8"},
      {{6, 2, 9200}, false, false, "8-32"},
      {{6, 3, 9600}, false, false, "8.1"},
      {{6, 4, 0}, false, false, "8.1+"},
      {{10, 0, 19045}, true, false, "10"},
      {{10, 0, 22000}, true, false, "11"},
      {{10, 1, 0}, true, false, "11+"},
      {{11, 2, 345}, true, false, "11.2.345"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(osVersionText(c.version, c.is64, c.r2), c.text) << c.version.major << "." << c.version.minor;
  }
  EXPECT_EQ(userAgent("Windows", "10", true), "Mozilla/5.0(Windows 10; Win64;)");
  EXPECT_EQ(userAgent("Windows", "7-32", false), "Mozilla/5.0(Windows 7-32; Win32;)");
}

TEST(IdentityStoreTest, RealSystemAnswers) {
  // The x86_64 test build runs on a 64-bit system; Wine reports a Windows version above 5.
  EXPECT_TRUE(is64BitSystem());
  const SystemVersion version = querySystemVersion();
  EXPECT_GE(version.major, 6u);
  EXPECT_EQ(osName(), "Windows");
  EXPECT_EQ(osVersion(), osVersionText(version, true, false));
  const std::string local = localAppDataFolder();
  ASSERT_FALSE(local.empty());
  EXPECT_NE(local.back(), '\\');
  const DWORD attributes = ::GetFileAttributesA(local.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << local;
}
