#pragma once

// Answers a message window of the main window from another thread: the window runs its own
// modal loop inside the call that shows it, so the test cannot answer it from its own thread.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class PromptAnswerer {
 public:
  // Waits up to ten seconds for a window of class |windowClass| and closes it with |result|
  // (the message window's answer).
  PromptAnswerer(std::wstring windowClass, UINT result)
      : thread_([this, windowClass = std::move(windowClass), result] {
          for (int i = 0; i < 400 && !stop_; ++i) {
            ::Sleep(25);
            if (HWND prompt = ::FindWindowW(windowClass.c_str(), nullptr)) {
              ::PostMessageW(prompt, WM_CLOSE, result, 0);
              answered_ = true;
              return;
            }
          }
        }) {}
  ~PromptAnswerer() { Join(); }
  PromptAnswerer(const PromptAnswerer&) = delete;
  PromptAnswerer& operator=(const PromptAnswerer&) = delete;

  // Stops waiting (at once when the prompt was answered) and tells whether it was.
  bool Join() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return answered_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};
