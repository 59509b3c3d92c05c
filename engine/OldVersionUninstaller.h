#pragma once

// Removes an installed older copy: runs a working copy of its uninstaller hidden and
// silently, follows its standard output (OutputProtocol, uninstaller dialect) and reports
// through an EngineEventCallback on its own worker thread:
//   5001 0.0 the worker begins;
//   5002 0.0 before the start, then the uninstaller's progress;
//   5003 0.0 "State=Success", 1.0 the uninstaller ended without a result line;
//   5004 1.0 "可执行卸载文件不存在" no file at the path, 2.0 the uninstaller cannot be started;
//   5005 0.0 "State=Fail" ("安装包卸载失败") or "Error=" with its text.

#include <functional>
#include <memory>
#include <string>

#include "engine/EngineEvent.h"
#include "engine/OutputProtocol.h"
#include "utils/Thread.h"

class OldVersionUninstaller {
 public:
  // The two rights the uninstaller is told about.
  struct AdminFlags {
    bool accountIsAdmin = false;  // the signed-in console user's account is an administrator
    bool processIsAdmin = false;  // this process is a member of the Administrators group
  };
  using AdminProbe = std::function<AdminFlags()>;

  // |uninstallerPath| is the working copy to run, |oldInstallDir| the folder of the copy to
  // remove. |probe| answers the rights at Start; empty means asking the system.
  OldVersionUninstaller(EngineEventCallback callback, std::wstring uninstallerPath, std::wstring oldInstallDir,
                        AdminProbe probe = {});
  // Waits without limit for the worker, and so for the uninstaller, to end.
  ~OldVersionUninstaller();

  OldVersionUninstaller(const OldVersionUninstaller&) = delete;
  OldVersionUninstaller& operator=(const OldVersionUninstaller&) = delete;

  // "<path> /S -adminact=<..> -authorizationact=<..> -console=show _?=<dir>". The path is
  // quoted when it holds a blank; the folder stays unquoted and last, as the uninstaller
  // takes the rest of the line after "_?=".
  static std::wstring MakeCommandLine(const std::wstring& uninstallerPath, const std::wstring& oldInstallDir,
                                      AdminFlags flags);

  // Asks the system for both rights.
  static AdminFlags SystemAdminFlags();

  // Builds the command line and starts the worker ("UnInstaller"). Returns at once. Waits
  // for a previous worker first; must not be called from this runner's callback.
  void Start();

 private:
  void Run();
  void Send(int32_t code, double value, const wchar_t* text) const;

  EngineEventCallback callback_;
  std::wstring commandLine_;
  std::wstring uninstallerPath_;
  std::wstring oldInstallDir_;
  OutputProtocol protocol_;  // holds the output code page
  AdminProbe probe_;
  std::unique_ptr<Utils::Thread> worker_;
};
