// The frame-sequence button's own drawing: state texts, the pressed-text offset and the
// channel copy between bitmaps.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/SequenceControls.h"
#include "uifw/Description.h"
#include "uifw/Framework.h"
#include "uifw/WindowContent.h"
#include "utils/Handles.h"

namespace {

constexpr SIZE kClient{120, 40};

// A 120x40 black window with one white-text sequence button over all of it, painted without
// a window.
class SequenceButtonPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(uifw::EnsureGdiplus());
    const char* xml =
        "<Window size=\"120,40\"><Font id=\"0\" name=\"微软雅黑\" size=\"20\" default=\"true\"/>"
        "<VerticalLayout bkcolor=\"#FF000000\"><SequenceButton name=\"b\" text=\"HH\" align=\"left\" valign=\"top\" "
        "textcolor=\"#FFFFFFFF\" textpadding=\"2,2,0,0\"/></VerticalLayout></Window>";
    uifw::WindowDescription d;
    ASSERT_TRUE(uifw::ParseDescription(
        xml,
        [this](std::wstring_view) {
          auto b = std::make_unique<CSequenceButtonUI>();
          button_ = b.get();
          return b;
        },
        d));
    content_.Attach(std::move(d));
    content_.Layout(kClient);
    ASSERT_NE(button_, nullptr);
  }

  // The top-left corner of the lit pixels, and the colour of the brightest one.
  struct Ink {
    int left = -1, top = -1;
    uint32_t color = 0;
  };
  Ink Paint() {
    std::vector<uint32_t> pixels(static_cast<size_t>(kClient.cx * kClient.cy));
    content_.PaintPixels(pixels.data(), kClient);
    Ink ink;
    unsigned best = 0;
    for (int y = 0; y < kClient.cy; ++y) {
      for (int x = 0; x < kClient.cx; ++x) {
        const uint32_t p = pixels[static_cast<size_t>(y * kClient.cx + x)];
        const unsigned sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        const unsigned brightest = std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF});
        if (brightest < 160) continue;
        if (ink.left < 0 || x < ink.left) ink.left = x;
        if (ink.top < 0 || y < ink.top) ink.top = y;
        if (sum > best) {
          best = sum;
          ink.color = p & 0xFFFFFF;
        }
      }
    }
    return ink;
  }

  uifw::WindowContent content_;
  CSequenceButtonUI* button_ = nullptr;
};

// Tests that a pressed button with an offset draws its text moved by the offset's left and
// top (not by its text padding), in the pressed colour, and that without the offset or when
// not pressed the text stays where the padding puts it.
TEST_F(SequenceButtonPaint, PressedTextMovesByTheOffset) {
  const Ink normal = Paint();
  ASSERT_GE(normal.left, 0);
  EXPECT_EQ(normal.color, 0xFFFFFFu);

  button_->SetState(uifw::kStatePushed);
  const Ink pressedWithoutOffset = Paint();
  EXPECT_EQ(pressedWithoutOffset.left, normal.left);
  EXPECT_EQ(pressedWithoutOffset.top, normal.top);

  button_->SetAttribute(L"pushedtextcolor", L"#FFFF0000");
  button_->SetPressedTextOffset(RECT{12, 8, 0, 0});
  EXPECT_EQ(button_->PressedTextOffset().left, 12);
  const Ink pressed = Paint();
  // The padding (2,2) no longer applies; the offset (12,8) does.
  EXPECT_NEAR(pressed.left - normal.left, 10, 1);
  EXPECT_NEAR(pressed.top - normal.top, 6, 1);
  EXPECT_EQ(pressed.color, 0xFF0000u);

  button_->SetState(0);
  const Ink released = Paint();
  EXPECT_EQ(released.left, normal.left);
  EXPECT_EQ(released.color, 0xFFFFFFu);
}

// Tests that the state texts replace the text only in their states.
TEST_F(SequenceButtonPaint, StateTextsShowInTheirStates) {
  button_->SetText(L"H");
  const Ink shortText = Paint();
  button_->SetText(L"");
  button_->SetHotText(L"H");
  button_->SetPushedText(L"H");
  EXPECT_EQ(button_->HotText(), L"H");
  EXPECT_EQ(button_->PushedText(), L"H");
  EXPECT_LT(Paint().left, 0);  // nothing drawn in the normal state
  button_->SetState(uifw::kStateHot);
  EXPECT_EQ(Paint().left, shortText.left);
  button_->SetState(uifw::kStatePushed);
  EXPECT_EQ(Paint().left, shortText.left);
}

// A 32-bit top-down DIB section of |width| x |height| filled with |fill|.
Utils::UniqueGdiObject MakeDib(int width, int height, uint32_t fill, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* memory = nullptr;
  Utils::UniqueGdiObject dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
  *bits = static_cast<uint32_t*>(memory);
  for (int i = 0; *bits && i < width * height; ++i) (*bits)[i] = fill;
  return dib;
}

// Tests that one channel is copied and the others kept, and that mismatched sizes, a bad
// channel number and bitmaps that are not DIB sections are refused.
TEST(SequenceButtonChannels, CopiesOneChannelOfEqualBitmaps) {
  uint32_t* from = nullptr;
  uint32_t* to = nullptr;
  auto source = MakeDib(3, 2, 0x11223344, &from);
  auto target = MakeDib(3, 2, 0xAABBCCDD, &to);
  ASSERT_TRUE(from && to);
  from[4] = 0x99887766;
  auto bitmap = [](const Utils::UniqueGdiObject& o) { return static_cast<HBITMAP>(o.Get()); };

  ASSERT_TRUE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(target), 3));  // alpha
  EXPECT_EQ(to[0], 0x11BBCCDDu);
  EXPECT_EQ(to[4], 0x99BBCCDDu);
  ASSERT_TRUE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(target), 0));  // blue
  EXPECT_EQ(to[5], 0x11BBCC44u);
  EXPECT_EQ(from[5], 0x11223344u);

  uint32_t* other = nullptr;
  auto wider = MakeDib(4, 2, 0, &other);
  auto taller = MakeDib(3, 3, 0, &other);
  EXPECT_FALSE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(wider), 1));
  EXPECT_FALSE(CSequenceButtonUI::CopyChannel(bitmap(taller), bitmap(target), 1));
  EXPECT_FALSE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(target), 4));
  EXPECT_FALSE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(target), -1));
  Utils::UniqueGdiObject device(::CreateBitmap(3, 2, 1, 32, nullptr));
  EXPECT_FALSE(CSequenceButtonUI::CopyChannel(bitmap(source), bitmap(device), 1));
  EXPECT_EQ(to[0], 0x11BBCC44u);  // refused copies change nothing
}

}  // namespace
