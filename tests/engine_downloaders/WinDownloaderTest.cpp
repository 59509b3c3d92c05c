// The system downloader (URL moniker service) against nginx and the fault-injecting server.

#include "engine/WinDownloader.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/engine_download/DownloadTestSupport.h"
#include "tests/support/TestPaths.h"
#include "utils/DebugLog.h"

namespace {

using download_test::Env;
using download_test::EnvUtf8;
using download_test::EventLog;
using download_test::FaultLog;
using download_test::FileSize;
using download_test::FromUtf8;
using download_test::SameContents;
using download_test::ServedFile;
using download_test::UniqueToken;

// Starts the downloader and waits for its result (the downloader joins when it goes).
std::vector<download_test::Event> RunOnce(CWinDownloader& downloader, EventLog& events, int results = 1) {
  downloader.Start();
  for (int i = 0; i < 600; ++i) {
    int ends = 0;
    for (const auto& e : events.Events()) ends += (e.code == 1003 || e.code == 1004) ? 1 : 0;
    if (ends >= results) break;
    ::Sleep(100);
  }
  return events.Events();
}

}  // namespace

struct EncodeCase {
  const wchar_t* url;
  const wchar_t* expected;
};

// Tests the address encoding: UTF-8 bytes of Chinese text as "%XX" with upper-case digits,
// a blank as "+", bytes 33 to 126 (":" "/" "?" "&" "=" "%" included) untouched, controls
// encoded, and "file:///" addresses left as they are.
TEST(WinDownloaderTest, EncodesTheAddressByteWise) {
  const EncodeCase cases[] = {
      {L"http://h/软件/a b.exe?x=1&y=%20", L"http://h/%E8%BD%AF%E4%BB%B6/a+b.exe?x=1&y=%20"},
      {L"http://h/~!*'();@$,[]{}|^`\"<>#", L"http://h/~!*'();@$,[]{}|^`\"<>#"},
      {L"http://h/\t\x7f\xe9", L"http://h/%09%7F%C3%A9"},
      {L"file:///C:/a b/软件.exe", L"file:///C:/a b/软件.exe"},
      {L"", L""},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.url)));
    EXPECT_EQ(CWinDownloader::EncodeUrl(c.url), c.expected);
  }
}

// Tests a download from nginx: 1001, progress fractions that grow to 1, then 1003 with
// the transport name, and the file as served. A second Start downloads again.
TEST(WinDownloaderTest, DownloadsWithProgressAndAgainOnSecondStart) {
  testing_support::ScratchDir dir(L"qwin");
  const std::wstring package = dir.File(L"p.exe");
  EventLog events;
  CWinDownloader downloader([&](int32_t code, double value, const wchar_t* text) { events.Add(code, value, text); },
                            Env(L"QUILLORA_TEST_NGINX") + L"/software/477", package);
  const auto first = RunOnce(downloader, events);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.front().code, 1001);
  EXPECT_EQ(first.back().code, 1003);
  EXPECT_EQ(first.back().text, L"URLDownloadToFile");
  double last = 0.0;
  int progress = 0;
  for (const auto& e : first) {
    if (e.code != 1002) continue;
    ++progress;
    EXPECT_GE(e.value, last);
    EXPECT_LE(e.value, 1.0);
    last = e.value;
  }
  EXPECT_GT(progress, 0);
  EXPECT_EQ(last, 1.0);
  EXPECT_TRUE(SameContents(package, ServedFile(L"package.bin")));

  ASSERT_TRUE(::DeleteFileW(package.c_str()));
  downloader.Start();
  EXPECT_TRUE(events.WaitFor(1003, 2, 60000));
  EXPECT_TRUE(SameContents(package, ServedFile(L"package.bin")));
}

// Tests a server that announces no length: no progress events, then 1003.
TEST(WinDownloaderTest, NoLengthNoProgress) {
  testing_support::ScratchDir dir(L"qwin");
  const std::wstring package = dir.File(L"p.exe");
  EventLog events;
  {
    CWinDownloader downloader(
        [&](int32_t code, double value, const wchar_t* text) { events.Add(code, value, text); },
        FromUtf8(EnvUtf8(L"QUILLORA_TEST_FAULT") + "/t/" + UniqueToken("nolen") + "/file=package.bin,nolength/x/p.exe"),
        package);
    RunOnce(downloader, events);
  }
  EXPECT_EQ(events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_EQ(events.Events().size(), 2u);
  EXPECT_TRUE(SameContents(package, ServedFile(L"package.bin")));
}

std::mutex g_attemptLock;
int g_failedAttempts = 0;
void CountAttempts(const wchar_t* line) {
  if (std::wcsstr(line, L"URLDownloadToFile attempt")) {
    std::lock_guard<std::mutex> lock(g_attemptLock);
    ++g_failedAttempts;
  }
}

// Tests an address nobody listens on: three failed attempts (one log line each), then 1004
// with the failing HRESULT (negative) and the transport name. (Wine's service reports HTTP
// error answers and cut connections as successes, so only a refused connection fails here.)
TEST(WinDownloaderTest, ThreeAttemptsThenFailure) {
  testing_support::ScratchDir dir(L"qwin");
  EventLog events;
  g_failedAttempts = 0;
  Utils::SetLogSinkForTesting(&CountAttempts);
  {
    CWinDownloader downloader([&](int32_t code, double value, const wchar_t* text) { events.Add(code, value, text); },
                              L"http://127.0.0.1:9/software/477", dir.File(L"p.exe"));
    RunOnce(downloader, events);
  }
  Utils::SetLogSinkForTesting(nullptr);
  const auto all = events.Events();
  EXPECT_EQ(events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_LT(all.back().value, 0.0);
  EXPECT_EQ(all.back().text, L"URLDownloadToFile");
  EXPECT_EQ(g_failedAttempts, 3);
  EXPECT_EQ(FileSize(dir.File(L"p.exe")), -1);
}
