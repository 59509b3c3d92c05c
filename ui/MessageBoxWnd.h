#pragma once

// The installer's prompts: small modal skinned windows over the main window. The
// description decides the look and the buttons; the caller may fill in a text and a
// caption; the answer says which button closed the window.

#include <windows.h>

#include "ui/SkinFrame.h"
#include "ui/WindowShadow.h"

namespace uifw {
class Control;
}

class CMessageBoxWnd : public CSkinFrame {
 public:
  // Answers of Show.
  static constexpr int kOk = 0;      // "okBtn"
  static constexpr int kCancel = 1;  // "cancelBtn", or closed without a click
  static constexpr int kOther = 2;   // any other click, in practice "closebtn"

  // Shows the window described by |info| modally over |parent|; |text| and |caption| (either
  // may be nullptr) go into "textLbl" and "captionLbl" when the description has them.
  static int Show(HWND parent, const SkinFrameInfo& info, const wchar_t* text, const wchar_t* caption);

  // Show with the usual info for |skinFile|.
  static int Show(HWND parent, const wchar_t* skinFile, const wchar_t* text = nullptr,
                  const wchar_t* caption = nullptr);

  explicit CMessageBoxWnd(const SkinFrameInfo& info) : CSkinFrame(info) {}

  int Result() const { return result_; }

 protected:
  void InitWindow() override;
  void OnClick(uifw::Notification& n) override;

 private:
  int result_ = kCancel;
  uifw::Control* okBtn_ = nullptr;
  uifw::Control* cancelBtn_ = nullptr;
  uifw::Control* textLbl_ = nullptr;
  uifw::Control* captionLbl_ = nullptr;
  CWindowShadow shadow_;
};

// Creates and configures |shadow| for |frame| when its description asks for one.
void AttachShadow(CSkinFrame& frame, CWindowShadow& shadow);
