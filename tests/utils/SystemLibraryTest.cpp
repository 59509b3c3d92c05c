#include "utils/SystemLibrary.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <thread>
#include <vector>

namespace {

// Tests that a system function is found and callable, that a missing function or DLL gives
// nullptr, and that the DLL is loaded from the system folder once.
TEST(SystemLibraryTest, FindsSystemFunctionsOnFirstUse) {
  auto* now = Utils::SystemFunction<decltype(::timeGetTime)>(L"winmm.dll", "timeGetTime");
  ASSERT_NE(now, nullptr);
  const DWORD before = now();
  ::Sleep(20);
  EXPECT_GE(now() - before, 10u);
  EXPECT_EQ(Utils::SystemProc(L"winmm.dll", "timeGetTime"), Utils::SystemProc(L"winmm.dll", "timeGetTime"));

  HMODULE loaded = ::GetModuleHandleW(L"winmm.dll");
  ASSERT_NE(loaded, nullptr);
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(loaded, path, MAX_PATH);
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, length), 0) << path;

  EXPECT_EQ(Utils::SystemProc(L"winmm.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(Utils::SystemProc(L"quillora-no-such.dll", "timeGetTime"), nullptr);
}

// Tests that threads asking at the same time all get the same address.
TEST(SystemLibraryTest, ConcurrentLookupsAgree) {
  std::vector<FARPROC> found(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < found.size(); ++i) {
    threads.emplace_back([&found, i] { found[i] = Utils::SystemProc(L"wtsapi32.dll", "WTSFreeMemory"); });
  }
  for (std::thread& t : threads) t.join();
  ASSERT_NE(found[0], nullptr);
  for (FARPROC f : found) EXPECT_EQ(f, found[0]);
}

}  // namespace
