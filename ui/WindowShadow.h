#pragma once

// The soft drop shadow of a frameless installer window: a layered, click-through popup
// owned by the window, showing a blurred, tinted silhouette of the window's region (or a
// nine-grid image) with a transparent hole where the window itself is. It follows the
// window by intercepting the window's messages.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/ShadowGeometry.h"

namespace uifw {
struct DecodedImage;
class ImageCache;
}  // namespace uifw

class CWindowShadow {
 public:
  CWindowShadow() = default;
  virtual ~CWindowShadow();
  CWindowShadow(const CWindowShadow&) = delete;
  CWindowShadow& operator=(const CWindowShadow&) = delete;

  // Once per process: registers "SkinShadowWnd". False when already done or when the system
  // has no UpdateLayeredWindow (then no shadow is ever created).
  static bool Initialize(HINSTANCE instance);

  // Creates the shadow window for |parent| and starts following it. Does nothing unless
  // initialised.
  void Create(HWND parent);

  // Setters answer false for a value out of range and change nothing; otherwise the shadow
  // is rebuilt at once when it is shown.
  bool SetSize(int size);            // -20 to 20
  bool SetSharpness(int sharpness);  // 0 to 20
  bool SetDarkness(int darkness);    // 0 to 255
  bool SetPosition(int x, int y);    // -20 to 20 each
  bool SetColor(uint32_t colorref);  // a COLORREF; always accepted

  // Image shadow: |image| from the skin package, drawn as a nine-grid with |corners| plus
  // |holeOffset| as insets, the centre left out. False when the image cannot be loaded
  // (the previous mode stays).
  bool SetImage(const std::wstring& image, const RECT& corners, const RECT& holeOffset);

  HWND Window() const { return shadow_; }
  const shadow::Settings& Settings() const { return settings_; }

  // Status bits.
  static constexpr unsigned kEnabled = 1, kShown = 2, kParentVisible = 4;
  unsigned Status() const { return status_; }

  // Builds the picture for the parent's current rectangle and hands it to the shadow
  // window. Does nothing without a shadow window.
  void Rebuild();

 private:
  static LRESULT CALLBACK Interceptor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static CWindowShadow* Find(HWND parent);
  shadow::Rect ShadowRectFor(const RECT& window) const;
  std::vector<uint32_t> ImagePicture(int width, int height) const;
  void Changed();

  HWND parent_ = nullptr;
  HWND shadow_ = nullptr;
  WNDPROC parentProc_ = nullptr;
  unsigned status_ = 0;
  shadow::Settings settings_;
  WORD lastWidth_ = 0, lastHeight_ = 0;
  bool updatePending_ = false;
  std::unique_ptr<uifw::ImageCache> images_;
  const uifw::DecodedImage* image_ = nullptr;  // owned by images_
  RECT corners_{};
  RECT holeOffset_{};
};
