#include "tests/demo_package/DemoRun.h"

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"
#include "tools/demo_package/ProtocolWriter.h"
#include "utils/ChildProcess.h"

namespace demo_testing {

RunResult RunProgram(const std::wstring& commandLine) {
  RunResult result;
  Utils::ChildProcess child;
  child.Launch(commandLine);
  std::string output;
  char buffer[1024];
  DWORD got = 0;
  while (::ReadFile(child.OutputReadEnd(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    output.append(buffer, got);
  }
  EXPECT_EQ(::WaitForSingleObject(child.ProcessHandle(), 60000), WAIT_OBJECT_0);
  ::GetExitCodeProcess(child.ProcessHandle(), &result.exitCode);
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    result.lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

std::wstring DemoFile(const std::wstring& name) {
  return testing_support::BuildFile(L"demo\\" + name);
}

std::string Utf8(const std::wstring& text) {
  return demo::ToUtf8(text);
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
  wchar_t buffer[1024] = {};
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
  hadPrevious_ = n > 0 && n < 1024;
  if (hadPrevious_) previous_ = buffer;
  ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  ::SetEnvironmentVariableW(name_.c_str(), hadPrevious_ ? previous_.c_str() : nullptr);
}

}  // namespace demo_testing
