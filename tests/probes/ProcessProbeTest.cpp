#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/ProcessUtil.h"
#include "tests/support/TestPaths.h"
#include "utils/SystemProbes.h"

namespace {

constexpr wchar_t kTargetName[] = L"QuilloraProbeTarget.exe";

// Waits (bounded) until IsProcessRunning(name) answers |wanted| or not 0.
DWORD WaitForLookup(const wchar_t* name, bool running) {
  for (int i = 0; i < 200; ++i) {
    const DWORD id = Utils::IsProcessRunning(name);
    if ((id != 0) == running) return id;
    ::Sleep(50);
  }
  return Utils::IsProcessRunning(name);
}

// Tests the lookup with the fixture program copied under a mixed-case name and started by
// exactly that spelling (Wine lists the name as it was launched).
TEST(ProcessProbeTest, LookupIsCaseSensitive) {
  testing_support::ScratchDir scratch;
  const std::wstring target = scratch.File(kTargetName);
  ASSERT_TRUE(
      ::CopyFileW(testing_support::BuildFile(L"tools\\probe_target\\probe_target.exe").c_str(), target.c_str(), FALSE));
  ASSERT_EQ(Utils::IsProcessRunning(kTargetName), 0u) << "a target from elsewhere is running";
  {
    testing_support::RunningProcess process;
    ASSERT_TRUE(process.Start(L"\"" + target + L"\" " + std::to_wstring(::GetCurrentProcessId())));
    EXPECT_EQ(WaitForLookup(kTargetName, true), process.Id());

    const wchar_t* otherSpellings[] = {L"quilloraprobetarget.exe",  L"QUILLORAPROBETARGET.EXE",
                                       L"QuilloraProbeTarget.EXE",  L"QuilloraProbeTarget",
                                       L"QuilloraProbeTarget.exe ", L""};
    for (const wchar_t* name : otherSpellings)
      EXPECT_EQ(Utils::IsProcessRunning(name), 0u) << "length " << wcslen(name);
  }
  EXPECT_EQ(WaitForLookup(kTargetName, false), 0u);
}

// Tests that a name nothing runs under is not found and that this test program is.
TEST(ProcessProbeTest, FindsItselfButNotStrangers) {
  EXPECT_EQ(Utils::IsProcessRunning(L"no-such-program-7F3A91.exe"), 0u);
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  const std::wstring self = path;
  const std::wstring name = self.substr(self.find_last_of(L'\\') + 1);
  EXPECT_NE(Utils::IsProcessRunning(name), 0u);
}

}  // namespace
