#include <netlistmgr.h>
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "utils/SystemProbes.h"

namespace {

// Tests how flags and the internet answer make the status word.
TEST(NetworkStatusTest, ComposesFlagsAndCode) {
  struct Case {
    uint32_t flags;
    bool internet;
    uint32_t status;
  };
  const Case cases[] = {
      {0, true, 0x10000},     {0, false, 0x10000},  {0x60, true, 0x60},     {0x60, false, 0x20060},
      {0x0A, false, 0x2000A}, {0x240, true, 0x240}, {0xFFFF, true, 0xFFFF}, {0x1FFFF, true, 0xFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::ComposeNetworkStatus(c.flags, c.internet), c.status) << c.flags;
}

struct CheckResult {
  bool initialiseCom;
  uint32_t status;
};

DWORD WINAPI RunCheck(void* param) {
  auto* result = static_cast<CheckResult*>(param);
  const bool com = result->initialiseCom && SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  result->status = Utils::CheckNetwork();
  if (com) ::CoUninitialize();
  return 0;
}

uint32_t CheckOnNewThread(bool initialiseCom) {
  CheckResult result{initialiseCom, 0xDEADBEEF};
  HANDLE thread = ::CreateThread(nullptr, 0, &RunCheck, &result, 0, nullptr);
  if (thread == nullptr) return 0xDEADBEEF;
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  return result.status;
}

// Tests the real check on a COM thread: whatever this machine's network, the code agrees
// with the flags (Wine answers 0x60 and "connected" with a network, 0x20 and "no
// internet" without one).
TEST(NetworkStatusTest, RealCheckIsConsistent) {
  const uint32_t status = CheckOnNewThread(true);
  ASSERT_NE(status, 0xDEADBEEFu);
  const uint32_t flags = status & 0xFFFF;
  const uint32_t code = status >> 16;
  ASSERT_LE(code, 2u);
  EXPECT_NE(flags, 0u) << "Wine always reports some connectivity";
  EXPECT_EQ(code == Utils::kNetworkNone, flags == 0);
  if (flags != 0 && (flags & (NLM_CONNECTIVITY_IPV4_INTERNET | NLM_CONNECTIVITY_IPV6_INTERNET)) == 0) {
    EXPECT_EQ(code, Utils::kNetworkNoInternet) << "flags 0x" << std::hex << flags;
  }
}

// Tests that a thread without COM cannot ask and reads as connected (0).
TEST(NetworkStatusTest, WithoutComReadsAsConnected) {
  EXPECT_EQ(CheckOnNewThread(false), 0u);
}

}  // namespace
