#pragma once

// Anonymous pipes and a hidden child process whose three standard handles are redirected
// to them. Both throw Utils::Exception when the system refuses.

#include <windows.h>

#include <string>

#include "utils/Handles.h"

namespace Utils {

// An anonymous pipe with both ends inheritable and the default buffer size.
class Pipe {
 public:
  // Throws Utils::Exception when the pipe cannot be created.
  Pipe();

  HANDLE ReadEnd() const { return read_.Get(); }
  HANDLE WriteEnd() const { return write_.Get(); }
  void CloseReadEnd() { read_.Reset(); }
  void CloseWriteEnd() { write_.Reset(); }

 private:
  UniqueHandle write_;
  UniqueHandle read_;
};

class ChildProcess {
 public:
  // Maximum command line, terminating zero included.
  static constexpr size_t kCommandLineCapacity = 1024;

  // Creates the three pipes (standard error, output, input). Throws Utils::Exception.
  ChildProcess() = default;
  // Closes the process and thread handles and every pipe end still open; the child itself
  // is left running.
  ~ChildProcess() = default;

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts |commandLine| hidden, with its standard input, output and error on the pipes.
  // The parent's ends stay with this object and are not inherited; the child's ends are
  // closed here once the child has them. Throws Utils::Exception when the command line
  // does not fit kCommandLineCapacity or the process cannot be started.
  void Launch(const std::wstring& commandLine);

  // The parent's ends.
  HANDLE OutputReadEnd() const { return output_.ReadEnd(); }
  HANDLE ErrorReadEnd() const { return error_.ReadEnd(); }
  HANDLE InputWriteEnd() const { return input_.WriteEnd(); }
  void CloseInput() { input_.CloseWriteEnd(); }

  HANDLE ProcessHandle() const { return process_.Get(); }
  DWORD ProcessId() const { return processId_; }

 private:
  wchar_t commandLine_[kCommandLineCapacity] = {};
  Pipe error_;
  Pipe output_;
  Pipe input_;
  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

}  // namespace Utils
