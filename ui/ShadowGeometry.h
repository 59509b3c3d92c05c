#pragma once

// The drop shadow's settings, placement and picture, apart from any window: CWindowShadow
// feeds these with the real window's rectangle and region and hands the pixels to the
// layered shadow window.

#include <cstdint>
#include <functional>
#include <vector>

namespace shadow {

// The colour shadow's settings; the setters refuse values outside their ranges.
class Settings {
 public:
  uint8_t Darkness() const { return darkness_; }
  uint8_t Sharpness() const { return sharpness_; }
  int8_t Size() const { return size_; }
  int8_t OffsetX() const { return offsetX_; }
  int8_t OffsetY() const { return offsetY_; }
  // A COLORREF: red in the lowest byte, then green, then blue; the top byte is ignored.
  uint32_t Color() const { return color_; }

  bool SetDarkness(int value);     // 0 to 255
  bool SetSharpness(int value);    // 0 to 20
  bool SetSize(int value);         // -20 to 20
  bool SetPosition(int x, int y);  // -20 to 20 each
  void SetColor(uint32_t value) { color_ = value; }

 private:
  uint8_t darkness_ = 150;
  uint8_t sharpness_ = 5;
  int8_t size_ = 0;
  int8_t offsetX_ = 5;
  int8_t offsetY_ = 5;
  uint32_t color_ = 0;
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// The insets of an image shadow (its corners, also its hole offset).
struct Insets {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where the shadow window goes for a window at |window| (screen coordinates).
Rect ColorShadowRect(const Rect& window, const Settings& settings);
Rect ImageShadowRect(const Rect& window, const Insets& corners);

// A row's part inside the window region: [start, end); empty when start >= end.
struct Span {
  int start = 0, end = 0;
  bool Empty() const { return start >= end; }
};

// For every row of a width x height window: from the first point in the region to one past
// the last; rows without a point get (width, 0). Only the row ends are sampled.
std::vector<Span> RegionSpans(int width, int height, const std::function<bool(int x, int y)>& inRegion);

// The premultiplied 32-bit pixel (alpha << 24 | red << 16 | green << 8 | blue) of |color|
// at |alpha|.
uint32_t PremultipliedPixel(uint32_t color, uint32_t alpha);

// The colour shadow's picture for a width x height window with the row spans |spans|:
// ColorShadowRect's size, rows top to bottom, fully transparent over the window itself.
std::vector<uint32_t> BuildSilhouette(int width, int height, const std::vector<Span>& spans, const Settings& settings);

}  // namespace shadow
