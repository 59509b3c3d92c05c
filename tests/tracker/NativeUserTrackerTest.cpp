#include "tracker/NativeUserTracker.h"

#include <gtest/gtest.h>

#include "tests/tracker/FakeAnalyticsCore.h"
#include "tests/tracker/PropertyMatchers.h"

using namespace velto::tracking;
using tracker_testing::ExpectProperties;
using tracker_testing::FakeAnalyticsCore;
using tracker_testing::ThrownMessage;

TEST(NativeUserTrackerTest, RuleTable) {
  struct Case {
    const char* name;
    NativeUserTracker::Rule rule;
  };
  const Case cases[] = {
      {"$first_visit_time", NativeUserTracker::SetOnce},
      {"vt_first_paid_date", NativeUserTracker::SetOnce},
      {"$ios_install_source", NativeUserTracker::SetOnce},
      {"vt_paid_count", NativeUserTracker::Increment},
      {"vt_consumption", NativeUserTracker::Increment},
      {"vt_visit_count", NativeUserTracker::Increment},
      {"vt_os", NativeUserTracker::Set},
      {"vt_last_paid_date", NativeUserTracker::Set},
      {"vt_city", NativeUserTracker::Set},
      {"oaid", NativeUserTracker::Set},
      {"foo", NativeUserTracker::None},
      {"VT_OS", NativeUserTracker::None},
  };
  for (const Case& c : cases) EXPECT_EQ(NativeUserTracker::ruleOf(c.name), c.rule) << c.name;
}

TEST(NativeUserTrackerTest, DispatchAndMessages) {
  FakeAnalyticsCore core;
  NativeUserTracker user(core);
  std::string function;
  EXPECT_EQ(ThrownMessage([&] { user.ProfileUserPropertyString("vt_paid_count", "x"); }, &function),
            "user property [vt_paid_count] is string type value, it cannot be accumulated!");
  EXPECT_EQ(function, "ProfileUserPropertyString");
  for (auto call : {+[](NativeUserTracker& u) { u.ProfileUserPropertyString("foo", "x"); },
                    +[](NativeUserTracker& u) { u.ProfileUserPropertyNumber("foo", int32_t{1}); },
                    +[](NativeUserTracker& u) { u.ProfileUserPropertyDateTime("foo", 1); }}) {
    EXPECT_EQ(ThrownMessage([&] { call(user); }), "Not supported user property [foo]!");
  }
  EXPECT_NE(ThrownMessage([&] { user.ProfileUserPropertyDateTime("vt_paid_count", 1); }, &function), "");
  EXPECT_EQ(function, "ProfileUserPropertyDateTime");
  EXPECT_TRUE(core.profiles.empty());

  user.ProfileUserPropertyNumber("vt_os", int32_t{7});
  user.ProfileUserPropertyNumber("vt_paid_count", int32_t{1});
  user.ProfileUserPropertyNumber("vt_consumption", 2.5);
  user.ProfileUserPropertyString("vt_os", "Windows");
  user.ProfileUserPropertyString("$ios_install_source", "s");
  ASSERT_EQ(core.profiles.size(), 5u);
  EXPECT_EQ(core.profiles[0].operation, ProfileOperation::Set);
  ExpectProperties(core.profiles[0].properties, {{"vt_os", int32_t{7}}});
  EXPECT_EQ(core.profiles[1].operation, ProfileOperation::Increment);
  EXPECT_EQ(core.profiles[2].operation, ProfileOperation::Increment);
  ExpectProperties(core.profiles[2].properties, {{"vt_consumption", 2.5}});
  EXPECT_EQ(core.profiles[3].operation, ProfileOperation::Set);
  EXPECT_EQ(core.profiles[4].operation, ProfileOperation::SetOnce);
}

TEST(NativeUserTrackerTest, DateTimeInSecondsOrMilliseconds) {
  const int64_t seconds = 1700000000;  // 2023-11-14
  EXPECT_EQ(NativeUserTracker::toDateTime(seconds * 1000 + 123), (DateTimeValue{seconds, 123}));
  EXPECT_EQ(NativeUserTracker::toDateTime(seconds), (DateTimeValue{seconds, 0}));
  EXPECT_EQ(NativeUserTracker::toDateTime(157789440000LL), (DateTimeValue{157789440, 0}));
  EXPECT_EQ(NativeUserTracker::toDateTime(157789439999LL), (DateTimeValue{157789439999LL, 0}));

  FakeAnalyticsCore core;
  NativeUserTracker user(core);
  user.ProfileUserPropertyDateTime("vt_first_visit_date", seconds * 1000 + 5);
  user.ProfileUserPropertyDateTime("vt_last_visit_date", seconds);
  ASSERT_EQ(core.profiles.size(), 2u);
  EXPECT_EQ(core.profiles[0].operation, ProfileOperation::SetOnce);
  ExpectProperties(core.profiles[0].properties, {{"vt_first_visit_date", DateTimeValue{seconds, 5}}});
  EXPECT_EQ(core.profiles[1].operation, ProfileOperation::Set);
  ExpectProperties(core.profiles[1].properties, {{"vt_last_visit_date", DateTimeValue{seconds, 0}}});
}
