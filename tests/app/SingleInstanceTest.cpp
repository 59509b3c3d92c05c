#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/Startup.h"
#include "tests/support/ProcessUtil.h"
#include "tests/support/TestPaths.h"
#include "utils/NamedMutex.h"

using testing_support::RunningProcess;

namespace {
std::wstring SetupCommand() { return L"\"" + testing_support::BuildFile(L"QuilloraSetup.exe") + L"\""; }

// Removes the analytics tracker's folder that the installer creates in the local
// application-data folder, unless it was there before.
class TrackerFilesGuard {
 public:
  TrackerFilesGuard() {
    wchar_t local[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) {
      folder_ = std::wstring(local) + L"\\VTLocal";
      existed_ = ::GetFileAttributesW(folder_.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
  }
  ~TrackerFilesGuard() {
    if (!folder_.empty() && !existed_) testing_support::RemoveTree(folder_);
  }

 private:
  std::wstring folder_;
  bool existed_ = true;
};
}  // namespace

// Tests that a second installer exits with -1 at once, without a window, while the
// first keeps running; the first then closes normally with 0.
TEST(SingleInstanceTest, SecondStartExitsWithMinusOneWhileTheFirstRuns) {
  TrackerFilesGuard trackerFiles;
  RunningProcess first;
  ASSERT_TRUE(first.Start(SetupCommand()));
  ASSERT_TRUE(testing_support::WaitForMutex(app::kInstanceMutexName, 30000)) << "first instance never took the mutex";
  HWND window = first.FindWindowWithTitle(L"青蓝工坊", 30000);
  ASSERT_NE(window, nullptr) << "first instance shows no window";

  RunningProcess second;
  ASSERT_TRUE(second.Start(SetupCommand()));
  ASSERT_TRUE(second.WaitForExit(30000)) << "second instance did not exit";
  EXPECT_EQ(second.ExitCode(), 0xFFFFFFFFu);
  EXPECT_EQ(second.FindWindowWithTitle(L"青蓝工坊", 0), nullptr);
  EXPECT_TRUE(first.IsRunning());

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitForExit(30000)) << "first instance did not close";
  EXPECT_EQ(first.ExitCode(), 0u);
}

// Tests that the guard is held by exactly one owner and can be taken again once released.
TEST(SingleInstanceTest, NamedMutexIsExclusiveUntilClosed) {
  const std::wstring name = L"QuilloraTestMutex_" + std::to_wstring(::GetCurrentProcessId());
  Utils::NamedMutex a(name);
  a.Create();
  ASSERT_TRUE(a.IsHeld());
  a.Create();  // a second Create keeps the same handle
  EXPECT_TRUE(a.IsHeld());

  Utils::NamedMutex b(name);
  b.Create();
  EXPECT_FALSE(b.IsHeld());

  a.Close();
  EXPECT_FALSE(a.IsHeld());
  b.Create();
  EXPECT_TRUE(b.IsHeld());
}
