#pragma once

// The single-stream downloader: one CurlClient, retried within a small budget on a worker
// named "ABDEF"; a complete file is checked against the MD5 digest carried in the real
// address's second-to-last segment.

#include <atomic>
#include <memory>
#include <string>

#include "engine/CurlClient.h"
#include "engine/Downloader.h"
#include "utils/Thread.h"

class CCurlDownloader : public CDownloader {
 public:
  static constexpr const wchar_t* kTransportName = L"LibCurl";
  static constexpr const wchar_t* kDigestMismatchText = L"curl文件md5校验失败";
  static constexpr const wchar_t* kNoDigestText = L"curl获取url-md5失败";
  static constexpr int kRetryBudget = 12;
  static constexpr DWORD kRetryPauseMs = 500;

  // Removes a partial file (|packagePath| + ".part") left by an earlier run of the program.
  CCurlDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath);
  // Stops a transfer under way and joins the worker; no events are sent after the
  // current one.
  ~CCurlDownloader() override;

  // Waits for the previous run's worker, then starts a new one. Called on the worker
  // itself (from the 1005 retry request), it schedules the next run on that worker to
  // begin as soon as the current run has returned.
  void Start() override;

  // The digest expected for |realUrl|: the text between its last two '/' characters, or
  // empty when it has fewer than two.
  static std::string ExpectedDigest(const std::string& realUrl);

 private:
  static void OnProgress(void* owner, double speed, double zero, double percent);
  void dlThreadFun();
  void Send(int32_t code, double value, const wchar_t* text) const;

  EngineEventCallback callback_;
  std::wstring packagePath_;
  std::wstring url_;
  CurlClient client_;
  std::unique_ptr<Utils::Thread> worker_;
  bool digestRetryUsed_ = false;
  bool runAgain_ = false;  // set by Start on the worker; read by the worker only
  std::atomic<bool> stopping_{false};
};
