#include "engine/MTCurlDownloader.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "engine/CurlClient.h"
#include "engine/CurlDownloader.h"
#include "utils/DebugLog.h"
#include "utils/InstallerSettings.h"
#include "utils/Md5.h"
#include "utils/TextConvert.h"

namespace {

// Text that libcurl hands back (may be null).
std::wstring FromUtf8z(const char* text) { return text ? Utils::Utf8ToWide(text) : std::wstring(); }

int64_t SystemSeconds() {
  return static_cast<int64_t>(_time64(nullptr));
}

std::atomic<CMTCurlDownloader::Clock> g_clock{&SystemSeconds};

// Same receive buffer as the single-stream client: Wine pays per socket read.
constexpr long kReceiveBuffer = 131072;
constexpr DWORD kMergeBlock = 1048576;

// Size of a file; 0 when it does not exist or cannot be read.
int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

size_t DiscardBytes(char*, size_t size, size_t count, void*) {
  return size * count;
}

int ProbeStopCheck(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<std::atomic<bool>*>(clientp)->load() ? 1 : 0;
}

bool StartsWithNoCase(const char* data, size_t size, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return size >= n && _strnicmp(data, prefix, n) == 0;
}

}  // namespace

void CMTCurlDownloader::SetClockForTesting(Clock clock) {
  g_clock = clock ? clock : &SystemSeconds;
}

std::vector<CMTCurlDownloader::Range> CMTCurlDownloader::SplitRanges(int64_t length) {
  int64_t parts = length / kPartUnit;
  if (parts < 1) parts = 1;
  if (parts > 2) parts = 2;
  const int64_t size = length / parts;
  std::vector<Range> ranges;
  for (int64_t i = 0; i < parts; ++i) {
    const int64_t first = i * size;
    ranges.push_back({first, i == parts - 1 ? length - 1 : first + size - 1});
  }
  return ranges;
}

CMTCurlDownloader::CMTCurlDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath)
    : callback_(std::move(callback)), packagePath_(std::move(packagePath)), url_(std::move(url)) {
  ::DeleteFileW(packagePath_.c_str());
  DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
  // The part transfers see the flag in their progress function and abort; the worker joins
  // them before it ends.
  stopping_ = true;
  worker_.reset();
}

std::wstring CMTCurlDownloader::PartPath(int index) const {
  return packagePath_ + L"_" + std::to_wstring(index);
}

void CMTCurlDownloader::DeletePartFiles() const {
  ::DeleteFileW(PartPath(0).c_str());
  ::DeleteFileW(PartPath(1).c_str());
}

void CMTCurlDownloader::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_ && !stopping_) callback_(code, value, text);
}

void CMTCurlDownloader::Start() {
  if (worker_ && worker_->Id() == ::GetCurrentThreadId()) {
    // The retry request arrives on this very worker: run again once this run returns.
    runAgain_ = true;
    return;
  }
  worker_.reset();  // joins the previous run
  worker_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) { RunLoop(); });
  if (!worker_->Resume()) {
    DLOG(L"cannot start the download worker\r\n");
    worker_.reset();
    Send(DownloadEvent::kFailed, 0.0, kTransportName);
  }
}

void CMTCurlDownloader::RunLoop() {
  do {
    runAgain_ = false;
    Start_Down();
  } while (runAgain_ && !stopping_);
}

bool CMTCurlDownloader::getRealDownloadUrl() {
  realUrl_.clear();
  expectedDigest_.clear();
  fileLength_ = 0;
  if (!Utils::Settings().CurlReady) return false;
  Utils::UniqueCurl handle = CurlClient::CreateHandle();
  if (!handle) return false;
  CURL* h = handle.Get();
  const std::string url = url_.compare(0, 8, L"file:///") == 0 ? Utils::WideToBytes(url_, CP_ACP) : Utils::WideToBytes(url_, CP_UTF8);
  Utils::UniqueCurlSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  int set = curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.Get());
  set |= curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  set |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  set |= curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  set |= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  set |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardBytes);
  set |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  set |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  set |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProbeStopCheck);
  set |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, &stopping_);
  if (set != CURLE_OK || curl_easy_perform(h) != CURLE_OK) return false;

  char* effective = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective && *effective) {
    realUrl_ = effective;
    DLOG(L"Download File real url %s\r\n", FromUtf8z(effective).c_str());
    expectedDigest_ = CCurlDownloader::ExpectedDigest(realUrl_);
  }
  curl_off_t length = -1;
  long status = 0;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
    fileLength_ = length > 0 ? static_cast<int64_t>(length) : 0;
    DLOG(L"Download File Length %lld\r\n", static_cast<long long>(fileLength_));
  }
  return !realUrl_.empty() && fileLength_ >= kMinimumLength;
}

void CMTCurlDownloader::Start_Down() {
  Send(DownloadEvent::kStarted, 1.0, L"");
  DLOG(L"start download\r\n");
  ::DeleteFileW(packagePath_.c_str());
  bool resume;
  {
    std::lock_guard<std::mutex> lock(progressLock_);
    resume = lastPercent_ != 0.0;
  }
  if (!resume) DeletePartFiles();

  if (realUrl_.empty() || fileLength_ < kMinimumLength) {
    if (!getRealDownloadUrl()) {
      Send(DownloadEvent::kFailed, 0.0, kTransportName);
      return;
    }
  }

  const std::vector<Range> ranges = SplitRanges(fileLength_);
  for (size_t i = 0; i < ranges.size(); ++i) {
    auto part = std::make_unique<PartTask>();
    part->owner = this;
    part->path = PartPath(static_cast<int>(i));
    int64_t present = FileSize(part->path);
    const int64_t size = ranges[i].last - ranges[i].first + 1;
    if (present > size) {
      // More than the range holds: not from this file; fetch the range anew.
      ::DeleteFileW(part->path.c_str());
      present = 0;
    }
    part->received = present;
    part->nextOffset = ranges[i].first + present;
    part->endOffset = ranges[i].last;
    part->url = realUrl_;
    if (part->endOffset < part->nextOffset) {
      part->state = 0;
    } else {
      part->state = -1;
      part->file.Reset(::CreateFileW(part->path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!part->file) part->state = -2;
    }
    parts_.push_back(std::move(part));
  }

  for (auto& part : parts_) {
    if (part->state != -1) continue;
    ++activeTransfers_;
    PartTask* task = part.get();
    part->worker = std::make_unique<Utils::Thread>(0, L"", [this, task](uint32_t) { downloadThreadFun(*task); });
    if (!part->worker->Resume()) {
      --activeTransfers_;
      part->state = CURLE_FAILED_INIT;
      part->file.Reset();
    }
    ::Sleep(kPartStartGapMs);
  }
  waitForFinishThreadFun();
}

void CMTCurlDownloader::downloadThreadFun(PartTask& part) {
  int budget = kPartBudget;
  int result = downloadExe(part);
  while (result != CURLE_OK && budget > 0 && !stopping_) {
    DLOG(L"CurlDownLoader Code=%d\r\n", result);
    ::Sleep(kPartRetryPauseMs);
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    result = downloadExe(part);
  }
  part.file.Reset();
  --activeTransfers_;
}

int CMTCurlDownloader::downloadExe(PartTask& part) {
  part.handle = CurlClient::CreateHandle();
  if (!part.handle) {
    part.state = CURLE_FAILED_INIT;
    return part.state;
  }
  CURL* h = part.handle.Get();
  char range[64];
  std::snprintf(range, sizeof(range), "%lld-%lld", static_cast<long long>(part.nextOffset),
                static_cast<long long>(part.endOffset));
  part.status = 0;
  part.answerFirst = -1;
  part.answerChecked = false;

  int set = curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  set |= curl_easy_setopt(h, CURLOPT_URL, part.url.c_str());
  set |= curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
  set |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  set |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WritePart);
  set |= curl_easy_setopt(h, CURLOPT_WRITEDATA, &part);
  set |= curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ReadHeader);
  set |= curl_easy_setopt(h, CURLOPT_HEADERDATA, &part);
  set |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  set |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Progress);
  set |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, &part);
  set |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  set |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  set |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  set |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 5L);
  set |= curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  set |= curl_easy_setopt(h, CURLOPT_RANGE, range);
  if (set != CURLE_OK) return set;

  int result = curl_easy_perform(h);
  if (part.nextOffset > part.endOffset) {
    // The whole range is in the part file; a server that sent more ended with a write error.
    result = CURLE_OK;
  } else if (result == CURLE_OK) {
    // The answer ended before the range did.
    result = CURLE_PARTIAL_FILE;
  }
  if (result != CURLE_OK) {
    DLOG(L"error:%d:%s\r\n", result, FromUtf8z(curl_easy_strerror(static_cast<CURLcode>(result))).c_str());
  } else {
    DLOG(L"curl_easy_cleanup\r\n");
    part.file.Reset();
  }
  part.handle.Reset();
  part.state = result;
  return result;
}

size_t CMTCurlDownloader::ReadHeader(char* data, size_t size, size_t count, void* userdata) {
  auto& part = *static_cast<PartTask*>(userdata);
  const size_t n = size * count;
  if (StartsWithNoCase(data, n, "HTTP/")) {
    // A new answer (after a redirect): forget the previous one's range.
    part.answerFirst = -1;
  } else if (StartsWithNoCase(data, n, "Content-Range:")) {
    const std::string value(data + 14, n - 14);
    long long first = -1;
    if (std::sscanf(value.c_str(), " bytes %lld-", &first) == 1) part.answerFirst = first;
  }
  return n;
}

size_t CMTCurlDownloader::WritePart(char* data, size_t size, size_t count, void* userdata) {
  auto& part = *static_cast<PartTask*>(userdata);
  if (!part.answerChecked) {
    // Only the range that was asked for may go into the part file.
    curl_easy_getinfo(part.handle.Get(), CURLINFO_RESPONSE_CODE, &part.status);
    if (part.status != 206 || part.answerFirst != part.nextOffset) {
      DLOG(L"range answer refused: status %ld, first byte %lld, asked %lld\r\n", part.status,
           static_cast<long long>(part.answerFirst), static_cast<long long>(part.nextOffset));
      return 0;
    }
    part.answerChecked = true;
  }
  if (part.nextOffset > part.endOffset) return 0;
  int64_t n = static_cast<int64_t>(size * count);
  if (n > part.endOffset - part.nextOffset + 1) n = part.endOffset - part.nextOffset + 1;
  DWORD written = 0;
  if (!::WriteFile(part.file.Get(), data, static_cast<DWORD>(n), &written, nullptr)) return 0;
  part.nextOffset += written;
  part.received += written;
  return written;
}

int CMTCurlDownloader::Progress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& part = *static_cast<PartTask*>(clientp);
  CMTCurlDownloader& self = *part.owner;
  if (self.stopping_) return 1;
  double percent = 0.0;
  {
    std::lock_guard<std::mutex> lock(self.progressLock_);
    const int64_t now = g_clock.load()();
    if (now <= self.lastProgressSecond_) return 0;
    self.lastProgressSecond_ = now;
    if (self.fileLength_ >= kMinimumLength) {
      for (const auto& p : self.parts_) percent += static_cast<double>(p->received) * 100.0 / self.fileLength_;
    }
    if (percent > 100.0) return 0;
    if (percent - self.lastPercent_ < 1.0) return 0;
    self.lastPercent_ = percent;
  }
  self.Send(DownloadEvent::kProgress, percent / 100.0, L"");
  return 0;
}

bool CMTCurlDownloader::MergeParts() {
  Utils::UniqueFileHandle first(
      ::CreateFileW(PartPath(0).c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!first) return false;
  std::vector<char> block(kMergeBlock);
  for (size_t i = 1; i < parts_.size(); ++i) {
    Utils::UniqueFileHandle next(::CreateFileW(parts_[i]->path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!next) return false;
    DWORD got = 0;
    while (::ReadFile(next.Get(), block.data(), kMergeBlock, &got, nullptr) && got > 0) {
      DWORD written = 0;
      if (!::WriteFile(first.Get(), block.data(), got, &written, nullptr) || written != got) return false;
    }
    DLOG(L"partPath::%s\r\n", parts_[i]->path.c_str());
  }
  first.Reset();
  return ::MoveFileExW(PartPath(0).c_str(), packagePath_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void CMTCurlDownloader::ReleaseParts() {
  for (auto& part : parts_) {
    if (part->worker) part->worker->Join();
  }
  parts_.clear();
}

void CMTCurlDownloader::waitForFinishThreadFun() {
  for (auto& part : parts_) {
    if (part->worker) part->worker->Join();
  }
  int failing = 0;
  for (const auto& part : parts_) {
    if (part->state != 0) {
      failing = part->state;
      break;
    }
  }
  if (stopping_) {
    ReleaseParts();
    return;
  }

  if (failing == 0) {
    {
      std::lock_guard<std::mutex> lock(progressLock_);
      lastPercent_ = 0.0;
    }
    for (auto& part : parts_) part->file.Reset();
    const bool merged = MergeParts();
    DeletePartFiles();
    if (!merged) {
      DLOG(L"the parts cannot be joined into %s\r\n", packagePath_.c_str());
      ::DeleteFileW(packagePath_.c_str());
      failing = -2;
    }
  }

  if (failing == 0) {
    if (expectedDigest_.size() == 32) {
      const std::string actual = Utils::Md5OfFile(packagePath_);
      if (actual.size() == 32 && actual != expectedDigest_) {
        Send(DownloadEvent::kDigestWarning, 0.0, kDigestMismatchText);
        ::DeleteFileW(packagePath_.c_str());
        ReleaseParts();
        if (retryUsed_) {
          DLOG(L"finish recv, md5 chaek failed and retry failed.\r\n");
          Send(DownloadEvent::kFailed, 0.0, kTransportName);
        } else {
          retryUsed_ = true;
          DLOG(L"finish recv, md5 chaek failed retry once.\r\n");
          Send(DownloadEvent::kStartAgain, 0.0, kTransportName);
        }
        return;
      }
    } else {
      Send(DownloadEvent::kDigestWarning, 0.0, kNoDigestText);
    }
    DLOG(L"finish recv\r\n");
    ReleaseParts();
    Send(DownloadEvent::kComplete, 0.0, kTransportName);
    return;
  }

  ReleaseParts();
  bool resumable;
  {
    std::lock_guard<std::mutex> lock(progressLock_);
    resumable = lastPercent_ != 0.0;
    if (retryUsed_) lastPercent_ = 0.0;
  }
  if (!resumable) DeletePartFiles();
  if (retryUsed_) {
    // Nothing will resume them any more.
    DeletePartFiles();
    Send(DownloadEvent::kFailed, failing, kTransportName);
  } else {
    retryUsed_ = true;
    Send(DownloadEvent::kStartAgain, failing, kTransportName);
  }
}
