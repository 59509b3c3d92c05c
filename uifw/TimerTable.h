#pragma once

// Per-control timers on the window thread: each (control, id) pair maps to one Win32 timer
// of the window.

#include <windows.h>

#include <vector>

namespace uifw {

class Control;

class TimerTable {
 public:
  void SetWindow(HWND hwnd) { hwnd_ = hwnd; }

  // Starts or restarts the timer |id| of |control|. False without a window.
  bool Start(Control* control, UINT id, UINT elapseMs);
  void Stop(Control* control, UINT id);
  // Stops every timer of |control|.
  void StopAll(Control* control);
  // Stops everything (window going away).
  void Clear();

  // The control and id behind Win32 timer |win32Id|; false when it is not ours.
  bool Lookup(UINT_PTR win32Id, Control*& control, UINT& id) const;
  size_t Count() const { return timers_.size(); }

 private:
  struct Entry {
    Control* control;
    UINT id;
    UINT_PTR win32Id;
  };
  HWND hwnd_ = nullptr;
  UINT_PTR next_ = 0x5000;
  std::vector<Entry> timers_;
};

}  // namespace uifw
