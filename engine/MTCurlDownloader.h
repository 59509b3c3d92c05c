#pragma once

// The multi-part downloader: one header probe for the real address, the length and the
// digest; then the file in one range (below 20 MiB) or two ranges fetched at the same time
// into part files "<package>_0" and "<package>_1", joined into the package and checked
// against the digest in the real address. One retry request (1005) per downloader in all;
// a retried run resumes the part files when the failed run had reported progress.
//
// A range transfer accepts only a 206 answer whose Content-Range begins at the offset it
// asked for, and takes no byte beyond the range; TLS certificates are verified.

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "utils/CurlHandle.h"
#include "engine/Downloader.h"
#include "utils/Handles.h"
#include "utils/Thread.h"

class CMTCurlDownloader : public CDownloader {
 public:
  static constexpr const wchar_t* kTransportName = L"LibCurl";
  static constexpr const wchar_t* kDigestMismatchText = L"mtcurl文件md5校验失败";
  static constexpr const wchar_t* kNoDigestText = L"mtcurl获取url-md5失败";
  static constexpr int64_t kMinimumLength = 256;
  static constexpr int64_t kPartUnit = 10485760;  // a file of two units or more gets two parts
  static constexpr int kPartBudget = 12;
  static constexpr DWORD kPartRetryPauseMs = 400;
  static constexpr DWORD kPartStartGapMs = 100;

  // One byte range of the package and its part file.
  struct Range {
    int64_t first;  // first byte
    int64_t last;   // last byte, inclusive
  };

  // The ranges of a file of |length| bytes: one below 2 units, else two; the last takes the
  // remainder.
  static std::vector<Range> SplitRanges(int64_t length);

  // Seconds since 1970, for the progress throttle.
  using Clock = int64_t (*)();

  // Deletes the package file and both part files.
  CMTCurlDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath);
  // Aborts the transfers under way and waits for every thread of the run.
  ~CMTCurlDownloader() override;

  CMTCurlDownloader(const CMTCurlDownloader&) = delete;
  CMTCurlDownloader& operator=(const CMTCurlDownloader&) = delete;

  // Waits for the previous run's worker, then starts a new run on a worker "ABDEF". Called
  // on the worker itself (the retry request), the next run begins once the current one has
  // returned.
  void Start() override;

  // The header probe: fills the real address, the length and the expected digest. True
  // when an address was reached and the length is at least 256 bytes.
  bool getRealDownloadUrl();

  // "<package>_<index>".
  std::wstring PartPath(int index) const;

  // State kept between runs (read them only while no run is under way).
  const std::string& RealUrl() const { return realUrl_; }
  int64_t FileLength() const { return fileLength_; }

  // Tests only: the clock of the progress throttle; nullptr restores the system clock.
  static void SetClockForTesting(Clock clock);

 private:
  struct PartTask {
    Utils::UniqueFileHandle file;
    int64_t nextOffset = 0;
    int64_t endOffset = 0;
    Utils::UniqueCurl handle;
    std::string url;
    std::wstring path;
    int state = -1;  // 0 complete; -1 to fetch; -2 part file cannot be opened; else libcurl's result
    std::atomic<int64_t> received{0};
    // The answer of the attempt under way.
    long status = 0;
    int64_t answerFirst = -1;  // first byte named by Content-Range; -1 when none
    bool answerChecked = false;
    CMTCurlDownloader* owner = nullptr;
    std::unique_ptr<Utils::Thread> worker;
  };

  void RunLoop();
  void Start_Down();
  void downloadThreadFun(PartTask& part);
  int downloadExe(PartTask& part);
  void waitForFinishThreadFun();
  bool MergeParts();
  void ReleaseParts();
  void DeletePartFiles() const;
  void Send(int32_t code, double value, const wchar_t* text) const;

  static size_t WritePart(char* data, size_t size, size_t count, void* userdata);
  static size_t ReadHeader(char* data, size_t size, size_t count, void* userdata);
  static int Progress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  EngineEventCallback callback_;
  std::wstring packagePath_;
  std::wstring url_;
  std::string realUrl_;
  int64_t fileLength_ = 0;
  std::string expectedDigest_;
  std::vector<std::unique_ptr<PartTask>> parts_;

  std::mutex progressLock_;  // the progress bookkeeping below
  double lastPercent_ = 0.0;
  int64_t lastProgressSecond_ = 0;

  std::atomic<int> activeTransfers_{0};
  bool retryUsed_ = false;
  bool runAgain_ = false;  // set by Start on the worker; read by the worker only
  std::atomic<bool> stopping_{false};
  std::unique_ptr<Utils::Thread> worker_;
};
