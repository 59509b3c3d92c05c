#include "app/PlaceholderWindow.h"

namespace app {
namespace {

constexpr wchar_t kClassName[] = L"QuilloraPlaceholderWindow";
constexpr int kClientWidth = 600;
constexpr int kClientHeight = 400;

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client;
  ::GetClientRect(hwnd, &client);
  HBRUSH background = ::CreateSolidBrush(RGB(0xF5, 0xF7, 0xFA));
  ::FillRect(dc, &client, background);
  ::DeleteObject(background);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0x16, 0x75, 0xFE));
  ::DrawTextW(dc, L"青蓝工坊", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::EndPaint(hwnd, &ps);
}

}  // namespace

PlaceholderWindow::~PlaceholderWindow() {
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK PlaceholderWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

bool PlaceholderWindow::Create(const std::wstring& title) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &PlaceholderWindow::WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(145));  // the program icon
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);  // fails harmlessly when already registered

  hwnd_ = ::CreateWindowExW(0, kClassName, title.c_str(), WS_VISIBLE | WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
  if (!hwnd_) return false;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void PlaceholderWindow::Center() {
  RECT window;
  ::GetWindowRect(hwnd_, &window);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void PlaceholderWindow::ShowModal() {
  MSG msg;
  while (hwnd_ && ::IsWindow(hwnd_)) {
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  hwnd_ = nullptr;
}

}  // namespace app
