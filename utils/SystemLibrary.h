#pragma once

// Functions of system DLLs that the installer needs only now and then (account and session
// queries, the system downloader, the multimedia timer), loaded from the system folder on
// first use. Each DLL in the import table is loaded, with its own dependencies, before the
// window can show: these four cost about 45 ms of start-up under Wine.

#include <windows.h>

namespace Utils {

// The address of |name| in the system DLL |dll| (loaded by full path from the system folder
// on first use and kept for the life of the process), or nullptr when either is missing.
// Safe to call from any thread.
FARPROC SystemProc(const wchar_t* dll, const char* name);

// SystemProc typed as |Function|, e.g. SystemFunction<decltype(::NetUserGetInfo)>(...).
template <typename Function>
Function* SystemFunction(const wchar_t* dll, const char* name) {
  // Through a plain function pointer: casts between function types warn otherwise.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(SystemProc(dll, name)));
}

}  // namespace Utils
