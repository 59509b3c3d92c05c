#pragma once

// What a control asks of the window that holds it: repaint, relayout, notifications,
// timers, fonts and images. Implemented by WindowContent.

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace uifw {

class Control;
class FontTable;

class ControlHost {
 public:
  virtual ~ControlHost() = default;

  // Marks |rect| (client coordinates) for repainting.
  virtual void InvalidateRect(const RECT& rect) = 0;
  // Sizes changed (visibility, fixed size): lay the tree out again before the next paint.
  virtual void RequestLayout() = 0;
  // Sends a notification from |sender|; asynchronous ones are delivered later on the
  // window's thread and may be sent from any thread.
  virtual void SendNotify(Control* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam, bool async) = 0;
  // Per-control timers. False when the timer could not be set (no window yet).
  virtual bool StartTimer(Control* control, UINT id, UINT elapseMs) = 0;
  virtual void StopTimer(Control* control, UINT id) = 0;
  // Called by a control's destructor: forgets every reference to it and stops its timers.
  virtual void ControlGone(Control* control) = 0;
  // Keyboard focus: the control that Return and Space activate (nullptr: none).
  virtual void SetFocusControl(Control* control) = 0;
  virtual Control* FocusControl() const = 0;
  // The window, or nullptr when the tree is not attached to one.
  virtual HWND Window() const = 0;
  virtual const FontTable& Fonts() const = 0;
};

}  // namespace uifw
