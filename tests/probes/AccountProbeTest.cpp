#include <windows.h>

#include <lm.h>

#include <gtest/gtest.h>

#include "utils/SystemProbes.h"

namespace {

// Tests that GUIDs are written as 32 digits, only the third group in lower case.
TEST(GuidTextTest, FormatsEveryGroupWithItsCase) {
  struct Case {
    GUID guid;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{0x1234ABCD, 0xEF01, 0xABCD, {0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}},
       L"1234ABCDEF01abcd6789ABCDEF012345"},
      {{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}, L"00000000000000000000000000000000"},
      {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
       L"FFFFFFFFFFFFffffFFFFFFFFFFFFFFFF"},
      {{0x0000000A, 0x000B, 0x000C, {0x0D, 0x0E, 0x0F, 0x01, 0x02, 0x03, 0x04, 0x05}},
       L"0000000A000B000c0D0E0F0102030405"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::FormatGuidText(c.guid), c.text);
}

// Tests that a fresh GUID has the same shape and that two differ.
TEST(GuidTextTest, NewGuidsAreWellFormedAndDistinct) {
  const std::wstring first = Utils::NewGuidText();
  const std::wstring second = Utils::NewGuidText();
  ASSERT_EQ(first.size(), 32u);
  EXPECT_NE(first, second);
  for (size_t i = 0; i < first.size(); ++i) {
    const wchar_t c = first[i];
    const bool lowerGroup = i >= 12 && i < 16;
    const bool digit = c >= L'0' && c <= L'9';
    const bool upper = c >= L'A' && c <= L'F';
    const bool lower = c >= L'a' && c <= L'f';
    EXPECT_TRUE(digit || (lowerGroup ? lower : upper)) << "position " << i << " in " << first.size();
  }
}

// Tests what the account probes answer under Wine: the token is an administrator's, the
// console user is the logged-on user, and NetUserGetInfo reports that user as a guest, so
// the account check says "not an administrator".
TEST(AccountProbeTest, AnswersOfThisSystem) {
  EXPECT_TRUE(Utils::IsProcessAdmin());

  std::wstring consoleUser = L"unchanged";
  ASSERT_TRUE(Utils::GetConsoleUserName(consoleUser));
  wchar_t self[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(::GetUserNameW(self, &size));
  EXPECT_EQ(consoleUser, self);

  USER_INFO_1* info = nullptr;
  ASSERT_EQ(::NetUserGetInfo(nullptr, consoleUser.c_str(), 1, reinterpret_cast<BYTE**>(&info)), NERR_Success);
  const bool reportedAdmin = info->usri1_priv == USER_PRIV_ADMIN;
  ::NetApiBufferFree(info);
  EXPECT_EQ(Utils::IsAdminAccount(consoleUser), reportedAdmin);
  EXPECT_FALSE(reportedAdmin) << "Wine reports the user as a guest";
}

// Tests that an account the computer does not know is not an administrator.
TEST(AccountProbeTest, UnknownAccountIsNoAdministrator) {
  EXPECT_FALSE(Utils::IsAdminAccount(L"NoSuchAccount-7F3A91"));
  EXPECT_FALSE(Utils::IsAdminAccount(L"EXAMPLE\\Administrator-7F3A91"));
  EXPECT_FALSE(Utils::IsAdminAccount(L""));
}

}  // namespace
