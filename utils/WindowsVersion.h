#pragma once

// The Windows version as the installer names it ("XP", "7", "10", ...).

#include <string>

namespace Utils {

struct WindowsVersionName {
  std::wstring family;  // always "Windows"
  std::wstring name;
};

// The name for a version number triple. |serverR2| is GetSystemMetrics(SM_SERVERR2) != 0
// (only consulted for 5.2).
std::wstring VersionNameFromNumbers(unsigned major, unsigned minor, unsigned build, bool serverR2);

// Asks ntdll's RtlGetNtVersionNumbers, looked up at run time; "XP-" when it is missing.
WindowsVersionName GetWindowsVersionName();

}  // namespace Utils
