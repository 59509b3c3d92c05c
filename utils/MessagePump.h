#pragma once

// A short message pump that lets a window repaint before the UI thread does something
// slow (such as starting the installed product).

#include <windows.h>

namespace Utils {

// Pumps the calling thread's messages for about 100 milliseconds while |window| (or, when
// it is nullptr, the thread) lives. Returns false when WM_QUIT arrived (it is posted again
// for the outer loop) or the window was destroyed; true otherwise. Must run on the thread
// that owns |window|.
bool PumpMessages(HWND window);

}  // namespace Utils
