#include "uifw/Painter.h"

#include <objidl.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

#include <algorithm>
#include <string>

#include "uifw/Fonts.h"
#include "uifw/ImageCache.h"

namespace uifw {
namespace {

Gdiplus::Color ToColor(uint32_t argb) {
  return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

void AddRoundRect(Gdiplus::GraphicsPath& path, const RECT& r, SIZE round) {
  float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
  float cx = std::min<float>(static_cast<float>(round.cx), w), cy = std::min<float>(static_cast<float>(round.cy), h);
  float x = static_cast<float>(r.left), y = static_cast<float>(r.top);
  if (cx <= 0 || cy <= 0) {
    path.AddRectangle(Gdiplus::RectF(x, y, w, h));
    return;
  }
  path.AddArc(x, y, cx, cy, 180, 90);
  path.AddArc(x + w - cx, y, cx, cy, 270, 90);
  path.AddArc(x + w - cx, y + h - cy, cx, cy, 0, 90);
  path.AddArc(x, y + h - cy, cx, cy, 90, 90);
  path.CloseFigure();
}

}  // namespace

Painter::Painter(Gdiplus::Graphics& graphics, ImageCache& images, const FontTable& fonts)
    : g_(graphics), images_(images), fonts_(fonts) {}

void Painter::FillRect(const RECT& rect, uint32_t argb, SIZE round) {
  if ((argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  Gdiplus::SolidBrush brush(ToColor(argb));
  if (round.cx > 0 && round.cy > 0) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rect, round);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g_.FillPath(&brush, &path);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
  } else {
    g_.FillRectangle(&brush, Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
  }
}

void Painter::DrawBorder(const RECT& rect, uint32_t argb, int size, SIZE round) {
  if (size <= 0 || (argb >> 24) == 0) return;
  float half = size / 2.0f;
  Gdiplus::Pen pen(ToColor(argb), static_cast<Gdiplus::REAL>(size));
  if (round.cx > 0 && round.cy > 0) {
    Gdiplus::GraphicsPath path;
    RECT inner{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    AddRoundRect(path, inner, round);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g_.DrawPath(&pen, &path);
    g_.SetSmoothingMode(Gdiplus::SmoothingModeNone);
  } else {
    g_.DrawRectangle(&pen, Gdiplus::RectF(rect.left + half - 0.5f, rect.top + half - 0.5f,
                                          rect.right - rect.left - static_cast<float>(size),
                                          rect.bottom - rect.top - static_cast<float>(size)));
  }
}

bool Painter::DrawImage(const RECT& rect, const ImageSpec& look) {
  if (look.IsEmpty()) return false;
  const DecodedImage* image = images_.Get(look.file, look.hasMask ? &look.mask : nullptr);
  if (!image || !image->bitmap) return false;
  RECT dest = rect;
  if (look.hasDest) {
    dest = RECT{rect.left + look.dest.left, rect.top + look.dest.top, rect.left + look.dest.right,
                rect.top + look.dest.bottom};
  }
  RECT src{0, 0, image->width, image->height};
  if (look.hasSource) {
    src = look.source;
    src.right = std::min<LONG>(src.right, image->width);
    src.bottom = std::min<LONG>(src.bottom, image->height);
  }
  if (dest.right <= dest.left || dest.bottom <= dest.top || src.right <= src.left || src.bottom <= src.top) return true;

  Gdiplus::ImageAttributes attrs;
  // Clamp sampling at the edges so stretched parts do not fade into their surroundings.
  attrs.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  if (look.fade < 255) {
    Gdiplus::ColorMatrix m = {
        {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, look.fade / 255.0f, 0}, {0, 0, 0, 0, 1}}};
    attrs.SetColorMatrix(&m);
  }
  g_.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
  g_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  auto blit = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
    if (dr <= dl || db <= dt || sr <= sl || sb <= st) return;
    g_.DrawImage(image->bitmap.get(), Gdiplus::Rect(dl, dt, dr - dl, db - dt), sl, st, sr - sl, sb - st,
                 Gdiplus::UnitPixel, &attrs);
  };

  if (look.xtiled || look.ytiled) {
    int sw = src.right - src.left, sh = src.bottom - src.top;
    for (int y = dest.top; y < dest.bottom; y += look.ytiled ? sh : (dest.bottom - dest.top)) {
      int h = look.ytiled ? std::min<int>(sh, dest.bottom - y) : dest.bottom - dest.top;
      for (int x = dest.left; x < dest.right; x += look.xtiled ? sw : (dest.right - dest.left)) {
        int w = look.xtiled ? std::min<int>(sw, dest.right - x) : dest.right - dest.left;
        blit(x, y, x + w, y + h, src.left, src.top, src.left + (look.xtiled ? w : sw),
             src.top + (look.ytiled ? h : sh));
      }
    }
    return true;
  }

  const RECT& c = look.corner;
  if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
    blit(dest.left, dest.top, dest.right, dest.bottom, src.left, src.top, src.right, src.bottom);
    return true;
  }
  // Nine-grid: corners keep their size, edges stretch one way, the centre both ways.
  int dx[4] = {dest.left, dest.left + c.left, dest.right - c.right, dest.right};
  int dy[4] = {dest.top, dest.top + c.top, dest.bottom - c.bottom, dest.bottom};
  int sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
  int sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      if (look.hole && row == 1 && col == 1) continue;
      blit(dx[col], dy[row], dx[col + 1], dy[row + 1], sx[col], sy[row], sx[col + 1], sy[row + 1]);
    }
  }
  return true;
}

namespace {

// Typographic format: no extra padding around the text, so a label exactly as wide as its
// text shows all of it.
void SetTextFormat(Gdiplus::StringFormat& format, unsigned align) {
  format.SetAlignment((align & kAlignCenter)  ? Gdiplus::StringAlignmentCenter
                      : (align & kAlignRight) ? Gdiplus::StringAlignmentFar
                                              : Gdiplus::StringAlignmentNear);
  format.SetLineAlignment((align & kVAlignTop)      ? Gdiplus::StringAlignmentNear
                          : (align & kVAlignBottom) ? Gdiplus::StringAlignmentFar
                                                    : Gdiplus::StringAlignmentCenter);
  INT flags = Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
  if (!(align & kMultiLine)) flags |= Gdiplus::StringFormatFlagsNoWrap;
  format.SetFormatFlags(flags);
  format.SetTrimming(Gdiplus::StringTrimmingNone);
}

// Line breaks are "\n" alone: a "\r" would be drawn as a glyph.
std::wstring NormaliseLineBreaks(std::wstring_view text) {
  std::wstring lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') continue;
      lines.push_back(L'\n');
    } else {
      lines.push_back(text[i]);
    }
  }
  return lines;
}

}  // namespace

void Painter::DrawText(const RECT& rect, std::wstring_view text, int fontId, uint32_t argb, unsigned align) {
  if (text.empty() || (argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
  SetTextFormat(format, align);
  const std::wstring lines = NormaliseLineBreaks(text);
  Gdiplus::SolidBrush brush(ToColor(argb));
  g_.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                        static_cast<Gdiplus::REAL>(rect.right - rect.left),
                        static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
  g_.DrawString(lines.data(), static_cast<INT>(lines.size()), fonts_.GdiplusFont(fontId), layout, &format, &brush);
}

SIZE Painter::MeasureText(HDC dc, const FontTable& fonts, int fontId, unsigned align, std::wstring_view text) {
  if (text.empty() || !dc) return SIZE{};
  Gdiplus::Graphics graphics(dc);
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
  // Measured on one line as drawn, without a box to align in.
  SetTextFormat(format, (align & ~static_cast<unsigned>(kAlignCenter | kAlignRight)) | kVAlignTop);
  const std::wstring lines = NormaliseLineBreaks(text);
  Gdiplus::RectF bounds;
  if (graphics.MeasureString(lines.data(), static_cast<INT>(lines.size()), fonts.GdiplusFont(fontId),
                             Gdiplus::PointF(0, 0), &format, &bounds) != Gdiplus::Ok) {
    return SIZE{};
  }
  // Rounded up: a box one pixel short would cut the last glyph.
  return SIZE{static_cast<LONG>(bounds.Width + 0.999f), static_cast<LONG>(bounds.Height + 0.999f)};
}

void Painter::PushClip(const RECT& rect) {
  RECT clip = rect;
  if (!clips_.empty()) {
    const RECT& outer = clips_.back();
    clip = RECT{std::max(clip.left, outer.left), std::max(clip.top, outer.top), std::min(clip.right, outer.right),
                std::min(clip.bottom, outer.bottom)};
    if (clip.right < clip.left) clip.right = clip.left;
    if (clip.bottom < clip.top) clip.bottom = clip.top;
  }
  clips_.push_back(clip);
  g_.SetClip(Gdiplus::Rect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
}

void Painter::PopClip() {
  if (clips_.empty()) return;
  clips_.pop_back();
  if (clips_.empty()) {
    g_.ResetClip();
  } else {
    const RECT& c = clips_.back();
    g_.SetClip(Gdiplus::Rect(c.left, c.top, c.right - c.left, c.bottom - c.top));
  }
}

}  // namespace uifw
