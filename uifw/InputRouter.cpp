#include "uifw/InputRouter.h"

#include "uifw/Control.h"

namespace uifw {

Control* InputRouter::ClickTarget(Control* root, POINT pt) {
  Control* c = root ? root->ControlAt(pt) : nullptr;
  while (c && !c->IsClickable()) c = c->Parent();
  return (c && c->IsEnabled()) ? c : nullptr;
}

void InputRouter::SetHot(Control* control) {
  if (control == hot_) return;
  if (hot_) hot_->SetState(hot_->State() & ~static_cast<unsigned>(kStateHot));
  hot_ = control;
  if (hot_) hot_->SetState(hot_->State() | kStateHot);
}

void InputRouter::MouseMove(Control* root, POINT pt) {
  last_ = pt;
  Control* target = ClickTarget(root, pt);
  if (pushed_) {
    // While pressed only the pressed control can be hot, and it shows pressed only over it.
    SetHot(target == pushed_ ? pushed_ : nullptr);
    unsigned state = pushed_->State();
    pushed_->SetState(target == pushed_ ? (state | kStatePushed) : (state & ~static_cast<unsigned>(kStatePushed)));
    return;
  }
  SetHot(target);
}

void InputRouter::MouseLeave() {
  if (!pushed_) SetHot(nullptr);
}

bool InputRouter::MouseDown(Control* root, POINT pt) {
  last_ = pt;
  Control* target = ClickTarget(root, pt);
  if (!target) return false;
  pushed_ = target;
  SetHot(target);
  target->SetState(target->State() | kStatePushed);
  return true;
}

void InputRouter::MouseUp(Control* root, POINT pt) {
  last_ = pt;
  Control* pressed = pushed_;
  if (!pressed) return;
  pushed_ = nullptr;
  pressed->SetState(pressed->State() & ~static_cast<unsigned>(kStatePushed));
  Control* target = ClickTarget(root, pt);
  SetHot(target);
  // Activation may close the window and destroy the tree: nothing is touched after it.
  if (target == pressed) pressed->Activate();
}

void InputRouter::Forget(Control* control) {
  if (hot_ == control) hot_ = nullptr;
  if (pushed_ == control) pushed_ = nullptr;
}

}  // namespace uifw
