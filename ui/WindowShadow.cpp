#include "ui/WindowShadow.h"

#include <utility>

#include "uifw/Framework.h"
#include "uifw/ImageCache.h"

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

constexpr wchar_t kShadowClass[] = L"SkinShadowWnd";

HINSTANCE g_instance = nullptr;
UpdateLayeredWindowFn g_updateLayeredWindow = nullptr;
bool g_initialized = false;
// Installer window to its shadow; a handful of windows at most.
std::vector<std::pair<HWND, CWindowShadow*>> g_table;

LRESULT CALLBACK ShadowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

shadow::Rect ToRect(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

bool CWindowShadow::Initialize(HINSTANCE instance) {
  if (g_initialized) return false;
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (!user32) return false;
  g_updateLayeredWindow =
      reinterpret_cast<UpdateLayeredWindowFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindow")));
  if (!g_updateLayeredWindow) return false;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &ShadowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kShadowClass;
  ::RegisterClassExW(&wc);
  g_instance = instance;
  g_initialized = true;
  return true;
}

CWindowShadow::~CWindowShadow() {
  if (shadow_ && ::IsWindow(shadow_)) ::PostMessageW(shadow_, WM_CLOSE, 0, 0);
  for (auto it = g_table.begin(); it != g_table.end(); ++it) {
    if (it->second == this) {
      g_table.erase(it);
      break;
    }
  }
}

CWindowShadow* CWindowShadow::Find(HWND parent) {
  for (const auto& entry : g_table) {
    if (entry.first == parent) return entry.second;
  }
  return nullptr;
}

void CWindowShadow::Create(HWND parent) {
  if (!g_initialized || !parent) return;
  parent_ = parent;
  g_table.emplace_back(parent, this);
  shadow_ = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClass, nullptr, WS_POPUPWINDOW, CW_USEDEFAULT,
                              0, 0, 0, parent, nullptr, g_instance, nullptr);
  const LONG_PTR style = ::GetWindowLongPtrW(parent, GWL_STYLE);
  if (!(style & WS_VISIBLE)) {
    status_ = kEnabled;
  } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
    status_ = kEnabled | kParentVisible;
  } else {
    status_ = kEnabled | kShown | kParentVisible;
    ::ShowWindow(shadow_, SW_SHOWNA);
    Rebuild();
  }
  parentProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowShadow::Interceptor)));
}

void CWindowShadow::Changed() {
  if (status_ & kShown) Rebuild();
}

bool CWindowShadow::SetSize(int size) {
  if (!settings_.SetSize(size)) return false;
  Changed();
  return true;
}

bool CWindowShadow::SetSharpness(int sharpness) {
  if (!settings_.SetSharpness(sharpness)) return false;
  Changed();
  return true;
}

bool CWindowShadow::SetDarkness(int darkness) {
  if (!settings_.SetDarkness(darkness)) return false;
  Changed();
  return true;
}

bool CWindowShadow::SetPosition(int x, int y) {
  if (!settings_.SetPosition(x, y)) return false;
  Changed();
  return true;
}

bool CWindowShadow::SetColor(uint32_t colorref) {
  settings_.SetColor(colorref);
  Changed();
  return true;
}

bool CWindowShadow::SetImage(const std::wstring& image, const RECT& corners, const RECT& holeOffset) {
  if (!images_) images_ = std::make_unique<uifw::ImageCache>(&uifw::SharedPackage());
  const uifw::DecodedImage* decoded = images_->Get(image);
  if (!decoded || decoded->width <= 0 || decoded->height <= 0) return false;
  image_ = decoded;
  corners_ = corners;
  holeOffset_ = holeOffset;
  Changed();
  return true;
}

shadow::Rect CWindowShadow::ShadowRectFor(const RECT& window) const {
  if (image_) {
    return shadow::ImageShadowRect(ToRect(window), {corners_.left, corners_.top, corners_.right, corners_.bottom});
  }
  return shadow::ColorShadowRect(ToRect(window), settings_);
}

std::vector<uint32_t> CWindowShadow::ImagePicture(int width, int height) const {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  const int iw = image_->width, ih = image_->height;
  // Insets per side in the picture and in the image (the same numbers, clipped to each).
  const int l = corners_.left + holeOffset_.left, t = corners_.top + holeOffset_.top;
  const int r = corners_.right + holeOffset_.right, b = corners_.bottom + holeOffset_.bottom;
  auto sourceCoord = [](int d, int size, int lead, int trail, int srcSize) {
    if (d < lead) return d < srcSize ? d : srcSize - 1;
    if (d >= size - trail) {
      const int s = srcSize - (size - d);
      return s < 0 ? 0 : s;
    }
    const int middleDst = size - lead - trail, middleSrc = srcSize - lead - trail;
    if (middleDst <= 0 || middleSrc <= 0) return lead < srcSize ? lead : srcSize - 1;
    return lead + (d - lead) * middleSrc / middleDst;
  };
  for (int y = 0; y < height; ++y) {
    const bool middleRow = y >= t && y < height - b;
    const int sy = sourceCoord(y, height, t, b, ih);
    for (int x = 0; x < width; ++x) {
      if (middleRow && x >= l && x < width - r) continue;  // the centre stays clear
      const int sx = sourceCoord(x, width, l, r, iw);
      pixels[static_cast<size_t>(y) * width + x] = image_->pixels[static_cast<size_t>(sy) * iw + sx];
    }
  }
  return pixels;
}

void CWindowShadow::Rebuild() {
  if (!shadow_ || !parent_) return;
  RECT window{};
  ::GetWindowRect(parent_, &window);
  const shadow::Rect place = ShadowRectFor(window);
  if (place.width <= 0 || place.height <= 0) return;

  std::vector<uint32_t> pixels;
  if (image_) {
    pixels = ImagePicture(place.width, place.height);
  } else {
    const int w = window.right - window.left, h = window.bottom - window.top;
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = region ? ::GetWindowRgn(parent_, region) : ERROR;
    std::vector<shadow::Span> spans;
    if (kind == ERROR || kind == NULLREGION) {
      spans.assign(static_cast<size_t>(h), shadow::Span{w, 0});  // no region: no silhouette
    } else {
      spans = shadow::RegionSpans(w, h, [region](int x, int y) { return ::PtInRegion(region, x, y) != FALSE; });
    }
    if (region) ::DeleteObject(region);
    pixels = shadow::BuildSilhouette(w, h, spans, settings_);
  }
  if (pixels.size() != static_cast<size_t>(place.width) * static_cast<size_t>(place.height)) return;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = place.width;
  info.bmiHeader.biHeight = place.height;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < place.height; ++y) {
      const uint32_t* row = pixels.data() + static_cast<size_t>(y) * place.width;
      std::copy(row, row + place.width, out + static_cast<size_t>(place.height - y - 1) * place.width);
    }
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::MoveWindow(shadow_, place.left, place.top, place.width, place.height, FALSE);
    POINT destination{place.left, place.top};
    SIZE size{place.width, place.height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    g_updateLayeredWindow(shadow_, screen, &destination, &size, memory, &source, 0, &blend, ULW_ALPHA);
    ::SelectObject(memory, previous);
  }
  if (bitmap) ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK CWindowShadow::Interceptor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindowShadow* self = Find(hwnd);
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  const WNDPROC next = self->parentProc_;
  switch (message) {
    case WM_DESTROY:
      if (self->shadow_) {
        ::DestroyWindow(self->shadow_);
        self->shadow_ = nullptr;
      }
      break;
    case WM_MOVE:
      if (self->status_ & kShown) {
        RECT window{};
        ::GetWindowRect(hwnd, &window);
        const shadow::Rect place = self->ShadowRectFor(window);
        ::SetWindowPos(self->shadow_, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
      }
      break;
    case WM_SIZE:
      if (self->status_ & kEnabled) {
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
          ::ShowWindow(self->shadow_, SW_HIDE);
          self->status_ &= ~kShown;
        } else if (self->status_ & kParentVisible) {
          if (LOWORD(lParam) <= self->lastWidth_ && HIWORD(lParam) <= self->lastHeight_) {
            self->Rebuild();
          } else {
            self->updatePending_ = true;
          }
          if (!(self->status_ & kShown)) {
            ::ShowWindow(self->shadow_, SW_SHOWNA);
            self->status_ |= kShown;
          }
        }
        self->lastWidth_ = LOWORD(lParam);
        self->lastHeight_ = HIWORD(lParam);
      }
      break;
    case WM_ACTIVATE:
    case WM_EXITSIZEMOVE:
      if (self->status_ & kShown) self->Rebuild();
      break;
    case WM_PAINT:
      if (self->updatePending_) {
        self->Rebuild();
        self->updatePending_ = false;
      }
      break;
    case WM_SHOWWINDOW:
      if (self->status_ & kEnabled) {
        if (!wParam) {
          ::ShowWindow(self->shadow_, SW_HIDE);
          self->status_ &= ~(kShown | kParentVisible);
        } else if (!(self->status_ & kParentVisible)) {
          self->updatePending_ = true;
          ::ShowWindow(self->shadow_, SW_SHOWNA);
          self->status_ |= kShown | kParentVisible;
        }
      }
      break;
    case WM_NCDESTROY:
      for (auto it = g_table.begin(); it != g_table.end(); ++it) {
        if (it->first == hwnd) {
          g_table.erase(it);
          break;
        }
      }
      break;
    default:
      break;
  }
  return ::CallWindowProcW(next, hwnd, message, wParam, lParam);
}
