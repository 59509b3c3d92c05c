#include "ui/ShadowGeometry.h"

#include <algorithm>
#include <cmath>

namespace shadow {

bool Settings::SetDarkness(int value) {
  if (value < 0 || value > 255) return false;
  darkness_ = static_cast<uint8_t>(value);
  return true;
}

bool Settings::SetSharpness(int value) {
  if (value < 0 || value > 20) return false;
  sharpness_ = static_cast<uint8_t>(value);
  return true;
}

bool Settings::SetSize(int value) {
  if (value < -20 || value > 20) return false;
  size_ = static_cast<int8_t>(value);
  return true;
}

bool Settings::SetPosition(int x, int y) {
  if (x < -20 || x > 20 || y < -20 || y > 20) return false;
  offsetX_ = static_cast<int8_t>(x);
  offsetY_ = static_cast<int8_t>(y);
  return true;
}

Rect ColorShadowRect(const Rect& window, const Settings& settings) {
  const int s = settings.Size();
  return {window.left + settings.OffsetX() - s, window.top + settings.OffsetY() - s, window.width + 2 * s,
          window.height + 2 * s};
}

Rect ImageShadowRect(const Rect& window, const Insets& corners) {
  return {window.left - corners.left, window.top - corners.top, window.width + corners.left + corners.right,
          window.height + corners.top + corners.bottom};
}

std::vector<Span> RegionSpans(int width, int height, const std::function<bool(int x, int y)>& inRegion) {
  std::vector<Span> spans(static_cast<size_t>(std::max(height, 0)), Span{width, 0});
  for (int y = 0; y < height; ++y) {
    int first = 0;
    while (first < width && !inRegion(first, y)) ++first;
    if (first == width) continue;
    int last = width - 1;
    while (last > first && !inRegion(last, y)) --last;
    spans[static_cast<size_t>(y)] = {first, last + 1};
  }
  return spans;
}

uint32_t PremultipliedPixel(uint32_t color, uint32_t alpha) {
  const uint32_t red = (color & 0xFF) * alpha / 255;
  const uint32_t green = ((color >> 8) & 0xFF) * alpha / 255;
  const uint32_t blue = ((color >> 16) & 0xFF) * alpha / 255;
  return alpha << 24 | red << 16 | green << 8 | blue;
}

std::vector<uint32_t> BuildSilhouette(int width, int height, const std::vector<Span>& spans, const Settings& settings) {
  const int s = settings.Size();
  const int k = settings.Sharpness();
  const int d = settings.Darkness();
  const int dx = settings.OffsetX();
  const int dy = settings.OffsetY();
  const int sw = width + 2 * s;
  const int sh = height + 2 * s;
  if (sw <= 0 || sh <= 0 || height <= 0 || static_cast<int>(spans.size()) < height) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(sw) * static_cast<size_t>(sh), 0);
  const uint32_t full = PremultipliedPixel(settings.Color(), static_cast<uint32_t>(d));

  // Shadow rows with a sentinel row above and below: table row t is shadow row t - 1.
  const int rows = std::max(height, sh) + 2;
  const Span none{sw, 0};
  std::vector<Span> table(static_cast<size_t>(rows), none);
  for (int y = 0; y < sh; ++y) {
    const int w = y - s;
    if (w < 0 || w >= height) continue;
    const Span& span = spans[static_cast<size_t>(w)];
    if (!span.Empty()) table[static_cast<size_t>(y + 1)] = {span.start + s, span.end + s};
  }

  // Erosion narrows the silhouette so that the blur band stays inside the grown outline.
  for (int round = 0; round < k - s; ++round) {
    std::vector<Span> eroded(table.size(), none);
    for (int t = 1; t + 1 < rows; ++t) {
      const Span& above = table[static_cast<size_t>(t - 1)];
      const Span& row = table[static_cast<size_t>(t)];
      const Span& below = table[static_cast<size_t>(t + 1)];
      Span next{std::max({above.start, row.start, below.start}) + 1, std::min({above.end, row.end, below.end}) - 1};
      if (!next.Empty()) eroded[static_cast<size_t>(t)] = next;
    }
    table.swap(eroded);
  }
  auto shadowRow = [&](int y) -> const Span& { return table[static_cast<size_t>(y + 1)]; };

  // The blur kernel: full strength inside the centre radius, fading over k + 1 pixels.
  const int kk = std::max(s, k);
  const int radius = std::max(s - k, 0);
  const int side = 2 * kk + 1;
  std::vector<uint32_t> kernel(static_cast<size_t>(side) * static_cast<size_t>(side), 0);
  for (int j = -kk; j <= kk; ++j) {
    for (int i = -kk; i <= kk; ++i) {
      const double r = std::sqrt(static_cast<double>(i * i + j * j));
      uint32_t value = 0;
      if (r < radius) {
        value = full;
      } else if (r <= kk) {
        const double a = (1.0 - (r - radius) / (k + 1)) * d;
        value = PremultipliedPixel(settings.Color(), a > 0 ? static_cast<uint32_t>(a) : 0);
      }
      kernel[static_cast<size_t>((j + kk) * side + (i + kk))] = value;
    }
  }
  auto put = [&](int x, int y, uint32_t value) {
    if (x >= 0 && x < sw && y >= 0 && y < sh) pixels[static_cast<size_t>(y) * static_cast<size_t>(sw) + x] = value;
  };
  auto stamp = [&](int cx, int cy) {
    for (int j = -kk; j <= kk; ++j) {
      const int y = cy + j;
      if (y < 0 || y >= sh) continue;
      for (int i = -kk; i <= kk; ++i) {
        const int x = cx + i;
        if (x < 0 || x >= sw) continue;
        uint32_t& pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(sw) + x];
        pixel = std::max(pixel, kernel[static_cast<size_t>((j + kk) * side + (i + kk))]);
      }
    }
  };

  // Stamp the kernel only along the ends of each row where the outline changes.
  for (int y = kk; y < sh - kk; ++y) {
    const Span& row = shadowRow(y);
    if (row.Empty()) continue;
    const Span& above = shadowRow(y - 1);
    const Span& below = shadowRow(y + 1);
    int x = row.start;
    for (; x < std::min(std::max(above.start, below.start) + 1, row.end); ++x) stamp(x, y);
    for (x = std::max(x, std::min(above.end, below.end) - 1); x < row.end; ++x) stamp(x, y);
  }

  // Full strength inside, and the hole where the window itself lies.
  const int shift = s - dx;
  for (int y = std::min(kk, std::max(s - dy, 0)); y < std::max(sh - kk, std::min(height + s - dy, height + 2 * s));
       ++y) {
    const Span& row = shadowRow(y);
    const int w = y - s + dy;
    if (w < 0 || w >= height) {
      for (int x = row.start; x < row.end; ++x) put(x, y, full);
      continue;
    }
    const Span& window = spans[static_cast<size_t>(w)];
    for (int x = row.start; x < std::min(window.start + shift, row.end); ++x) put(x, y, full);
    for (int x = std::max(window.start + shift, 0); x < std::min(window.end + shift, sw); ++x) put(x, y, 0);
    for (int x = std::max(window.end + shift, row.start); x < row.end; ++x) put(x, y, full);
  }
  return pixels;
}

}  // namespace shadow
