#include "utils/Registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/RegistryOverride.h"

namespace {

// Stores raw bytes as a value of the product key, as another tool might.
bool SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

bool SetRawText(const wchar_t* name, const std::wstring& text, bool withZero) {
  const DWORD bytes = static_cast<DWORD>((text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
  return SetRaw(name, REG_SZ, text.c_str(), bytes);
}

// Type and size of a stored value; size 0xFFFFFFFF when it is missing.
struct Stored {
  DWORD type = 0;
  DWORD bytes = 0xFFFFFFFF;
};
Stored QueryRaw(const wchar_t* name) {
  Stored stored;
  ::RegGetValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, name, RRF_RT_ANY | RRF_NOEXPAND, &stored.type, nullptr,
                 &stored.bytes);
  return stored;
}

// Tests the registry helpers with HKEY_CURRENT_USER redirected to a key of the test's own.
class RegistryTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(override_.Active()); }
  testing_support::ScopedCurrentUserOverride override_;
};

TEST_F(RegistryTest, RoundTripsTexts) {
  const std::wstring texts[] = {L"C:\\Program Files (x86)\\Quillora", L"D:\\青蓝工坊\\Quillora", L"",
                                std::wstring(2000, L'x')};
  for (const std::wstring& text : texts) {
    ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", text)) << text.size();
    std::wstring read = L"stale";
    ASSERT_TRUE(Utils::ReadRegString(L"InstallPath", read)) << text.size();
    EXPECT_EQ(read, text);
  }
}

// Tests that this installer stores the text without a terminating zero: the value looks
// exactly like one written directly with the text's length in bytes. (Windows stores that
// size as given; Wine appends the zero that follows the data, so both sizes agree there.)
TEST_F(RegistryTest, WritesExactlyTheTextsBytes) {
  const std::wstring text = L"D:\\Apps\\Quillora";
  ASSERT_TRUE(Utils::WriteRegString(L"InstallPath", text));
  ASSERT_TRUE(SetRawText(L"ReferenceWithout", text, false));
  const Stored stored = QueryRaw(L"InstallPath");
  const Stored reference = QueryRaw(L"ReferenceWithout");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.bytes, reference.bytes);
  EXPECT_TRUE(stored.bytes == text.size() * 2 || stored.bytes == text.size() * 2 + 2) << stored.bytes;
}

// Tests that values with and without a terminating zero, or with text after a zero, read
// as the text before the first zero.
TEST_F(RegistryTest, ReadsValuesOfOtherWriters) {
  const std::wstring text = L"C:\\Users\\amy\\AppData\\Roaming\\brisko\\Quillora";
  ASSERT_TRUE(SetRawText(L"WithZero", text, true));
  ASSERT_TRUE(SetRawText(L"WithoutZero", text, false));
  const std::wstring twoParts = text + std::wstring(1, L'\0') + L"tail";
  ASSERT_TRUE(SetRawText(L"TwoParts", twoParts, true));
  ASSERT_TRUE(SetRaw(L"Expand", REG_EXPAND_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2)));
  const char odd[] = {'A', 0, 'B', 0, 'C'};
  ASSERT_TRUE(SetRaw(L"OddSize", REG_SZ, odd, sizeof(odd)));

  struct Case {
    const wchar_t* name;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"WithZero", text}, {L"WithoutZero", text}, {L"TwoParts", text}, {L"Expand", text}, {L"OddSize", L"AB"},
  };
  for (const Case& c : cases) {
    std::wstring read;
    EXPECT_TRUE(Utils::ReadRegString(c.name, read)) << c.name;
    EXPECT_EQ(read, c.expected) << c.name;
  }
}

// Tests that a missing key, a missing value and a value that is no text all fail and
// leave the text alone.
TEST_F(RegistryTest, MissingOrForeignValuesFail) {
  std::wstring read = L"kept";
  EXPECT_FALSE(Utils::ReadRegString(L"InstallPath", read));
  EXPECT_EQ(read, L"kept");

  const DWORD number = 0x00410041;
  ASSERT_TRUE(SetRaw(L"Number", REG_DWORD, &number, sizeof(number)));
  const wchar_t* names[] = {L"InstallPath", L"Number"};
  for (const wchar_t* name : names) {
    EXPECT_FALSE(Utils::ReadRegString(name, read)) << name;
    EXPECT_EQ(read, L"kept");
  }
}

// Tests that a key that cannot be created is reported as a failed write: below a volatile
// "Software" key no lasting key may be made.
TEST_F(RegistryTest, UncreatableKeyFailsTheWrite) {
  HKEY software = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &software, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(software);
  EXPECT_FALSE(Utils::WriteRegString(L"InstallPath", L"C:\\Quillora"));
  std::wstring read;
  EXPECT_FALSE(Utils::ReadRegString(L"InstallPath", read));
}

}  // namespace
