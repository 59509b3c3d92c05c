#include "sdk/Sdk.h"

#include <gtest/gtest.h>

#include <thread>

#include "sdk/RecordConsumer.h"
#include "tests/sdk/SdkTestSupport.h"
#include "tests/support/TestPaths.h"

namespace {

using analytics_core::PropertiesNode;
using analytics_core::Sdk;
using sdk_test::RecordingSender;

// Tests that run the process-wide instance over a recording transport; the instance is shut
// down after each test.
class SdkTest : public testing::Test {
 protected:
  void SetUp() override {
    shared_ = std::make_shared<RecordingSender::Shared>();
    ASSERT_TRUE(Sdk::Init("", std::make_unique<RecordingSender>(shared_), "device-1", false));
  }
  void TearDown() override { Sdk::Shutdown(); }

  // The records sent by a flush.
  std::vector<std::string> FlushedRecords() {
    shared_->bodies.clear();
    EXPECT_TRUE(Sdk::Flush());
    std::vector<std::string> out;
    for (const std::string& body : shared_->bodies) {
      for (std::string& r : sdk_test::SplitBatch(body)) out.push_back(std::move(r));
    }
    return out;
  }

  std::shared_ptr<RecordingSender::Shared> shared_;
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(SdkTest, TrackRecordCarriesLibTwice) {
  PropertiesNode props;
  props.SetString("vt_page", "welcome");
  Sdk::Track("vt_view", props);
  const std::vector<std::string> records = FlushedRecords();
  ASSERT_EQ(records.size(), 1u);
  const std::string& r = records[0];
  EXPECT_TRUE(Has(r,
                  "\"distinct_id\":\"device-1\",\"event\":\"vt_view\","
                  "\"lib\":{\"$lib\":\"cpp\",\"$lib_method\":\"code\",\"$lib_version\":\"0.9\"},"
                  "\"properties\":{\"$lib\":\"cpp\",\"$lib_version\":\"0.9\",\"vt_page\":\"welcome\"},\"time\":"))
      << r;
  EXPECT_TRUE(Has(r, ",\"type\":\"track\"}")) << r;
}

TEST_F(SdkTest, SignupSwitchesIdentityAndMarksLaterRecords) {
  Sdk::TrackSignup("user-42");
  EXPECT_EQ(Sdk::DistinctId(), "user-42");
  EXPECT_TRUE(Sdk::IsLoginId());
  Sdk::TrackLaunchEvent();
  Sdk::ProfileSet("vt_name", std::string("x"));
  const std::vector<std::string> r = FlushedRecords();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_TRUE(Has(r[0], "\"distinct_id\":\"user-42\",\"event\":\"$SignUp\"")) << r[0];
  EXPECT_TRUE(Has(r[0], "\"original_id\":\"device-1\"")) << r[0];
  EXPECT_FALSE(Has(r[0], "$is_login_id")) << r[0];
  EXPECT_TRUE(Has(r[1], "\"distinct_id\":\"user-42\",\"event\":\"VtEventLaunch\"")) << r[1];
  EXPECT_TRUE(Has(r[1], "\"$is_login_id\":true")) << r[1];
  EXPECT_TRUE(Has(r[2], "\"distinct_id\":\"user-42\",\"lib\"")) << r[2];
  EXPECT_TRUE(Has(r[2], "\"properties\":{\"$is_login_id\":true,\"vt_name\":\"x\"}")) << r[2];
}

TEST_F(SdkTest, SignupWithAnUnusableLoginIdKeepsTheIdentity) {
  sdk_test::ErrorCapture errors;
  Sdk::TrackSignup("");
  EXPECT_EQ(Sdk::DistinctId(), "device-1");
  EXPECT_FALSE(Sdk::IsLoginId());
  EXPECT_EQ(errors.Text(), "The Distinct ID is empty.\n");
  EXPECT_TRUE(Sdk::QueuedRecords().empty());
}

TEST_F(SdkTest, ProfileOperationsMakeTheirTypes) {
  PropertiesNode props;
  props.SetNumber("a", 1);
  Sdk::ProfileSet(props);
  Sdk::ProfileSet("s", 2.5);
  Sdk::ProfileSetOnce("o", 7);
  Sdk::ProfileSetOnce(props);
  Sdk::ProfileSetOnce("t", std::string("v"));
  Sdk::ProfileSetOnce("d", 0.25);
  Sdk::ProfileIncrement("i", 3);
  Sdk::ProfileIncrement(props);
  Sdk::ProfileAppend("tags", "blue");
  const std::vector<std::string> r = FlushedRecords();
  ASSERT_EQ(r.size(), 9u);
  const struct {
    const char* properties;
    const char* type;
  } expected[] = {
      {"{\"a\":1}", "profile_set"},
      {"{\"s\":2.5}", "profile_set"},
      {"{\"o\":7}", "profile_set_once"},
      {"{\"a\":1}", "profile_set_once"},
      {"{\"t\":\"v\"}", "profile_set_once"},
      {"{\"d\":0.25}", "profile_set_once"},
      {"{\"i\":3}", "profile_increment"},
      {"{\"a\":1}", "profile_increment"},
      {"{\"tags\":[\"blue\"]}", "profile_append"},
  };
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_TRUE(Has(r[i], std::string("\"properties\":") + expected[i].properties + ",\"time\":")) << r[i];
    EXPECT_TRUE(Has(r[i], std::string("\"type\":\"") + expected[i].type + "\"}")) << r[i];
    EXPECT_FALSE(Has(r[i], "\"event\"")) << r[i];
  }
}

TEST_F(SdkTest, ActivityEventStartsFromAnEmptyInstallSource) {
  PropertiesNode props;
  props.SetNumber("vt_step", 1);
  Sdk::TrackActivityEvent(props);
  PropertiesNode over;
  over.SetString("$ios_install_source", "store");
  Sdk::TrackActivityEvent(over);
  const std::vector<std::string> r = FlushedRecords();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(Has(r[0], "\"event\":\"VtEventActivity\"")) << r[0];
  EXPECT_TRUE(Has(r[0], "\"$ios_install_source\":\"\",")) << r[0];
  EXPECT_TRUE(Has(r[0], "\"vt_step\":1}")) << r[0];
  EXPECT_TRUE(Has(r[1], "\"$ios_install_source\":\"store\",")) << r[1];
}

TEST_F(SdkTest, SuperPropertiesReachEventsOnly) {
  PropertiesNode context;
  context.SetString("vt_channel", "web");
  Sdk::RegisterSuperProperties(context);
  Sdk::Track("e", PropertiesNode());
  Sdk::ProfileSet("k", 1);
  const std::vector<std::string> r = FlushedRecords();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(Has(r[0], "\"vt_channel\":\"web\"")) << r[0];
  EXPECT_FALSE(Has(r[1], "vt_channel")) << r[1];
}

TEST_F(SdkTest, RejectedRecordsAreNotQueued) {
  sdk_test::ErrorCapture errors;
  PropertiesNode props;
  props.SetString("$time", "yesterday");
  Sdk::Track("e", props);
  Sdk::Track("bad name", PropertiesNode());
  EXPECT_TRUE(Sdk::QueuedRecords().empty());
  EXPECT_EQ(errors.Lines().size(), 2u);
}

TEST_F(SdkTest, ASecondInitKeepsTheFirstIdentity) {
  EXPECT_TRUE(Sdk::Init("", "http://127.0.0.1:1/", "device-2", true));
  EXPECT_EQ(Sdk::DistinctId(), "device-1");
  EXPECT_FALSE(Sdk::IsLoginId());
  Sdk::TrackLaunchEvent();
  EXPECT_EQ(FlushedRecords().size(), 1u);  // still the first transport
}

TEST_F(SdkTest, RecordsBuiltWhileAnotherThreadSignsUpAreWhole) {
  std::thread builder([] {
    for (int i = 0; i < 300; ++i) Sdk::TrackLaunchEvent();
  });
  for (int i = 0; i < 50; ++i) {
    PropertiesNode props;
    props.SetNumber("vt_round", i);
    Sdk::RegisterSuperProperties(props);
    Sdk::TrackSignup("user-" + std::to_string(i));
  }
  builder.join();
  const std::vector<std::string> queued = Sdk::QueuedRecords();
  EXPECT_EQ(queued.size(), 350u);
  for (const std::string& r : queued) {
    // A login record always carries a login id, and a device record never claims one.
    const bool device = Has(r, "\"distinct_id\":\"device-1\"");
    const bool signup = Has(r, "\"type\":\"track_signup\"");
    if (!signup) {
      EXPECT_EQ(Has(r, "\"$is_login_id\":true"), !device) << r;
    }
  }
}

TEST(SdkLifecycleTest, WithoutAnInstanceEverythingIsANoOp) {
  EXPECT_FALSE(Sdk::Flush());
  Sdk::Track("e", PropertiesNode());
  Sdk::TrackSignup("u");
  EXPECT_EQ(Sdk::DistinctId(), "");
  EXPECT_TRUE(Sdk::QueuedRecords().empty());
  Sdk::Shutdown();
}

TEST(SdkLifecycleTest, InitRefusesBadDistinctIds) {
  sdk_test::ErrorCapture errors;
  EXPECT_FALSE(Sdk::Init("", "http://127.0.0.1:1/", "", false));
  EXPECT_FALSE(Sdk::Init("", "http://127.0.0.1:1/", std::string(256, 'x'), false));
  EXPECT_EQ(errors.Text(), "The Distinct ID is empty.\nThe Distinct ID is too long, max length is 255.\n");
  EXPECT_EQ(Sdk::DistinctId(), "");
}

TEST(SdkLifecycleTest, ShutdownKeepsUnsentRecordsForTheNextRun) {
  testing_support::ScratchDir scratch(L"sdkrun");
  const std::string folder = sdk_test::Utf8(scratch.Path());

  auto first = std::make_shared<RecordingSender::Shared>();
  first->result = false;
  ASSERT_TRUE(Sdk::Init(folder + "\\", std::make_unique<RecordingSender>(first), "device-1", false));
  for (int i = 0; i < 5; ++i) Sdk::ProfileSet("n", i);
  EXPECT_FALSE(Sdk::Flush());
  const std::vector<std::string> unsent = Sdk::QueuedRecords();
  Sdk::Shutdown();
  std::string expectedFile;
  for (const std::string& r : unsent) expectedFile += r + "\r\n";
  EXPECT_EQ(testing_support::ReadFileBytes(scratch.File(L"analytics_staging.log")), expectedFile);

  auto second = std::make_shared<RecordingSender::Shared>();
  ASSERT_TRUE(Sdk::Init(folder, std::make_unique<RecordingSender>(second), "device-1", false));
  Sdk::TrackLaunchEvent();
  EXPECT_TRUE(Sdk::Flush());
  Sdk::Shutdown();
  ASSERT_EQ(second->bodies.size(), 1u);
  std::vector<std::string> sent = sdk_test::SplitBatch(second->bodies[0]);
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 5), unsent);
  EXPECT_TRUE(Has(sent[5], "VtEventLaunch"));
}

}  // namespace
