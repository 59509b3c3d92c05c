#include "sdk/RecordBuilder.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/sdk/SdkTestSupport.h"

namespace {

using analytics_core::BuildRecord;
using analytics_core::PropertiesNode;
using analytics_core::RecordContext;
using analytics_core::RecordRequest;

const char kLib[] = "\"lib\":{\"$lib\":\"cpp\",\"$lib_method\":\"code\",\"$lib_version\":\"0.9\"}";

// Builds records against super properties holding the library's own two entries.
class RecordBuilderTest : public testing::Test {
 protected:
  RecordBuilderTest() {
    superProperties_.SetString("$lib", "cpp");
    superProperties_.SetString("$lib_version", "0.9");
    context_.superProperties = &superProperties_;
    context_.nowMilliseconds = 1700000000123;
    context_.trackId = 123456789;
  }
  std::optional<std::string> Build(const std::string& type, const std::string& event, const PropertiesNode* props,
                                   const std::string& originalId = "") {
    RecordRequest request;
    request.type = type;
    request.event = event;
    request.properties = props;
    request.distinctId = "device-1";
    request.originalId = originalId;
    std::optional<analytics_core::utils::ObjectNode> record = BuildRecord(request, context_);
    if (!record) return std::nullopt;
    return record->ToJson();
  }

  PropertiesNode superProperties_;
  RecordContext context_;
};

TEST_F(RecordBuilderTest, TrackRecordHasEveryKeyInOrder) {
  PropertiesNode props;
  props.SetString("b", "x");
  props.SetNumber("A", 1);
  props.SetBool("$c", true);
  EXPECT_EQ(Build("track", "vt_task_result", &props),
            std::string("{\"_track_id\":123456789,\"distinct_id\":\"device-1\",\"event\":\"vt_task_result\",") + kLib +
                ",\"properties\":{\"$c\":true,\"$lib\":\"cpp\",\"$lib_version\":\"0.9\",\"A\":1,\"b\":\"x\"},"
                "\"time\":1700000000123,\"type\":\"track\"}");
}

TEST_F(RecordBuilderTest, ProfileRecordsCarryNoEventAndNoSuperProperties) {
  PropertiesNode props;
  props.SetNumber("level", 2);
  EXPECT_EQ(Build("profile_set", "", &props),
            std::string("{\"_track_id\":123456789,\"distinct_id\":\"device-1\",") + kLib +
                ",\"properties\":{\"level\":2},\"time\":1700000000123,\"type\":\"profile_set\"}");
}

TEST_F(RecordBuilderTest, SignupRecordCarriesOriginalIdAndSuperProperties) {
  EXPECT_EQ(Build("track_signup", "$SignUp", nullptr, "device-0"),
            std::string("{\"_track_id\":123456789,\"distinct_id\":\"device-1\",\"event\":\"$SignUp\",") + kLib +
                ",\"original_id\":\"device-0\",\"properties\":{\"$lib\":\"cpp\",\"$lib_version\":\"0.9\"},"
                "\"time\":1700000000123,\"type\":\"track_signup\"}");
}

TEST_F(RecordBuilderTest, GivenTimeReplacesTheClockAndLeavesTheProperties) {
  PropertiesNode props;
  props.SetDateTime("$time", 1600000000, 250);
  const std::optional<std::string> json = Build("track", "e", &props);
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"time\":1600000000250,"), std::string::npos) << *json;
  EXPECT_EQ(json->find("$time"), std::string::npos);
}

TEST_F(RecordBuilderTest, ProjectMovesToTheRecordUnlessEmpty) {
  PropertiesNode props;
  props.SetString("$project", "quillora");
  std::optional<std::string> json = Build("track", "e", &props);
  ASSERT_TRUE(json);
  EXPECT_NE(json->find(std::string(kLib) + ",\"project\":\"quillora\",\"properties\":{\"$lib\""), std::string::npos)
      << *json;
  EXPECT_EQ(json->find("$project"), std::string::npos);

  props.SetString("$project", "");
  json = Build("track", "e", &props);
  ASSERT_TRUE(json);
  EXPECT_EQ(json->find("project"), std::string::npos) << *json;
}

TEST_F(RecordBuilderTest, GivenPropertiesReplaceSuperProperties) {
  PropertiesNode props;
  props.SetString("$lib_version", "9.9");
  const std::optional<std::string> json = Build("track", "e", &props);
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"properties\":{\"$lib\":\"cpp\",\"$lib_version\":\"9.9\"}"), std::string::npos) << *json;
}

TEST_F(RecordBuilderTest, LoginFlagAddsIsLoginId) {
  context_.isLoginId = true;
  const std::optional<std::string> json = Build("profile_set", "", nullptr);
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"properties\":{\"$is_login_id\":true}"), std::string::npos) << *json;
}

TEST_F(RecordBuilderTest, BadInputDropsTheRecordWithItsMessage) {
  struct Case {
    const char* what;
    std::string type;
    std::string event;
    std::function<void(PropertiesNode&)> fill;
    std::string originalId;
    std::string message;
  };
  const Case cases[] = {
      {"key starts with digit", "track", "e", [](PropertiesNode& p) { p.SetNumber("1a", 1); }, "",
       "The Property Key need to be a valid variable name."},
      {"key with hyphen", "profile_set", "", [](PropertiesNode& p) { p.SetNumber("a-b", 1); }, "",
       "The Property Key need to be a valid variable name."},
      {"key of 101 bytes", "track", "e", [](PropertiesNode& p) { p.SetNumber(std::string(101, 'k'), 1); }, "",
       "The Property Key is empty or too long, max length is 100"},
      {"$time as text", "track", "e", [](PropertiesNode& p) { p.SetString("$time", "2024-01-01"); }, "",
       "The property '$time' should be DateTime type."},
      {"$project as number", "track", "e", [](PropertiesNode& p) { p.SetNumber("$project", 1); }, "",
       "The property '$project' should be String type."},
      {"bad event name", "track", "my-event", [](PropertiesNode&) {}, "",
       "The Event Name need to be a valid variable name."},
      {"empty event name", "track", "", [](PropertiesNode&) {}, "",
       "The Event Name is empty or too long, max length is 100"},
      {"empty original id", "track_signup", "$SignUp", [](PropertiesNode&) {}, "", "The Original ID is empty.\n"},
  };
  for (const Case& c : cases) {
    sdk_test::ErrorCapture errors;
    PropertiesNode props;
    c.fill(props);
    EXPECT_FALSE(Build(c.type, c.event, &props, c.originalId)) << c.what;
    EXPECT_EQ(errors.Text(), c.message) << c.what;
  }
}

TEST_F(RecordBuilderTest, ProfileTypesDoNotCheckTheEventName) {
  EXPECT_TRUE(Build("profile_increment", "", nullptr));
  EXPECT_TRUE(Build("profile_append", "not a name", nullptr));
}

TEST(TrackIdTest, DigitsComeFromTwoDrawsAndTheClock) {
  struct Case {
    int first;
    int second;
    int64_t now;
    int64_t id;
  } const cases[] = {
      {0, 0, 1700000001234, 1234},               // "00" "000" "1234"
      {98, 998, 1700000009999, 989989999},       // "98" "998" "9999"
      {99, 999, 1700000000042, 42},              // wraps to 0 and 0
      {12345, 67890, 1700000050007, 699570007},  // "69" "957" "0007"
  };
  for (const Case& c : cases) EXPECT_EQ(analytics_core::MakeTrackId(c.first, c.second, c.now), c.id) << c.first;
}

}  // namespace
