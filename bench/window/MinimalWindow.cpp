// The yardstick for the installer's start-up: a plain Win32 program with one 600x400 window
// that says on the debugger channel when its first WM_PAINT has ended, as the installer's
// window does ("first paint of ..."). It runs until it is closed or killed.

#include <windows.h>

namespace {

bool painted = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      ::FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      ::EndPaint(hwnd, &ps);
      if (!painted) {
        painted = true;
        ::OutputDebugStringW(L"first paint of MinimalWindow\r\n");
      }
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"MinimalWindow";
  if (!::RegisterClassW(&wc)) return 1;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - 600) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - 400) / 2;
  if (!::CreateWindowExW(0, L"MinimalWindow", L"minimal", WS_POPUP | WS_VISIBLE, x, y, 600, 400, nullptr, nullptr,
                         instance, nullptr)) {
    return 1;
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
