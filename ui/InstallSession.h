#pragma once

// What the installer decides while the engine runs, without any window: it turns engine
// events into one percentage and one progress text, reports the milestones, keeps what the
// package reports about itself, and after a successful installation records it, hands the
// analytics identity over and starts the product as the package asked. CMainWnd draws what
// this class decides; the headless engine program runs the same class without a window.

#include <cstdint>
#include <functional>
#include <string>

// Everything the session does outside itself. The system implementation is
// SystemSessionEffects; tests substitute their own.
class CInstallSessionEffects {
 public:
  virtual ~CInstallSessionEffects() = default;

  // The system's millisecond tick counter.
  virtual uint32_t TickCount() = 0;
  // A Task milestone with the A/B label |ab|.
  virtual void ReportTask(const wchar_t* name, float elapsed, const std::wstring& ab) = 0;
  // "下载失败原因" with the machine diagnostics of a failed download.
  virtual void ReportDownloadFailure(double value, const std::wstring& text, const std::wstring& ab) = 0;
  // "下载失败原因" (|download|) or "安装失败原因" with the short reason.
  virtual void ReportFailureReason(double value, const std::wstring& text, bool download, const std::wstring& ab) = 0;
  // The analytics hand-over into |installFolder|.
  virtual void WriteHandover(const std::wstring& installFolder) = 0;
  // The registry record of a finished installation.
  virtual void RecordInstallation(const std::wstring& installFolder, const std::wstring& uninstallEntry) = 0;
  // Opens a web address through the shell, shown maximised.
  virtual void OpenAddress(const std::wstring& address) = 0;
  // True when |path| names an existing file or folder.
  virtual bool Exists(const std::wstring& path) = 0;
  // Lets the window repaint for a short while before something slow.
  virtual void LetWindowRepaint() = 0;
  // Starts |program| through the shell, no parameters, shown normally.
  virtual void OpenProgram(const std::wstring& program) = 0;
};

// The system side of CInstallSessionEffects: the installer's reporting functions, the
// product locations, the shell and the window's message pump.
class SystemSessionEffects : public CInstallSessionEffects {
 public:
  // |packagePath| answers where the package is downloaded to (for the failure diagnostics);
  // |window| is pumped before the product starts (nullptr: the thread's queue).
  SystemSessionEffects(std::function<std::wstring()> packagePath, void* window)
      : packagePath_(std::move(packagePath)), window_(window) {}

  uint32_t TickCount() override;
  void ReportTask(const wchar_t* name, float elapsed, const std::wstring& ab) override;
  void ReportDownloadFailure(double value, const std::wstring& text, const std::wstring& ab) override;
  void ReportFailureReason(double value, const std::wstring& text, bool download, const std::wstring& ab) override;
  void WriteHandover(const std::wstring& installFolder) override;
  void RecordInstallation(const std::wstring& installFolder, const std::wstring& uninstallEntry) override;
  void OpenAddress(const std::wstring& address) override;
  bool Exists(const std::wstring& path) override;
  void LetWindowRepaint() override;
  void OpenProgram(const std::wstring& program) override;

 private:
  std::function<std::wstring()> packagePath_;
  void* window_;
};

// What the window has to show after one engine event.
enum class SessionAction {
  kNone,              // nothing visible
  kProgress,          // new percentage and progress text
  kNetworkPrompt,     // the download failed: the network prompt
  kPackageMessage,    // the package's message (Text) with the caption "消息"
  kUninstallFailed,   // the old copy could not be removed: the running-product message
  kInstallFailed,     // the package failed: its error text (Text), then page 0
  kInstallSucceeded,  // the bar at 100, the finish page, then FinishInstallation
};

struct SessionOutcome {
  SessionAction action = SessionAction::kNone;
  int percent = 0;             // kProgress; kInstallFailed when ResetProgress
  std::wstring text;           // progress text, message or error text
  bool resetProgress = false;  // kInstallFailed: the bar goes to 0 with kResetProgressText
};

// The progress text after a failed installation reset the bar.
inline constexpr wchar_t kResetProgressText[] = L"正在安装中:0%，请稍候...";

// The running-product message of the window and of a failed removal.
inline constexpr wchar_t kProductRunningMessage[] = L"安装程序检测到青蓝工坊\r\n正在运行，请退出程序后再安装";

class CInstallSession {
 public:
  // |downloadScale| is the download's share of the bar (the settings' DownloadScale).
  CInstallSession(CInstallSessionEffects& effects, double downloadScale);

  // The progress label's own format (its user data); empty for the built-in texts.
  void SetProgressFormat(std::wstring format) { progressFormat_ = std::move(format); }

  // An install into |folder| is being handed to the engine.
  void BeginInstall(const std::wstring& folder) { instPath_ = folder; }

  // One engine event, in the order the engine sent them.
  SessionOutcome OnEngineEvent(int32_t code, double value, const std::wstring& text);

  // Another process announced the downloader (window message 1224).
  void OnDownloaderAnnounced();

  // After the finish page is shown: registry record, hand-over, and the product when the
  // package asked for an immediate start.
  void FinishInstallation();

  // Opens the start address (when it has more than 5 characters), then the product when
  // its executable exists.
  void RunProduct();

  // The finish page's start button: runs the product only when the package asked for it.
  void OnOpenProductClicked();

  // The progress text for |percent|: the progress format when set, else the built-in text
  // of the stopwatch's state. At most 250 characters.
  std::wstring ProgressText(int percent);

  // Seconds since the last download start; 0 while the stopwatch is not running.
  float DownloadSeconds();

  const std::wstring& InstPath() const { return instPath_; }
  const std::wstring& ExePath() const { return exePath_; }
  const std::wstring& UninstEp() const { return uninstEp_; }
  const std::wstring& StartUrl() const { return startUrl_; }
  int32_t StartupStyle() const { return startupStyle_; }
  uint32_t TopShowDelay() const { return topShowDelay_; }
  uint32_t FinishCloseDelay() const { return finishCloseDelay_; }
  double InstallFraction() const { return installFraction_; }
  const std::wstring& AbValue() const { return abValue_; }
  // What the bar shows now.
  int BarValue() const { return barValue_; }

 private:
  SessionOutcome Progress(int percent);
  void ReportDownloaderStarted();

  CInstallSessionEffects& effects_;
  double downloadScale_;
  std::wstring progressFormat_;
  std::wstring instPath_;
  std::wstring exePath_;
  std::wstring uninstEp_;
  std::wstring startUrl_;
  int32_t startupStyle_ = 0;
  uint32_t topShowDelay_ = 3000;
  uint32_t finishCloseDelay_ = 0xFFFFFFFF;
  double installFraction_ = 0.0;
  uint32_t stopwatchStart_ = 0;
  bool stopwatchRunning_ = false;
  bool downloaderStartReported_ = false;
  std::wstring abValue_ = L"IN";
  int barValue_ = 0;
};

// |format| with its one "%d" replaced by |percent| and "%%" by "%"; any other conversion
// is kept as written, so a skin's text can never make the formatter read past its one
// argument. Cut to 250 characters.
std::wstring FormatProgressText(const std::wstring& format, int percent);
