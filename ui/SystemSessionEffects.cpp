// The session's effects on the real system.

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "tracker/InstallerReporting.h"
#include "ui/InstallSession.h"
#include "utils/MessagePump.h"
#include "utils/ProductLocations.h"

uint32_t SystemSessionEffects::TickCount() {
  return ::GetTickCount();
}

void SystemSessionEffects::ReportTask(const wchar_t* name, float elapsed, const std::wstring& ab) {
  ReportTaskEvent(name, L"", elapsed, {{L"AB", ab}});
}

void SystemSessionEffects::ReportDownloadFailure(double value, const std::wstring& text, const std::wstring& ab) {
  ::ReportDownloadFailure(packagePath_ ? packagePath_() : std::wstring(), value, text, ab);
}

void SystemSessionEffects::ReportFailureReason(double value, const std::wstring& text, bool download,
                                               const std::wstring& ab) {
  ::ReportFailureReason(value, text, download, ab);
}

void SystemSessionEffects::WriteHandover(const std::wstring& installFolder) {
  WriteAnalyticsHandover(installFolder);
}

void SystemSessionEffects::RecordInstallation(const std::wstring& installFolder, const std::wstring& uninstallEntry) {
  Utils::ProductLocations locations;
  locations.WriteInstalledLocation(installFolder, uninstallEntry);
}

void SystemSessionEffects::OpenAddress(const std::wstring& address) {
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

bool SystemSessionEffects::Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SystemSessionEffects::LetWindowRepaint() {
  Utils::PumpMessages(static_cast<HWND>(window_));
}

void SystemSessionEffects::OpenProgram(const std::wstring& program) {
  ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
