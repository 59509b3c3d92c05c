#include "engine/CurlDownloader.h"

#include <windows.h>

#include "utils/DebugLog.h"
#include "utils/Md5.h"

CCurlDownloader::CCurlDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath)
    : callback_(std::move(callback)),
      packagePath_(std::move(packagePath)),
      url_(std::move(url)),
      client_(url_, packagePath_, this, &CCurlDownloader::OnProgress) {
  ::DeleteFileW(client_.GetPartOrFinalPath(true).c_str());
  client_.SetDigestWhileWriting(true);
}

CCurlDownloader::~CCurlDownloader() {
  // Shutdown must not wait for the rest of the download: abort it, then join.
  stopping_ = true;
  client_.RequestStop();
  worker_.reset();
}

void CCurlDownloader::Start() {
  if (worker_ && worker_->Id() == ::GetCurrentThreadId()) {
    // Called from this worker's own event (the retry request): waiting for it would wait
    // forever. The worker starts the next run once the current one has returned.
    runAgain_ = true;
    return;
  }
  worker_.reset();  // joins the previous run's worker
  worker_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) {
    do {
      runAgain_ = false;
      dlThreadFun();
    } while (runAgain_ && !stopping_);
  });
  if (worker_->IsCreated()) worker_->Resume();
}

std::string CCurlDownloader::ExpectedDigest(const std::string& realUrl) {
  const size_t last = realUrl.rfind('/');
  if (last == std::string::npos || last == 0) return {};
  const size_t before = realUrl.rfind('/', last - 1);
  if (before == std::string::npos) return {};
  return realUrl.substr(before + 1, last - before - 1);
}

void CCurlDownloader::OnProgress(void* owner, double speed, double, double percent) {
  auto* self = static_cast<CCurlDownloader*>(owner);
  if (speed > 0 && percent <= 100) self->Send(DownloadEvent::kProgress, percent / 100, L"");
}

void CCurlDownloader::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_ && !stopping_) callback_(code, value, text);
}

void CCurlDownloader::dlThreadFun() {
  Send(DownloadEvent::kStarted, 1.0, L"");

  int budget = kRetryBudget;
  int result = client_.Start();
  while (result != 0) {
    if (stopping_) return;
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    if (budget <= 0) {
      Send(DownloadEvent::kFailed, result, kTransportName);
      return;
    }
    DLOG(L"CurlDownLoader Code=%d\r\n", result);
    ::Sleep(kRetryPauseMs);
    result = client_.Start();
  }

  const std::string expected = ExpectedDigest(client_.RealUrl());
  if (expected.size() == 32) {
    std::string actual = client_.FileDigest();
    if (actual.empty()) actual = Utils::Md5OfFile(packagePath_);
    if (actual.size() == 32 && actual != expected) {
      Send(DownloadEvent::kDigestWarning, 0.0, kDigestMismatchText);
      if (digestRetryUsed_) {
        Send(DownloadEvent::kFailed, 0.0, kTransportName);
      } else {
        digestRetryUsed_ = true;
        Send(DownloadEvent::kStartAgain, 0.0, kTransportName);
      }
      return;
    }
  } else {
    Send(DownloadEvent::kDigestWarning, 0.0, kNoDigestText);
  }
  Send(DownloadEvent::kComplete, 0.0, kTransportName);
}
