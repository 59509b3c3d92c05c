#pragma once

// Drawing operations controls use while the window paints: fills, borders, skin images
// (with dest, source, nine-grid, fade, hole and tiling) and text, all through GDI+ onto a
// 32-bit premultiplied surface.

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "uifw/Attributes.h"

namespace Gdiplus {
class Graphics;
}

namespace uifw {

class ImageCache;
class FontTable;

// Text style flags.
constexpr unsigned kAlignLeft = 0;
constexpr unsigned kAlignCenter = 1;
constexpr unsigned kAlignRight = 2;
constexpr unsigned kVAlignTop = 0x10;
constexpr unsigned kVAlignCenter = 0x20;
constexpr unsigned kVAlignBottom = 0x40;
constexpr unsigned kMultiLine = 0x100;

class Painter {
 public:
  Painter(Gdiplus::Graphics& graphics, ImageCache& images, const FontTable& fonts);

  // Fills |rect| with |argb|; a non-zero |round| gives rounded corners of that ellipse.
  void FillRect(const RECT& rect, uint32_t argb, SIZE round = {});
  // Draws a border of |size| pixels inside |rect|.
  void DrawBorder(const RECT& rect, uint32_t argb, int size, SIZE round = {});
  // Draws |look| over the control rectangle |rect|. False when the image is missing.
  bool DrawImage(const RECT& rect, const ImageSpec& look);
  // Draws |text| inside |rect| with font |fontId|, colour and |align| flags.
  void DrawText(const RECT& rect, std::wstring_view text, int fontId, uint32_t argb, unsigned align);
  // The size |text| takes when DrawText draws it with font |fontId| and |align| on |dc|'s
  // surface: width of the widest line, height of all lines. Empty for an empty text.
  static SIZE MeasureText(HDC dc, const FontTable& fonts, int fontId, unsigned align, std::wstring_view text);

  // Restricts drawing to |rect| (intersected with the current clip) until PopClip.
  void PushClip(const RECT& rect);
  void PopClip();

 private:
  Gdiplus::Graphics& g_;
  ImageCache& images_;
  const FontTable& fonts_;
  std::vector<RECT> clips_;
};

}  // namespace uifw
