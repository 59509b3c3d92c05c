#pragma once

// The installer's main window: the one-click page, the custom-install page, the progress
// page and the finish page. It prepares an install, hands it to the orchestrator and draws
// what the install session makes of the engine's events.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/InstallSession.h"
#include "ui/SkinFrame.h"
#include "ui/WindowShadow.h"
#include "utils/ProductLocations.h"

class CDownloadInstaller;
class CSequenceLabelUI;
class CSequenceButtonUI;

namespace Utils {
class Thread;
}

namespace uifw {
class Control;
class TabLayout;
class CheckBox;
class Combo;
class Progress;
}  // namespace uifw

// One engine event, copied for the window; the window deletes it after handling.
struct EngineEventRecord {
  int32_t code = 0;
  double value = 0;
  std::wstring text;
};

// The engine's events reach the window as this message, lParam the record.
inline constexpr UINT WM_ENGINE_EVENT = WM_USER + 1000;
// Other processes announce the downloader with this message.
inline constexpr UINT WM_DOWNLOADER_ANNOUNCED = WM_USER + 200;

class CMainWnd : public CSkinFrame {
 public:
  CMainWnd();
  // Destroys the orchestrator (which joins its workers), then joins the network check.
  ~CMainWnd() override;

  // Prepares an install into |folder| and hands it on (to the network check or directly).
  // False when it was refused; the reason has been shown.
  bool StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut);

  // The result of the preparation: with |go| the progress page and the orchestrator.
  void OnInstallDecision(bool go);

  // Loads language |index| from the skin's language table, gives the controls its texts,
  // fits "lbLanguage", "lbInstallPath" and "backBtn" to their new texts and keeps the
  // resolved index as the settings' Language.
  void ApplyLanguage(int index);
  // The language code the package is given ("-inslang"): empty without a language combo box.
  std::wstring SelectedLanguageCode() const;

  // The page of the main tab layout, -1 without one.
  int CurrentPage() const;
  int InstallMode() const { return installMode_; }
  const CInstallSession* Session() const { return session_.get(); }

  void Notify(uifw::Notification& n) override;

 protected:
  void InitWindow() override;
  void OnClick(uifw::Notification& n) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::unique_ptr<uifw::Control> CreateControl(std::wstring_view element) override;

  // Timer messages of the window itself: nothing to do.
  virtual LRESULT OnTimerMessage(WPARAM, LPARAM) { return 0; }
  // One engine event on the UI thread.
  virtual void OnEngineEvent(const EngineEventRecord& record);

 private:
  void CheckExistingInstall();
  void InitLanguageChoice();
  void ShowProductName();
  void OnTabSelected();
  void OnInstallFinished();
  void SelectPage(int page);
  void ShowRunningMessage();
  std::wstring DefaultFolder();
  std::wstring CustomFolder();
  bool IsSelected(uifw::CheckBox* box) const;
  void PostEngineEvent(int32_t code, double value, const wchar_t* text);

  // Controls (any may be missing).
  uifw::Control* winCtn_ = nullptr;
  uifw::TabLayout* titleTabLt_ = nullptr;
  uifw::TabLayout* mainTabLt_ = nullptr;
  uifw::Control* defaultInstallBtn_ = nullptr;
  uifw::Control* customeInstallBtn_ = nullptr;
  uifw::Control* customeBtn_ = nullptr;
  uifw::CheckBox* treatyBtn_ = nullptr;
  uifw::Control* backBtn_ = nullptr;
  uifw::CheckBox* treatyCb_ = nullptr;
  uifw::CheckBox* serviceCb_ = nullptr;
  uifw::Control* chDirBtn_ = nullptr;
  uifw::Control* installDirEdit_ = nullptr;
  uifw::Control* openProduceBtn_ = nullptr;
  uifw::Control* titleGrpCtn_ = nullptr;
  uifw::Control* progressLb_ = nullptr;
  uifw::CheckBox* createDSCb_ = nullptr;
  uifw::CheckBox* createQSCb_ = nullptr;
  uifw::Control* progressAnLb_ = nullptr;
  uifw::Control* finishedLbl_ = nullptr;
  uifw::Progress* installPrg_ = nullptr;
  uifw::Control* tipLbl_ = nullptr;
  uifw::Control* softNameLbl_ = nullptr;
  uifw::Control* installLogo_ = nullptr;
  uifw::Combo* languageCombo_ = nullptr;

  std::vector<CSequenceLabelUI*> sequenceLabels_;
  std::vector<CSequenceButtonUI*> sequenceButtons_;

  Utils::ProductLocations locations_;
  std::unique_ptr<SystemSessionEffects> effects_;
  std::unique_ptr<CInstallSession> session_;
  std::unique_ptr<CDownloadInstaller> orchestrator_;
  std::unique_ptr<Utils::Thread> netCheckThread_;
  std::wstring installedDir_;
  std::wstring uninstallEntry_;
  bool existingInstall_ = false;
  int installMode_ = 0;
  CWindowShadow shadow_;
};
