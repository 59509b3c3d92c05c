#include "ui/SkinFrame.h"

#include "uifw/Attributes.h"

SkinFrameInfo SkinFrameInfo::ForSkinFile(const std::wstring& skinFile) {
  SkinFrameInfo info;
  info.skinFile = skinFile;
  size_t dot = skinFile.find_last_of(L'.');
  info.windowClassName = dot == std::wstring::npos ? skinFile : skinFile.substr(0, dot);
  return info;
}

std::optional<SkinShadowSettings> ReadShadowSettings(const uifw::WindowDescription& d) {
  const std::wstring* show = d.CustomAttribute(L"showshadow");
  if (!show || !uifw::EqualsNoCase(*show, L"true")) return std::nullopt;
  SkinShadowSettings s;
  if (const std::wstring* image = d.CustomAttribute(L"shadowimage")) {
    s.image = *image;
    // "shadowholeoffset" is read by older skins but has no effect: the corner is the offset.
    if (const std::wstring* corner = d.CustomAttribute(L"shadowcorner")) s.corner = uifw::ParseRect(*corner);
  }
  if (const std::wstring* v = d.CustomAttribute(L"shadowsize")) s.size = uifw::ParseInt(*v);
  if (const std::wstring* v = d.CustomAttribute(L"shadowsharpness")) s.sharpness = uifw::ParseInt(*v);
  if (const std::wstring* v = d.CustomAttribute(L"shadowdarkness")) s.darkness = uifw::ParseInt(*v);
  if (const std::wstring* v = d.CustomAttribute(L"shadowposition")) {
    SIZE p = uifw::ParseSize(*v);
    s.position = POINT{p.cx, p.cy};
  }
  if (const std::wstring* v = d.CustomAttribute(L"shadowcolor")) {
    uint32_t color = 0;
    if (uifw::ParseColor(*v, color)) s.color = color;
  }
  return s;
}

void CSkinFrame::InitWindow() {
  HWND hwnd = Handle();
  LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_MAXIMIZEBOX));
  // The shadow window draws from these settings.
  shadow_ = ReadShadowSettings(Content().Description());
}

void CSkinFrame::ApplyInstallerWindowStyles() {
  HWND hwnd = Handle();
  LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_MAXIMIZEBOX)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, style);
  LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_TOPMOST));
}

bool CSkinFrame::MessageFilter(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) return true;
  return uifw::SkinWindow::MessageFilter(message, wParam, lParam);
}
