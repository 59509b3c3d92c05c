#include "sdk/VtLocationTime.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/TestPaths.h"

using analytics_core::LocationInfo;
using analytics_core::VtLocationTime;

namespace {

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// The loopback service of this test run (tools/location_service).
class Service {
 public:
  static Service& Get() {
    static Service instance;
    return instance;
  }
  bool Ready() const { return !dir_.empty(); }
  std::string Url(const std::string& mode) const {
    return "http://127.0.0.1:" + Trim(testing_support::ReadFileBytes(dir_ + L"\\service.port")) +
           "/api/location_and_time?mode=" + mode;
  }
  // The logged requests of |mode|, one JSON line each.
  std::vector<std::string> Requests(const std::string& mode) const {
    std::vector<std::string> lines;
    const std::string text = testing_support::ReadFileBytes(dir_ + L"\\requests.jsonl");
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
      const std::string line = text.substr(start, end - start);
      if (line.find("\"mode\": \"" + mode + "\"") != std::string::npos) lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }

 private:
  Service() {
    const char* dir = std::getenv("QUILLORA_LOCATION_DIR");
    if (dir && *dir) dir_ = testing_support::HostPathToWindows(dir);
  }
  std::wstring dir_;
};

template <typename Condition>
bool Eventually(Condition done, int limitMs = 20000) {
  for (int waited = 0; waited < limitMs; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

int64_t MillisecondsOf(void (*call)()) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Tests of the location client against the loopback service; libcurl is set up for the
// whole program and every test destroys the client it started.
class LocationTimeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
  static void TearDownTestSuite() { curl_global_cleanup(); }
  void SetUp() override { ASSERT_TRUE(Service::Get().Ready()) << "QUILLORA_LOCATION_DIR is not set"; }
  void TearDown() override { VtLocationTime::destroy(); }
  const Service& service() const { return Service::Get(); }
};

}  // namespace

TEST(LocationAnswerTest, Credential) {
  // MD5 of "/api/location_and_time&&Kp3vRw8ZtQm5YxJd&1700000000".
  EXPECT_EQ(VtLocationTime::credential("1700000000"), "38893ff918a4816f50b5805eeb05a538");
  EXPECT_NE(VtLocationTime::credential("1700000001"), VtLocationTime::credential("1700000000"));
}

TEST(LocationAnswerTest, AnswerParsing) {
  struct Case {
    const char* body;
    bool accepted;
    const char* ip;
    const char* country;
    const char* city;
  };
  const Case cases[] = {
      {R"({"ip":"1.2.3.4","country":"CN","country_code":"CN","province":"P","city":"C"})", true, "1.2.3.4", "CN", "C"},
      {R"({"ip":"1.2.3.4","region":"x"})", false, "", "", ""},         // no "country" anywhere
      {R"({"country":"CN"})", true, "", "CN", ""},                     // parsed, but no ip
      {R"({"ip":5,"country":"CN","city":null})", true, "", "CN", ""},  // non-strings are skipped
      {R"(["country"])", false, "", "", ""},                           // not an object
      {R"({"country": )", false, "", "", ""},                          // not JSON
  };
  for (const Case& c : cases) {
    LocationInfo info;
    EXPECT_EQ(VtLocationTime::parseAnswer(c.body, info), c.accepted) << c.body;
    EXPECT_EQ(info.ip, c.ip) << c.body;
    EXPECT_EQ(info.country, c.country) << c.body;
    EXPECT_EQ(info.city, c.city) << c.body;
  }
}

TEST_F(LocationTimeTest, AnswerArrivesAfterTheFirstRequest) {
  LocationInfo info;
  EXPECT_FALSE(VtLocationTime::getLocation(info));
  const size_t before = service().Requests("ok").size();
  VtLocationTime::start(service().Url("ok"));
  ASSERT_TRUE(Eventually([&] { return VtLocationTime::getLocation(info); }));
  EXPECT_EQ(info.ip, "203.0.113.7");
  EXPECT_EQ(info.country, "\xE4\xB8\xAD\xE5\x9B\xBD");
  EXPECT_EQ(info.countryCode, "CN");
  EXPECT_EQ(info.province, "\xE6\xB5\x99\xE6\xB1\x9F");
  EXPECT_EQ(info.city, "\xE6\x9D\xAD\xE5\xB7\x9E");
  EXPECT_EQ(VtLocationTime::requestCount(), 1);

  const auto requests = service().Requests("ok");
  ASSERT_FALSE(requests.empty());
  ASSERT_EQ(requests.size(), before + 1);
  EXPECT_NE(requests.back().find("\"credential_ok\": true"), std::string::npos) << requests.back();
  EXPECT_NE(requests.back().find("\"content_type\": \"application/json\""), std::string::npos) << requests.back();

  // Known: a later start sends nothing.
  VtLocationTime::start(service().Url("ok"));
  EXPECT_EQ(VtLocationTime::requestCount(), 1);
  EXPECT_TRUE(VtLocationTime::getLocation(info));
}

TEST_F(LocationTimeTest, FailedAnswersAreAskedAgain) {
  for (const char* mode : {"error", "nocountry", "noip"}) {
    SCOPED_TRACE(mode);
    const size_t before = service().Requests(mode).size();
    VtLocationTime::start(service().Url(mode));
    ASSERT_TRUE(Eventually([&] { return service().Requests(mode).size() >= before + 2; }));
    LocationInfo info;
    EXPECT_FALSE(VtLocationTime::getLocation(info));
    for (const std::string& request : service().Requests(mode)) {
      EXPECT_NE(request.find("\"credential_ok\": true"), std::string::npos) << request;
    }
    VtLocationTime::destroy();
  }
}

TEST_F(LocationTimeTest, SecondStartWhileRunningStartsNoWorker) {
  VtLocationTime::start(service().Url("error"));
  ASSERT_TRUE(Eventually([&] { return VtLocationTime::requestCount() == 1; }));
  VtLocationTime::start(service().Url("error"));  // the worker waits for its next try
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(VtLocationTime::requestCount(), 1);  // a second worker would have asked at once
}

TEST_F(LocationTimeTest, DestroyDuringTheWaitAndDuringARequest) {
  const size_t errors = service().Requests("error").size();
  VtLocationTime::start(service().Url("error"));
  ASSERT_TRUE(Eventually([&] { return service().Requests("error").size() == errors + 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // inside the five-second wait
  // The wait is checked every 100 ms: destroy returns long before the next try.
  EXPECT_LT(MillisecondsOf(&VtLocationTime::destroy), 1000);

  const size_t stalls = service().Requests("stall").size();
  VtLocationTime::start(service().Url("stall"));  // the answer comes after the 1 s time-out
  ASSERT_TRUE(Eventually([&] { return service().Requests("stall").size() == stalls + 1; }));
  EXPECT_LT(MillisecondsOf(&VtLocationTime::destroy), 3000);
  LocationInfo info;
  EXPECT_FALSE(VtLocationTime::getLocation(info));
}

TEST_F(LocationTimeTest, NoServiceAddressKeepsTheLocationEmpty) {
  VtLocationTime::start();
  ASSERT_TRUE(Eventually([&] { return VtLocationTime::requestCount() == 1; }));
  LocationInfo info;
  EXPECT_FALSE(VtLocationTime::getLocation(info));
}
