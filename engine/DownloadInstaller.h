#pragma once

// Chains the stages of one installation: removal of an installed older copy (when there is
// one), the download of the package and the silent run of the package. Every event of
// every stage goes unchanged to the window callback first; then the orchestrator logs a
// stage line for it and starts the next stage on the worker that sent it.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "engine/Downloader.h"
#include "engine/EngineEvent.h"
#include "engine/Installer.h"
#include "engine/OldVersionUninstaller.h"

class CDownloadInstaller {
 public:
  // Makes the downloader for a download type: 2 CWinDownloader, 3 CMTCurlDownloader, any
  // other CCurlDownloader.
  using DownloaderFactory = std::function<std::unique_ptr<CDownloader>(
      int downloadType, EngineEventCallback callback, const std::wstring& url, const std::wstring& packagePath)>;

  // The downloader the settings' DownloadType selects.
  static std::unique_ptr<CDownloader> CreateDownloader(int downloadType, EngineEventCallback callback,
                                                       const std::wstring& url, const std::wstring& packagePath);

  // |callback| receives every event of every stage, on the stage's worker. |factory| (tests
  // only) replaces CreateDownloader; |probe| is handed to the uninstall runner.
  explicit CDownloadInstaller(EngineEventCallback callback, DownloaderFactory factory = {},
                              OldVersionUninstaller::AdminProbe probe = {});
  // Lets no further stage start, then destroys the downloader, the package runner and the
  // uninstall runner in that order; the runners wait for their workers. Then deletes this
  // run's package file if it is still remembered as undeleted.
  ~CDownloadInstaller();

  CDownloadInstaller(const CDownloadInstaller&) = delete;
  CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

  // The choices for the next Start. |oldUninstaller| is empty when no older copy applies.
  void SetParams(std::wstring url, std::wstring oldUninstaller, std::wstring installDir, bool desktopShortcut,
                 bool quickLaunchShortcut, bool adminAccount, bool elevated, std::wstring installLanguage);

  // Creates the stage objects on first use and starts the first stage: the old copy's
  // uninstaller (from a working copy in the scratch folder) when its file exists, the
  // download otherwise. Returns at once; the stages run on workers.
  void Start();

  const std::wstring& PackagePath() const { return packagePath_; }

  // The package file a finished run could not delete, kept for the next run of any
  // orchestrator of this process (tests read it).
  static std::wstring RememberedPackagePath();

 private:
  void Forward(int32_t code, double value, const wchar_t* text) const;
  void OnDownloadEvent(int32_t code, double value, const wchar_t* text);
  void OnUninstallEvent(int32_t code, double value, const wchar_t* text);
  void OnInstallEvent(int32_t code, double value, const wchar_t* text);
  // Deletes the package file and the remembered one, then remembers this one.
  void DeletePackageFiles() const;
  // Runs |start| unless the orchestrator is being destroyed.
  void StartStage(const std::function<void()>& start);

  EngineEventCallback callback_;
  DownloaderFactory factory_;
  OldVersionUninstaller::AdminProbe probe_;
  std::wstring url_;
  std::wstring oldUninstaller_;
  std::wstring installDir_;
  std::wstring packagePath_;
  std::wstring installLanguage_;
  bool desktopShortcut_ = true;
  bool quickLaunchShortcut_ = true;
  bool adminAccount_ = true;
  bool elevated_ = false;

  std::mutex stageLock_;  // held while a stage is started and while closing begins
  bool closing_ = false;
  bool downloadStarted_ = false;  // the uninstaller's success has started the download

  // Destroyed in reverse order: downloader first, then the package runner, then the
  // uninstall runner.
  std::unique_ptr<OldVersionUninstaller> uninstaller_;
  std::unique_ptr<CInstaller> installer_;
  std::unique_ptr<CDownloader> downloader_;
};
