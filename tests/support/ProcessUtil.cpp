#include "tests/support/ProcessUtil.h"

#include <utility>
#include <vector>

namespace testing_support {

RunningProcess::~RunningProcess() {
  if (info_.hProcess) {
    if (IsRunning()) {
      ::TerminateProcess(info_.hProcess, 9);
      ::WaitForSingleObject(info_.hProcess, 10000);
    }
    ::CloseHandle(info_.hProcess);
  }
  if (info_.hThread) ::CloseHandle(info_.hThread);
}

RunningProcess::RunningProcess(RunningProcess&& other) noexcept : info_(std::exchange(other.info_, {})) {}

bool RunningProcess::Start(const std::wstring& commandLine) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  return ::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) != 0;
}

bool RunningProcess::WaitForExit(DWORD ms) const {
  return info_.hProcess && ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD RunningProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) ::GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {
struct FindState {
  DWORD pid;
  const std::wstring* title;
  HWND found;
};
BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto* state = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != state->pid || !::IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  ::GetWindowTextW(hwnd, text, 256);
  if (*state->title == text) {
    state->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND RunningProcess::FindWindowWithTitle(const std::wstring& title, DWORD ms) const {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  for (;;) {
    FindState state{info_.dwProcessId, &title, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&state));
    if (state.found) return state.found;
    if (::GetTickCount64() >= deadline) return nullptr;
    ::Sleep(50);
  }
}

bool WaitForMutex(const std::wstring& name, DWORD ms) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  for (;;) {
    HANDLE h = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (h) {
      ::CloseHandle(h);
      return true;
    }
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(50);
  }
}

}  // namespace testing_support
