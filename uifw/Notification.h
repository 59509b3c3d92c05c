#pragma once

// The notification record that controls send to their window, and the receiver interface.

#include <windows.h>

#include <string>

namespace uifw {

class Control;

// One notification: its name ("click", "selectchanged", "tabselect", "timer", ... or a
// name the application defines), the control that sent it, when (milliseconds since system
// start), the mouse position in client coordinates, and two parameters.
struct Notification {
  std::wstring type;
  Control* sender = nullptr;
  DWORD timestamp = 0;
  POINT mouse{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Receives the notifications of one window, on the window's thread.
class NotifyReceiver {
 public:
  virtual ~NotifyReceiver() = default;
  virtual void Notify(Notification& n) = 0;
};

}  // namespace uifw
