#pragma once

// The leaf controls: Label, Button, CheckBox, Edit and Progress.

#include <windows.h>

#include "uifw/Control.h"
#include "uifw/Painter.h"

namespace uifw {

// Draws a background and a text: font, colours, alignment, inner margin, wrapping.
class Label : public Control {
 public:
  std::wstring_view GetClass() const override { return L"Label"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  int Font() const { return font_; }
  unsigned TextStyle() const { return textStyle_; }
  uint32_t TextColor() const { return textColor_; }
  const RECT& TextPadding() const { return textPadding_; }

 protected:
  void PaintText(Painter& painter) override;
  // Text colour for the current state.
  virtual uint32_t CurrentTextColor() const;

  int font_ = -1;
  unsigned textStyle_ = kAlignLeft | kVAlignCenter;
  uint32_t textColor_ = 0xFF000000;
  uint32_t disabledTextColor_ = 0xFFA7A6AA;
  RECT textPadding_{};
};

// A label with state images and colours; a click sends "click".
class Button : public Label {
 public:
  Button() { textStyle_ = kAlignCenter | kVAlignCenter; }
  std::wstring_view GetClass() const override { return L"Button"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;
  bool IsClickable() const override { return true; }
  void Activate() override;

 protected:
  void PaintImages(Painter& painter) override;
  uint32_t CurrentBkColor() const override;
  uint32_t CurrentTextColor() const override;

  ImageSpec normalImage_, hotImage_, pushedImage_, disabledImage_;
  uint32_t hotTextColor_ = 0, pushedTextColor_ = 0;
  uint32_t hotBkColor_ = 0, pushedBkColor_ = 0;
};

// A button with a selected state; a click toggles it and sends "click", then
// "selectchanged".
class CheckBox : public Button {
 public:
  CheckBox() { textStyle_ = kAlignLeft | kVAlignCenter; }
  std::wstring_view GetClass() const override { return L"CheckBox"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;
  void Activate() override;

  bool IsSelected() const { return selected_; }
  // Sets the selected state; with |notify| a change sends "selectchanged".
  void Selected(bool selected, bool notify = true);

 protected:
  void PaintImages(Painter& painter) override;
  uint32_t CurrentTextColor() const override;

  bool selected_ = false;
  ImageSpec selectedImage_;
  uint32_t selectedTextColor_ = 0;
};

// Single-line text input: painted like a label; a click opens a native edit box over the
// text area, whose text comes back when it loses the focus or Return is pressed.
class Edit : public Label {
 public:
  Edit() = default;
  ~Edit() override;
  std::wstring_view GetClass() const override { return L"Edit"; }
  bool IsClickable() const override { return true; }
  void Activate() override;
  const std::wstring& Text() const override;
  void SetText(std::wstring_view text) override;
  void SetPos(const RECT& rect) override;

 private:
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void CloseNative(bool keepText);
  HWND native_ = nullptr;
  WNDPROC nativeProc_ = nullptr;
};

// Horizontal bar: background image as the track, foreimage as the fill up to the value.
class Progress : public Label {
 public:
  Progress() { textStyle_ = kAlignCenter | kVAlignCenter; }
  std::wstring_view GetClass() const override { return L"Progress"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  int Value() const { return value_; }
  // Clamped to the range (0 to 100 unless the description says otherwise).
  void SetValue(int value);
  void SetForeImage(std::wstring_view image);

 protected:
  void PaintImages(Painter& painter) override;

  int min_ = 0, max_ = 100, value_ = 0;
  ImageSpec foreImage_;
};

}  // namespace uifw
