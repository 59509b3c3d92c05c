#pragma once

// Fetches one file (the installation package) from a URL into a destination path with
// libcurl's easy interface. Header-only probes find the address after redirects and the
// announced length first; files shorter than 1 MiB are refused. Bytes go into a partial
// file (destination + ".part") that a later attempt resumes. Progress reaches the owner at
// most once per second. The client never retries by itself.
//
// libcurl must have been initialised globally before use. One thread at a time uses a
// client (the downloader's worker); RequestStop may come from any thread.

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "utils/CurlHandle.h"
#include "engine/FollowingDigest.h"

class CurlClient {
 public:
  // The client's own results of Start (positive results are libcurl's CURLcode).
  static constexpr int kPartialOpenFailed = -996;  // the partial file cannot be opened
  static constexpr int kNoCurlHandle = -997;       // no libcurl handle could be created
  static constexpr int kNoFileLength = -998;       // no length, or one below 1 MiB, was found

  static constexpr double kMinimumFileLength = 1048576.0;

  // Receives throttled progress: (owner, speed in bytes per second, always 0.0, percent).
  using ProgressFunction = void (*)(void* owner, double speed, double zero, double percent);

  // Receives the diagnostic text of a probe whose status was not acceptable, for the
  // failure-reason report ("下载失败原因", value 0, property "AB" = "IN"). Called on the
  // probing thread.
  using FailureReporter = std::function<void(const std::wstring& reason)>;

  // Seconds since 1970, for the progress throttle.
  using Clock = int64_t (*)();

  CurlClient(std::wstring url, std::wstring destination, void* owner, ProgressFunction progress = nullptr);
  // Sets the stop flag and removes the partial file.
  ~CurlClient();

  CurlClient(const CurlClient&) = delete;
  CurlClient& operator=(const CurlClient&) = delete;

  // One complete attempt: probes when needed, transfer into the partial file (resumed when
  // it holds bytes), then renames it to the destination. 0 when the destination file is
  // complete; a CURLcode or one of the negative codes above otherwise. A failed transfer
  // leaves the bytes received in the partial file.
  int Start();

  // The partial path (destination + ".part") when |partial|, else the destination path.
  std::wstring GetPartOrFinalPath(bool partial) const;

  // A header-only request that follows redirects; returns the performed handle (or none)
  // for EffectiveUrl and GetDownloadFileLength. The caller owns it.
  Utils::UniqueCurl Head(const std::string& url);

  // CURLINFO_EFFECTIVE_URL of |handle|; empty when libcurl has none.
  static std::string EffectiveUrl(CURL* handle);

  // The announced length of a probed handle, or -1.0 when the status is not 200 to 399
  // (reported as a failure reason) or no length was announced.
  double GetDownloadFileLength(CURL* handle);

  // The address |url| finally leads to (|url| itself when libcurl reports none).
  std::string GetRealUrl_Str(const std::string& url);

  // The length announced for |url| without following redirects; -1.0 when none. A status
  // outside 200 to 400 is reported as a failure reason.
  double GetDownloadFileLength_Str(const std::string& url);

  // libcurl's transfer-information function for the transfer (clientp is the client).
  static int ProgressCallback(void* clientp, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                              curl_off_t ulnow);

  // Makes a transfer or probe under way abort (result 42) and every later one too.
  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }

  void SetProgressFunction(ProgressFunction progress) { progress_ = progress; }

  // State that survives between attempts.
  const std::string& RealUrl() const { return realUrl_; }
  double FileLength() const { return fileLength_; }
  int64_t ResumeOffset() const { return resumeOffset_; }
  const std::wstring& OpenErrorText() const { return openErrorText_; }

  // Digest the partial file while it is written (off by default). The digest check then
  // costs almost nothing after the last byte.
  void SetDigestWhileWriting(bool on) { digestWhileWriting_ = on; }

  // With digesting while writing: the MD5 (32 lower-case hex digits) of the destination
  // file written by the last Start that returned 0; empty otherwise or when the file could
  // not be read.
  const std::string& FileDigest() const { return fileDigest_; }

  // Where probe failure reasons go (nowhere by default). Process-wide; set at start-up.
  static void SetFailureReporter(FailureReporter reporter);

  // A new easy handle with the process's trust settings (the test authority when one is
  // set); none when libcurl cannot make one. Every handle of the engine comes from here.
  static Utils::UniqueCurl CreateHandle();

  // Tests only: trust exactly this PEM certificate authority for HTTPS (libcurl checks the
  // chain and the host name itself). Empty restores the system's trust.
  static void SetCaBlobForTesting(std::string pem);

  // Tests only: the clock of the progress throttle; nullptr restores the system clock.
  static void SetClockForTesting(Clock clock);

 private:
  Utils::UniqueCurl NewHandle();
  void ReportFailure(long status);
  int Transfer(CURL* handle);
  static size_t WritePartial(char* data, size_t size, size_t count, void* clientp);

  std::wstring url_;
  std::wstring destination_;
  void* owner_;
  ProgressFunction progress_;
  CURL* transfer_ = nullptr;  // the handle of the transfer under way (owned by Start)
  double fileLength_ = -1.0;
  int64_t resumeOffset_ = -1;
  int64_t lastProgressSecond_ = 0;
  std::atomic<bool> stop_{false};
  std::wstring openErrorText_;
  std::string realUrl_;
  void* partialFile_ = nullptr;  // HANDLE of the open partial file during a transfer
  bool digestWhileWriting_ = false;
  FollowingDigest digest_;
  std::string fileDigest_;
};
