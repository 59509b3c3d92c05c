#include "utils/MessagePump.h"

#include <mmsystem.h>

#include "utils/SystemLibrary.h"

namespace Utils {

namespace {

constexpr DWORD kPumpMilliseconds = 100;

// The multimedia timer's clock (winmm is loaded when first needed), else the tick count.
DWORD Now() {
  static auto* const timeGetTime = SystemFunction<decltype(::timeGetTime)>(L"winmm.dll", "timeGetTime");
  return timeGetTime ? timeGetTime() : ::GetTickCount();
}

}  // namespace

bool PumpMessages(HWND window) {
  const DWORD start = Now();
  while (window == nullptr || ::IsWindow(window)) {
    const DWORD elapsed = Now() - start;
    if (elapsed >= kPumpMilliseconds) return true;
    // Waiting with a limit rather than in GetMessageW: a thread that gets no message must
    // not stay in the pump.
    MSG msg = {};
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, kPumpMilliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return false;
}

}  // namespace Utils
