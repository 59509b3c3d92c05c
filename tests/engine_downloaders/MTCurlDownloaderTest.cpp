// The multi-part downloader against nginx (real ranges) and the fault-injecting server
// (request log, dropped connections, ignored ranges).

#include "engine/MTCurlDownloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/CurlClient.h"
#include "tests/engine_download/DownloadTestSupport.h"
#include "tests/support/TestPaths.h"
#include "utils/Md5.h"

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

// Plays the orchestrator's part: every retry request starts the downloader again.
struct MtRun {
  EventLog events;
  std::unique_ptr<CMTCurlDownloader> downloader;

  MtRun(const std::wstring& url, const std::wstring& package) {
    downloader = std::make_unique<CMTCurlDownloader>(
        [this](int32_t code, double value, const wchar_t* text) {
          events.Add(code, value, text);
          if (code == 1005) downloader->Start();
        },
        url, package);
  }
  // Starts and waits for 1003 or 1004; then joins the worker.
  std::vector<int32_t> RunToEnd() {
    downloader->Start();
    for (int i = 0; i < 1200; ++i) {
      bool done = false;
      for (const auto& e : events.Events()) done = done || e.code == 1003 || e.code == 1004;
      if (done) break;
      ::Sleep(100);
    }
    downloader.reset();
    return events.CodesWithoutProgress();
  }
};

std::string FaultUrl(const std::string& token, const std::string& options, const std::string& digest,
                     const std::string& name) {
  return EnvUtf8(L"QUILLORA_TEST_FAULT") + "/t/" + token + "/" + options + "/" + digest + "/" + name;
}

std::string DigestOf(const wchar_t* name) {
  return Utils::Md5OfFile(ServedFile(name));
}

// The ranges the fault server was asked for, in order.
std::vector<std::string> RangesAsked(const std::string& token) {
  std::vector<std::string> ranges;
  for (const std::string& line : FaultLog(token)) {
    if (line.rfind("GET ", 0) == 0) ranges.push_back(line.substr(4, line.find(' ', 4) - 4));
  }
  return ranges;
}

std::atomic<int64_t> g_tick{1000};
int64_t EverySecond() {
  return ++g_tick;
}

}  // namespace

struct SplitCase {
  const wchar_t* name;
  int64_t length;
  std::vector<std::string> ranges;
};

// Tests the split by size (15 MiB one part, exactly 25 MiB two equal parts, 25 MiB plus one
// byte a second part one byte longer), the ranges asked for, the joined package against
// nginx with its digest, and that no part file stays behind.
TEST(MTCurlDownloaderTest, SplitsIntoRanges) {
  const SplitCase cases[] = {
      {L"mt15.bin", 15728640, {"bytes=0-15728639"}},
      {L"mt25.bin", 26214400, {"bytes=0-13107199", "bytes=13107200-26214399"}},
      {L"mt25p.bin", 26214401, {"bytes=0-13107199", "bytes=13107200-26214400"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    ASSERT_EQ(FileSize(ServedFile(c.name)), c.length);
    const std::vector<CMTCurlDownloader::Range> ranges = CMTCurlDownloader::SplitRanges(c.length);
    ASSERT_EQ(ranges.size(), c.ranges.size());
    EXPECT_EQ(ranges.back().last, c.length - 1);

    // nginx: the redirect to /<digest>/<name>, checked digest, exact ranges.
    testing_support::ScratchDir dir(L"qmt");
    const std::wstring package = dir.File(L"__Package_Quillora.exe");
    MtRun run(Env(L"QUILLORA_TEST_NGINX") + L"/software/" + c.name, package);
    EXPECT_EQ(run.RunToEnd(), (std::vector<int32_t>{1001, 1003}));
    EXPECT_TRUE(SameContents(package, ServedFile(c.name)));
    EXPECT_EQ(FileSize(package + L"_0"), -1);
    EXPECT_EQ(FileSize(package + L"_1"), -1);

    // The fault server logs the ranges (and sends past their end, which is not taken).
    const std::string token = UniqueToken("split");
    const std::wstring second = dir.File(L"second.exe");
    MtRun logged(FromUtf8(FaultUrl(token, "file=" + download_test::ToUtf8(c.name), DigestOf(c.name), "x.exe")), second);
    EXPECT_EQ(logged.RunToEnd(), (std::vector<int32_t>{1001, 1003}));
    EXPECT_TRUE(SameContents(second, ServedFile(c.name)));
    std::vector<std::string> asked = RangesAsked(token);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, c.ranges);
  }
}

// Tests a failed run that had reported progress: the retried run asks each part only for
// the bytes after those in its part file, so no byte is fetched twice, and the joined
// package is right. Every answer is cut after 512 KiB, so one run cannot finish a part.
TEST(MTCurlDownloaderTest, RetryResumesThePartFiles) {
  CMTCurlDownloader::SetClockForTesting(&EverySecond);
  testing_support::ScratchDir dir(L"qmt");
  const std::wstring package = dir.File(L"p.exe");
  const std::string token = UniqueToken("resume");
  MtRun run(FromUtf8(FaultUrl(token, "file=mt25.bin,drop=524288", DigestOf(L"mt25.bin"), "p.exe")), package);
  const std::vector<int32_t> codes = run.RunToEnd();
  CMTCurlDownloader::SetClockForTesting(nullptr);

  EXPECT_EQ(codes, (std::vector<int32_t>{1001, 1005, 1001, 1003}));
  for (const auto& e : run.events.Events()) {
    if (e.code == 1005) {
      EXPECT_EQ(e.value, 18.0);
    }
  }
  EXPECT_TRUE(SameContents(package, ServedFile(L"mt25.bin")));
  // Each part's ranges start where the previous answer stopped: 512 KiB further each time.
  std::vector<int64_t> starts[2];
  for (const std::string& range : RangesAsked(token)) {
    const int64_t first = std::stoll(range.substr(6));
    starts[first >= 13107200 ? 1 : 0].push_back(first);
  }
  for (int part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    ASSERT_GT(starts[part].size(), 13u);  // more than one run's attempts
    for (size_t i = 0; i < starts[part].size(); ++i) {
      EXPECT_EQ(starts[part][i], part * 13107200 + static_cast<int64_t>(i) * 524288);
    }
  }
}

// Tests a server that ignores the range and answers 200 with the whole file: nothing of
// it is taken, the run asks for one retry and then fails with the write error, and no
// package is ever assembled.
TEST(MTCurlDownloaderTest, ServerThatIgnoresRanges) {
  testing_support::ScratchDir dir(L"qmt");
  const std::wstring package = dir.File(L"p.exe");
  const std::string token = UniqueToken("norange");
  MtRun run(FromUtf8(FaultUrl(token, "file=mt25.bin,norange", "nodigest", "p.exe")), package);
  EXPECT_EQ(run.RunToEnd(), (std::vector<int32_t>{1001, 1005, 1001, 1004}));
  const auto events = run.events.Events();
  EXPECT_EQ(events.back().value, 23.0);
  EXPECT_EQ(events.back().text, L"LibCurl");
  EXPECT_EQ(FileSize(package), -1);
  EXPECT_EQ(FileSize(package + L"_0"), -1);
  EXPECT_EQ(FileSize(package + L"_1"), -1);
  for (const std::string& line : FaultLog(token)) {
    if (line.rfind("GET", 0) == 0) {
      EXPECT_NE(line.find(" 200"), std::string::npos) << line;
    }
  }
}

struct DigestCase {
  const char* name;
  std::string digest;
  std::vector<int32_t> codes;
  const wchar_t* warning;
};

// Tests the digest in the address: none gives a warning and the package; a wrong one a
// warning and a retry, then a warning and the failure, with the package deleted.
TEST(MTCurlDownloaderTest, DigestInTheAddress) {
  const DigestCase cases[] = {
      {"none", "latest", {1001, 1006, 1003}, L"mtcurl获取url-md5失败"},
      {"wrong", Utils::Md5Hex("other", 5), {1001, 1006, 1005, 1001, 1006, 1004}, L"mtcurl文件md5校验失败"},
      {"upper case", "UPPER", {1001, 1006, 1005, 1001, 1006, 1004}, L"mtcurl文件md5校验失败"},
  };
  for (const DigestCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string digest = c.digest;
    if (digest == "UPPER") {
      digest = DigestOf(L"package.bin");
      for (char& ch : digest) ch = static_cast<char>(toupper(ch));
    }
    testing_support::ScratchDir dir(L"qmt");
    const std::wstring package = dir.File(L"p.exe");
    MtRun run(FromUtf8(FaultUrl(UniqueToken("digest"), "file=package.bin", digest, "p.exe")), package);
    EXPECT_EQ(run.RunToEnd(), c.codes);
    for (const auto& e : run.events.Events()) {
      if (e.code == 1006) {
        EXPECT_EQ(e.text, c.warning);
      }
    }
    EXPECT_EQ(FileSize(package) >= 0, c.codes.back() == 1003);
  }
}

// Tests the probe: a length below 256 bytes, a server that cannot be reached, and a TLS
// server whose certificate the installer does not trust all fail at once without a retry;
// the trusted TLS server gives the package.
TEST(MTCurlDownloaderTest, ProbeAndTls) {
  testing_support::ScratchDir dir(L"qmt");
  const std::wstring failing[] = {
      Env(L"QUILLORA_TEST_NGINX") + L"/software/tiny.bin",
      L"http://127.0.0.1:9/software/477",
      Env(L"QUILLORA_TEST_HTTPS_OTHERCA") + L"/software/477",
      Env(L"QUILLORA_TEST_HTTPS_WRONGHOST") + L"/software/477",
  };
  CurlClient::SetCaBlobForTesting(testing_support::ReadFileBytes(download_test::HostEnvPath(L"QUILLORA_TEST_CA")));
  for (const std::wstring& url : failing) {
    SCOPED_TRACE(testing::PrintToString(url));
    MtRun run(url, dir.File(L"p.exe"));
    EXPECT_EQ(run.RunToEnd(), (std::vector<int32_t>{1001, 1004}));
    EXPECT_EQ(run.events.Events().back().value, 0.0);
  }
  MtRun trusted(Env(L"QUILLORA_TEST_HTTPS") + L"/software/477", dir.File(L"p.exe"));
  EXPECT_EQ(trusted.RunToEnd(), (std::vector<int32_t>{1001, 1003}));
  CurlClient::SetCaBlobForTesting("");
  EXPECT_TRUE(SameContents(dir.File(L"p.exe"), ServedFile(L"package.bin")));
}
