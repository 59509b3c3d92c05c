#include "ui/ShadowGeometry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using shadow::Rect;
using shadow::Settings;

// The settings of the skin's message windows.
Settings SkinSettings() {
  Settings settings;
  EXPECT_TRUE(settings.SetSize(6));
  EXPECT_TRUE(settings.SetSharpness(10));
  EXPECT_TRUE(settings.SetDarkness(20));
  EXPECT_TRUE(settings.SetPosition(1, 1));
  settings.SetColor(0x26003B76);
  return settings;
}

// Tests that build the shadow of a window with a real GDI region, as the frame sets it
// for roundcorner "2,2".
class RoundWindow {
 public:
  RoundWindow(int width, int height) : width_(width), height_(height) {
    region_ = ::CreateRoundRectRgn(0, 0, width + 1, height + 1, 2, 2);
  }
  ~RoundWindow() { ::DeleteObject(region_); }
  RoundWindow(const RoundWindow&) = delete;
  RoundWindow& operator=(const RoundWindow&) = delete;

  bool Contains(int x, int y) const { return ::PtInRegion(region_, x, y) != FALSE; }
  std::vector<shadow::Span> Spans() const {
    return shadow::RegionSpans(width_, height_, [this](int x, int y) { return Contains(x, y); });
  }

 private:
  int width_, height_;
  HRGN region_ = nullptr;
};

TEST(ShadowGeometryTest, MessageWindowShadowSurroundsItAndLeavesItClear) {
  const Settings settings = SkinSettings();
  const Rect shadowRect = shadow::ColorShadowRect({100, 50, 360, 180}, settings);
  EXPECT_EQ(shadowRect, (Rect{95, 45, 372, 192}));

  RoundWindow window(360, 180);
  const std::vector<uint32_t> pixels = shadow::BuildSilhouette(360, 180, window.Spans(), settings);
  ASSERT_EQ(pixels.size(), 372u * 192u);
  uint32_t maxAlpha = 0;
  size_t visible = 0;
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 372; ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y) * 372 + x];
      const uint32_t alpha = pixel >> 24;
      maxAlpha = std::max(maxAlpha, alpha);
      if (alpha) ++visible;
      // Premultiplied: no channel exceeds its alpha.
      EXPECT_LE((pixel >> 16) & 0xFF, alpha);
      // The window covers shadow pixel (x, y) at window point (x - 5, y - 5).
      const int wx = x - 5, wy = y - 5;
      if (wx >= 0 && wx < 360 && wy >= 0 && wy < 180 && window.Contains(wx, wy)) {
        ASSERT_EQ(pixel, 0u) << x << "," << y;
      }
    }
  }
  EXPECT_LE(maxAlpha, 20u);
  EXPECT_GE(maxAlpha, 10u);
  // A band all around: the right and bottom edges beyond the window carry shadow.
  EXPECT_GT(pixels[static_cast<size_t>(96) * 372 + 368] >> 24, 0u);
  EXPECT_GT(pixels[static_cast<size_t>(188) * 372 + 186] >> 24, 0u);
  EXPECT_GT(pixels[static_cast<size_t>(96) * 372 + 3] >> 24, 0u);
  EXPECT_GT(visible, 2000u);
}

TEST(ShadowGeometryTest, FullStrengthPixelIsTheColourPremultiplied) {
  EXPECT_EQ(shadow::PremultipliedPixel(0x26003B76, 20),
            (20u << 24) | (0x76u * 20 / 255) << 16 | (0x3Bu * 20 / 255) << 8);
  EXPECT_EQ(shadow::PremultipliedPixel(0xFFEDF0F4, 255), 0xFFF4F0EDu);
}

TEST(ShadowGeometryTest, WindowWithoutRegionCastsNoShadow) {
  const std::vector<shadow::Span> spans = shadow::RegionSpans(50, 40, [](int, int) { return false; });
  const std::vector<uint32_t> pixels = shadow::BuildSilhouette(50, 40, spans, SkinSettings());
  ASSERT_EQ(pixels.size(), 62u * 52u);
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0; }));
}

TEST(ShadowGeometryTest, OutOfRangeSettersAreRefused) {
  Settings settings = SkinSettings();
  // Setter and value, each refused.
  EXPECT_FALSE(settings.SetSize(21));
  EXPECT_FALSE(settings.SetSize(-21));
  EXPECT_FALSE(settings.SetPosition(0, 25));
  EXPECT_FALSE(settings.SetPosition(-21, 0));
  EXPECT_FALSE(settings.SetSharpness(21));
  EXPECT_FALSE(settings.SetSharpness(-1));
  EXPECT_FALSE(settings.SetDarkness(256));
  EXPECT_FALSE(settings.SetDarkness(-1));
  EXPECT_EQ(settings.Size(), 6);
  EXPECT_EQ(settings.OffsetX(), 1);
  EXPECT_EQ(settings.OffsetY(), 1);
  EXPECT_EQ(settings.Sharpness(), 10);
  EXPECT_EQ(settings.Darkness(), 20);
  EXPECT_TRUE(settings.SetSize(-20));
  EXPECT_TRUE(settings.SetPosition(20, -20));
  EXPECT_EQ(shadow::ColorShadowRect({0, 0, 100, 100}, settings), (Rect{40, 0, 60, 60}));
}

TEST(ShadowGeometryTest, DefaultsAndImagePlacement) {
  const Settings defaults;
  EXPECT_EQ(defaults.Darkness(), 150);
  EXPECT_EQ(defaults.Sharpness(), 5);
  EXPECT_EQ(shadow::ColorShadowRect({10, 20, 30, 40}, defaults), (Rect{15, 25, 30, 40}));
  EXPECT_EQ(shadow::ImageShadowRect({10, 20, 30, 40}, {1, 2, 3, 4}), (Rect{9, 18, 34, 46}));
}

TEST(ShadowGeometryTest, SpansSampleTheRowEnds) {
  const std::vector<shadow::Span> spans =
      shadow::RegionSpans(10, 3, [](int x, int y) { return y == 1 ? (x >= 2 && x <= 6) : y == 2; });
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_TRUE(spans[0].Empty());
  EXPECT_EQ(spans[1].start, 2);
  EXPECT_EQ(spans[1].end, 7);
  EXPECT_EQ(spans[2].start, 0);
  EXPECT_EQ(spans[2].end, 10);
}

}  // namespace
