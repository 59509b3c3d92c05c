#include "engine/CurlClient.h"

#include <windows.h>

#include <cwchar>
#include <mutex>

#include "utils/DebugLog.h"
#include "utils/Handles.h"
#include "utils/TextConvert.h"

namespace {

// Text that libcurl hands back (may be null).
std::wstring FromUtf8z(const char* text) { return text ? Utils::Utf8ToWide(text) : std::wstring(); }

std::wstring CurlMessage(int code) {
  return FromUtf8z(curl_easy_strerror(static_cast<CURLcode>(code)));
}

std::wstring SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  Utils::UniqueLocalMemory owner(text);
  std::wstring out = n > 0 && text ? std::wstring(text, n) : L"error " + std::to_wstring(error);
  while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L' ')) out.pop_back();
  return out;
}

// The announced body length as a double; -1.0 when none.
int ContentLength(CURL* handle, double* length) {
  curl_off_t value = -1;
  const int result = curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &value);
  *length = result == CURLE_OK ? static_cast<double>(value) : -1.0;
  return result;
}

int64_t SystemSeconds() {
  return static_cast<int64_t>(_time64(nullptr));
}

size_t DiscardBytes(char*, size_t size, size_t count, void*) {
  return size * count;
}

// Aborts probes once the client is asked to stop.
int ProbeStopCheck(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<CurlClient*>(clientp)->StopRequested() ? 1 : 0;
}

// Process-wide hooks, set at start-up (or by tests) before any worker runs.
std::mutex g_hooksLock;
CurlClient::FailureReporter g_failureReporter;
std::string g_caBlob;
std::atomic<CurlClient::Clock> g_clock{&SystemSeconds};

// The transfer's receive buffer: Wine pays heavily per socket read, and 128 KiB reads
// measured several times faster than libcurl's default 16 KiB.
constexpr long kReceiveBuffer = 131072;

}  // namespace

CurlClient::CurlClient(std::wstring url, std::wstring destination, void* owner, ProgressFunction progress)
    : url_(std::move(url)), destination_(std::move(destination)), owner_(owner), progress_(progress) {}

CurlClient::~CurlClient() {
  stop_ = true;
  ::DeleteFileW(GetPartOrFinalPath(true).c_str());
}

void CurlClient::SetFailureReporter(FailureReporter reporter) {
  std::lock_guard<std::mutex> lock(g_hooksLock);
  g_failureReporter = std::move(reporter);
}

void CurlClient::SetCaBlobForTesting(std::string pem) {
  std::lock_guard<std::mutex> lock(g_hooksLock);
  g_caBlob = std::move(pem);
}

void CurlClient::SetClockForTesting(Clock clock) {
  g_clock = clock ? clock : &SystemSeconds;
}

std::wstring CurlClient::GetPartOrFinalPath(bool partial) const {
  return partial ? destination_ + L".part" : destination_;
}

Utils::UniqueCurl CurlClient::NewHandle() {
  return CreateHandle();
}

Utils::UniqueCurl CurlClient::CreateHandle() {
  Utils::UniqueCurl handle(curl_easy_init());
  if (!handle) return handle;
  std::lock_guard<std::mutex> lock(g_hooksLock);
  if (!g_caBlob.empty()) {
    curl_blob blob = {g_caBlob.data(), g_caBlob.size(), CURL_BLOB_COPY};
    curl_easy_setopt(handle.Get(), CURLOPT_CAINFO_BLOB, &blob);
    // A test authority publishes no revocation list.
    curl_easy_setopt(handle.Get(), CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
  }
  return handle;
}

void CurlClient::ReportFailure(long status) {
  wchar_t text[200];
  std::swprintf(text, 200, L"1.获取文件大小的状态码为=%ld；", status);
  FailureReporter reporter;
  {
    std::lock_guard<std::mutex> lock(g_hooksLock);
    reporter = g_failureReporter;
  }
  if (reporter) reporter(text);
}

Utils::UniqueCurl CurlClient::Head(const std::string& url) {
  Utils::UniqueCurl handle = NewHandle();
  if (!handle) return handle;
  CURL* h = handle.Get();
  int result = curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  result |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  result |= curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  result |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardBytes);
  result |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProbeStopCheck);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
  if (result == CURLE_OK) result = curl_easy_perform(h);
  DLOG(L"error:%d:%s\r\n", result, CurlMessage(result).c_str());
  return handle;
}

std::string CurlClient::EffectiveUrl(CURL* handle) {
  char* url = nullptr;
  if (!handle || curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) return {};
  return url;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
  double length = -1.0;
  const int result = ContentLength(handle, &length);
  DLOG(L"error:%d:%s\r\n", result, CurlMessage(result).c_str());
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 || status > 399) {
    ReportFailure(status);
    return -1.0;
  }
  return length;
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) {
  std::string effective;
  Utils::UniqueCurl handle = NewHandle();
  if (handle) {
    CURL* h = handle.Get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardBytes);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProbeStopCheck);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    const int result = curl_easy_perform(h);
    if (result == CURLE_OK) {
      effective = EffectiveUrl(h);
    } else {
      DLOG(L"error:%d:%s\r\n", result, CurlMessage(result).c_str());
    }
  }
  return effective.empty() ? url : effective;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) {
  double length = -1.0;
  Utils::UniqueCurl handle = NewHandle();
  if (!handle) return length;
  CURL* h = handle.Get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_HEADER, 1L);
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardBytes);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProbeStopCheck);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
  int result = curl_easy_perform(h);
  if (const int r = ContentLength(h, &length); r != CURLE_OK) result = r;
  long status = 0;
  const int statusResult = curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (statusResult != CURLE_OK) result = statusResult;
  if (statusResult != CURLE_OK || status < 200 || status > 400) ReportFailure(status);
  DLOG(L"error:%d:%s\r\n", result, CurlMessage(result).c_str());
  return length;
}

int CurlClient::Start() {
  DLOG(L"start download\r\n");
  fileDigest_.clear();
  const std::wstring partialPath = GetPartOrFinalPath(true);
  const std::wstring finalPath = GetPartOrFinalPath(false);
  // libcurl here is a Unicode build: it takes every address, file:/// ones included, as
  // UTF-8 and opens local files through their wide names.
  const std::string url = Utils::WideToUtf8(url_);

  if (realUrl_.empty() || fileLength_ < kMinimumFileLength) {
    Utils::UniqueCurl probe = Head(url);
    realUrl_ = EffectiveUrl(probe.Get());
    fileLength_ = probe ? GetDownloadFileLength(probe.Get()) : -1.0;
  }

  int result = CURLE_OK;
  if (realUrl_.empty() || fileLength_ < kMinimumFileLength) {
    realUrl_ = GetRealUrl_Str(url);
    if (!realUrl_.empty()) fileLength_ = GetDownloadFileLength_Str(realUrl_);
    if (fileLength_ < kMinimumFileLength) result = kNoFileLength;
  }

  if (result == CURLE_OK) {
    Utils::UniqueCurl handle = NewHandle();
    if (!handle) {
      result = kNoCurlHandle;
    } else {
      // Opened through the wide path: the folder may hold characters that no ANSI code
      // page can spell (a Chinese user name on an English system). Written from its end
      // by this one writer; an append-only handle costs Wine extra work on every write.
      Utils::UniqueFileHandle partial(::CreateFileW(partialPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      LARGE_INTEGER zero = {};
      if (partial && !::SetFilePointerEx(partial.Get(), zero, nullptr, FILE_END)) partial.Reset();
      if (!partial) {
        openErrorText_ = SystemMessage(::GetLastError());
        result = kPartialOpenFailed;
      } else {
        transfer_ = handle.Get();
        partialFile_ = partial.Get();
        if (digestWhileWriting_) digest_.Follow(partialPath);
        result = Transfer(handle.Get());
        transfer_ = nullptr;
        partialFile_ = nullptr;
        partial.Reset();
        if (digestWhileWriting_) {
          if (result == CURLE_OK) {
            fileDigest_ = digest_.Finish();
          } else {
            digest_.Pause();
          }
        }
      }
    }
  }

  DLOG(L"error:%d:%s\r\n", result, CurlMessage(result).c_str());

  if (result == CURLE_RANGE_ERROR) {
    // The server will not resume this partial file (it ignores the range): start the next
    // attempt from byte 0 instead of failing the same way every time.
    ::DeleteFileW(partialPath.c_str());
    digest_.Reset();
  }
  if (result == CURLE_OK) {
    ::DeleteFileW(finalPath.c_str());
    if (!::MoveFileW(partialPath.c_str(), finalPath.c_str())) {
      // Reporting success here would hand over a file that is not there.
      DLOG(L"rename failed:%lu\r\n", ::GetLastError());
      result = CURLE_WRITE_ERROR;
      fileDigest_.clear();
    }
  }
  DLOG(L"end download\r\n");
  return result;
}

size_t CurlClient::WritePartial(char* data, size_t size, size_t count, void* clientp) {
  auto* self = static_cast<CurlClient*>(clientp);
  const size_t total = size * count;
  size_t done = 0;
  while (done < total) {
    const DWORD chunk = static_cast<DWORD>(total - done > 0x40000000 ? 0x40000000 : total - done);
    DWORD written = 0;
    if (!::WriteFile(static_cast<HANDLE>(self->partialFile_), data + done, chunk, &written, nullptr) || written == 0)
      break;
    done += written;
  }
  return done;  // anything short makes libcurl fail the transfer (23)
}

int CurlClient::Transfer(CURL* h) {
  Utils::UniqueCurlSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  if (headers) curl_slist_append(headers.Get(), "Accept-Encoding: gzip, deflate");  // same head

  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.Get());
  curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(h, CURLOPT_TCP_KEEPIDLE, 10L);
  curl_easy_setopt(h, CURLOPT_TCP_KEEPINTVL, 10L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
  int result = curl_easy_setopt(h, CURLOPT_URL, realUrl_.c_str());
  result |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  result |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlClient::WritePartial);
  result |= curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
  result |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  result |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
  result |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
  result |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  result |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  result |= curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBuffer);

  LARGE_INTEGER size;
  resumeOffset_ = ::GetFileSizeEx(static_cast<HANDLE>(partialFile_), &size) ? size.QuadPart : -1;
  if (resumeOffset_ > 0) {
    result |= curl_easy_setopt(h, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));
  }
  if (result != CURLE_OK) return result;
  return curl_easy_perform(h);
}

int CurlClient::ProgressCallback(void* clientp, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  auto* self = static_cast<CurlClient*>(clientp);
  if (self->stop_) return 1;

  const int64_t now = g_clock.load()();
  if (now < self->lastProgressSecond_ + 1) return 0;
  self->lastProgressSecond_ = now;

  curl_off_t bytesPerSecond = 0;
  if (self->transfer_) curl_easy_getinfo(self->transfer_, CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond);
  const double speed = static_cast<double>(bytesPerSecond);

  double percent = 0.0;
  if (self->fileLength_ > kMinimumFileLength) {
    const int64_t present = self->resumeOffset_ > 0 ? self->resumeOffset_ : 0;
    percent = static_cast<double>(static_cast<int64_t>(dlnow) + present) / self->fileLength_ * 100.0;
  } else {
    if (dlnow <= 0 || dltotal <= 0) return 0;
    percent = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
  }
  if (percent == 0.0) return 0;

  if (self->progress_) self->progress_(self->owner_, speed, 0.0, percent);
  if (dltotal != 0) {
    DLOG(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
         static_cast<int>(dltotal / 1048576), percent, speed / 1024);
  }
  return 0;
}
