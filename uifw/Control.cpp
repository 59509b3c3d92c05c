#include "uifw/Control.h"

#include "uifw/ControlHost.h"
#include "uifw/LanguageTable.h"
#include "uifw/Painter.h"

namespace uifw {

Control::~Control() {
  if (host_) host_->ControlGone(this);
}

void Control::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"name") {
    name_.assign(value);
  } else if (name == L"width") {
    fixedWidth_ = ParseInt(value);
  } else if (name == L"height") {
    fixedHeight_ = ParseInt(value);
  } else if (name == L"pos") {
    RECT r = ParseRect(value);
    fixedWidth_ = r.right - r.left;
    fixedHeight_ = r.bottom - r.top;
  } else if (name == L"padding") {
    padding_ = ParseRect(value);
  } else if (name == L"visible") {
    visible_ = ParseBool(value);
  } else if (name == L"enabled") {
    enabled_ = ParseBool(value);
  } else if (name == L"bkcolor") {
    ParseColor(value, bkColor_);
  } else if (name == L"bkimage") {
    bkImage_ = ParseImageSpec(value);
  } else if (name == L"text") {
    text_.assign(value);
  } else if (name == L"userdata") {
    userData_.assign(value);
  } else if (name == L"bordersize") {
    borderSize_ = ParseInt(value);
  } else if (name == L"bordercolor") {
    ParseColor(value, borderColor_);
  } else if (name == L"borderround") {
    borderRound_ = ParseSize(value);
  }
}

Control* Control::FindByName(std::wstring_view name) {
  return name_ == name ? this : nullptr;
}

Control* Control::ControlAt(POINT pt) {
  if (!visible_ || !::PtInRect(&rect_, pt)) return nullptr;
  return this;
}

void Control::SetFixedWidth(int w) {
  if (w == fixedWidth_) return;
  fixedWidth_ = w;
  NeedLayout();
}

void Control::SetFixedHeight(int h) {
  if (h == fixedHeight_) return;
  fixedHeight_ = h;
  NeedLayout();
}

void Control::Paint(Painter& painter) {
  PaintBackground(painter);
  PaintImages(painter);
  PaintText(painter);
  PaintBorder(painter);
}

void Control::PaintBackground(Painter& painter) {
  painter.FillRect(rect_, CurrentBkColor(), borderRound_);
  painter.DrawImage(rect_, bkImage_);
}

void Control::PaintImages(Painter&) {}

void Control::PaintBorder(Painter& painter) {
  painter.DrawBorder(rect_, borderColor_, borderSize_, borderRound_);
}

void Control::SetState(unsigned state) {
  if (state == state_) return;
  state_ = state;
  Invalidate();
}

void Control::SetFocus() {
  if (host_) host_->SetFocusControl(this);
}

bool Control::IsFocused() const {
  return host_ && host_->FocusControl() == this;
}

bool Control::OnTimer(UINT) {
  return false;
}

void Control::SetText(std::wstring_view text) {
  textRef_.clear();
  if (text == text_) return;
  text_.assign(text);
  Invalidate();
}

void Control::ReapplyLanguage() {
  if (textRef_.empty()) return;
  const std::wstring reference = textRef_;
  SetText(LanguageTexts().Resolve(reference));
  textRef_ = reference;
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (!visible) state_ = 0;
  NeedLayout();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled) state_ = 0;
  Invalidate();
}

void Control::SetBkImage(std::wstring_view image) {
  bkImage_ = ParseImageSpec(image);
  Invalidate();
}

void Control::SetBkColor(uint32_t argb) {
  bkColor_ = argb;
  Invalidate();
}

bool Control::StartTimer(UINT id, UINT elapseMs) {
  return host_ && host_->StartTimer(this, id, elapseMs);
}

void Control::StopTimer(UINT id) {
  if (host_) host_->StopTimer(this, id);
}

void Control::Invalidate() {
  if (host_) host_->InvalidateRect(rect_);
}

void Control::NeedLayout() {
  if (host_) host_->RequestLayout();
}

void Control::Notify(std::wstring_view type, WPARAM wParam, LPARAM lParam) {
  if (host_) host_->SendNotify(this, type, wParam, lParam, false);
}

}  // namespace uifw
