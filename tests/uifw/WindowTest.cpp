#include <gtest/gtest.h>

#include <thread>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/Framework.h"

using namespace uifw;
using skin_test::PumpUntil;
using skin_test::RecordingFrame;
using skin_test::Types;

namespace {

// A label whose timer 1 ticks are consumed by the control itself.
class CountingLabel : public Label {
 public:
  bool OnTimer(UINT id) override {
    if (id != 1) return false;
    ++ticks;
    return true;
  }
  int ticks = 0;
};

// A frame whose description holds CountingLabel controls for "SequenceLabel" elements.
class CountingFrame : public RecordingFrame {
 public:
  CountingFrame() : RecordingFrame(L"MainWnd.xml") {}

 protected:
  std::unique_ptr<Control> CreateControl(std::wstring_view element) override {
    if (EqualsNoCase(element, L"SequenceLabel")) return std::make_unique<CountingLabel>();
    return nullptr;
  }
};

size_t CountTimer(const RecordingFrame& f, UINT id) {
  size_t n = 0;
  for (const auto& s : f.notifications) n += (s.type == L"timer" && s.wParam == id) ? 1 : 0;
  return n;
}

}  // namespace

// Tests that a frame window opens its description: size, style, region and hooks.
TEST(SkinFrameTest, CreatesTheWindowFromItsDescription) {
  struct Case {
    const wchar_t* file;
    const wchar_t* cls;
    int width, height;
  } cases[] = {{L"MainWnd.xml", L"MainWnd", 600, 400},
               {L"InstalledPathTipWnd.xml", L"InstalledPathTipWnd", 400, 180},
               {L"ExitTipWnd.xml", L"ExitTipWnd", 360, 180}};
  for (const Case& c : cases) {
    RecordingFrame frame(c.file);
    EXPECT_EQ(frame.Info().windowClassName, c.cls);
    EXPECT_EQ(frame.Info().resourceKind, 4);
    EXPECT_EQ(frame.Info().resourceId, 147);
    EXPECT_TRUE(frame.Info().skinFolder.empty());
    HWND hwnd = frame.CreateTest();
    ASSERT_NE(hwnd, nullptr) << c.file;
    EXPECT_TRUE(frame.initialised);
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, c.width) << c.file;
    EXPECT_EQ(rc.bottom - rc.top, c.height) << c.file;
    ::GetClientRect(hwnd, &rc);
    EXPECT_EQ(rc.right, c.width) << "no non-client area";
    LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(style & WS_CLIPCHILDREN, 0);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    EXPECT_STREQ(cls, c.cls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), c.cls, &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_NE(wc.hIcon, nullptr) << "program icon 145";
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(::GetWindowRgn(hwnd, rgn), ERROR) << "rounded region";
    ::DeleteObject(rgn);
    EXPECT_NE(frame.FindControl(L"closebtn"), nullptr);
  }
}

// Tests that the shadow settings come from the custom attributes and that only "true"
// (ignoring case) asks for a shadow.
TEST(SkinFrameTest, ShadowSettings) {
  RecordingFrame main(L"MainWnd.xml");
  ASSERT_NE(main.CreateTest(), nullptr);
  ASSERT_TRUE(main.ShadowSettings().has_value());
  const SkinShadowSettings& s = *main.ShadowSettings();
  EXPECT_EQ(s.size, 6);
  EXPECT_EQ(s.sharpness, 10);
  EXPECT_EQ(s.darkness, 20);
  ASSERT_TRUE(s.position.has_value());
  EXPECT_EQ(s.position->x, 1);
  EXPECT_EQ(s.position->y, 1);
  EXPECT_EQ(s.color, 0x26003B76u);
  EXPECT_TRUE(s.image.empty());
  RecordingFrame tip(L"InstalledPathTipWnd.xml");
  ASSERT_NE(tip.CreateTest(), nullptr);
  ASSERT_TRUE(tip.ShadowSettings().has_value());
  EXPECT_EQ(tip.ShadowSettings()->darkness, 10);
  EXPECT_EQ(tip.ShadowSettings()->color, 0xFFEDF0F4u);

  struct Case {
    const char* attributes;
    bool shadow;
  } cases[] = {
      {"showshadow=\"TRUE\"", true},
      {"showshadow=\"true\"", true},
      {"showshadow=\"yes\"", false},
      {"", false},
      {"showshadow=\"true\" shadowimage=\"s.png\" shadowcorner=\"3,4,5,6\" shadowholeoffset=\"9,9,9,9\"", true}};
  for (const Case& c : cases) {
    std::string xml = std::string("<Window ") + c.attributes + "><VerticalLayout/></Window>";
    WindowDescription d;
    ASSERT_TRUE(ParseDescription(xml, nullptr, d));
    auto settings = ReadShadowSettings(d);
    EXPECT_EQ(settings.has_value(), c.shadow) << c.attributes;
    if (settings && !settings->image.empty()) {
      EXPECT_EQ(settings->image, L"s.png");
      EXPECT_EQ(settings->corner.left, 3);
      EXPECT_EQ(settings->corner.bottom, 6);
      EXPECT_FALSE(settings->size.has_value());
    }
  }
}

// Tests control timers: ticks arrive as "timer" notifications with the identifier until
// stopped; a control that consumes its tick sends nothing; removing a control stops its
// timers.
TEST(WindowTest, ControlTimers) {
  CountingFrame frame;
  ASSERT_NE(frame.CreateTest(), nullptr);
  Control* label = frame.FindControl(L"progressLb");
  ASSERT_NE(label, nullptr);
  ASSERT_TRUE(label->StartTimer(7, 10));
  ASSERT_TRUE(PumpUntil([&] { return CountTimer(frame, 7) >= 3; }));
  for (const auto& s : frame.notifications) {
    if (s.type == L"timer") {
      EXPECT_EQ(s.sender, label);
    }
  }
  label->StopTimer(7);
  size_t afterStop = CountTimer(frame, 7);
  // A second timer marks the passing of time: five of its ticks, none of the stopped one.
  Control* other = frame.FindControl(L"installPrg");
  ASSERT_TRUE(other->StartTimer(8, 10));
  ASSERT_TRUE(PumpUntil([&] { return CountTimer(frame, 8) >= 5; }));
  EXPECT_EQ(CountTimer(frame, 7), afterStop);
  other->StopTimer(8);

  auto* counting = dynamic_cast<CountingLabel*>(frame.FindControl(L"progressAnLb"));
  ASSERT_NE(counting, nullptr);
  size_t before = frame.notifications.size();
  ASSERT_TRUE(counting->StartTimer(1, 10));
  ASSERT_TRUE(PumpUntil([&] { return counting->ticks >= 3; }));
  EXPECT_EQ(frame.notifications.size(), before);

  EXPECT_EQ(frame.Content().TimerCount(), 1u);
  auto* row = dynamic_cast<Container*>(counting->Parent());
  ASSERT_TRUE(row->Remove(counting));
  EXPECT_EQ(frame.Content().TimerCount(), 0u);
}

// Tests that asynchronous notifications may come from any thread and are delivered on the
// window's thread, in order.
TEST(WindowTest, AsynchronousNotificationsFromAWorker) {
  RecordingFrame frame(L"MainWnd.xml");
  ASSERT_NE(frame.CreateTest(), nullptr);
  std::thread worker([&] {
    frame.SendNotify(nullptr, L"checknet", 1, 0, true);
    frame.SendNotify(nullptr, L"checknet", 2, 0, true);
  });
  worker.join();
  EXPECT_TRUE(frame.notifications.empty());
  ASSERT_TRUE(PumpUntil([&] { return frame.notifications.size() >= 2; }));
  ASSERT_EQ(frame.notifications.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(frame.notifications[i].type, L"checknet");
    EXPECT_EQ(frame.notifications[i].wParam, i + 1);
    EXPECT_EQ(frame.notifications[i].sender, frame.Content().Root());
    EXPECT_EQ(frame.notifications[i].thread, ::GetCurrentThreadId());
  }
  frame.SendNotify(nullptr, L"install", 5, 0, false);
  EXPECT_EQ(frame.notifications.back().type, L"install");
}

// Tests the modal loop's result: the wParam of a posted WM_CLOSE, 0 for a sent one (the
// system menu's close), and 1 for the close button.
TEST(WindowTest, ModalResultCodes) {
  {
    RecordingFrame frame(L"MessageBox1Wnd.xml");
    ASSERT_NE(frame.CreateTest(), nullptr);
    ::PostMessageW(frame.Handle(), WM_CLOSE, 1, 0);
    EXPECT_EQ(frame.ShowModal(), 1u);
    EXPECT_EQ(frame.Handle(), nullptr);
  }
  {
    RecordingFrame frame(L"MessageBox1Wnd.xml");
    ASSERT_NE(frame.CreateTest(), nullptr);
    frame.Close(7);
    EXPECT_EQ(frame.ShowModal(), 7u);
  }
  {
    RecordingFrame frame(L"MessageBox1Wnd.xml");
    ASSERT_NE(frame.CreateTest(), nullptr);
    ::PostMessageW(frame.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(frame.ShowModal(), 0u);
  }
  {
    RecordingFrame frame(L"ExitTipWnd.xml");
    ASSERT_NE(frame.CreateTest(), nullptr);
    Control* close = frame.FindControl(L"closebtn");
    ASSERT_NE(close, nullptr);
    frame.Content().Layout(SIZE{360, 180});
    POINT pt = skin_test::Center(close->Pos());
    LPARAM lp = MAKELPARAM(pt.x, pt.y);
    ::PostMessageW(frame.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, lp);
    ::PostMessageW(frame.Handle(), WM_LBUTTONUP, 0, lp);
    EXPECT_EQ(frame.ShowModal(), 1u);
    EXPECT_EQ(Types(frame.notifications), std::vector<std::wstring>{L"click"});
  }
}

// Tests that the owner is disabled while a modal window runs and enabled afterwards, also
// when the window was closed by a sent WM_CLOSE.
TEST(WindowTest, ModalDisablesAndRestoresTheOwner) {
  RecordingFrame owner(L"MainWnd.xml");
  ASSERT_NE(owner.CreateTest(), nullptr);
  for (bool posted : {true, false}) {
    RecordingFrame box(L"MessageBox2Wnd.xml");
    ASSERT_NE(box.CreateTest(owner.Handle()), nullptr);
    bool disabledDuring = false;
    // A notification handled inside the loop looks at the owner, then closes the window.
    struct Closer : NotifyReceiver {
      void Notify(Notification&) override {
        *disabled = !::IsWindowEnabled(owner);
        if (posted) {
          ::PostMessageW(box, WM_CLOSE, 1, 0);
        } else {
          ::SendMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
      }
      HWND owner, box;
      bool posted;
      bool* disabled;
    } closer;
    closer.owner = owner.Handle();
    closer.box = box.Handle();
    closer.posted = posted;
    closer.disabled = &disabledDuring;
    box.Content().AddReceiver(&closer);
    box.SendNotify(nullptr, L"probe", 0, 0, true);
    EXPECT_EQ(box.ShowModal(), posted ? 1u : 0u);
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner.Handle()));
  }
}

// Tests that Escape never reaches the window while other keys do.
TEST(WindowTest, EscapeIsFiltered) {
  RecordingFrame frame(L"ExitTipWnd.xml");
  ASSERT_NE(frame.CreateTest(), nullptr);
  ::SendMessageW(frame.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  ::SendMessageW(frame.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(frame.keyDowns, std::vector<WPARAM>{VK_RETURN});
  EXPECT_TRUE(::IsWindow(frame.Handle()));
}

// Tests the failure paths: a description missing from the package reports the load
// failure; a missing skin resource leaves the window open and empty.
TEST(WindowTest, LoadFailures) {
  int failures = 0;
  SetLoadFailureHandler([&] { ++failures; });
  {
    RecordingFrame missing(L"NoSuchWnd.xml");
    ASSERT_NE(missing.CreateTest(), nullptr);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(missing.Content().Root(), nullptr);
  }
  {
    SkinFrameInfo info = SkinFrameInfo::ForSkinFile(L"MainWnd.xml");
    info.resourceKind = 5;  // not the package: no content, no failure
    RecordingFrame other(info);
    ASSERT_NE(other.CreateTest(), nullptr);
    EXPECT_EQ(other.Content().Root(), nullptr);
    EXPECT_EQ(other.FindControl(L"closebtn"), nullptr);
    EXPECT_FALSE(other.initialised);
  }
  EXPECT_EQ(failures, 1);
  SetLoadFailureHandler(nullptr);
}

// Tests the edit control: a click opens a native edit box with the text; when it loses the
// focus its text comes back to the control with a "textchanged" notification.
TEST(WindowTest, EditOpensANativeBoxAndKeepsItsText) {
  RecordingFrame frame(L"MainWnd.xml");
  ASSERT_NE(frame.CreateTest(nullptr, true), nullptr);
  auto* tab = frame.FindControlAs<TabLayout>(L"mainTabLt");
  ASSERT_TRUE(frame.SelectTab(tab, 1, false));
  auto* edit = frame.FindControlAs<Edit>(L"installDirEdit");
  ASSERT_NE(edit, nullptr);
  edit->SetText(L"C:\\Program Files\\Quillora");
  frame.Content().Layout(SIZE{600, 400});
  edit->Activate();
  HWND native = ::FindWindowExW(frame.Handle(), nullptr, L"EDIT", nullptr);
  ASSERT_NE(native, nullptr);
  wchar_t text[260] = {};
  ::GetWindowTextW(native, text, 260);
  EXPECT_STREQ(text, L"C:\\Program Files\\Quillora");
  RECT rc{};
  ::GetWindowRect(native, &rc);
  ::MapWindowPoints(nullptr, frame.Handle(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_GE(rc.left, edit->Pos().left + 9);
  EXPECT_LE(rc.right, edit->Pos().right - 9);
  ::SetWindowTextW(native, L"D:\\Apps");
  EXPECT_EQ(static_cast<Control*>(edit)->Text(), L"D:\\Apps");
  ::SendMessageW(native, WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(::IsWindow(native));
  EXPECT_EQ(edit->Text(), L"D:\\Apps");
  EXPECT_EQ(Types(frame.notifications), std::vector<std::wstring>{L"textchanged"});
}

// Tests that a WM_QUIT ends the modal loop and is posted again for the outer loop.
TEST(WindowTest, QuitEndsTheModalLoopAndIsPostedAgain) {
  RecordingFrame frame(L"MessageBox1Wnd.xml");
  ASSERT_NE(frame.CreateTest(), nullptr);
  ::PostQuitMessage(5);
  EXPECT_EQ(frame.ShowModal(), 0u);
  EXPECT_TRUE(::IsWindow(frame.Handle()));
  MSG msg{};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
}

// Tests centring: on the owner's rectangle, on the work area without owner, and pushed
// back inside the work area where it would stick out.
TEST(WindowTest, CentreOnOwnerOrWorkArea) {
  RecordingFrame owner(L"MainWnd.xml");
  ASSERT_NE(owner.CreateTest(), nullptr);
  ::SetWindowPos(owner.Handle(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RecordingFrame box(L"ExitTipWnd.xml");
  ASSERT_NE(box.CreateTest(owner.Handle()), nullptr);
  box.CenterWindow();
  RECT rc{};
  ::GetWindowRect(box.Handle(), &rc);
  EXPECT_EQ(rc.left, 100 + 300 - 180);
  EXPECT_EQ(rc.top, 100 + 200 - 90);
  EXPECT_EQ(rc.right - rc.left, 360);

  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(owner.Handle(), nullptr, work.right - 300, work.bottom - 100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  box.CenterWindow();
  ::GetWindowRect(box.Handle(), &rc);
  EXPECT_EQ(rc.right, work.right);
  EXPECT_EQ(rc.bottom, work.bottom);

  RecordingFrame alone(L"MessageBox2Wnd.xml");
  ASSERT_NE(alone.CreateTest(), nullptr);
  alone.CenterWindow();
  ::GetWindowRect(alone.Handle(), &rc);
  EXPECT_EQ(rc.left, (work.left + work.right) / 2 - 180);
  EXPECT_EQ(rc.top, (work.top + work.bottom) / 2 - 90);
}
