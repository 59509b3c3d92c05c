#pragma once

// Mouse handling of one window: which control is hot (under the mouse) and which is pressed,
// and the click (press and release on the same enabled clickable control) that activates it.

#include <windows.h>

namespace uifw {

class Control;

class InputRouter {
 public:
  // The clickable, enabled control at |pt| (the deepest hit or its nearest clickable
  // ancestor), or nullptr.
  static Control* ClickTarget(Control* root, POINT pt);

  void MouseMove(Control* root, POINT pt);
  void MouseLeave();
  // True when a control was pressed (the window should capture the mouse).
  bool MouseDown(Control* root, POINT pt);
  // Releases the press; a release over the pressed control activates it.
  void MouseUp(Control* root, POINT pt);
  // Drops every reference to |control| (it is being destroyed).
  void Forget(Control* control);

  Control* Hot() const { return hot_; }
  Control* Pushed() const { return pushed_; }
  POINT LastMouse() const { return last_; }

 private:
  void SetHot(Control* control);

  Control* hot_ = nullptr;
  Control* pushed_ = nullptr;
  POINT last_{};
};

}  // namespace uifw
