#include "sdk/PropertiesNode.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <limits>

#include "tests/sdk/SdkTestSupport.h"

namespace {

using analytics_core::PropertiesNode;
using analytics_core::utils::ObjectNode;
using analytics_core::utils::ValueNode;

TEST(PropertiesNodeTest, NumbersUsePercentG) {
  struct Case {
    double value;
    const char* text;
  } const cases[] = {
      {0.5, "0.5"},
      {12.345678, "12.3457"},
      {1000000.0, "1e+06"},
      {3.14159265, "3.14159"},
      {0.0, "0"},
      {-2.5, "-2.5"},
      {123456.0, "123456"},
      {1e-05, "1e-05"},
      {std::numeric_limits<double>::infinity(), "null"},  // JSON has no infinity
  };
  for (const auto& c : cases) {
    PropertiesNode node;
    node.SetNumber("v", c.value);
    EXPECT_EQ(node.ToJson(), std::string("{\"v\":") + c.text + "}") << c.value;
  }
}

TEST(PropertiesNodeTest, IntegersAreDecimal) {
  PropertiesNode node;
  node.SetNumber("a", 3);
  node.SetNumber("b", -2147483647 - 1);
  node.SetValue("c", ValueNode::Int(9007199254740993LL));
  EXPECT_EQ(node.ToJson(), "{\"a\":3,\"b\":-2147483648,\"c\":9007199254740993}");
  EXPECT_EQ(node.Find("a")->GetType(), ValueNode::INT);
}

TEST(PropertiesNodeTest, KeysAreOrderedByBytesWithoutWhiteSpace) {
  PropertiesNode node;
  node.SetBool("b", true);
  node.SetBool("A", false);
  node.SetNumber("$c", 1);
  node.SetNumber("_d", 2);
  EXPECT_EQ(node.ToJson(), "{\"$c\":1,\"A\":false,\"_d\":2,\"b\":true}");
}

TEST(PropertiesNodeTest, StringsAreEscapedByTheRule) {
  PropertiesNode node;
  ASSERT_TRUE(node.SetString("s", "q\"b\\t\tn\nr\rx"));
  ASSERT_TRUE(node.SetString("u", "\xE4\xB8\xAD/"));
  EXPECT_EQ(node.ToJson(), "{\"s\":\"q\\\"b\\\\t\\tn\\nr\\rx\",\"u\":\"\xE4\xB8\xAD/\"}");
}

TEST(PropertiesNodeTest, ControlBytesInUncheckedTextsStayValidJson) {
  PropertiesNode node;
  node.SetList("l", {"a\x01", "\b\f"});
  EXPECT_EQ(node.ToJson(), "{\"l\":[\"a\\u0001\",\"\\b\\f\"]}");
}

TEST(PropertiesNodeTest, RefusedStringsLeaveTheOldValue) {
  sdk_test::ErrorCapture errors;
  PropertiesNode node;
  ASSERT_TRUE(node.SetString("k", "old"));
  EXPECT_FALSE(node.SetString("k", std::string(8193, 'x')));
  EXPECT_FALSE(node.SetString("k", "bad\x7F"));
  EXPECT_TRUE(node.SetString("k8192", std::string(8192, 'x')));
  EXPECT_EQ(node.Find("k")->AsString(), "old");
  EXPECT_EQ(errors.Lines().size(), 2u);
}

TEST(PropertiesNodeTest, SettingAKeyAgainReplacesItsValueAndType) {
  PropertiesNode node;
  node.SetNumber("k", 1);
  node.SetList("k", {"x", "y"});
  EXPECT_EQ(node.ToJson(), "{\"k\":[\"x\",\"y\"]}");
  node.SetList("k", {});
  EXPECT_EQ(node.ToJson(), "{\"k\":[]}");
}

TEST(PropertiesNodeTest, DateTimeIsTheQuotedLocalTime) {
  // 2024-03-05 09:07:03 UTC plus 45 ms, shown in the machine's zone.
  const int64_t seconds = 1709629623;
  SYSTEMTIME utc = {};
  utc.wYear = 2024;
  utc.wMonth = 3;
  utc.wDay = 5;
  utc.wHour = 9;
  utc.wMinute = 7;
  utc.wSecond = 3;
  SYSTEMTIME local = {};
  ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
  char expected[64];
  std::snprintf(expected, sizeof(expected), "{\"t\":\"%04d-%02d-%02d %02d:%02d:%02d.045\"}", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute, local.wSecond);
  PropertiesNode node;
  node.SetDateTime("t", seconds, 45);
  EXPECT_EQ(node.ToJson(), expected);
}

TEST(PropertiesNodeTest, PropertiesIgnoreNestedObjectsButObjectsKeepThem) {
  ObjectNode inner;
  inner.SetNumber("x", 1);
  PropertiesNode props;
  props.SetObject("o", inner);
  EXPECT_EQ(props.ToJson(), "{}");
  ObjectNode& asBase = props;
  asBase.SetObject("o", inner);  // the override applies through the base too
  EXPECT_EQ(props.ToJson(), "{}");

  ObjectNode outer;
  outer.SetObject("o", inner);
  EXPECT_EQ(outer.ToJson(), "{\"o\":{\"x\":1}}");
}

TEST(PropertiesNodeTest, MergeReplacesEqualKeys) {
  PropertiesNode base;
  base.SetNumber("a", 1);
  base.SetNumber("b", 2);
  PropertiesNode over;
  over.SetNumber("b", 20);
  over.SetNumber("c", 30);
  base.Merge(over);
  EXPECT_EQ(base.ToJson(), "{\"a\":1,\"b\":20,\"c\":30}");
}

}  // namespace
