#include "uifw/Utils.h"

namespace uifw {

MemoryBitmap::~MemoryBitmap() {
  // The bitmap can only be deleted once it is no longer selected.
  if (dc_ && previous_) ::SelectObject(dc_.Get(), previous_);
}

bool MemoryBitmap::Ensure(SIZE size) {
  if (bits_ && size.cx == size_.cx && size.cy == size_.cy) return true;
  if (dc_ && previous_) ::SelectObject(dc_.Get(), previous_);
  previous_ = nullptr;
  bitmap_.Reset();
  dc_.Reset();
  bits_ = nullptr;
  size_ = SIZE{};
  if (size.cx <= 0 || size.cy <= 0) return false;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = size.cx;
  bmi.bmiHeader.biHeight = -size.cy;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_.Reset(::CreateCompatibleDC(nullptr));
  if (!dc_) return false;
  bitmap_.Reset(::CreateDIBSection(dc_.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) return false;
  previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
  bits_ = static_cast<uint32_t*>(bits);
  size_ = size;
  return true;
}

}  // namespace uifw
