#include <objidl.h>
#include <windows.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TestPaths.h"
#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/ImageCache.h"

using namespace uifw;
using skin_test::RecordingFrame;

namespace {

// What is on the screen where a window is: 32-bit pixels, top-down.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

Capture CaptureWindow(HWND hwnd) {
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  Capture cap;
  cap.width = rc.right - rc.left;
  cap.height = rc.bottom - rc.top;
  cap.pixels.resize(static_cast<size_t>(cap.width) * cap.height);
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = cap.width;
  bmi.bmiHeader.biHeight = -cap.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, dib);
  ::BitBlt(mem, 0, 0, cap.width, cap.height, screen, rc.left, rc.top, SRCCOPY | CAPTUREBLT);
  ::GdiFlush();
  std::memcpy(cap.pixels.data(), bits, cap.pixels.size() * 4);
  ::SelectObject(mem, old);
  ::DeleteObject(dib);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return cap;
}

bool PngEncoder(CLSID& clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == L"image/png") {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// Writes |cap| as build/screenshots/<name>.png.
bool SaveScreenshot(const Capture& cap, const std::wstring& name) {
  wchar_t full[MAX_PATH] = {};
  ::GetFullPathNameW((testing_support::BuildDir() + L"\\..\\screenshots").c_str(), MAX_PATH, full, nullptr);
  ::CreateDirectoryW(full, nullptr);
  std::vector<uint32_t> opaque(cap.pixels);
  for (uint32_t& p : opaque) p |= 0xFF000000;
  Gdiplus::Bitmap bitmap(cap.width, cap.height, cap.width * 4, PixelFormat32bppARGB,
                         reinterpret_cast<BYTE*>(opaque.data()));
  CLSID png;
  if (!PngEncoder(png)) return false;
  std::wstring path = std::wstring(full) + L"\\" + name + L".png";
  return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
      return false;
    }
  }
  return true;
}

// Checks that the opaque pixels of image |member| appear 1:1 at |origin|.
void ExpectImageAt(const Capture& cap, const wchar_t* member, POINT origin) {
  const std::string* bytes = skin_test::Package().Find(member);
  ASSERT_NE(bytes, nullptr) << member;
  auto image = DecodeImage(*bytes, nullptr);
  ASSERT_NE(image, nullptr);
  int compared = 0, matched = 0;
  for (int y = 0; y < image->height; y += 3) {
    for (int x = 0; x < image->width; x += 3) {
      uint32_t p = image->pixels[static_cast<size_t>(y) * image->width + x];
      if ((p >> 24) != 0xFF) continue;
      ++compared;
      matched += Near(cap.At(origin.x + x, origin.y + y), p & 0xFFFFFF, 6) ? 1 : 0;
    }
  }
  EXPECT_GT(compared, 10) << member;
  EXPECT_GE(matched * 100, compared * 95) << member << ": " << matched << " of " << compared;
}

// Pixels in |r| that differ clearly from |background|: drawn text or glyphs.
int InkPixels(const Capture& cap, const RECT& r, uint32_t background) {
  int ink = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) ink += Near(cap.At(x, y), background, 40) ? 0 : 1;
  }
  return ink;
}

Control* FindByImage(Control* c, const wchar_t* part) {
  if (!c) return nullptr;
  if (c->BkImage().file.find(part) != std::wstring::npos) return c;
  if (auto* container = dynamic_cast<Container*>(c)) {
    for (size_t i = 0; i < container->Count(); ++i) {
      if (Control* found = FindByImage(container->ChildAt(i), part)) return found;
    }
  }
  return nullptr;
}

POINT TopLeft(const RECT& r) {
  return POINT{r.left, r.top};
}

// Shows |frame| at a fixed place, lets it paint, captures it and saves the screenshot.
Capture Render(RecordingFrame& frame, const std::wstring& name) {
  HWND hwnd = frame.Handle();
  ::SetWindowPos(hwnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Give the X server a moment to map and expose the window, then paint again.
  int rounds = 0;
  skin_test::PumpUntil([&] { return ++rounds > 15; });
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  rounds = 0;
  skin_test::PumpUntil([&] { return ++rounds > 5; });
  Capture cap = CaptureWindow(hwnd);
  EXPECT_TRUE(SaveScreenshot(cap, name)) << name;
  return cap;
}

}  // namespace

// Tests the main window's first page: background, logo and install button images at their
// rectangles, the custom-install link's text.
TEST(RenderTest, MainWindow) {
  RecordingFrame frame(L"MainWnd.xml");
  ASSERT_NE(frame.CreateTest(nullptr, true), nullptr);
  Capture cap = Render(frame, L"MainWnd");
  ASSERT_EQ(cap.width, 600);
  ASSERT_EQ(cap.height, 400);
  auto bg = DecodeImage(*skin_test::Package().Find(L"res/mainWnd/bg1.png"), nullptr);
  ASSERT_NE(bg, nullptr);
  for (POINT p : {POINT{50, 200}, POINT{300, 290}, POINT{560, 60}, POINT{20, 390}}) {
    EXPECT_TRUE(Near(cap.At(p.x, p.y), bg->pixels[p.y * 600 + p.x] & 0xFFFFFF, 6)) << p.x << "," << p.y;
  }
  Control* button = frame.FindControl(L"defaultInstallBtn");
  ExpectImageAt(cap, L"res/mainWnd/installBtn1.png", TopLeft(button->Pos()));
  ExpectImageAt(cap, L"res/mainWnd/logo.png", POINT{185, 105});
  Control* custom = frame.FindControl(L"customeBtn");
  RECT text = custom->Pos();
  text.right -= 18;
  EXPECT_GT(InkPixels(cap, text, bg->pixels[370 * 600 + 500] & 0xFFFFFF), 30);
}

// Tests the two plain message layouts: title bar colour, white body, the text drawn.
TEST(RenderTest, MessageBoxes) {
  for (const wchar_t* file : {L"MessageBox1Wnd.xml", L"MessageBox2Wnd.xml"}) {
    RecordingFrame frame(file);
    ASSERT_NE(frame.CreateTest(nullptr, true), nullptr);
    std::wstring name = frame.Info().windowClassName;
    if (name == L"MessageBox2Wnd") {
      frame.FindControl(L"textLbl")->SetText(L"当前网络环境较差，请在网络通畅时进行安装");
      frame.FindControl(L"captionLbl")->SetText(L"温馨提示");
    } else {
      frame.FindControl(L"textLbl")->SetText(L"安装程序检测到青蓝工坊\r\n正在运行，请退出程序后再安装");
      frame.FindControl(L"captionLbl")->SetText(L"温馨提示");
    }
    Capture cap = Render(frame, name);
    ASSERT_EQ(cap.width, 360);
    EXPECT_TRUE(Near(cap.At(5, 15), 0xF5FAFE, 2)) << name;
    EXPECT_TRUE(Near(cap.At(300, 15), 0xF5FAFE, 2)) << name;
    EXPECT_TRUE(Near(cap.At(20, 170), 0xFFFFFF, 2)) << name;
    RECT text = frame.FindControl(L"textLbl")->Pos();
    EXPECT_GT(InkPixels(cap, text, 0xFFFFFF), 200) << name;
    RECT caption = frame.FindControl(L"captionLbl")->Pos();
    EXPECT_GT(InkPixels(cap, caption, 0xF5FAFE), 50) << name;
  }
}

// Tests the three prompts: title bar colour, the icon at its rectangle, the filled
// button's colour and the texts drawn.
TEST(RenderTest, Prompts) {
  struct Case {
    const wchar_t* file;
    uint32_t title;
    const wchar_t* icon;
    const wchar_t* filled;
  } cases[] = {
      {L"InstalledPathTipWnd.xml", 0xF5F5F5, L"res/MessageBoxWnd/icoWarn.png", L"okBtn"},
      {L"NetworkTipWnd.xml", 0xF5F5F5, L"res/MessageBoxWnd/icoNetwork.png", L"okBtn"},
      {L"ExitTipWnd.xml", 0xF3F5F9, L"res/MessageBoxWnd/icoQuest.png", L"cancelBtn"},
  };
  for (const Case& c : cases) {
    RecordingFrame frame(c.file);
    ASSERT_NE(frame.CreateTest(nullptr, true), nullptr);
    Capture cap = Render(frame, frame.Info().windowClassName);
    EXPECT_TRUE(Near(cap.At(6, 20), c.title, 2)) << c.file;
    Control* icon = FindByImage(frame.Content().Root(), c.icon + 18);
    ASSERT_NE(icon, nullptr) << c.file;
    ExpectImageAt(cap, c.icon, TopLeft(icon->Pos()));
    RECT filled = frame.FindControl(c.filled)->Pos();
    EXPECT_TRUE(Near(cap.At(filled.left + 4, filled.top + 4), 0x1675FE, 3)) << c.file;
    EXPECT_GT(InkPixels(cap, filled, 0x1675FE), 30) << c.file << " button text";
    // The prompt's own text right of the icon.
    RECT prompt{icon->Pos().right + 20, icon->Pos().top, cap.width - 33, icon->Pos().bottom};
    EXPECT_GT(InkPixels(cap, prompt, 0xFFFFFF), 100) << c.file;
  }
}
