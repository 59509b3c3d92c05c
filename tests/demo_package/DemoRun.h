#pragma once

// Running the demo programs the way the installer does and collecting their status lines.

#include <windows.h>

#include <string>
#include <vector>

namespace demo_testing {

// What a finished program wrote and how it ended.
struct RunResult {
  std::vector<std::string> lines;  // standard output split at line feeds (UTF-8)
  DWORD exitCode = STILL_ACTIVE;
};

// Runs |commandLine| hidden with redirected standard handles, reads its standard output
// until it closes and waits for the program to end.
RunResult RunProgram(const std::wstring& commandLine);

// The demo folder of this build, e.g. DemoFile(L"uninst.ep").
std::wstring DemoFile(const std::wstring& name);

// Wide text to UTF-8, for comparing with output lines.
std::string Utf8(const std::wstring& text);

// True when the file or folder exists.
bool Exists(const std::wstring& path);

// Sets an environment variable of this process (inherited by the programs it starts) and
// restores the earlier state when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::wstring previous_;
  bool hadPrevious_ = false;
};

}  // namespace demo_testing
