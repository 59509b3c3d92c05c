#pragma once

// Free space of a drive, as the install checks and the reports need it.

#include <string>

namespace Utils {

class HardDiskManager {
 public:
  HardDiskManager() = default;
  virtual ~HardDiskManager() = default;

  // Queries the drive or folder |folder| (callers pass the drive part of a path, "C:").
  // True on success with the three counters filled; false (logged) on failure, the
  // counters keeping their previous values.
  bool CheckFreeSpace(const std::wstring& folder);

  // Bytes the calling user may still use.
  unsigned long long FreeBytesAvailable() const { return freeBytesAvailable_; }
  unsigned long long TotalNumberOfBytes() const { return totalNumberOfBytes_; }
  unsigned long long TotalNumberOfFreeBytes() const { return totalNumberOfFreeBytes_; }

 private:
  unsigned long long freeBytesAvailable_ = 0;
  unsigned long long totalNumberOfBytes_ = 0;
  unsigned long long totalNumberOfFreeBytes_ = 0;
};

}  // namespace Utils
