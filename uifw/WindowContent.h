#pragma once

// Everything a skinned window holds apart from its Win32 handle: the parsed description
// with its control tree and fonts, images, layout, hit testing, painting, mouse input,
// notifications and control timers. Usable without a window (offscreen).

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "uifw/ControlHost.h"
#include "uifw/Description.h"
#include "uifw/ImageCache.h"
#include "uifw/InputRouter.h"
#include "uifw/Notifier.h"
#include "uifw/TimerTable.h"

namespace Gdiplus {
class Graphics;
}

namespace uifw {

class SkinPackage;

class WindowContent : public ControlHost {
 public:
  WindowContent();
  ~WindowContent() override;
  WindowContent(const WindowContent&) = delete;
  WindowContent& operator=(const WindowContent&) = delete;

  // Takes the parsed description and binds its tree to this content.
  void Attach(WindowDescription&& description);
  const WindowDescription& Description() const { return description_; }
  Control* Root() const { return description_.root.get(); }

  // The control named exactly |name| (case-sensitive), or nullptr.
  Control* FindControl(std::wstring_view name) const;

  // Images come from |package|.
  void SetPackage(const SkinPackage* package) { images_.SetPackage(package); }
  // Binds to a window (nullptr when it goes): timers, invalidation, async notifications.
  void SetWindow(HWND hwnd);
  void AddReceiver(NotifyReceiver* receiver) { notifier_.AddReceiver(receiver); }
  void RemoveReceiver(NotifyReceiver* receiver) { notifier_.RemoveReceiver(receiver); }

  // Lays the tree out in a client area of |client| (the root fills it). LayoutIfNeeded
  // does so only when the size changed or a control asked for it.
  void Layout(SIZE client);
  void LayoutIfNeeded(SIZE client);

  // WM_NCHITTEST answer for a client point: HTCAPTION inside the caption band unless the
  // control under the point is a Button, Option or Text (or there is none); HTCLIENT
  // elsewhere.
  LRESULT HitTest(POINT pt) const;

  // Paints the whole tree onto |graphics| (a premultiplied 32-bit surface of the client
  // size), after laying out as needed.
  void Paint(Gdiplus::Graphics& graphics, SIZE client);
  // Paints into |pixels| (premultiplied ARGB, top-down, client.cx * client.cy).
  void PaintPixels(uint32_t* pixels, SIZE client);

  // Activates the focus control when it is clickable, enabled and the control a click on
  // its centre would reach (so not hidden, covered or on another tab page). True when it did.
  bool ActivateFocused();
  void SetFocusControl(Control* control) override;
  Control* FocusControl() const override { return focused_; }

  InputRouter& Input() { return input_; }
  void MouseMove(POINT pt) { input_.MouseMove(Root(), pt); }
  void MouseLeave() { input_.MouseLeave(); }
  bool MouseDown(POINT pt) { return input_.MouseDown(Root(), pt); }
  void MouseUp(POINT pt) { input_.MouseUp(Root(), pt); }

  // WM_TIMER: true when |win32Id| is a control timer (the tick was routed).
  bool OnWin32Timer(UINT_PTR win32Id);
  void DeliverQueuedNotifications() { notifier_.DeliverQueued(); }
  size_t TimerCount() const { return timers_.Count(); }

  // ControlHost.
  void InvalidateRect(const RECT& rect) override;
  void RequestLayout() override;
  void SendNotify(Control* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam, bool async) override;
  bool StartTimer(Control* control, UINT id, UINT elapseMs) override;
  void StopTimer(Control* control, UINT id) override;
  void ControlGone(Control* control) override;
  HWND Window() const override { return hwnd_; }
  const FontTable& Fonts() const override { return description_.fonts; }

 private:
  HWND hwnd_ = nullptr;
  ImageCache images_;
  InputRouter input_;
  Notifier notifier_;
  TimerTable timers_;
  Control* focused_ = nullptr;
  SIZE laidOut_{-1, -1};
  bool needLayout_ = true;
  WindowDescription description_;  // last: its tree goes first and reports to the above
};

}  // namespace uifw
