#include "utils/ChildProcess.h"

#include <cwchar>

#include "utils/Exception.h"

namespace Utils {

Pipe::Pipe() {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, &sa, 0)) {
    if (read) ::CloseHandle(read);
    if (write) ::CloseHandle(write);
    throw Exception();
  }
  read_.Reset(read);
  write_.Reset(write);
}

void ChildProcess::Launch(const std::wstring& commandLine) {
  if (commandLine.size() >= kCommandLineCapacity) throw Exception();
  std::wmemcpy(commandLine_, commandLine.c_str(), commandLine.size() + 1);

  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = input_.ReadEnd();
  si.hStdOutput = output_.WriteEnd();
  si.hStdError = error_.WriteEnd();

  // The child must inherit only its own ends; otherwise it would hold our read ends open
  // and we would never see end of file.
  ::SetHandleInformation(output_.ReadEnd(), HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(error_.ReadEnd(), HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(input_.WriteEnd(), HANDLE_FLAG_INHERIT, 0);

  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(nullptr, commandLine_, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    throw Exception();
  }
  process_.Reset(pi.hProcess);
  thread_.Reset(pi.hThread);
  processId_ = pi.dwProcessId;
  threadId_ = pi.dwThreadId;

  output_.CloseWriteEnd();
  error_.CloseWriteEnd();
  input_.CloseReadEnd();
}

}  // namespace Utils
