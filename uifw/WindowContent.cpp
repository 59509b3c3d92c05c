#include "uifw/WindowContent.h"

#include <objidl.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

#include <algorithm>
#include <cstring>

#include "uifw/Painter.h"

namespace uifw {

WindowContent::WindowContent() = default;

WindowContent::~WindowContent() {
  description_.root.reset();
  timers_.Clear();
}

void WindowContent::Attach(WindowDescription&& description) {
  description_.root.reset();
  description_ = std::move(description);
  if (description_.root) description_.root->SetHost(this);
  needLayout_ = true;
}

Control* WindowContent::FindControl(std::wstring_view name) const {
  if (name.empty() || !Root()) return nullptr;
  return Root()->FindByName(name);
}

void WindowContent::SetWindow(HWND hwnd) {
  if (!hwnd) timers_.Clear();
  hwnd_ = hwnd;
  timers_.SetWindow(hwnd);
  notifier_.SetWindow(hwnd);
}

void WindowContent::Layout(SIZE client) {
  laidOut_ = client;
  needLayout_ = false;
  if (Root()) Root()->SetPos(RECT{0, 0, client.cx, client.cy});
}

void WindowContent::LayoutIfNeeded(SIZE client) {
  if (needLayout_ || client.cx != laidOut_.cx || client.cy != laidOut_.cy) Layout(client);
}

LRESULT WindowContent::HitTest(POINT pt) const {
  const RECT& band = description_.caption;
  int width = laidOut_.cx;
  if (pt.x >= band.left && pt.x < width - band.right && pt.y >= band.top && pt.y < band.bottom) {
    Control* c = Root() ? Root()->ControlAt(pt) : nullptr;
    if (!c) return HTCLIENT;
    std::wstring_view cls = c->GetClass();
    if (cls == L"Button" || cls == L"Option" || cls == L"Text") return HTCLIENT;
    return HTCAPTION;
  }
  return HTCLIENT;
}

void WindowContent::Paint(Gdiplus::Graphics& graphics, SIZE client) {
  LayoutIfNeeded(client);
  if (!Root()) return;
  Painter painter(graphics, images_, description_.fonts);
  painter.PushClip(RECT{0, 0, client.cx, client.cy});
  Root()->Paint(painter);
  painter.PopClip();
}

void WindowContent::PaintPixels(uint32_t* pixels, SIZE client) {
  if (client.cx <= 0 || client.cy <= 0) return;
  std::memset(pixels, 0, static_cast<size_t>(client.cx) * client.cy * 4);
  Gdiplus::Bitmap surface(client.cx, client.cy, client.cx * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels));
  Gdiplus::Graphics graphics(&surface);
  Paint(graphics, client);
}

bool WindowContent::OnWin32Timer(UINT_PTR win32Id) {
  Control* control = nullptr;
  UINT id = 0;
  if (!timers_.Lookup(win32Id, control, id)) return false;
  if (!control->OnTimer(id)) SendNotify(control, L"timer", id, 0, false);
  return true;
}

void WindowContent::InvalidateRect(const RECT& rect) {
  if (hwnd_) ::InvalidateRect(hwnd_, &rect, FALSE);
}

void WindowContent::RequestLayout() {
  needLayout_ = true;
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowContent::SendNotify(Control* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam, bool async) {
  Notification n;
  n.type.assign(type);
  n.sender = sender;
  n.timestamp = ::GetTickCount();
  if (async) {
    // Possibly a worker thread: ask the system instead of the window's input state.
    ::GetCursorPos(&n.mouse);
    if (hwnd_) ::ScreenToClient(hwnd_, &n.mouse);
  } else {
    n.mouse = input_.LastMouse();
  }
  n.wParam = wParam;
  n.lParam = lParam;
  if (async) {
    notifier_.Post(n);
  } else {
    notifier_.Send(n);
  }
}

bool WindowContent::StartTimer(Control* control, UINT id, UINT elapseMs) {
  return timers_.Start(control, id, elapseMs);
}

void WindowContent::StopTimer(Control* control, UINT id) {
  timers_.Stop(control, id);
}

void WindowContent::SetFocusControl(Control* control) {
  focused_ = control;
  // Keys go to the window, which hands Return and Space to the focus control.
  if (control && hwnd_ && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
}

bool WindowContent::ActivateFocused() {
  Control* root = Root();
  if (!focused_ || !root || !focused_->IsClickable() || !focused_->IsEnabled()) return false;
  if (laidOut_.cx >= 0) LayoutIfNeeded(laidOut_);  // a page change since the last paint
  const RECT& r = focused_->Pos();
  if (root->ControlAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}) != focused_) return false;
  focused_->Activate();
  return true;
}

void WindowContent::ControlGone(Control* control) {
  if (focused_ == control) focused_ = nullptr;
  input_.Forget(control);
  timers_.StopAll(control);
  notifier_.Forget(control);
}

}  // namespace uifw
