#include "uifw/SkinWindow.h"

#include <objidl.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

#include <algorithm>

#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/Framework.h"
#include "uifw/Painter.h"
#include "utils/DebugLog.h"
#include "utils/Handles.h"

namespace uifw {

SkinWindow::SkinWindow() = default;

SkinWindow::~SkinWindow() {
  if (hwnd_ && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
  content_.SetWindow(nullptr);
}

bool SkinWindow::RegisterWindowClass() {
  std::wstring name = GetWindowClassName();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE instance = Instance();
  if (::GetClassInfoExW(instance, name.c_str(), &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  wc.style = GetClassStyle();
  wc.lpfnWndProc = &SkinWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(145));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(145), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  wc.lpszClassName = name.c_str();
  return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND SkinWindow::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                        int height) {
  if (hwnd_) return hwnd_;
  EnsureGdiplus();
  if (!RegisterWindowClass()) return nullptr;
  std::wstring name = GetWindowClassName();
  ::CreateWindowExW(exStyle, name.c_str(), title, style, x, y, width, height, parent, nullptr, Instance(), this);
  return hwnd_;
}

LRESULT CALLBACK SkinWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SkinWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<SkinWindow*>(cs->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<SkinWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT r = ::DefWindowProcW(hwnd, message, wParam, lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->content_.SetWindow(nullptr);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();
    return r;
  }
  if (self->MessageFilter(message, wParam, lParam)) return 0;
  return self->HandleMessage(message, wParam, lParam);
}

SIZE SkinWindow::ClientSize() const {
  RECT rc{};
  ::GetClientRect(hwnd_, &rc);
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

LRESULT SkinWindow::OnCreate() {
  LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  RECT rc{};
  ::GetClientRect(hwnd_, &rc);
  ::SetWindowPos(hwnd_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);

  content_.SetWindow(hwnd_);
  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  resourcePath_ = module;
  size_t slash = resourcePath_.find_last_of(L"\\/");
  resourcePath_.resize(slash == std::wstring::npos ? 0 : slash + 1);
  resourcePath_ += GetSkinFolder();

  if (GetResourceKind() != kResourceKindPackage || !OpenSharedPackage(GetResourceId())) return 0;
  content_.SetPackage(&SharedPackage());

  WindowDescription description;
  const std::string* xml = SharedPackage().Find(GetSkinFile());
  bool parsed = xml && ParseDescription(
                           *xml, [this](std::wstring_view e) { return CreateControl(e); }, description);
  if (!parsed) {
    ReportLoadFailure();
    return 0;
  }
  SIZE size = description.size;
  content_.Attach(std::move(description));
  content_.AddReceiver(this);
  if (size.cx > 0 && size.cy > 0) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
  InitWindow();
  return 0;
}

void SkinWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  SIZE size = ClientSize();
  if (backBuffer_.Ensure(size)) {
    content_.PaintPixels(backBuffer_.Bits(), size);
    ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, backBuffer_.Dc(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  }
  ::EndPaint(hwnd_, &ps);
  if (!painted_) {
    // Start-up timing: the moment a user first sees the window.
    painted_ = true;
    DLOG(L"first paint of %s\r\n", GetWindowClassName().c_str());
  }
}

LRESULT SkinWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_NCCALCSIZE:
      // No non-client area: the client area is the whole window.
      if (wParam) return 0;
      break;
    case WM_NCACTIVATE:
      if (!::IsIconic(hwnd_)) return wParam ? 0 : TRUE;
      break;
    case WM_NCPAINT:
      return 0;
    case WM_NCHITTEST: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::ScreenToClient(hwnd_, &pt);
      content_.LayoutIfNeeded(ClientSize());
      return content_.HitTest(pt);
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) {
        const SIZE round = content_.Description().roundCorner;
        if (round.cx != 0 || round.cy != 0) {
          RECT rc{};
          ::GetWindowRect(hwnd_, &rc);
          HRGN rgn = ::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1, round.cx, round.cy);
          ::SetWindowRgn(hwnd_, rgn, TRUE);  // the window owns the region from here on
        }
        content_.Layout(SIZE{LOWORD(lParam), HIWORD(lParam)});
        ::InvalidateRect(hwnd_, nullptr, FALSE);
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      SIZE size = ClientSize();
      if (backBuffer_.Ensure(size)) {
        content_.PaintPixels(backBuffer_.Bits(), size);
        ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, size.cx, size.cy, backBuffer_.Dc(), 0, 0, SRCCOPY);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!trackingMouse_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        trackingMouse_ = ::TrackMouseEvent(&tme) != FALSE;
      }
      content_.MouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    }
    case WM_MOUSELEAVE:
      trackingMouse_ = false;
      content_.MouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(hwnd_);
      if (content_.MouseDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))})) {
        ::SetCapture(hwnd_);
      }
      return 0;
    case WM_LBUTTONUP: {
      // Release first, then give up the capture: losing the capture cancels a press.
      bool captured = ::GetCapture() == hwnd_;
      content_.MouseUp(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (captured) ::ReleaseCapture();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (content_.Input().Pushed()) {
        POINT outside{-1, -1};
        content_.MouseUp(outside);
      }
      return 0;
    case WM_TIMER:
      if (content_.OnWin32Timer(wParam)) return 0;
      break;
    case WM_KEYDOWN:
      if ((wParam == VK_RETURN || wParam == VK_SPACE) && content_.ActivateFocused()) return 0;
      break;
    case kDeliverNotificationsMessage:
      content_.DeliverQueuedNotifications();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Give the owner back its input before this window goes, so it is activated next.
      if (ownerDisabled_) {
        HWND owner = ::GetWindow(hwnd_, GW_OWNER);
        if (owner) ::EnableWindow(owner, TRUE);
        ownerDisabled_ = false;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool SkinWindow::MessageFilter(UINT, WPARAM, LPARAM) {
  return false;
}

std::unique_ptr<Control> SkinWindow::CreateControl(std::wstring_view) {
  return nullptr;
}

void SkinWindow::Notify(Notification& n) {
  if (n.type == L"click") OnClick(n);
}

void SkinWindow::OnClick(Notification& n) {
  if (!n.sender || !hwnd_) return;
  const std::wstring& name = n.sender->Name();
  if (name == L"closebtn") {
    Close(1);
  } else if (name == L"minbtn") {
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

SIZE SkinWindow::MeasureText(const Label& label, std::wstring_view text) const {
  HDC screen = ::GetDC(hwnd_);
  Utils::UniqueMemoryDc dc(::CreateCompatibleDC(screen));
  ::ReleaseDC(hwnd_, screen);
  return Painter::MeasureText(dc.Get(), content_.Fonts(), label.Font(), label.TextStyle(), text);
}

void SkinWindow::FitWidthToText(Label& label) const {
  label.SetFixedWidth(MeasureText(label, label.Text()).cx + label.TextPadding().left);
}

void SkinWindow::ReapplyLanguage() {
  if (Control* root = content_.Root()) root->ReapplyLanguage();
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

bool SkinWindow::SelectTab(TabLayout* tab, int index, bool notify) {
  return tab && tab->SelectItem(index, notify);
}

void SkinWindow::SendNotify(Control* sender, std::wstring_view type, WPARAM wParam, LPARAM lParam, bool async) {
  content_.SendNotify(sender ? sender : content_.Root(), type, wParam, lParam, async);
}

const std::wstring* SkinWindow::CustomAttribute(std::wstring_view name) const {
  return content_.Description().CustomAttribute(name);
}

void SkinWindow::Close(UINT code) {
  if (hwnd_ && ::IsWindow(hwnd_)) ::PostMessageW(hwnd_, WM_CLOSE, code, 0);
}

void SkinWindow::CenterWindow() {
  if (!hwnd_) return;
  RECT wnd{};
  ::GetWindowRect(hwnd_, &wnd);
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
  RECT work = mi.rcWork;
  RECT center = work;
  if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &center);
  int w = wnd.right - wnd.left, h = wnd.bottom - wnd.top;
  int x = (center.left + center.right) / 2 - w / 2;
  int y = (center.top + center.bottom) / 2 - h / 2;
  if (x + w > work.right) x = work.right - w;
  if (y + h > work.bottom) y = work.bottom - h;
  x = std::max<int>(x, work.left);
  y = std::max<int>(y, work.top);
  ::SetWindowPos(hwnd_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT SkinWindow::ShowModal() {
  if (!hwnd_) return 0;
  HWND hwnd = hwnd_;
  HWND owner = ::GetWindow(hwnd, GW_OWNER);
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  if (owner && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    ownerDisabled_ = true;
  }
  UINT result = 0;
  MSG msg;
  while (::IsWindow(hwnd)) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (msg.message == WM_CLOSE && msg.hwnd == hwnd) {
      result = static_cast<UINT>(msg.wParam);
      if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
      }
      ownerDisabled_ = false;
    }
    // Keys typed into child windows (native edits) pass the filter too.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd != hwnd && ::IsChild(hwnd, msg.hwnd) &&
        MessageFilter(msg.message, msg.wParam, msg.lParam)) {
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (ownerDisabled_ && owner && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
  ownerDisabled_ = false;
  return result;
}

}  // namespace uifw
