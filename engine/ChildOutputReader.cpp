#include "engine/ChildOutputReader.h"

#include <exception>
#include <memory>

#include "utils/ChildProcess.h"
#include "utils/DebugLog.h"

namespace {
constexpr DWORD kReadSize = 1024;
}  // namespace

bool RunChildReadingOutput(const std::wstring& commandLine, const std::function<void(const char*, DWORD)>& onRead) {
  DLOG(L"%s\r\n", commandLine.c_str());
  std::unique_ptr<Utils::ChildProcess> child;
  try {
    child = std::make_unique<Utils::ChildProcess>();
    child->Launch(commandLine);
  } catch (const std::exception&) {
    DLOG(L"cannot start the child, error %lu\r\n", static_cast<unsigned long>(::GetLastError()));
    return false;
  }

  char buffer[kReadSize];
  for (;;) {
    DWORD got = 0;
    const BOOL ok = ::ReadFile(child->OutputReadEnd(), buffer, kReadSize, &got, nullptr);
    if (!ok && got == 0) break;  // every writer has closed the pipe
    onRead(buffer, got);
  }
  ::WaitForSingleObject(child->ProcessHandle(), INFINITE);
  return true;
}
