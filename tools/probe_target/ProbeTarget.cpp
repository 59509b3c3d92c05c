// Waits until the process whose id is the first argument ends, at most 60 seconds, so that a
// test that dies cannot leave it behind. Without an argument it waits the 60 seconds.

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  constexpr DWORD kLongestWaitMs = 60000;
  if (argc > 1) {
    const DWORD parentId = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    HANDLE parent = ::OpenProcess(SYNCHRONIZE, FALSE, parentId);
    if (parent == nullptr) return 2;
    ::WaitForSingleObject(parent, kLongestWaitMs);
    ::CloseHandle(parent);
    return 0;
  }
  ::Sleep(kLongestWaitMs);
  return 0;
}
