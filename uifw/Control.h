#pragma once

// The base of every control: name, fixed size, padding, visibility, enabled state,
// background, border, text, user data, laid-out rectangle and mouse states.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "uifw/Attributes.h"

namespace uifw {

class ControlHost;
class Painter;

// Mouse states of a control.
enum ControlState : unsigned {
  kStateHot = 1,
  kStatePushed = 2,
};

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Class name used by hit testing ("Control", "Label", "Button", ...).
  virtual std::wstring_view GetClass() const { return L"Control"; }

  // Applies one description attribute; unknown names are ignored.
  virtual void SetAttribute(std::wstring_view name, std::wstring_view value);

  // Tree.
  Control* Parent() const { return parent_; }
  void SetParent(Control* parent) { parent_ = parent; }
  // Binds this control (and, for containers, its children) to |host|.
  virtual void SetHost(ControlHost* host) { host_ = host; }
  ControlHost* Host() const { return host_; }
  // This control or a descendant named exactly |name|, or nullptr.
  virtual Control* FindByName(std::wstring_view name);
  // The deepest visible control containing |pt|, or nullptr when |pt| is outside.
  virtual Control* ControlAt(POINT pt);

  // Layout: fixed sizes (0 = flexible), outer margin, and the rectangle given by the parent.
  int FixedWidth() const { return fixedWidth_; }
  int FixedHeight() const { return fixedHeight_; }
  void SetFixedWidth(int w);
  void SetFixedHeight(int h);
  const RECT& Padding() const { return padding_; }
  virtual void SetPos(const RECT& rect) { rect_ = rect; }
  const RECT& Pos() const { return rect_; }

  // Painting: background colour, background image, state images, text, border.
  virtual void Paint(Painter& painter);

  // Input. Clickable controls take part in press/release and get Activate on a click.
  virtual bool IsClickable() const { return false; }
  virtual void Activate() {}
  virtual void SetState(unsigned state);
  unsigned State() const { return state_; }
  // Takes the window's keyboard focus: Return and Space then activate this control while
  // it is shown, enabled and clickable.
  void SetFocus();
  bool IsFocused() const;
  // A timer of this control ticked; true when the control consumed it.
  virtual bool OnTimer(UINT id);

  // Properties (a change repaints the control).
  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring_view name) { name_.assign(name); }
  // Virtual: an edit box reads its text from the native box while that is open.
  virtual const std::wstring& Text() const { return text_; }
  // Sets the text; a text set here replaces a language reference of the description.
  virtual void SetText(std::wstring_view text);
  // The description's "%[id]" text reference, kept so that the text can follow a new
  // language; empty when the text was written out or set by the program.
  const std::wstring& TextReference() const { return textRef_; }
  void SetTextReference(std::wstring_view reference) { textRef_.assign(reference); }
  // Resolves the text reference again against the language text table (containers do it
  // for their whole tree).
  virtual void ReapplyLanguage();
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  const std::wstring& UserData() const { return userData_; }
  void SetUserData(std::wstring_view data) { userData_.assign(data); }
  const ImageSpec& BkImage() const { return bkImage_; }
  void SetBkImage(std::wstring_view image);
  uint32_t BkColor() const { return bkColor_; }
  void SetBkColor(uint32_t argb);

  // Timers of this control (through its window).
  bool StartTimer(UINT id, UINT elapseMs);
  void StopTimer(UINT id);

  void Invalidate();
  void NeedLayout();

 protected:
  virtual void PaintBackground(Painter& painter);
  virtual void PaintImages(Painter& painter);
  virtual void PaintText(Painter&) {}
  virtual void PaintBorder(Painter& painter);
  // Background fill for the current state.
  virtual uint32_t CurrentBkColor() const { return bkColor_; }
  void Notify(std::wstring_view type, WPARAM wParam = 0, LPARAM lParam = 0);

  ControlHost* host_ = nullptr;
  Control* parent_ = nullptr;
  std::wstring name_;
  std::wstring text_;
  std::wstring textRef_;
  std::wstring userData_;
  RECT rect_{};
  RECT padding_{};
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  unsigned state_ = 0;
  uint32_t bkColor_ = 0;
  ImageSpec bkImage_;
  int borderSize_ = 0;
  uint32_t borderColor_ = 0;
  SIZE borderRound_{};
};

}  // namespace uifw
