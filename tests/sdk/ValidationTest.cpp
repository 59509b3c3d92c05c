#include "sdk/Validation.h"

#include <gtest/gtest.h>

#include "tests/sdk/SdkTestSupport.h"

namespace {

using analytics_core::CheckIdentifier;
using analytics_core::CheckName;
using analytics_core::CheckStringValue;
using analytics_core::IsValidUtf8;

struct NameCase {
  std::string name;
  bool valid;
  const char* message;  // expected complaint when refused
};

TEST(ValidationTest, NamesFollowTheVariableNameRule) {
  const std::string kEmptyOrLong = "The Property Key is empty or too long, max length is 100";
  const std::string kBadByte = "The Property Key need to be a valid variable name.";
  const NameCase cases[] = {
      {"a", true, ""},
      {"$lib", true, ""},
      {"_private9", true, ""},
      {"Z$_09", true, ""},
      {std::string(100, 'k'), true, ""},
      {"", false, kEmptyOrLong.c_str()},
      {std::string(101, 'k'), false, kEmptyOrLong.c_str()},
      {"9lives", false, kBadByte.c_str()},
      {"has-hyphen", false, kBadByte.c_str()},
      {"has space", false, kBadByte.c_str()},
      {"\xE4\xB8\xAD", false, kBadByte.c_str()},
  };
  for (const NameCase& c : cases) {
    sdk_test::ErrorCapture errors;
    EXPECT_EQ(CheckName(c.name, "Property Key"), c.valid) << c.name;
    EXPECT_EQ(errors.Text(), c.message) << c.name;
  }
}

TEST(ValidationTest, EventNameLabelAppearsInTheMessage) {
  sdk_test::ErrorCapture errors;
  EXPECT_FALSE(CheckName("1st", "Event Name"));
  EXPECT_EQ(errors.Text(), "The Event Name need to be a valid variable name.");
}

TEST(ValidationTest, IdentifiersAreOneTo255Bytes) {
  struct Case {
    std::string id;
    bool valid;
    std::string message;
  } const cases[] = {
      {"x", true, ""},
      {std::string(255, 'd'), true, ""},
      {"any bytes - even spaces", true, ""},
      {"", false, "The Distinct ID is empty.\n"},
      {std::string(256, 'd'), false, "The Distinct ID is too long, max length is 255.\n"},
  };
  for (const Case& c : cases) {
    sdk_test::ErrorCapture errors;
    EXPECT_EQ(CheckIdentifier(c.id, "Distinct ID"), c.valid) << c.id.size();
    EXPECT_EQ(errors.Text(), c.message);
  }
}

TEST(ValidationTest, Utf8UnitsAndControlBytes) {
  struct Case {
    std::string text;
    bool valid;
  } const cases[] = {
      {"", true},
      {"plain ~ text", true},
      {"tab\tlf\ncr\r", true},
      {"\xC2\xA9", true},                  // ©
      {"\xE4\xB8\xAD\xE6\x96\x87", true},  // 中文
      {"\xE0\xA0\x80", true},
      {"\xED\x9F\xBF", true},
      {"\xF0\x9F\x98\x80", true},  // emoji
      {"\xF4\x8F\xBF\xBF", true},
      {"\x01", false},
      {"\x7F", false},
      {"\x1F", false},
      {std::string("a\0b", 3), false},
      {"\xC0\xAF", false},          // overlong
      {"\xC2", false},              // cut off
      {"\xE4\xB8", false},          // cut off
      {"\xE0\x9F\x80", false},      // overlong three-byte
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},
      {"ok\xFF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(ValidationTest, StringValuesUpTo8192BytesAreAccepted) {
  sdk_test::ErrorCapture errors;
  EXPECT_TRUE(CheckStringValue("k", std::string(8192, 'v')));
  EXPECT_TRUE(errors.Text().empty());
  const std::string tooLong(8193, 'v');
  EXPECT_FALSE(CheckStringValue("k", tooLong));
  EXPECT_EQ(errors.Text(), "String property 'k' is too long, value: " + tooLong + "\n");
}

TEST(ValidationTest, InvalidUtf8StringValueIsNamedInTheMessage) {
  sdk_test::ErrorCapture errors;
  EXPECT_FALSE(CheckStringValue("name", "bad\x01"));
  EXPECT_EQ(errors.Text(), "String property 'name' is not valid UTF-8 string, value: bad\x01\n");
}

}  // namespace
