#pragma once

// Starting and watching Windows programs from tests.

#include <windows.h>

#include <string>

namespace testing_support {

// A started program; terminated (if still running) and closed when the object goes.
class RunningProcess {
 public:
  RunningProcess() = default;
  ~RunningProcess();
  RunningProcess(RunningProcess&& other) noexcept;
  RunningProcess& operator=(RunningProcess&&) = delete;
  RunningProcess(const RunningProcess&) = delete;

  // Starts |commandLine| (the program path first, quoted where needed). False on failure.
  bool Start(const std::wstring& commandLine);

  // Waits up to |ms| for the program to end; true when it did.
  bool WaitForExit(DWORD ms) const;
  bool IsRunning() const { return WaitForExit(0) == false; }
  // The exit code; STILL_ACTIVE while running.
  DWORD ExitCode() const;
  DWORD Id() const { return info_.dwProcessId; }

  // The first visible top-level window of the process with this title, waiting up to |ms|.
  HWND FindWindowWithTitle(const std::wstring& title, DWORD ms) const;

 private:
  PROCESS_INFORMATION info_ = {};
};

// Waits up to |ms| until a named mutex exists. True when it does.
bool WaitForMutex(const std::wstring& name, DWORD ms);

}  // namespace testing_support
