#pragma once

// Small Win32 helpers of the framework: a 32-bit top-down DIB section for painting.

#include <windows.h>

#include <cstdint>

#include "utils/Handles.h"

namespace uifw {

// A premultiplied 32-bit top-down DIB section selected into its own memory DC.
class MemoryBitmap {
 public:
  MemoryBitmap() = default;
  ~MemoryBitmap();
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  // (Re)creates the bitmap when |size| differs. False on failure.
  bool Ensure(SIZE size);
  HDC Dc() const { return dc_.Get(); }
  uint32_t* Bits() const { return bits_; }
  SIZE Size() const { return size_; }

 private:
  Utils::UniqueMemoryDc dc_;
  Utils::UniqueGdiObject bitmap_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
  SIZE size_{};
};

}  // namespace uifw
