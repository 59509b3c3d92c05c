#include <windows.h>

#include <gtest/gtest.h>

#include "app/Startup.h"

// Tests that hardening preloads the system libraries from the system folder and that a
// library missing from the system is no obstacle.
TEST(StartupTest, HardeningPreloadsSystemLibrariesFromTheSystemFolder) {
  app::HardenDllSearchPath();
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  for (const wchar_t* name : {L"version.dll", L"msimg32.dll", L"ws2_32.dll", L"dwmapi.dll"}) {
    HMODULE module = ::GetModuleHandleW(name);
    ASSERT_NE(module, nullptr) << name;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    EXPECT_EQ(::CompareStringOrdinal(path, static_cast<int>(wcslen(system)), system, -1, TRUE), CSTR_EQUAL) << path;
  }
  // The current folder is no longer searched.
  wchar_t dllDirectory[MAX_PATH] = {L'x'};
  ::GetDllDirectoryW(MAX_PATH, dllDirectory);
  EXPECT_STREQ(dllDirectory, L"");
}

// Tests that the crash filter never keeps the process alive.
TEST(StartupTest, CrashFilterContinuesTheSearch) {
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  EXCEPTION_POINTERS pointers = {&record, nullptr};
  EXPECT_EQ(app::CrashFilter(&pointers), EXCEPTION_CONTINUE_SEARCH);
}
