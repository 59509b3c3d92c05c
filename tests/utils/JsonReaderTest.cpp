#include "utils/JsonReader.h"

#include <gtest/gtest.h>

#include <string>

using Utils::JsonValue;
using Utils::ParseJson;

namespace {

// Tests that every kind of value is read, members keep document order, a later duplicate
// wins in lookups, and comments and blanks are skipped.
TEST(JsonReaderTest, ReadsEveryKindOfValue) {
  JsonValue v;
  ASSERT_TRUE(ParseJson(
      " // leading comment\n{\"a\": [1, -2.5e1, true, false, null], /* inner */ \"b\": {\"c\": \"d\"}, \"a\": 7}\r\n", v));
  ASSERT_EQ(v.kind, JsonValue::Kind::kObject);
  ASSERT_EQ(v.members.size(), 3u);
  EXPECT_EQ(v.members[0].first, "a");
  const JsonValue& list = v.members[0].second;
  ASSERT_EQ(list.kind, JsonValue::Kind::kArray);
  ASSERT_EQ(list.items.size(), 5u);
  EXPECT_EQ(list.items[0].number, 1);
  EXPECT_EQ(list.items[1].number, -25);
  EXPECT_TRUE(list.items[2].boolean);
  EXPECT_EQ(list.items[3].kind, JsonValue::Kind::kBool);
  EXPECT_FALSE(list.items[3].boolean);
  EXPECT_EQ(list.items[4].kind, JsonValue::Kind::kNull);
  EXPECT_EQ(v.Find("b")->Find("c")->text, "d");
  EXPECT_EQ(v.Find("a")->number, 7);  // the later "a"
  EXPECT_EQ(v.Find("missing"), nullptr);
}

// Tests the string escapes, including a surrogate pair, and that raw UTF-8 passes unchanged.
TEST(JsonReaderTest, DecodesStringEscapes) {
  JsonValue v;
  ASSERT_TRUE(ParseJson(R"(["a\"b\\c\/d\b\f\n\r\t", "\u9752\u84dd", "\ud83d\ude00", "青蓝"])", v));
  ASSERT_EQ(v.items.size(), 4u);
  EXPECT_EQ(v.items[0].text, "a\"b\\c/d\b\f\n\r\t");
  EXPECT_EQ(v.items[1].text, "青蓝");
  EXPECT_EQ(v.items[2].text, "\xF0\x9F\x98\x80");
  EXPECT_EQ(v.items[3].text, "青蓝");
}

// Tests which numbers count as whole 32-bit values.
TEST(JsonReaderTest, WholeNumbersWithinIntRange) {
  struct Case {
    const char* text;
    bool isInt;
    int value;
  };
  for (const Case& c : {Case{"104", true, 104}, Case{"-3", true, -3}, Case{"1.0", true, 1}, Case{"1e2", true, 100},
                        Case{"2147483647", true, 2147483647}, Case{"2147483648", false, 0}, Case{"1.5", false, 0},
                        Case{"-2147483649", false, 0}}) {
    JsonValue v;
    ASSERT_TRUE(ParseJson(c.text, v)) << c.text;
    EXPECT_EQ(v.IsInt(), c.isInt) << c.text;
    if (c.isInt) {
      EXPECT_EQ(v.AsInt(), c.value) << c.text;
    }
  }
  JsonValue text;
  ASSERT_TRUE(ParseJson("\"104\"", text));
  EXPECT_FALSE(text.IsInt());
}

// Tests that broken documents are refused rather than half read, and that text after the
// root value is ignored.
TEST(JsonReaderTest, RefusesBrokenDocuments) {
  for (const char* bad : {"", "   ", "{", "[1,]", "{\"a\" 1}", "{\"a\":}", "{a:1}", "[\"open", "\"bad \\x escape\"",
                          "\"\\ud800 alone\"", "\"\\udc00\"", "\"\\u12\"", "tru", "-", "1.", "1e", "[1 2]", "'single'"}) {
    JsonValue v;
    EXPECT_FALSE(ParseJson(bad, v)) << bad;
  }
  std::string deep(300, '[');
  deep += std::string(300, ']');
  JsonValue v;
  EXPECT_FALSE(ParseJson(deep, v));
  std::string fine(200, '[');
  fine += std::string(200, ']');
  EXPECT_TRUE(ParseJson(fine, v));
  EXPECT_TRUE(ParseJson("[1] trailing words", v));
  EXPECT_EQ(v.items.size(), 1u);
}

}  // namespace
