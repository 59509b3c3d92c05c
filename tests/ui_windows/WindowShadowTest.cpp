#include "ui/WindowShadow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "ui/MessageBoxWnd.h"
#include "uifw/Framework.h"

namespace {

// Tests that put a shadow under a real frameless window of the message windows' size and
// region, and follow it through minimise and restore.
class ShadowedWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CWindowShadow::Initialize(::GetModuleHandleW(nullptr));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuilloraShadowTestWindow";
    ::RegisterClassW(&wc);
  }

  void SetUp() override {
    window_ = ::CreateWindowExW(0, L"QuilloraShadowTestWindow", L"shadowed", WS_POPUP | WS_VISIBLE, 200, 150, 360, 180,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ::SetWindowRgn(window_, ::CreateRoundRectRgn(0, 0, 361, 181, 2, 2), TRUE);
  }
  void TearDown() override {
    if (window_) ::DestroyWindow(window_);
  }

  static RECT Rect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
  }

  HWND window_ = nullptr;
};

TEST_F(ShadowedWindow, SkinSettingsGiveTheGrownOffsetShadow) {
  EXPECT_FALSE(CWindowShadow::Initialize(::GetModuleHandleW(nullptr)));  // once per process
  CWindowShadow shadow;
  shadow.Create(window_);
  ASSERT_NE(shadow.Window(), nullptr);
  EXPECT_TRUE(shadow.SetSize(6));
  EXPECT_TRUE(shadow.SetSharpness(10));
  EXPECT_TRUE(shadow.SetDarkness(20));
  EXPECT_TRUE(shadow.SetPosition(1, 1));
  EXPECT_TRUE(shadow.SetColor(0x26003B76));
  const RECT r = Rect(shadow.Window());
  EXPECT_EQ(r.left, 195);
  EXPECT_EQ(r.top, 145);
  EXPECT_EQ(r.right - r.left, 372);
  EXPECT_EQ(r.bottom - r.top, 192);
  const LONG_PTR exStyle = ::GetWindowLongPtrW(shadow.Window(), GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_LAYERED);
  EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT);
  EXPECT_EQ(::GetWindow(shadow.Window(), GW_OWNER), window_);
  EXPECT_EQ(shadow.Status(), CWindowShadow::kEnabled | CWindowShadow::kShown | CWindowShadow::kParentVisible);

  // Refused values leave everything as it was.
  EXPECT_FALSE(shadow.SetSize(21));
  EXPECT_FALSE(shadow.SetPosition(0, 25));
  const RECT same = Rect(shadow.Window());
  EXPECT_EQ(same.left, 195);
  EXPECT_EQ(same.right - same.left, 372);

  // A move only repositions the shadow.
  ::SetWindowPos(window_, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT moved = Rect(shadow.Window());
  EXPECT_EQ(moved.left, 295);
  EXPECT_EQ(moved.top, 245);
}

TEST_F(ShadowedWindow, MinimisingHidesTheShadowAndRestoringShowsIt) {
  CWindowShadow shadow;
  shadow.Create(window_);
  ASSERT_NE(shadow.Window(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(shadow.Window()));
  ::ShowWindow(window_, SW_MINIMIZE);
  EXPECT_FALSE(::IsWindowVisible(shadow.Window()));
  EXPECT_FALSE(shadow.Status() & CWindowShadow::kShown);
  ::ShowWindow(window_, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(shadow.Window()));
  EXPECT_TRUE(shadow.Status() & CWindowShadow::kShown);
}

TEST_F(ShadowedWindow, TheShadowGoesWithItsWindow) {
  CWindowShadow shadow;
  shadow.Create(window_);
  HWND shadowWindow = shadow.Window();
  ASSERT_NE(shadowWindow, nullptr);
  ::DestroyWindow(window_);
  window_ = nullptr;
  EXPECT_FALSE(::IsWindow(shadowWindow));
}

// Closes the first message window found with the system's close command, as Alt+F4 does.
void CALLBACK CloseMessageWindow(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = ::FindWindowW(nullptr, L"消息框");
  if (!box) return;
  ::KillTimer(nullptr, id);
  ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST(MessageBoxWndTest, ClosedWithoutAClickAnswersCancel) {
  uifw::SetInstance(::GetModuleHandleW(nullptr));
  uifw::SetPackageFormat(uifw::PackageFormat::SevenZip);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, &CloseMessageWindow);
  ASSERT_NE(timer, 0u);
  EXPECT_EQ(CMessageBoxWnd::Show(nullptr, L"MessageBox1Wnd.xml", L"正文", L"标题"), CMessageBoxWnd::kCancel);
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(::FindWindowW(nullptr, L"消息框"), nullptr);
}

}  // namespace
