#pragma once

// A named worker thread, created suspended so that its creator can finish setting up
// before it runs. Its owner joins it (without time limit) in the destructor.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "utils/Handles.h"

namespace Utils {

class Thread {
 public:
  using Body = std::function<void(uint32_t)>;

  // Creates the thread suspended and gives it a debugger-visible name ("t" and the thread
  // id when |name| is empty). IsCreated() tells whether creation worked.
  Thread(uint32_t parameter, std::wstring name, Body body);
  // Joins the thread.
  ~Thread();

  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Lets the thread run. False when there is no thread or it was resumed already.
  bool Resume();

  // Waits for the thread without limit, then forgets it (no handle, id -1). Does nothing
  // when there is no thread. A thread that was never resumed has not run and is ended
  // instead of waited for. Must not be called from the thread itself.
  void Join();

  bool IsCreated() const { return handle_.IsValid(); }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return handle_.Get(); }
  const std::wstring& Name() const { return name_; }

 private:
  static unsigned __stdcall CallBack(void* self);

  DWORD id_ = static_cast<DWORD>(-1);
  UniqueHandle handle_;
  Body body_;
  uint32_t parameter_;
  std::wstring name_;
  bool resumed_ = false;
};

// The name a debugger shows for a thread: |name|, or "t" followed by the decimal id.
std::wstring ThreadDebugName(const std::wstring& name, DWORD threadId);

// Names the thread |threadId| for debuggers: SetThreadDescription where the system has it,
// and the classic 0x406D1388 exception with the name in the ANSI code page.
void SetThreadDebugName(HANDLE thread, DWORD threadId, const std::wstring& name);

}  // namespace Utils
