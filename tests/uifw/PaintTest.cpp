#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/Controls.h"
#include "uifw/Framework.h"
#include "uifw/ImageCache.h"
#include "uifw/WindowContent.h"

using namespace uifw;

namespace {

// Paints |xml| (a Window description) offscreen at |size| with the skin package's images.
class Canvas {
 public:
  Canvas(const std::string& xml, SIZE size) : size_(size), pixels_(static_cast<size_t>(size.cx) * size.cy) {
    EnsureGdiplus();
    WindowDescription d;
    ok_ = ParseDescription(xml, nullptr, d);
    content_.SetPackage(&skin_test::Package());
    content_.Attach(std::move(d));
    content_.PaintPixels(pixels_.data(), size_);
  }
  bool ok() const { return ok_; }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * size_.cx + x]; }
  WindowContent& content() { return content_; }
  void Repaint() { content_.PaintPixels(pixels_.data(), size_); }

 private:
  SIZE size_;
  std::vector<uint32_t> pixels_;
  WindowContent content_;
  bool ok_ = false;
};

uint32_t ImagePixel(const wchar_t* member, int x, int y) {
  auto image = DecodeImage(*skin_test::Package().Find(member), nullptr);
  return image->pixels[static_cast<size_t>(y) * image->width + x];
}

}  // namespace

// Tests background colours, a fully transparent surface elsewhere, and an image drawn 1:1
// at its dest rectangle relative to the control.
TEST(PaintTest, ColoursAndImageAtDest) {
  Canvas c(
      "<Window><HorizontalLayout><Label width=\"50\" bkcolor=\"#FF112233\"/>"
      "<Control width=\"50\" bkimage=\"file='res\\mainWnd\\Cb2.png' dest='5,5,20,19'\"/><Control/>"
      "</HorizontalLayout></Window>",
      SIZE{150, 40});
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.At(10, 10), 0xFF112233u);
  EXPECT_EQ(c.At(120, 10), 0u);
  EXPECT_EQ(c.At(50 + 5 + 7, 5 + 7), ImagePixel(L"res/mainWnd/Cb2.png", 7, 7));
  EXPECT_EQ(c.At(50 + 2, 2), 0u);
  EXPECT_EQ(c.At(50 + 25, 25), 0u);
}

// Tests fade, the nine-grid hole and the colour mask.
TEST(PaintTest, FadeHoleAndMask) {
  Canvas c(
      "<Window><VerticalLayout>"
      "<Control height=\"40\" bkimage=\"file='res/mainWnd/installDirEdit.png' corner='4,4,4,4' hole='true'\"/>"
      "<Control height=\"40\" bkimage=\"file='res/mainWnd/installDirEdit.png' corner='4,4,4,4'\"/>"
      "<Control height=\"40\" bkimage=\"file='res/mainWnd/installDirEdit.png' corner='4,4,4,4' mask='#FFFFFF'\"/>"
      "<Control height=\"40\" bkimage=\"file='res/mainWnd/installDirEdit.png' corner='4,4,4,4' fade='128'\"/>"
      "</VerticalLayout></Window>",
      SIZE{200, 160});
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.At(100, 20), 0u) << "hole";
  EXPECT_NE(c.At(0, 20) >> 24, 0u) << "border kept around the hole";
  EXPECT_EQ(c.At(100, 60), 0xFFFFFFFFu) << "stretched centre";
  EXPECT_EQ(c.At(100, 100), 0u) << "masked white";
  uint32_t faded = c.At(100, 140);
  EXPECT_NEAR(static_cast<int>(faded >> 24), 128, 3);
}

// Tests text: drawn inside the control with its colour, absent where the padding keeps it.
TEST(PaintTest, TextAlignmentAndPadding) {
  Canvas c(
      "<Window><Font id=\"0\" name=\"微软雅黑\" size=\"20\" default=\"true\"/><VerticalLayout bkcolor=\"#FFFFFFFF\">"
      "<Label name=\"l\" height=\"40\" text=\"青蓝工坊\" textcolor=\"#FF000000\" align=\"right\" "
      "textpadding=\"0,0,10,0\"/></VerticalLayout></Window>",
      SIZE{300, 40});
  ASSERT_TRUE(c.ok());
  auto dark = [&](int x0, int x1) {
    int n = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = x0; x < x1; ++x) n += ((c.At(x, y) >> 8) & 0xFF) < 128 ? 1 : 0;
    }
    return n;
  };
  EXPECT_GT(dark(200, 290), 40) << "right-aligned text";
  EXPECT_EQ(dark(0, 150), 0) << "nothing on the left";
  EXPECT_EQ(dark(290, 300), 0) << "text padding on the right";
}

// Tests the progress bar: the fill covers the value's share of the track.
TEST(PaintTest, ProgressFill) {
  Canvas c(
      "<Window><VerticalLayout><Progress name=\"p\" height=\"8\" "
      "bkimage=\"file='res\\mainWnd\\installPrg1.png' corner='2,2,2,2'\" "
      "foreimage=\"file='res\\mainWnd\\installPrg2.png' corner='2,2,2,2'\"/></VerticalLayout></Window>",
      SIZE{400, 8});
  ASSERT_TRUE(c.ok());
  uint32_t track = c.At(200, 4);
  auto* progress = dynamic_cast<Progress*>(c.content().FindControl(L"p"));
  ASSERT_NE(progress, nullptr);
  progress->SetValue(50);
  c.Repaint();
  EXPECT_NE(c.At(100, 4), track) << "filled";
  EXPECT_EQ(c.At(300, 4), track) << "still track";
  EXPECT_GT(c.At(100, 4) & 0xFF, (c.At(100, 4) >> 16) & 0xFF) << "the fill is blue";
}
