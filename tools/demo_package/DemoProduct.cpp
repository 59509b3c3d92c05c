// The demo product, "Quillora.exe": one window that says the product is installed and
// which version it is. It does nothing else.

#include <windows.h>

#include <string>

#include "utils/Handles.h"

namespace {

constexpr wchar_t kClassName[] = L"QuilloraDemoProduct";
constexpr wchar_t kTitle[] = L"青蓝工坊";
constexpr wchar_t kMessage[] = L"青蓝工坊（Quillora）已安装成功。\n版本 " QUILLORA_DEMO_VERSION;

Utils::UniqueGdiObject g_font;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT area;
      ::GetClientRect(window, &area);
      ::FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
      HGDIOBJ oldFont = g_font ? ::SelectObject(dc, g_font.Get()) : nullptr;
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, RGB(0x1F, 0x4E, 0x79));
      RECT textArea = area;
      const int lineHeight = ::DrawTextW(dc, kMessage, -1, &textArea, DT_CENTER | DT_CALCRECT | DT_WORDBREAK);
      textArea = area;
      textArea.top = (area.bottom - lineHeight) / 2;
      ::DrawTextW(dc, kMessage, -1, &textArea, DT_CENTER | DT_WORDBREAK);
      if (oldFont != nullptr) ::SelectObject(dc, oldFont);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  g_font.Reset(::CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Microsoft YaHei"));
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  windowClass.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassExW(&windowClass)) return 1;

  constexpr int kWidth = 460;
  constexpr int kHeight = 220;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = ::CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                  kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, showCommand);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  g_font.Reset();
  return static_cast<int>(message.wParam);
}
