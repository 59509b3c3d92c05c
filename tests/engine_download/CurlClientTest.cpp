#include "engine/CurlClient.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CurlDownloader.h"
#include "tests/engine_download/DownloadTestSupport.h"
#include "tests/support/TestPaths.h"
#include "utils/DebugLog.h"

namespace {

using download_test::FileSize;

struct ProgressCall {
  void* owner;
  double speed;
  double zero;
  double percent;
};
std::vector<ProgressCall> g_progress;
void RecordProgress(void* owner, double speed, double zero, double percent) {
  g_progress.push_back({owner, speed, zero, percent});
}

int64_t g_now = 0;
int64_t FakeClock() {
  return g_now;
}

std::vector<std::wstring> g_lines;
void CaptureLine(const wchar_t* line) {
  g_lines.push_back(line);
}

std::vector<std::wstring> g_reasons;
void RecordReason(const std::wstring& reason) {
  g_reasons.push_back(reason);
}

// Tests of the client that need no server: a fake clock for the progress throttle and
// file:/// addresses for the probes and the transfer.
class CurlClientTest : public testing::Test {
 protected:
  void SetUp() override {
    g_progress.clear();
    g_lines.clear();
    g_reasons.clear();
    CurlClient::SetClockForTesting(&FakeClock);
    CurlClient::SetFailureReporter(&RecordReason);
    previousSink_ = Utils::SetLogSinkForTesting(&CaptureLine);
  }
  void TearDown() override {
    Utils::SetLogSinkForTesting(previousSink_);
    CurlClient::SetClockForTesting(nullptr);
    CurlClient::SetFailureReporter(nullptr);
  }
  size_t ProgressLogLines() const {
    size_t n = 0;
    for (const auto& l : g_lines) n += l.find(L"progress:") != std::wstring::npos ? 1 : 0;
    return n;
  }
  Utils::LogSink previousSink_ = nullptr;
};

// A file:/// address of a Windows path ("C:\a b\c" gives "file:///C:/a%20b/c").
std::wstring FileUrl(const std::wstring& path) {
  std::wstring url = L"file:///";
  for (wchar_t c : path) {
    if (c == L'\\') {
      url += L'/';
    } else if (c == L' ') {
      url += L"%20";
    } else {
      url += c;
    }
  }
  return url;
}

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 2654435761u) >> 13);
  return s;
}

// Tests that progress is evaluated at most once per whole second: a second call in the
// same second reaches nobody, a call in a later second does; a percent of 0 calls
// nothing and writes no log line; the owner and a zero third argument are passed.
TEST_F(CurlClientTest, ProgressIsThrottledToOncePerSecond) {
  int owner = 0;
  CurlClient client(L"http://127.0.0.1:9/x", L"C:\\nowhere\\x.bin", &owner, &RecordProgress);
  struct Step {
    int64_t now;
    curl_off_t total, received;
    bool expectCall;
    double percent;
  };
  const Step steps[] = {
      {100, 1000, 250, true, 25.0},    // first evaluation
      {100, 1000, 500, false, 0},      // same second
      {101, 1000, 500, true, 50.0},    // next second
      {101, 1000, 900, false, 0},      // same second again
      {103, 1000, 0, false, 0},        // nothing received: percent 0
      {104, 0, 10, false, 0},          // nothing expected
      {104, 1000, 1000, false, 0},     // the second was used by the step above
      {105, 1000, 1000, true, 100.0},  // complete
  };
  for (const Step& s : steps) {
    const size_t before = g_progress.size();
    const size_t linesBefore = ProgressLogLines();
    g_now = s.now;
    EXPECT_EQ(CurlClient::ProgressCallback(&client, s.total, s.received, 0, 0), 0);
    ASSERT_EQ(g_progress.size(), before + (s.expectCall ? 1 : 0)) << "at second " << s.now;
    EXPECT_EQ(ProgressLogLines(), linesBefore + (s.expectCall ? 1 : 0)) << "at second " << s.now;
    if (s.expectCall) {
      EXPECT_EQ(g_progress.back().owner, &owner);
      EXPECT_DOUBLE_EQ(g_progress.back().zero, 0.0);
      EXPECT_DOUBLE_EQ(g_progress.back().percent, s.percent);
    }
  }
}

// Tests that a stop request makes the transfer-information function abort the transfer.
TEST_F(CurlClientTest, StopRequestAbortsTheTransfer) {
  CurlClient client(L"http://127.0.0.1:9/x", L"C:\\nowhere\\x.bin", nullptr, &RecordProgress);
  g_now = 500;
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 10, 5, 0, 0), 0);
  client.RequestStop();
  g_now = 600;
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 10, 6, 0, 0), 1);
  EXPECT_EQ(g_progress.size(), 1u);
}

// Tests the digest segment taken from the real address: the text between its last two
// slashes.
TEST_F(CurlClientTest, ExpectedDigestIsTheSecondToLastSegment) {
  const struct {
    const char* url;
    const char* digest;
  } cases[] = {
      {"http://h/0123456789abcdef0123456789abcdef/p.exe", "0123456789abcdef0123456789abcdef"},
      {"http://h/a/B/p.exe", "B"},
      {"http://h/p.exe", "h"},
      {"http://h//p.exe", ""},
      {"p.exe", ""},
      {"/p.exe", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CCurlDownloader::ExpectedDigest(c.url), c.digest) << c.url;
}

// Tests a file:/// address into a folder whose name no ANSI code page of the test prefix
// can spell: neither probe sees an HTTP status, so the failure reason is reported twice,
// and the transfer still completes byte for byte, leaving no partial file.
TEST_F(CurlClientTest, FileUrlIntoAChineseFolder) {
  testing_support::ScratchDir dir(L"client");
  const std::wstring folder = dir.File(L"青蓝工坊下载");
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  BOOL lossy = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr, &lossy);
  ASSERT_TRUE(lossy) << "the folder name must lie outside the prefix's ANSI code page";

  const std::string bytes = Pattern(1048576 + 4321);
  const std::wstring source = folder + L"\\源 文件.bin";
  ASSERT_TRUE(testing_support::WriteFileBytes(source, bytes));
  const std::wstring destination = folder + L"\\__Package_Quillora.exe";

  CurlClient client(FileUrl(source), destination, nullptr, &RecordProgress);
  EXPECT_EQ(client.Start(), 0);
  EXPECT_EQ(testing_support::ReadFileBytes(destination), bytes);
  EXPECT_EQ(FileSize(destination + L".part"), -1);
  EXPECT_DOUBLE_EQ(client.FileLength(), static_cast<double>(bytes.size()));
  EXPECT_EQ(g_reasons, std::vector<std::wstring>(2, L"1.获取文件大小的状态码为=0；"));
}

// Tests the 1 MiB floor on file:/// sources: one byte less is refused with -998 before
// anything is written; exactly 1 MiB is fetched.
TEST_F(CurlClientTest, OneMebibyteFloor) {
  testing_support::ScratchDir dir(L"client");
  for (const size_t size : {size_t{1048575}, size_t{1048576}}) {
    const std::wstring source = dir.File(L"src" + std::to_wstring(size));
    ASSERT_TRUE(testing_support::WriteFileBytes(source, Pattern(size)));
    const std::wstring destination = dir.File(L"dst" + std::to_wstring(size));
    CurlClient client(FileUrl(source), destination, nullptr, &RecordProgress);
    const int result = client.Start();
    if (size < 1048576) {
      EXPECT_EQ(result, CurlClient::kNoFileLength);
      EXPECT_EQ(FileSize(destination), -1);
      EXPECT_EQ(FileSize(destination + L".part"), -1);
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(FileSize(destination), static_cast<int64_t>(size));
    }
  }
}

// Tests that a partial file that cannot be opened (its folder is missing) ends the
// attempt with -996 and keeps the system's message.
TEST_F(CurlClientTest, PartialFileThatCannotBeOpened) {
  testing_support::ScratchDir dir(L"client");
  const std::wstring source = dir.File(L"src.bin");
  ASSERT_TRUE(testing_support::WriteFileBytes(source, Pattern(1048576)));
  CurlClient client(FileUrl(source), dir.File(L"missing\\dst.bin"), nullptr, &RecordProgress);
  EXPECT_EQ(client.Start(), CurlClient::kPartialOpenFailed);
  EXPECT_FALSE(client.OpenErrorText().empty());
}

// Tests that destroying a client removes its partial file.
TEST_F(CurlClientTest, DestructionRemovesThePartialFile) {
  testing_support::ScratchDir dir(L"client");
  const std::wstring destination = dir.File(L"pkg.exe");
  {
    CurlClient client(L"http://127.0.0.1:9/x", destination, nullptr, &RecordProgress);
    EXPECT_EQ(client.GetPartOrFinalPath(true), destination + L".part");
    EXPECT_EQ(client.GetPartOrFinalPath(false), destination);
    ASSERT_TRUE(testing_support::WriteFileBytes(destination + L".part", "partial"));
  }
  EXPECT_EQ(FileSize(destination + L".part"), -1);
}

}  // namespace
