#include "utils/WindowsVersion.h"

#include <windows.h>

#include "utils/Handles.h"

namespace Utils {

std::wstring VersionNameFromNumbers(unsigned major, unsigned minor, unsigned build, bool serverR2) {
  if (major <= 4) return L"XP-";
  if (major == 5) {
    if (minor == 0) return L"2K";
    if (minor == 1) return L"XP";
    if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
    return L"XP+";
  }
  if (major == 6) {
    switch (minor) {
      case 0: return L"Vista";
      case 1: return L"7";
      case 2: return L"8";
      case 3: return L"8.1";
      default: return L"8.1+";
    }
  }
  if (major == 10) return minor == 0 ? L"10" : L"10+";
  return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
}

WindowsVersionName GetWindowsVersionName() {
  DWORD major = 0;
  DWORD minor = 0;
  DWORD build = 0;
  UniqueModule ntdll(::LoadLibraryW(L"ntdll.dll"));
  if (ntdll) {
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto fn = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll.Get(), "RtlGetNtVersionNumbers")));
    if (fn) fn(&major, &minor, &build);
  }
  const bool r2 = (major == 5 && minor == 2) && ::GetSystemMetrics(SM_SERVERR2) != 0;
  return {L"Windows", VersionNameFromNumbers(major, minor, build & 0xFFFF, r2)};
}

}  // namespace Utils
