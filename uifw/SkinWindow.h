#pragma once

// The skinned-window base: Win32 window wrapper, notification receiver and pump, message
// filter and control-factory hook. A subclass names its skin (folder, file, resource kind
// and id, window class) and handles notifications and clicks.
//
// Creation (WM_CREATE): caption style removed and the frame re-applied; the shared skin
// package opened from the resource (window stays empty when that fails); the description
// parsed with CreateControl as factory (no root: ReportLoadFailure); the tree attached, the
// size from the description applied, and InitWindow called.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "uifw/Notification.h"
#include "uifw/Utils.h"
#include "uifw/WindowContent.h"

namespace uifw {

class Label;
class TabLayout;

class SkinWindow : public NotifyReceiver {
 public:
  SkinWindow();
  ~SkinWindow() override;
  SkinWindow(const SkinWindow&) = delete;
  SkinWindow& operator=(const SkinWindow&) = delete;

  // Registers the window class and creates the window. nullptr on failure.
  HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT);
  HWND Handle() const { return hwnd_; }

  // Centres the window on its owner (or the work area when it has none or the owner is
  // minimised) without resizing or activating it, then keeps it inside the work area.
  void CenterWindow();
  // Shows the window, disables its owner and runs a message loop until the window is gone.
  // Returns the wParam of the posted WM_CLOSE that closed it (0 for a sent one).
  UINT ShowModal();
  // Posts WM_CLOSE with |code| when the window still exists.
  void Close(UINT code = 1);

  // Control of this window named exactly |name|, or nullptr.
  Control* FindControl(std::wstring_view name) const { return content_.FindControl(name); }
  template <typename T>
  T* FindControlAs(std::wstring_view name) const {
    return dynamic_cast<T*>(FindControl(name));
  }
  // Selects child |index| of |tab| (see TabLayout::SelectItem).
  bool SelectTab(TabLayout* tab, int index, bool notify);
  // Sends a notification from |sender| (the root when nullptr) to this window.
  void SendNotify(Control* sender, std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0, bool async = false);
  // The size |text| takes in |label|'s font and text style on this window's surface.
  SIZE MeasureText(const Label& label, std::wstring_view text) const;
  // Fixes |label|'s width to its own text's width plus its left text padding.
  void FitWidthToText(Label& label) const;
  // Gives every control the texts of the current language table (see LanguageTable).
  void ReapplyLanguage();
  // A Window attribute the framework keeps by name (for example "showshadow"), or nullptr.
  const std::wstring* CustomAttribute(std::wstring_view name) const;

  WindowContent& Content() { return content_; }
  const WindowContent& Content() const { return content_; }
  // The executable's folder followed by the skin folder.
  const std::wstring& ResourcePath() const { return resourcePath_; }

  // Receiver: dispatches "click" to OnClick. Subclasses do their own handling first and
  // then call this.
  void Notify(Notification& n) override;

 protected:
  virtual std::wstring GetSkinFolder() const = 0;
  virtual std::wstring GetSkinFile() const = 0;
  virtual int GetResourceKind() const = 0;
  virtual int GetResourceId() const = 0;
  virtual std::wstring GetWindowClassName() const = 0;
  virtual UINT GetClassStyle() const { return CS_DBLCLKS; }

  // After the description is attached.
  virtual void InitWindow() {}
  // "click": "closebtn" closes with code 1; "minbtn", "maxbtn", "restorebtn" send the
  // matching system command.
  virtual void OnClick(Notification& n);
  // Control factory for element names the framework does not know.
  virtual std::unique_ptr<Control> CreateControl(std::wstring_view element);
  // Sees messages before the window; true marks one handled (it goes no further).
  virtual bool MessageFilter(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's message handling; subclasses call the base for what they do not handle.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After the window is gone (WM_NCDESTROY).
  virtual void OnFinalMessage() {}

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterWindowClass();
  LRESULT OnCreate();
  void OnPaint();
  SIZE ClientSize() const;

  HWND hwnd_ = nullptr;
  WindowContent content_;
  std::wstring resourcePath_;
  bool trackingMouse_ = false;
  bool ownerDisabled_ = false;
  bool painted_ = false;
  MemoryBitmap backBuffer_;
};

}  // namespace uifw
