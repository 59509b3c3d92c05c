#include "utils/DiskSpace.h"

#include <windows.h>

#include "utils/DebugLog.h"

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const std::wstring& folder) {
  ULARGE_INTEGER available = {};
  ULARGE_INTEGER total = {};
  ULARGE_INTEGER totalFree = {};
  if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &totalFree)) {
    DLOG(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(::GetLastError()));
    return false;
  }
  freeBytesAvailable_ = available.QuadPart;
  totalNumberOfBytes_ = total.QuadPart;
  totalNumberOfFreeBytes_ = totalFree.QuadPart;
  return true;
}

}  // namespace Utils
