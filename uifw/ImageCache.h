#pragma once

// Decoded skin images of one window, keyed by member path and mask colour. PNG (or any
// format GDI+ reads) is decoded from the package bytes into premultiplied 32-bit pixels.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

namespace uifw {

class SkinPackage;

struct DecodedImage {
  DecodedImage();
  ~DecodedImage();
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;             // premultiplied ARGB, top-down rows
  std::unique_ptr<Gdiplus::Bitmap> bitmap;  // over |pixels|
};

// Decodes image bytes into premultiplied pixels; |maskRgb| (when given) becomes fully
// transparent. nullptr when the bytes are not an image.
std::unique_ptr<DecodedImage> DecodeImage(const std::string& bytes, const uint32_t* maskRgb);

class ImageCache {
 public:
  explicit ImageCache(const SkinPackage* package = nullptr) : package_(package) {}
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  void SetPackage(const SkinPackage* package) { package_ = package; }

  // The image member |file| (lookup rules of the package) or nullptr when the member is
  // missing or undecodable; failures are remembered too.
  const DecodedImage* Get(std::wstring_view file, const uint32_t* maskRgb = nullptr);

 private:
  const SkinPackage* package_;
  std::map<std::wstring, std::unique_ptr<DecodedImage>> images_;
};

}  // namespace uifw
