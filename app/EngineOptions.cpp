#include "app/EngineOptions.h"

#include <windows.h>

#include <cstdio>

#include "utils/CommandLine.h"
#include "utils/TextConvert.h"

namespace engine_app {

namespace {

bool ReadFlag(const std::wstring& value, bool& flag) {
  if (value == L"true") {
    flag = true;
    return true;
  }
  if (value == L"false") {
    flag = false;
    return true;
  }
  return false;
}

}  // namespace

const wchar_t* EngineUsage() {
  return L"usage: QuilloraEngine --url=URL --dir=DIR [--download-type=N] [--old-uninstaller=PATH] [--lang=CODE] "
         L"[--desktop|--quicklaunch|--admin|--elevated=true|false] [--instcmd=TEXT] [--download-only] [--session] "
         L"[--analytics-url=URL] | "
         L"--package=FILE [--dir=DIR ...] | --uninstall=FILE --old-dir=DIR";
}

bool ParseEngineOptions(const std::vector<std::wstring>& args, EngineOptions& options, std::wstring& error) {
  bool downloadOnly = false;
  for (const std::wstring& arg : args) {
    const size_t equals = arg.find(L'=');
    const std::wstring key = arg.substr(0, equals);
    const bool hasValue = equals != std::wstring::npos;
    const std::wstring value = hasValue ? arg.substr(equals + 1) : std::wstring();
    bool ok = hasValue;
    if (key == L"--download-only" && !hasValue) {
      downloadOnly = ok = true;
    } else if (key == L"--session" && !hasValue) {
      options.session = ok = true;
    } else if (key == L"--analytics-url") {
      options.analyticsUrl = value;
    } else if (key == L"--url") {
      options.url = value;
    } else if (key == L"--dir") {
      options.dir = value;
    } else if (key == L"--download-type") {
      const Utils::NumberResult<int> number = Utils::ParseInt32(value);
      ok = ok && number.status == Utils::NumberStatus::kOk && std::to_wstring(number.value) == value;
      options.downloadType = number.value;
    } else if (key == L"--old-uninstaller") {
      options.oldUninstaller = value;
    } else if (key == L"--lang") {
      options.language = value;
    } else if (key == L"--desktop") {
      ok = ok && ReadFlag(value, options.desktop);
    } else if (key == L"--quicklaunch") {
      ok = ok && ReadFlag(value, options.quickLaunch);
    } else if (key == L"--admin") {
      ok = ok && ReadFlag(value, options.admin);
    } else if (key == L"--elevated") {
      ok = ok && ReadFlag(value, options.elevated);
    } else if (key == L"--instcmd") {
      options.instCmd = value;
      options.hasInstCmd = true;
    } else if (key == L"--package") {
      options.package = value;
    } else if (key == L"--uninstall") {
      options.uninstall = value;
    } else if (key == L"--old-dir") {
      options.oldDir = value;
    } else {
      error = L"unknown option: " + arg;
      return false;
    }
    if (!ok || (hasValue && value.empty() && key != L"--instcmd" && key != L"--lang" && key != L"--old-uninstaller")) {
      error = L"bad value: " + arg;
      return false;
    }
  }

  const int modes = (downloadOnly ? 1 : 0) + (options.package.empty() ? 0 : 1) + (options.uninstall.empty() ? 0 : 1);
  if (modes > 1) {
    error = L"choose one of --download-only, --package and --uninstall";
    return false;
  }
  if (!options.uninstall.empty()) {
    options.mode = EngineMode::kUninstall;
    if (options.oldDir.empty()) {
      error = L"--uninstall needs --old-dir";
      return false;
    }
    return true;
  }
  if (!options.oldDir.empty()) {
    error = L"--old-dir goes with --uninstall";
    return false;
  }
  if (!options.package.empty()) {
    options.mode = EngineMode::kPackage;
    return true;
  }
  options.mode = downloadOnly ? EngineMode::kDownloadOnly : EngineMode::kFull;
  if (options.url.empty() || options.dir.empty()) {
    error = L"--url and --dir are needed";
    return false;
  }
  return true;
}

std::string FormatEventLine(int code, double value, const wchar_t* text) {
  char number[64];
  std::snprintf(number, sizeof(number), "%d\t%.17g\t", code, value);
  return number + Utils::WideToUtf8(text ? text : L"") + "\n";
}

}  // namespace engine_app
