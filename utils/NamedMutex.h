#pragma once

// The single-instance guard: a named mutex that this process owns, or nothing.

#include <string>

#include "utils/Handles.h"

namespace Utils {

class NamedMutex {
 public:
  explicit NamedMutex(std::wstring name) : name_(std::move(name)) {}
  // Releases and closes the mutex when it is held.
  ~NamedMutex() { Close(); }

  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Creates the mutex once, asking for initial ownership. When another process already
  // has it (ERROR_ALREADY_EXISTS) the handle is closed again and none is kept.
  void Create();

  // True when this process holds the mutex.
  bool IsHeld() const { return handle_.IsValid(); }

  // ReleaseMutex, then CloseHandle, when held.
  void Close();

  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
  UniqueHandle handle_;
};

}  // namespace Utils
