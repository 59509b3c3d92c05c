#pragma once

// The package runner: runs the downloaded installation package hidden with the user's
// choices on its command line, follows its standard output (OutputProtocol, package
// dialect) and reports through an EngineEventCallback on its own worker thread:
//   2001 the worker begins; 2002 0.0 before the start, then the package's progress;
//   2003 0.0 "State=Success", 1.0 the package ended without a result line;
//   2004 0.0 "State=Fail", 1000.0 "Error=" with its text, 2.0 the package cannot be started;
//   3000-3009 what the package tells about the installed product.

#include <memory>
#include <string>

#include "engine/EngineEvent.h"
#include "engine/OutputProtocol.h"
#include "utils/Thread.h"

class CInstaller {
 public:
  // |packagePath| is already enclosed in double quotes; |installDir| may be empty.
  CInstaller(EngineEventCallback callback, std::wstring packagePath, std::wstring installDir);
  // Waits without limit for the worker, and so for the package, to end.
  ~CInstaller();

  CInstaller(const CInstaller&) = delete;
  CInstaller& operator=(const CInstaller&) = delete;

  // Choices the owner sets before Start.
  void SetInstallDir(std::wstring dir) { installDir_ = std::move(dir); }
  void SetDesktopShortcut(bool on) { desktopShortcut_ = on; }
  void SetQuickLaunchShortcut(bool on) { quickLaunchShortcut_ = on; }
  void SetAdminAccount(bool on) { adminAccount_ = on; }
  void SetElevated(bool on) { elevated_ = on; }
  void SetInstallLanguage(std::wstring language) { installLanguage_ = std::move(language); }

  // The package's command line for the current choices and the settings' InstCmd.
  std::wstring MakeCommandLine() const;

  // Builds the command line, waits without limit for a previous worker of this runner, then
  // starts a new worker ("ABDEF") that runs the package. Returns at once. Must not be called
  // from this runner's callback.
  void Start();

  // The version of the package's last "InstallVersion=" line (0.0.0 before one). The worker
  // writes it: read it only while no worker runs.
  InstalledVersion Version() const { return protocol_.Version(); }

 private:
  void Run();
  void Send(int32_t code, double value, const wchar_t* text) const;

  EngineEventCallback callback_;
  std::wstring packagePath_;
  std::wstring installDir_;
  std::wstring commandLine_;
  bool quickLaunchShortcut_ = false;
  bool desktopShortcut_ = false;
  OutputProtocol protocol_;  // holds the output code page and the installed version
  std::unique_ptr<Utils::Thread> worker_;
  bool adminAccount_ = false;
  bool elevated_ = true;
  std::wstring installLanguage_;
};
