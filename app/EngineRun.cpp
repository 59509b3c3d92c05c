#include "app/EngineRun.h"

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "engine/DownloadInstaller.h"
#include "engine/Installer.h"
#include "engine/OldVersionUninstaller.h"
#include "ui/InstallSession.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"

namespace engine_app {

namespace {

// Passes events on and remembers the first final one.
class Outcome {
 public:
  Outcome(EngineMode mode, const EngineEventCallback& print) : mode_(mode), print_(print) {}

  void Receive(int32_t code, double value, const wchar_t* text) {
    print_(code, value, text);
    const int outcome = FinalOutcome(mode_, code);
    if (outcome == 0) return;
    std::lock_guard<std::mutex> lock(lock_);
    if (result_ == 0) result_ = outcome;
    changed_.notify_all();
  }

  // Waits for the first final event; 0 for success, 1 for failure.
  int Wait() {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return result_ != 0; });
    return result_ > 0 ? 0 : 1;
  }

  EngineEventCallback Callback() {
    return [this](int32_t code, double value, const wchar_t* text) { Receive(code, value, text); };
  }

 private:
  EngineMode mode_;
  const EngineEventCallback& print_;
  std::mutex lock_;
  std::condition_variable changed_;
  int result_ = 0;
};

// The installer window's handling of the events, without the window: every event goes
// through the session before it is passed on, one at a time.
class HeadlessSession {
 public:
  HeadlessSession(bool enabled, const std::wstring& dir, std::function<std::wstring()> packagePath)
      : enabled_(enabled),
        effects_(std::move(packagePath), nullptr),
        session_(effects_, Utils::Settings().DownloadScale) {
    session_.BeginInstall(dir);
  }

  EngineEventCallback Wrap(EngineEventCallback next) {
    if (!enabled_) return next;
    return [this, next](int32_t code, double value, const wchar_t* text) {
      {
        std::lock_guard<std::mutex> lock(lock_);
        session_.OnEngineEvent(code, value, text ? text : L"");
      }
      next(code, value, text);
    };
  }

  // After a successful run, what the window does once the finish page shows.
  void Finish(int result) {
    if (!enabled_ || result != 0) return;
    std::lock_guard<std::mutex> lock(lock_);
    session_.FinishInstallation();
  }

 private:
  bool enabled_;
  SystemSessionEffects effects_;
  CInstallSession session_;
  std::mutex lock_;
};

}  // namespace

int FinalOutcome(EngineMode mode, int code) {
  switch (mode) {
    case EngineMode::kDownloadOnly:
      return code == 1003 ? 1 : code == 1004 ? -1 : 0;
    case EngineMode::kPackage:
      return code == 2003 ? 1 : code == 2004 ? -1 : 0;
    case EngineMode::kUninstall:
      return code == 5003 ? 1 : (code == 5004 || code == 5005) ? -1 : 0;
    case EngineMode::kFull:
      break;
  }
  if (code == 2003) return 1;
  return (code == 1004 || code == 2004 || code == 5004 || code == 5005) ? -1 : 0;
}

int RunEngine(const EngineOptions& options, const EngineEventCallback& print) {
  Outcome outcome(options.mode, print);
  int result = 1;
  switch (options.mode) {
    case EngineMode::kFull: {
      const std::wstring packagePath = Utils::PackagePath(options.dir);
      HeadlessSession session(options.session, options.dir, [packagePath] { return packagePath; });
      {
        CDownloadInstaller orchestrator(session.Wrap(outcome.Callback()));
        orchestrator.SetParams(Utils::Settings().DownloadUrl, options.oldUninstaller, options.dir, options.desktop,
                               options.quickLaunch, options.admin, options.elevated, options.language);
        orchestrator.Start();
        result = outcome.Wait();
      }  // the orchestrator joins every worker as it goes
      session.Finish(result);
      break;
    }
    case EngineMode::kDownloadOnly: {
      Utils::CreateDirectoryTree(options.dir);
      std::unique_ptr<CDownloader> downloader;
      const EngineEventCallback forward = outcome.Callback();
      // The retry request restarts the same downloader, as the orchestrator does.
      downloader = CDownloadInstaller::CreateDownloader(
          Utils::Settings().DownloadType,
          [&downloader, forward](int32_t code, double value, const wchar_t* text) {
            forward(code, value, text);
            if (code == 1005) downloader->Start();
          },
          Utils::Settings().DownloadUrl, Utils::PackagePath(options.dir));
      downloader->Start();
      result = outcome.Wait();
      downloader.reset();
      break;
    }
    case EngineMode::kPackage: {
      const std::wstring packagePath = options.package;
      HeadlessSession session(options.session, options.dir, [packagePath] { return packagePath; });
      CInstaller installer(session.Wrap(outcome.Callback()), L"\"" + options.package + L"\"", options.dir);
      installer.SetDesktopShortcut(options.desktop);
      installer.SetQuickLaunchShortcut(options.quickLaunch);
      installer.SetAdminAccount(options.admin);
      installer.SetElevated(options.elevated);
      installer.SetInstallLanguage(options.language);
      installer.Start();
      result = outcome.Wait();
      session.Finish(result);
      break;
    }
    case EngineMode::kUninstall: {
      OldVersionUninstaller uninstaller(outcome.Callback(), options.uninstall, options.oldDir);
      uninstaller.Start();
      result = outcome.Wait();
      break;
    }
  }
  return result;
}

}  // namespace engine_app
