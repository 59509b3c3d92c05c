#include "engine/Installer.h"

#include <exception>

#include "engine/ChildOutputReader.h"
#include "utils/DebugLog.h"
#include "utils/InstallerSettings.h"

namespace {

constexpr DWORD kPacingMs = 100;

const wchar_t* Flag(bool on) {
  return on ? L"true" : L"false";
}

}  // namespace

CInstaller::CInstaller(EngineEventCallback callback, std::wstring packagePath, std::wstring installDir)
    : callback_(std::move(callback)),
      packagePath_(std::move(packagePath)),
      installDir_(std::move(installDir)),
      protocol_(ProtocolDialect::kPackage, callback_) {}

CInstaller::~CInstaller() {
  if (worker_) worker_->Join();
}

std::wstring CInstaller::MakeCommandLine() const {
  std::wstring line = packagePath_;
  line += L" /S -console=show -version=1.0.0";
  line += L" -adminact=";
  line += Flag(adminAccount_);
  line += L" -authorizationact=";
  line += Flag(elevated_);
  line += L" -dsc=";
  line += Flag(desktopShortcut_);
  line += L" -ssc=";
  line += Flag(quickLaunchShortcut_);
  if (!installLanguage_.empty()) line += L" -inslang=\"" + installLanguage_ + L"\"";
  const std::wstring& extra = Utils::Settings().InstCmd;
  if (!extra.empty()) line += L" " + extra;
  if (!installDir_.empty()) {
    line += L" -instdir=\"" + installDir_ + L"\"";
    // NSIS takes everything after "/D=" as the folder, so it stays last and unquoted.
    line += L" /D=" + installDir_;
  }
  return line;
}

void CInstaller::Start() {
  std::wstring commandLine = MakeCommandLine();
  // The previous worker may still read the command line; replace it only once it is gone.
  if (worker_) worker_->Join();
  commandLine_ = std::move(commandLine);
  worker_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) { Run(); });
  if (!worker_->Resume()) {
    DLOG(L"cannot start the package worker\r\n");
    worker_.reset();
    Send(2004, 2.0, L"");
  }
}

void CInstaller::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_) callback_(code, value, text);
}

void CInstaller::Run() {
  Send(2001, 0.0, L"");
  Send(2002, 0.0, L"");
  protocol_.DiscardPartialLine();
  bool sawResult = false;
  const bool started = RunChildReadingOutput(commandLine_, [&](const char* data, DWORD size) {
    // After the result nothing more is interpreted, but the pipe is still drained.
    if (sawResult) return;
    if (protocol_.Feed(data, size) != TerminalResult::kNone) {
      sawResult = true;
      return;
    }
    ::Sleep(kPacingMs);
  });
  if (!started) {
    Send(2004, 2.0, L"");
    return;
  }
  if (!sawResult && protocol_.Finish() != TerminalResult::kNone) sawResult = true;
  if (!sawResult) Send(2003, 1.0, L"");
}
