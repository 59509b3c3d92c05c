#include "uifw/Controls.h"

#include <algorithm>

#include "uifw/ControlHost.h"
#include "uifw/Fonts.h"
#include "uifw/Painter.h"

namespace uifw {

void Label::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"font") {
    font_ = ParseInt(value, -1);
  } else if (name == L"textcolor") {
    ParseColor(value, textColor_);
  } else if (name == L"disabledtextcolor") {
    ParseColor(value, disabledTextColor_);
  } else if (name == L"align") {
    textStyle_ &= ~static_cast<unsigned>(kAlignCenter | kAlignRight);
    if (ContainsNoCase(value, L"center")) textStyle_ |= kAlignCenter;
    if (ContainsNoCase(value, L"right")) textStyle_ |= kAlignRight;
  } else if (name == L"valign") {
    // Only the three known words change it; anything else keeps a centred line.
    unsigned v = ContainsNoCase(value, L"top")       ? kVAlignTop
                 : ContainsNoCase(value, L"vcenter") ? kVAlignCenter
                 : ContainsNoCase(value, L"bottom")  ? kVAlignBottom
                                                     : 0;
    if (v) textStyle_ = (textStyle_ & ~static_cast<unsigned>(kVAlignTop | kVAlignCenter | kVAlignBottom)) | v;
  } else if (name == L"textpadding") {
    textPadding_ = ParseRect(value);
  } else if (name == L"multiline") {
    if (ParseBool(value)) {
      textStyle_ |= kMultiLine;
    } else {
      textStyle_ &= ~static_cast<unsigned>(kMultiLine);
    }
  } else {
    Control::SetAttribute(name, value);
  }
}

uint32_t Label::CurrentTextColor() const {
  return enabled_ ? textColor_ : disabledTextColor_;
}

void Label::PaintText(Painter& painter) {
  RECT r{rect_.left + textPadding_.left, rect_.top + textPadding_.top, rect_.right - textPadding_.right,
         rect_.bottom - textPadding_.bottom};
  painter.DrawText(r, text_, font_, CurrentTextColor(), textStyle_);
}

void Button::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"normalimage") {
    normalImage_ = ParseImageSpec(value);
  } else if (name == L"hotimage") {
    hotImage_ = ParseImageSpec(value);
  } else if (name == L"pushedimage") {
    pushedImage_ = ParseImageSpec(value);
  } else if (name == L"disabledimage") {
    disabledImage_ = ParseImageSpec(value);
  } else if (name == L"hottextcolor") {
    ParseColor(value, hotTextColor_);
  } else if (name == L"pushedtextcolor") {
    ParseColor(value, pushedTextColor_);
  } else if (name == L"hotbkcolor") {
    ParseColor(value, hotBkColor_);
  } else if (name == L"pushedbkcolor") {
    ParseColor(value, pushedBkColor_);
  } else {
    Label::SetAttribute(name, value);
  }
}

void Button::Activate() {
  Notify(L"click");
}

void Button::PaintImages(Painter& painter) {
  if (!enabled_) {
    // A missing disabled image draws nothing rather than a misleading state.
    painter.DrawImage(rect_, disabledImage_);
    return;
  }
  if ((state_ & kStatePushed) && painter.DrawImage(rect_, pushedImage_)) return;
  if ((state_ & (kStatePushed | kStateHot)) && painter.DrawImage(rect_, hotImage_)) return;
  painter.DrawImage(rect_, normalImage_);
}

uint32_t Button::CurrentBkColor() const {
  if (enabled_ && (state_ & kStatePushed) && pushedBkColor_) return pushedBkColor_;
  if (enabled_ && (state_ & (kStatePushed | kStateHot)) && hotBkColor_) return hotBkColor_;
  return bkColor_;
}

uint32_t Button::CurrentTextColor() const {
  if (!enabled_) return disabledTextColor_;
  if ((state_ & kStatePushed) && pushedTextColor_) return pushedTextColor_;
  if ((state_ & (kStatePushed | kStateHot)) && hotTextColor_) return hotTextColor_;
  return textColor_;
}

void CheckBox::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"selected") {
    selected_ = ParseBool(value);
  } else if (name == L"selectedimage") {
    selectedImage_ = ParseImageSpec(value);
  } else if (name == L"selectedtextcolor") {
    ParseColor(value, selectedTextColor_);
  } else {
    Button::SetAttribute(name, value);
  }
}

void CheckBox::Activate() {
  Notify(L"click");
  Selected(!selected_, true);
}

void CheckBox::Selected(bool selected, bool notify) {
  if (selected == selected_) return;
  selected_ = selected;
  Invalidate();
  if (notify) Notify(L"selectchanged");
}

void CheckBox::PaintImages(Painter& painter) {
  if (selected_ && painter.DrawImage(rect_, selectedImage_)) return;
  Button::PaintImages(painter);
}

uint32_t CheckBox::CurrentTextColor() const {
  if (enabled_ && selected_ && selectedTextColor_) return selectedTextColor_;
  return Button::CurrentTextColor();
}

Edit::~Edit() {
  CloseNative(false);
}

const std::wstring& Edit::Text() const {
  if (native_) {
    int len = ::GetWindowTextLengthW(native_);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    ::GetWindowTextW(native_, text.data(), len + 1);
    text.resize(static_cast<size_t>(len));
    const_cast<Edit*>(this)->text_ = std::move(text);
  }
  return text_;
}

void Edit::SetText(std::wstring_view text) {
  if (native_) ::SetWindowTextW(native_, std::wstring(text).c_str());
  Control::SetText(text);
}

void Edit::SetPos(const RECT& rect) {
  Label::SetPos(rect);
  if (native_) CloseNative(true);
}

void Edit::Activate() {
  HWND parent = host_ ? host_->Window() : nullptr;
  if (!parent || native_ || !enabled_) return;
  RECT r{rect_.left + textPadding_.left, rect_.top + textPadding_.top, rect_.right - textPadding_.right,
         rect_.bottom - textPadding_.bottom};
  const FontInfo& info = host_->Fonts().Info(font_);
  int h = std::min<int>(r.bottom - r.top, info.size + 6);
  int top = r.top + (r.bottom - r.top - h) / 2;
  native_ = ::CreateWindowExW(0, L"EDIT", text_.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_LEFT, r.left, top,
                              r.right - r.left, h, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!native_) return;
  ::SendMessageW(native_, WM_SETFONT, reinterpret_cast<WPARAM>(host_->Fonts().GdiFont(font_)), FALSE);
  ::SetWindowLongPtrW(native_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  nativeProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(native_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Edit::EditProc)));
  ::SendMessageW(native_, EM_SETSEL, 0, -1);
  ::SetFocus(native_);
}

void Edit::CloseNative(bool keepText) {
  if (!native_) return;
  HWND hwnd = native_;
  if (keepText) Text();
  native_ = nullptr;
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(nativeProc_));
  // Keys keep going to the window (Return then reaches its focus control).
  const bool hadFocus = ::GetFocus() == hwnd;
  ::DestroyWindow(hwnd);
  if (hadFocus && host_ && host_->Window()) ::SetFocus(host_->Window());
  Invalidate();
  if (keepText) Notify(L"textchanged");
}

LRESULT CALLBACK Edit::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Edit*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  WNDPROC proc = self->nativeProc_;
  if (message == WM_KILLFOCUS || (message == WM_KEYDOWN && wParam == VK_RETURN)) {
    LRESULT r = ::CallWindowProcW(proc, hwnd, message, wParam, lParam);
    self->CloseNative(true);
    return r;
  }
  return ::CallWindowProcW(proc, hwnd, message, wParam, lParam);
}

void Progress::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"foreimage") {
    foreImage_ = ParseImageSpec(value);
  } else if (name == L"min") {
    min_ = ParseInt(value);
  } else if (name == L"max") {
    max_ = ParseInt(value, 100);
  } else if (name == L"value") {
    value_ = ParseInt(value);
  } else {
    Label::SetAttribute(name, value);
  }
}

void Progress::SetValue(int value) {
  value = std::clamp(value, min_, std::max(min_, max_));
  if (value == value_) return;
  value_ = value;
  Invalidate();
}

void Progress::SetForeImage(std::wstring_view image) {
  foreImage_ = ParseImageSpec(image);
  Invalidate();
}

void Progress::PaintImages(Painter& painter) {
  if (max_ <= min_ || value_ <= min_) return;
  int width = rect_.right - rect_.left;
  int filled = static_cast<int>(static_cast<long long>(width) * (value_ - min_) / (max_ - min_));
  RECT r{rect_.left, rect_.top, rect_.left + filled, rect_.bottom};
  painter.DrawImage(r, foreImage_);
}

}  // namespace uifw
