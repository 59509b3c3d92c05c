#include "engine/OldVersionUninstaller.h"

#include <exception>

#include "engine/ChildOutputReader.h"
#include "utils/DebugLog.h"
#include "utils/SystemProbes.h"

namespace {

constexpr wchar_t kMissingUninstaller[] = L"可执行卸载文件不存在";

const wchar_t* Flag(bool on) {
  return on ? L"true" : L"false";
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

OldVersionUninstaller::OldVersionUninstaller(EngineEventCallback callback, std::wstring uninstallerPath,
                                             std::wstring oldInstallDir, AdminProbe probe)
    : callback_(std::move(callback)),
      uninstallerPath_(std::move(uninstallerPath)),
      oldInstallDir_(std::move(oldInstallDir)),
      protocol_(ProtocolDialect::kUninstaller, callback_),
      probe_(probe ? std::move(probe) : AdminProbe(&OldVersionUninstaller::SystemAdminFlags)) {}

OldVersionUninstaller::~OldVersionUninstaller() {
  if (worker_) worker_->Join();
}

std::wstring OldVersionUninstaller::MakeCommandLine(const std::wstring& uninstallerPath,
                                                    const std::wstring& oldInstallDir, AdminFlags flags) {
  // Unquoted, a path with blanks would start whatever program its first word names.
  const bool quote =
      uninstallerPath.find_first_of(L" \t") != std::wstring::npos &&
      !(uninstallerPath.size() >= 2 && uninstallerPath.front() == L'"' && uninstallerPath.back() == L'"');
  std::wstring line = quote ? L"\"" + uninstallerPath + L"\"" : uninstallerPath;
  line += L" /S -adminact=";
  line += Flag(flags.accountIsAdmin);
  line += L" -authorizationact=";
  line += Flag(flags.processIsAdmin);
  line += L" -console=show _?=";
  line += oldInstallDir;
  return line;
}

OldVersionUninstaller::AdminFlags OldVersionUninstaller::SystemAdminFlags() {
  AdminFlags flags;
  std::wstring user;
  flags.accountIsAdmin = Utils::GetConsoleUserName(user) && Utils::IsAdminAccount(user);
  flags.processIsAdmin = Utils::IsProcessAdmin();
  return flags;
}

void OldVersionUninstaller::Start() {
  std::wstring commandLine = MakeCommandLine(uninstallerPath_, oldInstallDir_, probe_());
  if (worker_) worker_->Join();
  commandLine_ = std::move(commandLine);
  worker_ = std::make_unique<Utils::Thread>(0, L"UnInstaller", [this](uint32_t) { Run(); });
  if (!worker_->Resume()) {
    DLOG(L"cannot start the uninstall worker\r\n");
    worker_.reset();
    Send(5004, 2.0, L"");
  }
}

void OldVersionUninstaller::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_) callback_(code, value, text);
}

void OldVersionUninstaller::Run() {
  Send(5001, 0.0, L"");
  if (!IsExistingFile(uninstallerPath_)) {
    DLOG(L"no uninstaller at %s\r\n", uninstallerPath_.c_str());
    Send(5004, 1.0, kMissingUninstaller);
    return;
  }
  Send(5002, 0.0, L"");
  protocol_.DiscardPartialLine();
  bool sawResult = false;
  const bool started = RunChildReadingOutput(commandLine_, [&](const char* data, DWORD size) {
    // Every line is interpreted, also after a result line.
    if (protocol_.Feed(data, size) != TerminalResult::kNone) sawResult = true;
  });
  if (!started) {
    Send(5004, 2.0, L"");
    return;
  }
  if (protocol_.Finish() != TerminalResult::kNone) sawResult = true;
  if (!sawResult) Send(5003, 1.0, L"");
}
