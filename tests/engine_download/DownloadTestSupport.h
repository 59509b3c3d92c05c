#pragma once

// Helpers shared by the download tests: libcurl set-up, event recording, file checks and
// the addresses of the local test servers (given by tools/download_servers).

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace download_test {

// One engine event as received.
struct Event {
  int32_t code;
  double value;
  std::wstring text;
  int64_t second;  // wall-clock second (since 1970) of arrival
};

// Records engine events from any thread; waits for the end of a run.
class EventLog {
 public:
  void Add(int32_t code, double value, const wchar_t* text);
  // Waits (up to |ms|) until an event with |code| has arrived |count| times. True if it has.
  bool WaitFor(int32_t code, int count = 1, DWORD ms = 120000);
  std::vector<Event> Events() const;
  // The codes in arrival order, progress (1002) left out.
  std::vector<int32_t> CodesWithoutProgress() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Event> events_;
};

// An environment variable of the server launcher, as wide and UTF-8 text; empty if unset.
std::wstring Env(const wchar_t* name);
std::string EnvUtf8(const wchar_t* name);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// A host path given by the launcher (QUILLORA_TEST_PACKAGES, ...) as a Windows path.
std::wstring HostEnvPath(const wchar_t* name);

// The served copy of a package file (<packages>/files/<name>) as a Windows path.
std::wstring ServedFile(const wchar_t* name);

// GET |url| with libcurl into a string (for the fault server's request log).
std::string HttpGet(const std::string& url);

// The fault server's request lines for |token| ("<METHOD> <range or -> <status>").
std::vector<std::string> FaultLog(const std::string& token);

// A token no other test uses.
std::string UniqueToken(const char* tag);

// Size of a file; -1 when it does not exist.
int64_t FileSize(const std::wstring& path);

// True when both files exist and hold the same bytes (compared in blocks).
bool SameContents(const std::wstring& a, const std::wstring& b);

// |length| bytes of |path| from |offset|; empty on failure.
std::string ReadRange(const std::wstring& path, int64_t offset, size_t length);

}  // namespace download_test
