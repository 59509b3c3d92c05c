#include "utils/NamedMutex.h"

namespace Utils {

void NamedMutex::Create() {
  if (handle_) return;
  HANDLE h = ::CreateMutexW(nullptr, TRUE, name_.c_str());
  if (!h) return;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(h);
    return;
  }
  handle_.Reset(h);
}

void NamedMutex::Close() {
  if (!handle_) return;
  ::ReleaseMutex(handle_.Get());
  handle_.Reset();
}

}  // namespace Utils
