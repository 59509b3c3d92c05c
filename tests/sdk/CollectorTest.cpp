// Tests that post real batches to the loopback collectors started by the CTest fixture
// (tools/collector): wire format, status handling, time-out, refused connections and TLS.

#include <windows.h>

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstdlib>

#include "sdk/RecordConsumer.h"
#include "sdk/RecordSender.h"
#include "sdk/Sdk.h"
#include "tests/sdk/SdkTestSupport.h"
#include "tests/support/TestPaths.h"

namespace {

using analytics_core::PropertiesNode;
using analytics_core::RecordConsumer;
using analytics_core::RecordSender;

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// The collectors of this test run: their folder, ports and certificate authorities.
class Collectors {
 public:
  static Collectors& Get() {
    static Collectors instance;
    return instance;
  }
  bool Ready() const { return !dir_.empty(); }
  std::string Port(const wchar_t* name) const { return Trim(testing_support::ReadFileBytes(File(name, L".port"))); }
  std::string Url(const wchar_t* name, const std::string& scheme, const std::string& pathAndQuery) const {
    return scheme + "://127.0.0.1:" + Port(name) + pathAndQuery;
  }
  std::string Http(const std::string& pathAndQuery) const { return Url(L"http", "http", pathAndQuery); }
  std::string CaPem(const wchar_t* name) const { return testing_support::ReadFileBytes(File(name, L".pem")); }
  // Records stored for a sink, one per line.
  std::vector<std::string> Records(const std::wstring& sink) const {
    return Lines(testing_support::ReadFileBytes(dir_ + L"\\out\\" + sink + L".jsonl"));
  }
  std::vector<std::string> Requests(const std::wstring& sink) const {
    return Lines(testing_support::ReadFileBytes(dir_ + L"\\out\\" + sink + L".requests.jsonl"));
  }

 private:
  Collectors() {
    const char* dir = std::getenv("QUILLORA_COLLECTOR_DIR");
    if (dir && *dir) dir_ = testing_support::HostPathToWindows(dir);
  }
  std::wstring File(const wchar_t* name, const wchar_t* suffix) const { return dir_ + L"\\" + name + suffix; }
  std::wstring dir_;
};

// Tests that need the collectors; libcurl is set up for the whole program.
class CollectorTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
  static void TearDownTestSuite() { curl_global_cleanup(); }
  void SetUp() override { ASSERT_TRUE(Collectors::Get().Ready()) << "QUILLORA_COLLECTOR_DIR is not set"; }
  const Collectors& collectors() const { return Collectors::Get(); }
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CollectorTest, RecordsArriveByteIdenticalToTheQueue) {
  RecordConsumer consumer("", std::make_unique<RecordSender>(collectors().Http("/collect/identical")));
  for (int i = 0; i < 40; ++i) {
    PropertiesNode props;
    props.SetNumber("n", i);
    props.SetNumber("ratio", i / 7.0);
    props.SetString("text", "\xE9\x9D\x92\xE8\x93\x9D \"q\" \\ \t\r\n end");
    props.SetList("tags", {"a", "\xE5\xB7\xA5"});
    props.SetDateTime("when", 1700000000 + i, 5);
    consumer.AddRecord(props);
  }
  const std::deque<std::string> queued = consumer.Records();
  ASSERT_TRUE(consumer.FlushAll());
  EXPECT_TRUE(RecordSender::LastSendResult());
  EXPECT_EQ(collectors().Records(L"identical"), std::vector<std::string>(queued.begin(), queued.end()));

  const std::vector<std::string> requests = collectors().Requests(L"identical");
  ASSERT_EQ(requests.size(), 2u);  // 30 and 10
  for (const std::string& r : requests) {
    EXPECT_TRUE(Has(r, "\"user_agent\": \"VeltoAnalytics CPP SDK 0.9\"")) << r;
    EXPECT_TRUE(Has(r, "\"content_type\": \"application/x-www-form-urlencoded\"")) << r;
    EXPECT_TRUE(Has(r, "\"body_start\": \"data_list=\"")) << r;
    EXPECT_TRUE(Has(r, "\"body_end\": \"&gzip=1\"")) << r;
    EXPECT_TRUE(Has(r, "\"cookie\": null")) << r;
  }
  EXPECT_TRUE(Has(requests[0], "\"records\": 30")) << requests[0];
  EXPECT_TRUE(Has(requests[1], "\"records\": 10")) << requests[1];
}

TEST_F(CollectorTest, CookieHeaderReachesTheServer) {
  RecordConsumer consumer("", std::make_unique<RecordSender>(collectors().Http("/cookie")));
  consumer.SetCookie("sid=abc");
  PropertiesNode props;
  props.SetNumber("n", 1);
  consumer.AddRecord(props);
  ASSERT_TRUE(consumer.FlushAll());
  const std::vector<std::string> requests = collectors().Requests(L"cookie");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(Has(requests[0], "\"cookie\": \"sid=abc\"")) << requests[0];
}

TEST_F(CollectorTest, OnlyStatus200IsSuccess) {
  const struct {
    const char* query;
    bool ok;
  } cases[] = {
      {"?status=204", false}, {"?status=302", false}, {"?status=500", false}, {"?status=201", false}, {"", true},
  };
  for (const auto& c : cases) {
    sdk_test::ErrorCapture errors;
    RecordSender sender(collectors().Http(std::string("/status") + c.query));
    EXPECT_EQ(sender.Send("[{\"n\":1}]", {}), c.ok) << c.query;
    EXPECT_EQ(RecordSender::LastSendResult(), c.ok) << c.query;
    EXPECT_EQ(Has(errors.Text(), "VeltoAnalytics SDK send failed: "), !c.ok) << c.query;
  }
}

TEST_F(CollectorTest, TheServerBodyOfAFailureIsReported) {
  sdk_test::ErrorCapture errors;
  RecordSender sender(collectors().Http("/status?status=503"));
  EXPECT_FALSE(sender.Send("[{\"n\":1}]", {}));
  EXPECT_EQ(errors.Text(), "VeltoAnalytics SDK send failed: status 503\n");
}

TEST_F(CollectorTest, AFailedBatchStaysQueued) {
  RecordConsumer consumer("", std::make_unique<RecordSender>(collectors().Http("/failing?status=302")));
  sdk_test::ErrorCapture errors;
  for (int i = 0; i < 3; ++i) consumer.AddRecord(PropertiesNode());
  EXPECT_FALSE(consumer.FlushAll());
  EXPECT_EQ(consumer.Size(), 3u);
  EXPECT_TRUE(collectors().Records(L"failing").empty());
}

TEST_F(CollectorTest, UnreachableServersFailWithLibcurlsError) {
  // A refused connection fails at once; a server that never answers is given up by the
  // 3-second time-out (the stall lasts a minute), so the error is a time-out.
  const struct {
    std::string url;
    std::string error;
  } cases[] = {
      {collectors().Url(L"refuse", "http", "/refused"), curl_easy_strerror(CURLE_COULDNT_CONNECT)},
      {collectors().Http("/stalled?stall=60"), curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)},
      {"", curl_easy_strerror(CURLE_URL_MALFORMAT)},
  };
  for (const auto& c : cases) {
    RecordSender before(collectors().Http("/before"));
    ASSERT_TRUE(before.Send("[{\"n\":1}]", {}));
    ASSERT_TRUE(RecordSender::LastSendResult());

    sdk_test::ErrorCapture errors;
    RecordSender sender(c.url);
    const analytics_core::HttpResponse response = sender.Post("data_list=x&gzip=1", {});
    EXPECT_EQ(response.status, -1) << c.url;
    EXPECT_EQ(response.body, c.error) << c.url;
    EXPECT_FALSE(sender.Send("[{\"n\":1}]", {})) << c.url;
    EXPECT_FALSE(RecordSender::LastSendResult()) << c.url;
    EXPECT_EQ(errors.Text(), "VeltoAnalytics SDK send failed: " + c.error + "\n") << c.url;
  }
  EXPECT_TRUE(collectors().Records(L"stalled").empty());
}

TEST_F(CollectorTest, HttpsIsVerifiedAgainstTheGivenAuthority) {
  const std::string good = collectors().CaPem(L"ca");
  const std::string other = collectors().CaPem(L"other-ca");
  ASSERT_FALSE(good.empty());
  ASSERT_FALSE(other.empty());
  const struct {
    const char* what;
    std::string url;
    std::string ca;
    bool ok;
    CURLcode error;
  } cases[] = {
      {"trusted", collectors().Url(L"https", "https", "/tls"), good, true, CURLE_OK},
      {"unknown authority", collectors().Url(L"https", "https", "/tls"), other, false, CURLE_PEER_FAILED_VERIFICATION},
      {"wrong host name", collectors().Url(L"https-wronghost", "https", "/tls"), good, false,
       CURLE_PEER_FAILED_VERIFICATION},
  };
  for (const auto& c : cases) {
    sdk_test::ErrorCapture errors;
    RecordSender sender(c.url, c.ca);
    const analytics_core::HttpResponse response = sender.Post(*RecordSender::BuildRequestBody("[{\"n\":1}]"), {});
    EXPECT_EQ(response.status, c.ok ? 200 : -1) << c.what << ": " << response.body;
    if (!c.ok) {
      EXPECT_EQ(response.body, curl_easy_strerror(c.error)) << c.what;
    }
  }
  EXPECT_EQ(collectors().Records(L"tls").size(), 1u);
}

TEST_F(CollectorTest, UnsentRecordsOfOneRunAreSentFirstByTheNext) {
  testing_support::ScratchDir scratch(L"sdkcollect");
  const std::string folder = sdk_test::Utf8(scratch.Path());

  sdk_test::ErrorCapture errors;
  ASSERT_TRUE(analytics_core::Sdk::Init(folder, collectors().Http("/runs?status=500"), "device-7", false));
  for (int i = 0; i < 5; ++i) analytics_core::Sdk::ProfileSet("n", i);
  EXPECT_FALSE(analytics_core::Sdk::Flush());
  const std::vector<std::string> unsent = analytics_core::Sdk::QueuedRecords();
  analytics_core::Sdk::Shutdown();
  ASSERT_EQ(unsent.size(), 5u);
  EXPECT_EQ(Lines(testing_support::ReadFileBytes(scratch.File(L"analytics_staging.log"))).size(), 5u);

  ASSERT_TRUE(analytics_core::Sdk::Init(folder, collectors().Http("/runs"), "device-7", false));
  analytics_core::Sdk::TrackLaunchEvent();
  EXPECT_TRUE(analytics_core::Sdk::Flush());
  analytics_core::Sdk::Shutdown();
  const std::vector<std::string> stored = collectors().Records(L"runs");
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(stored.begin(), stored.begin() + 5), unsent);
  EXPECT_TRUE(Has(stored[5], "\"event\":\"VtEventLaunch\"")) << stored[5];
}

}  // namespace
