#pragma once

// The fonts a window description declares, by id, with the window's default font.

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "utils/Handles.h"

namespace Gdiplus {
class Font;
}

namespace uifw {

struct FontInfo {
  std::wstring face;
  int size = 12;  // character height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

class FontTable {
 public:
  FontTable();
  ~FontTable();
  FontTable(FontTable&&) noexcept;
  FontTable& operator=(FontTable&&) noexcept;

  // Declares font |id|; |isDefault| makes it the window's default font.
  void Add(int id, const FontInfo& info, bool isDefault);

  // The declaration for |id|, or the default font when |id| is unknown (or -1).
  const FontInfo& Info(int id) const;
  bool Has(int id) const { return fonts_.count(id) != 0; }
  size_t Count() const { return fonts_.size(); }

  // GDI+ font for |id| (created on first use, kept as long as the table).
  Gdiplus::Font* GdiplusFont(int id) const;
  // GDI font for |id|, for native child windows.
  HFONT GdiFont(int id) const;

 private:
  struct Entry {
    FontInfo info;
    mutable std::unique_ptr<Gdiplus::Font> gdiplus;
    mutable Utils::UniqueGdiObject gdi;
  };
  const Entry& Lookup(int id) const;

  std::map<int, Entry> fonts_;
  int defaultId_ = -1;
  Entry fallback_;
};

}  // namespace uifw
