#include "utils/MessagePump.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kCountMessage = WM_APP + 1;
constexpr UINT kDestroyMessage = WM_APP + 2;
int g_counted = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCountMessage) {
    ++g_counted;
    return 0;
  }
  if (message == kDestroyMessage) {
    ::DestroyWindow(window);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Tests the pump with a message-only window of this thread that counts kCountMessage and
// destroys itself on kDestroyMessage. Leaves the thread's queue empty.
class MessagePumpTest : public testing::Test {
 protected:
  void SetUp() override {
    g_counted = 0;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuilloraPumpTest";
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND window_ = nullptr;
};

TEST_F(MessagePumpTest, DispatchesQueuedMessagesWhileTheWindowLives) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(::PostMessageW(window_, kCountMessage, 0, 0));
  EXPECT_TRUE(Utils::PumpMessages(window_));
  EXPECT_EQ(g_counted, 3);
  EXPECT_TRUE(::IsWindow(window_));
}

// Tests that an idle thread leaves the pump (it waits with a limit) and reports success.
TEST_F(MessagePumpTest, ReturnsWithoutAnyMessage) {
  EXPECT_TRUE(Utils::PumpMessages(nullptr));
  EXPECT_TRUE(Utils::PumpMessages(window_));
  EXPECT_EQ(g_counted, 0);
}

// Tests that WM_QUIT stops the pump and is left in the queue for the outer loop.
TEST_F(MessagePumpTest, QuitStopsAndIsPostedAgain) {
  ASSERT_TRUE(::PostMessageW(window_, kCountMessage, 0, 0));
  ::PostQuitMessage(7);
  EXPECT_FALSE(Utils::PumpMessages(window_));
  EXPECT_EQ(g_counted, 1);
  MSG msg = {};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessagePumpTest, WindowDestroyedDuringThePumpStopsIt) {
  ASSERT_TRUE(::PostMessageW(window_, kDestroyMessage, 0, 0));
  EXPECT_FALSE(Utils::PumpMessages(window_));
  EXPECT_FALSE(::IsWindow(window_));
}

TEST_F(MessagePumpTest, GoneWindowStopsAtOnce) {
  ASSERT_TRUE(::DestroyWindow(window_));
  ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), kCountMessage, 0, 0));
  EXPECT_FALSE(Utils::PumpMessages(window_));
  MSG msg = {};
  EXPECT_TRUE(::PeekMessageW(&msg, nullptr, kCountMessage, kCountMessage, PM_NOREMOVE)) << "nothing was pumped";
}

}  // namespace
