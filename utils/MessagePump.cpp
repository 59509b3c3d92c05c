#include "utils/MessagePump.h"

#include <mmsystem.h>

namespace Utils {

namespace {
constexpr DWORD kPumpMilliseconds = 100;
}

bool PumpMessages(HWND window) {
  const DWORD start = ::timeGetTime();
  while (window == nullptr || ::IsWindow(window)) {
    const DWORD elapsed = ::timeGetTime() - start;
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
