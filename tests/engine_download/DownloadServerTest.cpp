// Downloads under Wine from the local test servers: nginx for the ordinary server, the
// fault-injecting server for what nginx will not do. Run through
// tools/download_servers/run_with_servers.py, which says where they are.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/CurlClient.h"
#include "engine/CurlDownloader.h"
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

std::mutex g_reasonsLock;
std::vector<std::wstring> g_reasons;
void RecordReason(const std::wstring& reason) {
  std::lock_guard<std::mutex> lock(g_reasonsLock);
  g_reasons.push_back(reason);
}
std::vector<std::wstring> Reasons() {
  std::lock_guard<std::mutex> lock(g_reasonsLock);
  return g_reasons;
}

// The debugger-visible name of the calling thread.
std::wstring CurrentThreadName() {
  using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  auto get = reinterpret_cast<GetThreadDescriptionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  PWSTR text = nullptr;
  if (!get || FAILED(get(::GetCurrentThread(), &text)) || !text) return L"<unknown>";
  std::wstring name = text;
  ::LocalFree(text);
  return name;
}

std::vector<double> g_percents;
void RecordPercent(void*, double, double, double percent) {
  g_percents.push_back(percent);
}

constexpr int64_t kPackageSize = 3 * 1048576 + 12345;  // files/package.bin

// A downloader whose events land in |events|; a retry request (1005) is answered by
// starting again from inside the callback, as the orchestrator does.
struct DownloadRun {
  DownloadRun(const std::wstring& url, const std::wstring& packagePath) {
    downloader = std::make_unique<CCurlDownloader>(
        [this](int32_t code, double value, const wchar_t* text) {
          if (code == 1001) workerName = CurrentThreadName();
          events.Add(code, value, text);
          if (code == 1005) downloader->Start();
        },
        url, packagePath);
  }
  EventLog events;
  std::wstring workerName;  // of the thread that sent 1001
  std::unique_ptr<CCurlDownloader> downloader;
};

// Tests against the local nginx and fault-injecting servers. Each test downloads into a
// scratch folder whose name lies outside the prefix's ANSI code page.
class DownloadServerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env(L"QUILLORA_TEST_NGINX").empty()) << "run through tools/download_servers/run_with_servers.py";
    {
      std::lock_guard<std::mutex> lock(g_reasonsLock);
      g_reasons.clear();
    }
    g_percents.clear();
    CurlClient::SetFailureReporter(&RecordReason);
    folder_ = dir_.File(L"青蓝工坊");
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    package_ = folder_ + L"\\__Package_Quillora.exe";
  }
  void TearDown() override {
    CurlClient::SetFailureReporter(nullptr);
    CurlClient::SetCaBlobForTesting({});
  }

  static std::wstring Nginx(const wchar_t* path) { return Env(L"QUILLORA_TEST_NGINX") + path; }
  // A fault-server address: /t/<token>/<options>/<segment>/package.bin.
  static std::wstring Fault(const std::string& token, const std::string& options,
                            const std::string& segment = "files") {
    return FromUtf8(EnvUtf8(L"QUILLORA_TEST_FAULT") + "/t/" + token + "/" + options + "/" + segment + "/package.bin");
  }
  static std::vector<std::string> Gets(const std::vector<std::string>& log) {
    std::vector<std::string> gets;
    for (const auto& line : log) {
      if (line.rfind("GET ", 0) == 0) gets.push_back(line);
    }
    return gets;
  }

  testing_support::ScratchDir dir_{L"download"};
  std::wstring folder_;
  std::wstring package_;
};

// Tests an ordinary download from nginx: the configured address redirects to
// /<md5>/<name>, the digest matches, the worker "ABDEF" sends 1001 ... 1003 "LibCurl", and the file
// on disk equals the served file byte for byte, with no partial file left.
TEST_F(DownloadServerTest, NginxDownloadMatchesTheServedFile) {
  DownloadRun run(Nginx(L"/software/477"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  const auto events = run.events.Events();
  EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_DOUBLE_EQ(events.front().value, 1.0);
  EXPECT_EQ(events.back().text, L"LibCurl");
  EXPECT_EQ(run.workerName, L"ABDEF");
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
  EXPECT_EQ(FileSize(package_ + L".part"), -1);
  EXPECT_TRUE(Reasons().empty());
}

// Tests the 1 MiB floor against nginx: 1048575 bytes are refused with -998 and nothing is
// written; 1048576 bytes are fetched.
TEST_F(DownloadServerTest, OneMebibyteFloor) {
  {
    CurlClient client(Nginx(L"/software/small"), package_, nullptr, &RecordPercent);
    EXPECT_EQ(client.Start(), -998);
    EXPECT_DOUBLE_EQ(client.FileLength(), 1048575.0);
    EXPECT_EQ(FileSize(package_), -1);
    EXPECT_EQ(FileSize(package_ + L".part"), -1);
  }
  CurlClient client(Nginx(L"/software/exact"), package_, nullptr, &RecordPercent);
  EXPECT_EQ(client.Start(), 0);
  EXPECT_TRUE(SameContents(package_, ServedFile(L"exact.bin")));
}

// Tests a server that answers the header probes with 400: the first probe reports the
// status once and yields no length, the second accepts 400 and finds the length, and the
// download goes ahead.
TEST_F(DownloadServerTest, FirstProbeAnswered400SecondAcceptsIt) {
  const std::string token = UniqueToken("head400");
  CurlClient client(Fault(token, "file=package.bin,head=400"), package_, nullptr, &RecordPercent);
  EXPECT_EQ(client.Start(), 0);
  EXPECT_EQ(Reasons(), std::vector<std::wstring>{L"1.获取文件大小的状态码为=400；"});
  EXPECT_DOUBLE_EQ(client.FileLength(), static_cast<double>(kPackageSize));
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
}

// Tests a connection that drops after every 400000 bytes: each attempt asks for the
// bytes after the partial file, and the run completes within the budget with the exact
// file, whose digest (computed while it was written) matches the address.
TEST_F(DownloadServerTest, DroppingConnectionResumesEachTime) {
  const std::string token = UniqueToken("drop");
  DownloadRun run(Fault(token, "file=package.bin,drop=400000", EnvUtf8(L"QUILLORA_TEST_PACKAGE_MD5")), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  // The digest, followed across all the attempts, matches: no warning.
  EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
  std::vector<std::string> expected = {"GET - 200"};
  for (int64_t at = 400000; at < kPackageSize; at += 400000)
    expected.push_back("GET bytes=" + std::to_string(at) + "- 206");
  EXPECT_EQ(Gets(FaultLog(token)), expected);
}

// Tests that a resumed attempt asks for the bytes after the partial file and counts the
// bytes already present in its percent.
TEST_F(DownloadServerTest, ResumedPercentCountsBytesPresent) {
  const std::string token = UniqueToken("percent");
  CurlClient client(Fault(token, "file=package.bin,drop=1000000,once"), package_, nullptr, &RecordPercent);
  client.SetDigestWhileWriting(true);
  EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
  EXPECT_EQ(FileSize(package_ + L".part"), 1000000);
  ::Sleep(1100);  // let the progress throttle open again
  g_percents.clear();
  EXPECT_EQ(client.Start(), 0);
  EXPECT_EQ(client.ResumeOffset(), 1000000);
  ASSERT_FALSE(g_percents.empty());
  const double present = 1000000.0 * 100.0 / static_cast<double>(kPackageSize);
  EXPECT_GE(g_percents.front(), present);
  EXPECT_LE(g_percents.back(), 100.0);
  EXPECT_EQ(Gets(FaultLog(token)), (std::vector<std::string>{"GET - 200", "GET bytes=1000000- 206"}));
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
  EXPECT_EQ(Utils::Md5OfFile(package_), EnvUtf8(L"QUILLORA_TEST_PACKAGE_MD5"));
  EXPECT_EQ(client.FileDigest(), EnvUtf8(L"QUILLORA_TEST_PACKAGE_MD5"));
}

// Tests the retry budget for transfers that end early (18, charged 1 point): twelve
// attempts, each resuming, then 1004 with value 18.
TEST_F(DownloadServerTest, EndlessDropsEndAfterTwelveAttempts) {
  const std::string token = UniqueToken("drops");
  DownloadRun run(Fault(token, "file=package.bin,drop=100000"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1004));
  run.downloader.reset();
  EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_DOUBLE_EQ(run.events.Events().back().value, 18.0);
  EXPECT_EQ(run.events.Events().back().text, L"LibCurl");
  const auto gets = Gets(FaultLog(token));
  ASSERT_EQ(gets.size(), 12u);
  EXPECT_EQ(gets[11], "GET bytes=1100000- 206");
}

// Tests servers that keep answering GET with an error status (result 22, charged 2
// points): six attempts, then 1004 with value 22.
TEST_F(DownloadServerTest, HttpErrorsEndAfterSixAttempts) {
  for (const int status : {400, 404, 500, 503}) {
    SCOPED_TRACE(status);
    const std::string token = UniqueToken("status");
    DownloadRun run(Fault(token, "file=package.bin,get=" + std::to_string(status)), package_);
    run.downloader->Start();
    ASSERT_TRUE(run.events.WaitFor(1004));
    run.downloader.reset();
    EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1004}));
    EXPECT_DOUBLE_EQ(run.events.Events().back().value, 22.0);
    EXPECT_EQ(Gets(FaultLog(token)).size(), 6u);
    EXPECT_EQ(FileSize(package_), -1);
  }
}

// Tests a digest segment that does not match the file (another digest, or the right one
// in upper case): 1006 and a retry request 1005; the second run, started from inside the
// 1005 callback on the worker, ends with 1006 and 1004.
TEST_F(DownloadServerTest, DigestMismatchAsksOnceForAnotherRun) {
  std::string upper = EnvUtf8(L"QUILLORA_TEST_PACKAGE_MD5");
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const std::wstring urls[] = {Nginx(L"/software/wrongdigest"), Nginx(L"/software/upper"),
                               Fault(UniqueToken("upper"), "file=package.bin", upper)};
  for (const std::wstring& url : urls) {
    SCOPED_TRACE(download_test::ToUtf8(url));
    DownloadRun run(url, package_);
    run.downloader->Start();
    ASSERT_TRUE(run.events.WaitFor(1004));
    run.downloader.reset();
    EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1006, 1005, 1001, 1006, 1004}));
    for (const auto& e : run.events.Events()) {
      if (e.code == 1006) {
        EXPECT_EQ(e.text, L"curl文件md5校验失败");
      }
      if (e.code == 1005 || e.code == 1004) {
        EXPECT_DOUBLE_EQ(e.value, 0.0);
        EXPECT_EQ(e.text, L"LibCurl");
      }
    }
  }
}

// Tests an address without a digest segment: a warning 1006, then 1003 as if verified.
TEST_F(DownloadServerTest, MissingDigestIsOnlyAWarning) {
  DownloadRun run(Nginx(L"/software/nodigest"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  EXPECT_EQ(run.events.CodesWithoutProgress(), (std::vector<int32_t>{1001, 1006, 1003}));
  for (const auto& e : run.events.Events()) {
    if (e.code == 1006) {
      EXPECT_EQ(e.text, L"curl获取url-md5失败");
    }
  }
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
}

// Tests that a new downloader (a restarted program) removes the partial file of an
// earlier run, so the download begins at byte 0.
TEST_F(DownloadServerTest, RestartRemovesAnOldPartialFile) {
  ASSERT_TRUE(testing_support::WriteFileBytes(package_ + L".part", std::string(500000, 'x')));
  const std::string token = UniqueToken("restart");
  DownloadRun run(Fault(token, "file=package.bin"), package_);
  EXPECT_EQ(FileSize(package_ + L".part"), -1);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  EXPECT_EQ(Gets(FaultLog(token)), std::vector<std::string>{"GET - 200"});
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
}

// Tests the client's result for faulty answers: a redirect chain is followed to its end,
// no length or an error status fails the attempt, a length that lies ends it early.
TEST_F(DownloadServerTest, FaultyAnswers) {
  const struct {
    const char* options;
    int result;
  } cases[] = {
      {"file=package.bin,hops=3", 0},
      {"file=package.bin,nolength", -998},
      {"file=package.bin,lie=9999999", CURLE_PARTIAL_FILE},
      {"file=package.bin,get=404", CURLE_HTTP_RETURNED_ERROR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string token = UniqueToken("faulty");
    CurlClient client(Fault(token, c.options), package_, nullptr, &RecordPercent);
    EXPECT_EQ(client.Start(), c.result);
    if (c.result == 0) {
      EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
      EXPECT_NE(client.RealUrl().find(",hops=0/"), std::string::npos) << client.RealUrl();
    }
  }
}

// Tests a server that ignores Range after a dropped connection: the partial file cannot
// be resumed, so it is discarded and the next attempt fetches the whole file.
TEST_F(DownloadServerTest, ServerIgnoringRangeRestartsFromZero) {
  const std::string token = UniqueToken("norange");
  DownloadRun run(Fault(token, "file=package.bin,drop=400000,once,norange"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  EXPECT_EQ(Gets(FaultLog(token)), (std::vector<std::string>{"GET - 200", "GET bytes=400000- 200", "GET - 200"}));
  EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
}

// Tests that progress events of a slow transfer come at most once per wall-clock second,
// grow, and stay within 0 to 1.
TEST_F(DownloadServerTest, ProgressEventsAtMostOncePerSecond) {
  const std::string token = UniqueToken("rate");
  DownloadRun run(Fault(token, "file=package.bin,rate=1000000"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1003));
  run.downloader.reset();
  std::vector<download_test::Event> progress;
  for (const auto& e : run.events.Events()) {
    if (e.code == 1002) progress.push_back(e);
  }
  ASSERT_GE(progress.size(), 2u);
  for (size_t i = 0; i < progress.size(); ++i) {
    EXPECT_GT(progress[i].value, 0.0);
    EXPECT_LE(progress[i].value, 1.0);
    EXPECT_TRUE(progress[i].text.empty());
    if (i > 0) {
      EXPECT_GT(progress[i].second, progress[i - 1].second) << "two progress events in one second";
      EXPECT_GE(progress[i].value, progress[i - 1].value);
    }
  }
}

// Tests resuming a partial file beyond 2 GiB: the range asked for, the percent and the
// finished file use 64-bit offsets (the sparse start keeps the disk use small).
TEST_F(DownloadServerTest, ResumeBeyondTwoGibibytes) {
  const std::wstring served = ServedFile(L"big.bin");
  const int64_t total = FileSize(served);
  ASSERT_GT(total, int64_t{1} << 31);
  const int64_t present = total - 2 * 1048576;
  {
    Utils::UniqueFileHandle part(::CreateFileW((package_ + L".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(part);
    LARGE_INTEGER at;
    at.QuadPart = present;
    ASSERT_TRUE(::SetFilePointerEx(part.Get(), at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(part.Get()));
  }
  const std::string token = UniqueToken("big");
  const std::wstring url = FromUtf8(EnvUtf8(L"QUILLORA_TEST_FAULT") + "/t/" + token + "/file=big.bin/files/big.bin");
  CurlClient client(url, package_, nullptr, &RecordPercent);
  EXPECT_EQ(client.Start(), 0);
  EXPECT_EQ(client.ResumeOffset(), present);
  EXPECT_EQ(Gets(FaultLog(token)), std::vector<std::string>{"GET bytes=" + std::to_string(present) + "- 206"});
  ASSERT_FALSE(g_percents.empty());
  EXPECT_GE(g_percents.front(), static_cast<double>(present) * 100.0 / static_cast<double>(total));
  EXPECT_LE(g_percents.back(), 100.0);
  EXPECT_EQ(FileSize(package_), total);
  const std::string tail = download_test::ReadRange(package_, total - 1048576, 1048576);
  ASSERT_EQ(tail.size(), 1048576u);
  EXPECT_EQ(tail, download_test::ReadRange(served, total - 1048576, 1048576));
}

// Tests HTTPS with certificate verification against the test CA: a certificate of that CA
// for the right host succeeds; one for another host name, or of another CA, fails the
// attempt with nothing written to the package file.
TEST_F(DownloadServerTest, HttpsVerifiesTheCertificate) {
  const std::string ca = testing_support::ReadFileBytes(download_test::HostEnvPath(L"QUILLORA_TEST_CA"));
  ASSERT_NE(ca.find("BEGIN CERTIFICATE"), std::string::npos);
  CurlClient::SetCaBlobForTesting(ca);
  const struct {
    const wchar_t* server;
    bool succeeds;
  } cases[] = {
      {L"QUILLORA_TEST_HTTPS", true},
      {L"QUILLORA_TEST_HTTPS_WRONGHOST", false},
      {L"QUILLORA_TEST_HTTPS_OTHERCA", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(download_test::ToUtf8(c.server));
    ::DeleteFileW(package_.c_str());
    CurlClient client(Env(c.server) + L"/software/477", package_, nullptr, &RecordPercent);
    const int result = client.Start();
    if (c.succeeds) {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(SameContents(package_, ServedFile(L"package.bin")));
    } else {
      EXPECT_EQ(result, -998) << "the header probes already refuse the certificate";
      EXPECT_EQ(FileSize(package_), -1);
      EXPECT_LE(FileSize(package_ + L".part"), 0);
    }
  }
}

// Tests that destroying a downloader during a transfer that trickles slower than one
// byte per second aborts it promptly and sends nothing more.
TEST_F(DownloadServerTest, DestructionAbortsAStalledTransfer) {
  const std::string token = UniqueToken("stall");
  DownloadRun run(Fault(token, "file=package.bin,stall"), package_);
  run.downloader->Start();
  ASSERT_TRUE(run.events.WaitFor(1001));
  for (int i = 0; i < 100 && Gets(FaultLog(token)).empty(); ++i) ::Sleep(50);
  ASSERT_EQ(Gets(FaultLog(token)).size(), 1u);
  run.downloader.reset();  // joins the worker
  EXPECT_EQ(run.events.CodesWithoutProgress(), std::vector<int32_t>{1001});
  EXPECT_EQ(FileSize(package_), -1);
  EXPECT_EQ(FileSize(package_ + L".part"), -1);
}

}  // namespace
