#include "utils/Thread.h"

#include <process.h>

#include "utils/DebugLog.h"

namespace Utils {
namespace {

constexpr DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
  DWORD type;         // 0x1000
  LPCSTR name;        // ANSI name
  DWORD threadId;
  DWORD flags;        // 0
};
#pragma pack(pop)

// The exception only tells an attached debugger the name; without one it must go
// unnoticed. mingw has no __try, so a vectored handler swallows it.
LONG CALLBACK IgnoreThreadNameException(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == kSetThreadNameException) return EXCEPTION_CONTINUE_EXECUTION;
  return EXCEPTION_CONTINUE_SEARCH;
}

std::string ToAnsi(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

std::wstring ThreadDebugName(const std::wstring& name, DWORD threadId) {
  return name.empty() ? L"t" + std::to_wstring(threadId) : name;
}

void SetThreadDebugName(HANDLE thread, DWORD threadId, const std::wstring& name) {
  using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  auto setDescription = reinterpret_cast<SetThreadDescriptionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (setDescription) setDescription(thread, name.c_str());

  const std::string ansi = ToAnsi(name);
  ThreadNameInfo info = {0x1000, ansi.c_str(), threadId, 0};
  PVOID handler = ::AddVectoredExceptionHandler(1, &IgnoreThreadNameException);
  ::RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
  if (handler) ::RemoveVectoredExceptionHandler(handler);
}

Thread::Thread(uint32_t parameter, std::wstring name, Body body)
    : body_(std::move(body)), parameter_(parameter), name_(std::move(name)) {
  unsigned id = 0;
  const uintptr_t h = _beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
  if (h == 0) return;
  handle_.Reset(reinterpret_cast<HANDLE>(h));
  id_ = id;
  SetThreadDebugName(handle_.Get(), id_, ThreadDebugName(name_, id_));
}

Thread::~Thread() { Join(); }

bool Thread::Resume() {
  if (!handle_ || resumed_) return false;
  resumed_ = ::ResumeThread(handle_.Get()) != static_cast<DWORD>(-1);
  return resumed_;
}

void Thread::Join() {
  if (!handle_) return;
  if (!resumed_) {
    // Never resumed: the body has not run and holds nothing, so ending it is safe, while
    // waiting for it would wait forever.
    ::TerminateThread(handle_.Get(), 0);
  }
  ::WaitForSingleObject(handle_.Get(), INFINITE);
  handle_.Reset();
  id_ = static_cast<DWORD>(-1);
}

unsigned __stdcall Thread::CallBack(void* self) {
  auto* thread = static_cast<Thread*>(self);
  DLOG(L"THREAD BEGIN\r\n");
  if (thread->body_) thread->body_(thread->parameter_);
  DLOG(L"THREAD END\r\n");
  return 0;
}

}  // namespace Utils
