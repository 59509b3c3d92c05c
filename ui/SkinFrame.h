#pragma once

// The frame window class every installer window derives from: it names its skin through a
// SkinFrameInfo, strips the caption style, reads the window's shadow settings and keeps
// Escape from closing the window.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "uifw/SkinWindow.h"

// Where a window's description comes from.
struct SkinFrameInfo {
  int resourceKind = 4;  // 4: the "ZIPRES" skin package resource
  int resourceId = 147;
  std::wstring skinFolder;
  std::wstring skinFile;         // member name, e.g. "MainWnd.xml"
  std::wstring windowClassName;  // registered Win32 class, e.g. "MainWnd"

  // The usual info for |skinFile|: package resource 147, no folder, class name = the file
  // name up to its last ".".
  static SkinFrameInfo ForSkinFile(const std::wstring& skinFile);
};

// Shadow settings a description asks for ("showshadow" and the other shadow attributes).
struct SkinShadowSettings {
  std::wstring image;  // "shadowimage"; empty: colour shadow
  RECT corner{};       // "shadowcorner", also the hole offset of an image shadow
  std::optional<int> size, sharpness, darkness;
  std::optional<POINT> position;
  std::optional<uint32_t> color;
};

// The shadow settings of |description|, or nothing when it does not ask for a shadow.
std::optional<SkinShadowSettings> ReadShadowSettings(const uifw::WindowDescription& description);

class CSkinFrame : public uifw::SkinWindow {
 public:
  explicit CSkinFrame(const SkinFrameInfo& info) : info_(info) {}

  const SkinFrameInfo& Info() const { return info_; }
  // The shadow settings when the description asks for a shadow ("showshadow" equal to
  // "true" ignoring case), read during initialisation.
  const std::optional<SkinShadowSettings>& ShadowSettings() const { return shadow_; }

 protected:
  std::wstring GetSkinFolder() const override { return info_.skinFolder; }
  std::wstring GetSkinFile() const override { return info_.skinFile; }
  int GetResourceKind() const override { return info_.resourceKind; }
  int GetResourceId() const override { return info_.resourceId; }
  std::wstring GetWindowClassName() const override { return info_.windowClassName; }
  UINT GetClassStyle() const override { return CS_DBLCLKS; }

  // Removes WS_CAPTION and WS_MAXIMIZEBOX and reads the shadow settings.
  void InitWindow() override;
  // What the installer's own windows add after this class's hook: the caption and maximise
  // box removed again, children and siblings clipped, never topmost.
  void ApplyInstallerWindowStyles();
  // Consumes the key-down of Escape; everything else passes.
  bool MessageFilter(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  SkinFrameInfo info_;
  std::optional<SkinShadowSettings> shadow_;
};
