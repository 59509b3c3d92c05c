#pragma once

// Registry isolation for tests: while an object lives, HKEY_CURRENT_USER of this process
// points to a fresh key of its own, which is deleted with everything below it afterwards.

#include <windows.h>

#include <string>

namespace testing_support {

class ScopedCurrentUserOverride {
 public:
  ScopedCurrentUserOverride();
  ~ScopedCurrentUserOverride();
  ScopedCurrentUserOverride(const ScopedCurrentUserOverride&) = delete;
  ScopedCurrentUserOverride& operator=(const ScopedCurrentUserOverride&) = delete;

  // True when the redirection is in place.
  bool Active() const { return active_; }
  // The real key's path below the real HKEY_CURRENT_USER.
  const std::wstring& RealPath() const { return path_; }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
  bool active_ = false;
};

}  // namespace testing_support
