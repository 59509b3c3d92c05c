#include "ui/MessageBoxWnd.h"

#include <memory>

#include "uifw/Control.h"
#include "utils/DebugLog.h"

void AttachShadow(CSkinFrame& frame, CWindowShadow& shadow) {
  const std::optional<SkinShadowSettings>& settings = frame.ShadowSettings();
  if (!settings) return;
  shadow.Create(frame.Handle());
  if (!settings->image.empty()) shadow.SetImage(settings->image, settings->corner, settings->corner);
  if (settings->size) shadow.SetSize(*settings->size);
  if (settings->sharpness) shadow.SetSharpness(*settings->sharpness);
  if (settings->darkness) shadow.SetDarkness(*settings->darkness);
  if (settings->position) shadow.SetPosition(settings->position->x, settings->position->y);
  if (settings->color) shadow.SetColor(*settings->color);
}

int CMessageBoxWnd::Show(HWND parent, const SkinFrameInfo& info, const wchar_t* text, const wchar_t* caption) {
  auto window = std::make_unique<CMessageBoxWnd>(info);
  if (!window->Create(parent, L"消息框", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) return kCancel;
  if (text && window->textLbl_) window->textLbl_->SetText(text);
  if (caption && window->captionLbl_) window->captionLbl_->SetText(caption);
  window->CenterWindow();
  DLOG(L"%s captioned \"%s\" shows \"%s\"\r\n", info.skinFile.c_str(), caption ? caption : L"", text ? text : L"");
  window->ShowModal();
  DLOG(L"%s answered %d\r\n", info.skinFile.c_str(), window->result_);
  return window->result_;
}

int CMessageBoxWnd::Show(HWND parent, const wchar_t* skinFile, const wchar_t* text, const wchar_t* caption) {
  return Show(parent, SkinFrameInfo::ForSkinFile(skinFile), text, caption);
}

void CMessageBoxWnd::InitWindow() {
  CSkinFrame::InitWindow();
  AttachShadow(*this, shadow_);
  ApplyInstallerWindowStyles();
  okBtn_ = FindControl(L"okBtn");
  cancelBtn_ = FindControl(L"cancelBtn");
  textLbl_ = FindControl(L"textLbl");
  captionLbl_ = FindControl(L"captionLbl");
}

void CMessageBoxWnd::OnClick(uifw::Notification& n) {
  if (n.sender && n.sender == okBtn_) {
    Close(1);
    result_ = kOk;
  } else if (n.sender && n.sender == cancelBtn_) {
    Close(1);
    result_ = kCancel;
  } else {
    CSkinFrame::OnClick(n);
    result_ = kOther;
  }
}
