#include "tests/engine_download/DownloadTestSupport.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>

#include "tests/support/TestPaths.h"
#include "utils/Handles.h"

namespace download_test {

void EventLog::Add(int32_t code, double value, const wchar_t* text) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    events_.push_back({code, value, text ? text : L"", static_cast<int64_t>(_time64(nullptr))});
  }
  changed_.notify_all();
}

bool EventLog::WaitFor(int32_t code, int count, DWORD ms) {
  std::unique_lock<std::mutex> lock(lock_);
  return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
    int seen = 0;
    for (const Event& e : events_) seen += e.code == code ? 1 : 0;
    return seen >= count;
  });
}

std::vector<Event> EventLog::Events() const {
  std::lock_guard<std::mutex> lock(lock_);
  return events_;
}

std::vector<int32_t> EventLog::CodesWithoutProgress() const {
  std::vector<int32_t> codes;
  for (const Event& e : Events()) {
    if (e.code != 1002) codes.push_back(e.code);
  }
  return codes;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::string EnvUtf8(const wchar_t* name) {
  return ToUtf8(Env(name));
}

std::wstring HostEnvPath(const wchar_t* name) {
  const std::string host = EnvUtf8(name);
  return host.empty() ? std::wstring() : testing_support::HostPathToWindows(host);
}

std::wstring ServedFile(const wchar_t* name) {
  return HostEnvPath(L"QUILLORA_TEST_PACKAGES") + L"\\files\\" + name;
}

namespace {
size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}
}  // namespace

std::string HttpGet(const std::string& url) {
  std::string body;
  CURL* h = curl_easy_init();
  if (!h) return body;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(h);
  curl_easy_cleanup(h);
  return body;
}

std::vector<std::string> FaultLog(const std::string& token) {
  const std::string text = HttpGet(EnvUtf8(L"QUILLORA_TEST_FAULT") + "/_log/" + token);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end > start) lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string UniqueToken(const char* tag) {
  static std::atomic<unsigned> counter{0};
  return std::string(tag) + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount64()) +
         "-" + std::to_string(counter++);
}

int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

namespace {
Utils::UniqueFileHandle OpenRead(const std::wstring& path) {
  return Utils::UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

bool SameContents(const std::wstring& a, const std::wstring& b) {
  Utils::UniqueFileHandle fa = OpenRead(a), fb = OpenRead(b);
  if (!fa || !fb) return false;
  constexpr DWORD kBlock = 1 << 20;
  auto ba = std::make_unique<char[]>(kBlock), bb = std::make_unique<char[]>(kBlock);
  for (;;) {
    DWORD na = 0, nb = 0;
    if (!::ReadFile(fa.Get(), ba.get(), kBlock, &na, nullptr) || !::ReadFile(fb.Get(), bb.get(), kBlock, &nb, nullptr))
      return false;
    if (na != nb || memcmp(ba.get(), bb.get(), na) != 0) return false;
    if (na == 0) return true;
  }
}

std::string ReadRange(const std::wstring& path, int64_t offset, size_t length) {
  Utils::UniqueFileHandle f = OpenRead(path);
  if (!f) return {};
  LARGE_INTEGER at;
  at.QuadPart = offset;
  if (!::SetFilePointerEx(f.Get(), at, nullptr, FILE_BEGIN)) return {};
  std::string out(length, '\0');
  DWORD got = 0;
  if (!::ReadFile(f.Get(), out.data(), static_cast<DWORD>(length), &got, nullptr)) return {};
  out.resize(got);
  return out;
}

}  // namespace download_test

namespace {
// libcurl is initialised once per process, as the installer does at start-up.
struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_ALL); }
  ~CurlGlobal() { curl_global_cleanup(); }
} g_curlGlobal;
}  // namespace
