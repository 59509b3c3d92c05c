#include "engine/DownloadInstaller.h"

#include <windows.h>

#include "engine/CurlDownloader.h"
#include "engine/MTCurlDownloader.h"
#include "engine/WinDownloader.h"
#include "utils/DebugLog.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"
#include "utils/SystemProbes.h"

namespace {

// A package that was still running when its result came cannot be deleted then; the next
// result of any run in this process deletes it.
std::mutex g_rememberedLock;
std::wstring g_rememberedPackage;

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// |path| without its last "\" component.
std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<CDownloader> CDownloadInstaller::CreateDownloader(int downloadType, EngineEventCallback callback,
                                                                  const std::wstring& url,
                                                                  const std::wstring& packagePath) {
  switch (downloadType) {
    case 2:
      return std::make_unique<CWinDownloader>(std::move(callback), url, packagePath);
    case 3:
      return std::make_unique<CMTCurlDownloader>(std::move(callback), url, packagePath);
    default:
      return std::make_unique<CCurlDownloader>(std::move(callback), url, packagePath);
  }
}

CDownloadInstaller::CDownloadInstaller(EngineEventCallback callback, DownloaderFactory factory,
                                       OldVersionUninstaller::AdminProbe probe)
    : callback_(std::move(callback)),
      factory_(factory ? std::move(factory) : DownloaderFactory(&CDownloadInstaller::CreateDownloader)),
      probe_(std::move(probe)) {}

CDownloadInstaller::~CDownloadInstaller() {
  {
    // A stage that ends while we close must not start the next one on an object that is
    // already gone.
    std::lock_guard<std::mutex> lock(stageLock_);
    closing_ = true;
  }
  downloader_.reset();
  installer_.reset();
  uninstaller_.reset();
  // A package that reported its result before it exited could not be deleted then; it has
  // ended now that its runner is gone.
  if (!packagePath_.empty()) {
    std::lock_guard<std::mutex> lock(g_rememberedLock);
    if (g_rememberedPackage == packagePath_ && ::DeleteFileW(packagePath_.c_str())) g_rememberedPackage.clear();
  }
  callback_ = nullptr;
}

std::wstring CDownloadInstaller::RememberedPackagePath() {
  std::lock_guard<std::mutex> lock(g_rememberedLock);
  return g_rememberedPackage;
}

void CDownloadInstaller::SetParams(std::wstring url, std::wstring oldUninstaller, std::wstring installDir,
                                   bool desktopShortcut, bool quickLaunchShortcut, bool adminAccount, bool elevated,
                                   std::wstring installLanguage) {
  url_ = std::move(url);
  oldUninstaller_ = std::move(oldUninstaller);
  installDir_ = std::move(installDir);
  desktopShortcut_ = desktopShortcut;
  quickLaunchShortcut_ = quickLaunchShortcut;
  adminAccount_ = adminAccount;
  elevated_ = elevated;
  installLanguage_ = std::move(installLanguage);
}

void CDownloadInstaller::Start() {
  packagePath_ = Utils::PackagePath(installDir_);
  DLOG(L"DL_TYPE=%d\r\n", Utils::Settings().DownloadType);

  if (!downloader_) {
    downloader_ = factory_(
        Utils::Settings().DownloadType,
        [this](int32_t code, double value, const wchar_t* text) { OnDownloadEvent(code, value, text); }, url_,
        packagePath_);
  }
  if (!installer_) {
    installer_ = std::make_unique<CInstaller>(
        [this](int32_t code, double value, const wchar_t* text) { OnInstallEvent(code, value, text); },
        L"\"" + packagePath_ + L"\"", installDir_);
  }
  installer_->SetInstallDir(installDir_);
  installer_->SetDesktopShortcut(desktopShortcut_);
  installer_->SetQuickLaunchShortcut(quickLaunchShortcut_);
  installer_->SetAdminAccount(adminAccount_);
  installer_->SetElevated(elevated_);
  installer_->SetInstallLanguage(installLanguage_);

  if (!oldUninstaller_.empty() && IsExistingFile(oldUninstaller_)) {
    const std::wstring temp = Utils::GetTempFolder();
    const std::wstring workingCopy = temp.empty() ? std::wstring() : Utils::UninstallerCopyPath(temp);
    const std::wstring oldInstallDir = ParentFolder(oldUninstaller_);
    // A failed copy is left to the runner, which reports the missing file.
    if (!workingCopy.empty()) ::CopyFileW(oldUninstaller_.c_str(), workingCopy.c_str(), FALSE);
    uninstaller_ = std::make_unique<OldVersionUninstaller>(
        [this](int32_t code, double value, const wchar_t* text) { OnUninstallEvent(code, value, text); }, workingCopy,
        oldInstallDir, probe_);
    if (Utils::Settings().InsNew) {
      // Started by the running product to update it: wait until that copy has closed.
      while (Utils::IsProcessRunning(Utils::kProductName + std::wstring(L".exe")) != 0) ::Sleep(100);
    }
    downloadStarted_ = false;
    uninstaller_->Start();
    return;
  }
  downloader_->Start();
}

void CDownloadInstaller::Forward(int32_t code, double value, const wchar_t* text) const {
  if (callback_) callback_(code, value, text);
}

void CDownloadInstaller::StartStage(const std::function<void()>& start) {
  std::lock_guard<std::mutex> lock(stageLock_);
  if (!closing_) start();
}

void CDownloadInstaller::DeletePackageFiles() const {
  ::DeleteFileW(packagePath_.c_str());
  std::lock_guard<std::mutex> lock(g_rememberedLock);
  if (!g_rememberedPackage.empty()) ::DeleteFileW(g_rememberedPackage.c_str());
  g_rememberedPackage = packagePath_;
}

void CDownloadInstaller::OnDownloadEvent(int32_t code, double value, const wchar_t* text) {
  Forward(code, value, text);
  switch (code) {
    case 1001:
      Utils::CreateDirectoryTree(installDir_);
      DLOG(L"DL_CODE_START\r\n");
      break;
    case 1002:
      DLOG(L"DL_CODE_PROGRESS\r\n");
      break;
    case 1003:
      DLOG(L"DOWNLOAD_SUCCESS\r\n");
      StartStage([this] { installer_->Start(); });
      DLOG(L"DL_CODE_SUCCESS\r\n");
      break;
    case 1004:
      DeletePackageFiles();
      DLOG(L"DL_CODE_FAIL\r\n");
      break;
    case 1005:
      DLOG(L"DL_CODE_RETRY\r\n");
      StartStage([this] { downloader_->Start(); });
      break;
    default:
      break;
  }
}

void CDownloadInstaller::OnUninstallEvent(int32_t code, double value, const wchar_t* text) {
  Forward(code, value, text);
  switch (code) {
    case 5001:
      DLOG(L"UNIST_CODE_START\r\n");
      break;
    case 5002:
      DLOG(L"UNIST_CODE_PROGRESS\r\n");
      break;
    case 5003:
      DLOG(L"UNIST_CODE_SUCCESS\r\n");
      // The uninstaller may report success more than once; one download per Start.
      StartStage([this] {
        if (!downloadStarted_) {
          downloadStarted_ = true;
          downloader_->Start();
        }
      });
      break;
    case 5004:
      DLOG(L"UNIST_CODE_FAIL\r\n");
      break;
    case 5005:
      DLOG(L"UNIST_CODE_ERROR\r\n");
      break;
    default:
      break;
  }
}

void CDownloadInstaller::OnInstallEvent(int32_t code, double value, const wchar_t* text) {
  Forward(code, value, text);
  switch (code) {
    case 2001:
      DLOG(L"IST_CODE_START\r\n");
      break;
    case 2002:
      DLOG(L"DL_CODE_SUCCESS\r\n");
      break;
    case 2003:
      DeletePackageFiles();
      DLOG(L"INSTALL_SUCCESS\r\n");
      break;
    case 2004:
      DeletePackageFiles();
      DLOG(L"IST_CODE_FAIL\r\n");
      break;
    default:
      break;
  }
}
