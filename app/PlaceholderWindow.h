#pragma once

// A plain top-level window titled like the installer that the user can close. It stands
// where the skinned main window goes and runs the same modal loop.

#include <windows.h>

#include <string>

namespace app {

class PlaceholderWindow {
 public:
  explicit PlaceholderWindow(HINSTANCE instance) : instance_(instance) {}
  ~PlaceholderWindow();

  PlaceholderWindow(const PlaceholderWindow&) = delete;
  PlaceholderWindow& operator=(const PlaceholderWindow&) = delete;

  // Creates the visible window, 600 by 400 client pixels. False when creation fails.
  bool Create(const std::wstring& title);

  // Centres the window on the work area of its monitor.
  void Center();

  // Runs the message loop until the window no longer exists. A WM_QUIT taken from the
  // queue ends the loop too and is posted again.
  void ShowModal();

  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
};

}  // namespace app
