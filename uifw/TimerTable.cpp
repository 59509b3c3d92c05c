#include "uifw/TimerTable.h"

#include <algorithm>

namespace uifw {

bool TimerTable::Start(Control* control, UINT id, UINT elapseMs) {
  if (!hwnd_ || !control) return false;
  for (Entry& e : timers_) {
    if (e.control == control && e.id == id) {
      return ::SetTimer(hwnd_, e.win32Id, elapseMs, nullptr) != 0;
    }
  }
  UINT_PTR win32Id = next_++;
  if (!::SetTimer(hwnd_, win32Id, elapseMs, nullptr)) return false;
  timers_.push_back(Entry{control, id, win32Id});
  return true;
}

void TimerTable::Stop(Control* control, UINT id) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->control == control && it->id == id) {
      if (hwnd_) ::KillTimer(hwnd_, it->win32Id);
      timers_.erase(it);
      return;
    }
  }
}

void TimerTable::StopAll(Control* control) {
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it->control == control) {
      if (hwnd_) ::KillTimer(hwnd_, it->win32Id);
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
}

void TimerTable::Clear() {
  for (const Entry& e : timers_) {
    if (hwnd_) ::KillTimer(hwnd_, e.win32Id);
  }
  timers_.clear();
}

bool TimerTable::Lookup(UINT_PTR win32Id, Control*& control, UINT& id) const {
  for (const Entry& e : timers_) {
    if (e.win32Id == win32Id) {
      control = e.control;
      id = e.id;
      return true;
    }
  }
  return false;
}

}  // namespace uifw
