#pragma once

// The command line of the headless engine program QuilloraEngine.exe.

#include <string>
#include <vector>

namespace engine_app {

enum class EngineMode {
  kFull,          // remove an older copy (when named), download, install
  kDownloadOnly,  // stop after the download stage
  kPackage,       // run an existing package, no download
  kUninstall,     // run only the removal of an older copy
};

struct EngineOptions {
  EngineMode mode = EngineMode::kFull;
  std::wstring url;
  std::wstring dir;
  int downloadType = 1;
  std::wstring oldUninstaller;
  std::wstring language;
  bool desktop = true;
  bool quickLaunch = true;
  bool admin = true;
  bool elevated = false;
  std::wstring instCmd;
  bool hasInstCmd = false;
  std::wstring package;    // with kPackage
  std::wstring uninstall;  // with kUninstall
  std::wstring oldDir;     // with kUninstall
  // Whole runs and package runs also do what the installer window does with the events:
  // milestones, registry record, hand-over, product start.
  bool session = false;
  // The tracker is created as start-up does, with this analytics address (none when empty).
  std::wstring analyticsUrl;
};

// Reads |args| (without the program name). False with a one-line |error| for an unknown
// option, a bad value, a missing value or a mode without what it needs.
bool ParseEngineOptions(const std::vector<std::wstring>& args, EngineOptions& options, std::wstring& error);

// The usage summary (one line).
const wchar_t* EngineUsage();

// The line printed for one engine event: code, tab, value as "%.17g", tab, text in UTF-8,
// line feed.
std::string FormatEventLine(int code, double value, const wchar_t* text);

}  // namespace engine_app
