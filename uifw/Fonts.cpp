#include "uifw/Fonts.h"

#include <objidl.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

namespace uifw {

FontTable::FontTable() {
  fallback_.info.face = L"微软雅黑";
  fallback_.info.size = 12;
}
FontTable::~FontTable() = default;
FontTable::FontTable(FontTable&&) noexcept = default;
FontTable& FontTable::operator=(FontTable&&) noexcept = default;

void FontTable::Add(int id, const FontInfo& info, bool isDefault) {
  Entry& e = fonts_[id];
  e.info = info;
  e.gdiplus.reset();
  e.gdi.Reset();
  if (isDefault || defaultId_ < 0) defaultId_ = id;
}

const FontTable::Entry& FontTable::Lookup(int id) const {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) it = fonts_.find(defaultId_);
  return it == fonts_.end() ? fallback_ : it->second;
}

const FontInfo& FontTable::Info(int id) const {
  return Lookup(id).info;
}

Gdiplus::Font* FontTable::GdiplusFont(int id) const {
  const Entry& e = Lookup(id);
  if (!e.gdiplus) {
    int style = Gdiplus::FontStyleRegular;
    if (e.info.bold) style |= Gdiplus::FontStyleBold;
    if (e.info.italic) style |= Gdiplus::FontStyleItalic;
    if (e.info.underline) style |= Gdiplus::FontStyleUnderline;
    Gdiplus::FontFamily family(e.info.face.c_str());
    if (family.GetLastStatus() == Gdiplus::Ok) {
      e.gdiplus =
          std::make_unique<Gdiplus::Font>(&family, static_cast<Gdiplus::REAL>(e.info.size), style, Gdiplus::UnitPixel);
    } else {
      // Face not installed: the system's sans-serif keeps the text readable.
      e.gdiplus = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(),
                                                  static_cast<Gdiplus::REAL>(e.info.size), style, Gdiplus::UnitPixel);
    }
  }
  return e.gdiplus.get();
}

HFONT FontTable::GdiFont(int id) const {
  const Entry& e = Lookup(id);
  if (!e.gdi) {
    LOGFONTW lf{};
    lf.lfHeight = -e.info.size;
    lf.lfWeight = e.info.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = e.info.italic ? TRUE : FALSE;
    lf.lfUnderline = e.info.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, e.info.face.c_str(), LF_FACESIZE);
    e.gdi.Reset(::CreateFontIndirectW(&lf));
  }
  return static_cast<HFONT>(e.gdi.Get());
}

}  // namespace uifw
