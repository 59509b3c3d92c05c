#include "uifw/ImageCache.h"

#include <objidl.h>
#include <shlwapi.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

#include <cwchar>

#include "uifw/SkinPackage.h"

namespace uifw {

DecodedImage::DecodedImage() = default;
DecodedImage::~DecodedImage() = default;

std::unique_ptr<DecodedImage> DecodeImage(const std::string& bytes, const uint32_t* maskRgb) {
  if (bytes.empty()) return nullptr;
  IStream* stream = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<DecodedImage> out;
  {
    Gdiplus::Bitmap source(stream);
    if (source.GetLastStatus() == Gdiplus::Ok && source.GetWidth() > 0 && source.GetHeight() > 0) {
      Gdiplus::Rect all(0, 0, static_cast<INT>(source.GetWidth()), static_cast<INT>(source.GetHeight()));
      Gdiplus::BitmapData data{};
      if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
        out = std::make_unique<DecodedImage>();
        out->width = all.Width;
        out->height = all.Height;
        out->pixels.resize(static_cast<size_t>(all.Width) * all.Height);
        for (int y = 0; y < all.Height; ++y) {
          const uint32_t* row =
              reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
          uint32_t* dst = out->pixels.data() + static_cast<size_t>(y) * all.Width;
          for (int x = 0; x < all.Width; ++x) {
            uint32_t p = row[x];
            if (maskRgb && (p & 0xFFFFFF) == (*maskRgb & 0xFFFFFF)) p = 0;
            uint32_t a = p >> 24;
            uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
            dst[x] = (a << 24) | (r << 16) | (g << 8) | b;
          }
        }
        source.UnlockBits(&data);
        out->bitmap = std::make_unique<Gdiplus::Bitmap>(out->width, out->height, out->width * 4, PixelFormat32bppPARGB,
                                                        reinterpret_cast<BYTE*>(out->pixels.data()));
      }
    }
  }
  stream->Release();
  return out;
}

ImageCache::~ImageCache() = default;

const DecodedImage* ImageCache::Get(std::wstring_view file, const uint32_t* maskRgb) {
  if (file.empty() || !package_) return nullptr;
  std::wstring key(file);
  for (wchar_t& c : key) {
    if (c == L'\\') c = L'/';
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  if (maskRgb) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"|%06X", static_cast<unsigned>(*maskRgb & 0xFFFFFF));
    key += suffix;
  }
  auto it = images_.find(key);
  if (it != images_.end()) return it->second.get();
  const std::string* bytes = package_->Find(file);
  std::unique_ptr<DecodedImage> image = bytes ? DecodeImage(*bytes, maskRgb) : nullptr;
  const DecodedImage* result = image.get();
  images_.emplace(std::move(key), std::move(image));
  return result;
}

}  // namespace uifw
