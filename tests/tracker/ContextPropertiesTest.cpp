#include "tracker/VtContextProperties.h"

#include <gtest/gtest.h>

#include "tests/tracker/PropertyMatchers.h"

using namespace velto::tracking;
using tracker_testing::ThrownMessage;

TEST(ContextPropertiesTest, AbValueRule) {
  struct Case {
    const char* value;
    bool valid;
    const char* message;  // for invalid non-empty values
  };
  const Case cases[] = {
      {"IN", true, ""},
      {"A", true, ""},
      {"B2", true, ""},
      {"X9Z", true, ""},
      {"", false, ""},
      {"in", false, "First char is not in A to Z"},
      {"1A", false, "First char is not in A to Z"},
      {"Ab", false, "second char is not in A to Z and 0 to 9"},
      {"AB_", false, "third char is not in A to Z and 0 to 9"},
      {"ABCD", false, "value's length is great than 3."},
      {"\xe4\xb8\xad", false, "First char is not in A to Z"},  // one Chinese character, three bytes
  };
  for (const Case& c : cases) {
    bool result = false;
    std::string function;
    const std::string message =
        ThrownMessage([&] { result = VtContextProperties::isValidABValue(c.value); }, &function);
    EXPECT_EQ(message, c.message) << c.value;
    if (message.empty()) {
      EXPECT_EQ(result, c.valid) << c.value;
    } else {
      EXPECT_EQ(function, "isValidABValue");
    }
  }
}

TEST(ContextPropertiesTest, SetPropertyOnceAndKindLimits) {
  VtContextProperties context;
  context.setProperty("IN", {3, 4});
  ASSERT_EQ(context.getEventProperties(3).size(), 1u);
  EXPECT_EQ(*context.getEventProperties(4)[0].value, "IN");
  EXPECT_EQ(context.getEventProperties(4)[0].name, "vtc_ab");
  EXPECT_TRUE(context.getEventProperties(7).empty());

  std::string function;
  EXPECT_EQ(ThrownMessage([&] { context.setProperty("B", {7}); }, &function), "Property[vtc_ab] already exist!");
  EXPECT_EQ(function, "setProperty");
  EXPECT_TRUE(context.getEventProperties(7).empty());

  VtContextProperties overflow;
  EXPECT_EQ(ThrownMessage([&] { overflow.setProperty("A", {7, 15, 8}); }, &function), "VtEvent[15] overflow!");
  EXPECT_EQ(function, "setProperty");
  EXPECT_EQ(overflow.getEventProperties(7).size(), 1u);  // kept
  EXPECT_TRUE(overflow.getEventProperties(8).empty());
  EXPECT_EQ(ThrownMessage([&] { overflow.getEventProperties(15); }, &function), "VtEvent[15] overflow!");
  EXPECT_EQ(function, "getEventProperties");
}

TEST(ContextPropertiesTest, OnlyTheEventsKindGetsTheValue) {
  VtContextProperties clickOnly;
  clickOnly.setProperty("IN", {static_cast<int32_t>(VtEvent::Click)});
  EventProperties task;
  task.set("vt_task_name", std::string("t"));
  clickOnly.addTo(task, VtEvent::Task);
  EXPECT_FALSE(task.has("vtc_ab"));
  EventProperties click;
  click.set("vtc_ab", std::string("old"));
  clickOnly.addTo(click, VtEvent::Click);
  EXPECT_EQ(click.text("vtc_ab"), "IN");  // overwritten
  EXPECT_EQ(click.size(), 1u);
}
