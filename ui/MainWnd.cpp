#include "ui/MainWnd.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "engine/DownloadInstaller.h"
#include "tracker/InstallerReporting.h"
#include "ui/LanguageChoice.h"
#include "ui/WindowLanguage.h"
#include "ui/MessageBoxWnd.h"
#include "ui/SequenceControls.h"
#include "uifw/Attributes.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/Framework.h"
#include "uifw/Combo.h"
#include "uifw/LanguageTable.h"
#include "utils/DebugLog.h"
#include "utils/DiskSpace.h"
#include "utils/Folders.h"
#include "utils/InstallerSettings.h"
#include "utils/ProductFiles.h"
#include "utils/SystemProbes.h"
#include "utils/Thread.h"

namespace {

// Posted to itself once the window runs: the installed-copy prompts need a living window.
constexpr UINT kCheckExistingMessage = WM_APP + 10;

constexpr UINT kFrontTimer = 10;
constexpr UINT kCloseTimer = 11;

constexpr wchar_t kWarmCaption[] = L"温馨提示";
constexpr wchar_t kUninstallerName[] = L"Quillora_un_asa.exe";
constexpr wchar_t kProductExeName[] = L"Quillora.exe";
// The product's name as the window shows it.
constexpr wchar_t kDisplayName[] = L"青蓝工坊";

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// "C:" of "C:\folder"; empty for a path without a drive.
std::wstring DriveOf(const std::wstring& path) {
  wchar_t drive[_MAX_DRIVE] = {};
  if (_wsplitpath_s(path.c_str(), drive, _MAX_DRIVE, nullptr, 0, nullptr, 0, nullptr, 0) != 0) return {};
  return drive;
}

}  // namespace

CMainWnd::CMainWnd() : CSkinFrame(SkinFrameInfo::ForSkinFile(L"MainWnd.xml")) {}

CMainWnd::~CMainWnd() {
  orchestrator_.reset();
  if (netCheckThread_) {
    netCheckThread_->Join();
    netCheckThread_.reset();
  }
}

std::unique_ptr<uifw::Control> CMainWnd::CreateControl(std::wstring_view element) {
  if (uifw::EqualsNoCase(element, L"SequenceButton")) {
    auto button = std::make_unique<CSequenceButtonUI>();
    sequenceButtons_.push_back(button.get());
    return button;
  }
  if (uifw::EqualsNoCase(element, L"SequenceLabel")) {
    auto label = std::make_unique<CSequenceLabelUI>();
    sequenceLabels_.push_back(label.get());
    return label;
  }
  return nullptr;
}

void CMainWnd::PostEngineEvent(int32_t code, double value, const wchar_t* text) {
  auto record = std::make_unique<EngineEventRecord>();
  record->code = code;
  record->value = value;
  record->text = text ? text : L"";
  HWND hwnd = Handle();
  if (hwnd && ::PostMessageW(hwnd, WM_ENGINE_EVENT, 0, reinterpret_cast<LPARAM>(record.get()))) {
    record.release();  // the window owns it now
  }
}

void CMainWnd::InitWindow() {
  CSkinFrame::InitWindow();
  AttachShadow(*this, shadow_);
  ApplyInstallerWindowStyles();
  HWND hwnd = Handle();

  HICON icon = ::LoadIconW(uifw::Instance(), MAKEINTRESOURCEW(145));
  if (icon) {
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }

  winCtn_ = FindControl(L"winCtn");
  titleTabLt_ = FindControlAs<uifw::TabLayout>(L"titleTabLt");
  mainTabLt_ = FindControlAs<uifw::TabLayout>(L"mainTabLt");
  defaultInstallBtn_ = FindControl(L"defaultInstallBtn");
  customeInstallBtn_ = FindControl(L"customeInstallBtn");
  customeBtn_ = FindControl(L"customeBtn");
  treatyBtn_ = FindControlAs<uifw::CheckBox>(L"treatyBtn");
  backBtn_ = FindControl(L"backBtn");
  treatyCb_ = FindControlAs<uifw::CheckBox>(L"treatyCb");
  serviceCb_ = FindControlAs<uifw::CheckBox>(L"serviceCb");
  chDirBtn_ = FindControl(L"chDirBtn");
  installDirEdit_ = FindControl(L"installDirEdit");
  openProduceBtn_ = FindControl(L"openProduceBtn");
  titleGrpCtn_ = FindControl(L"titleGrpCtn");
  progressLb_ = FindControl(L"progressLb");
  createDSCb_ = FindControlAs<uifw::CheckBox>(L"createDSCb");
  createQSCb_ = FindControlAs<uifw::CheckBox>(L"createQSCb");
  progressAnLb_ = FindControl(L"progressAnLb");
  finishedLbl_ = FindControl(L"finishedLbl");
  installPrg_ = FindControlAs<uifw::Progress>(L"installPrg");
  tipLbl_ = FindControl(L"tipLbl");
  softNameLbl_ = FindControl(L"softNameLbl");
  installLogo_ = FindControl(L"installLogo");
  languageCombo_ = FindControlAs<uifw::Combo>(L"languageCombo");

  for (CSequenceLabelUI* label : sequenceLabels_) label->Init();
  for (CSequenceButtonUI* button : sequenceButtons_) button->Init();

  if (languageCombo_) InitLanguageChoice();
  ShowProductName();

  effects_ = std::make_unique<SystemSessionEffects>(
      [this] { return orchestrator_ ? orchestrator_->PackagePath() : std::wstring(); }, hwnd);
  session_ = std::make_unique<CInstallSession>(*effects_, Utils::Settings().DownloadScale);
  if (progressLb_) session_->SetProgressFormat(progressLb_->UserData());
  orchestrator_ = std::make_unique<CDownloadInstaller>(
      [this](int32_t code, double value, const wchar_t* text) { PostEngineEvent(code, value, text); });

  locations_.ReadInstalledLocation();
  installedDir_ = locations_.InstalledDir();
  uninstallEntry_ = locations_.UninstallEntry();
  existingInstall_ = !installedDir_.empty() && FileExists(installedDir_);
  const std::wstring defaultFolder = locations_.GetDefaultInstallDir();
  if (installDirEdit_) installDirEdit_->SetText(defaultFolder);

  CenterWindow();
  if (existingInstall_) ::PostMessageW(hwnd, kCheckExistingMessage, 0, 0);
}

void CMainWnd::InitLanguageChoice() {
  const int index = language::InitialIndex(Utils::Settings().Language, ::GetUserDefaultUILanguage());
  languageCombo_->SelectItem(index, true);
  ApplyLanguage(index);
}

void CMainWnd::ApplyLanguage(int index) {
  const int resolved = language::LoadLanguageTable(index, L"");
  ReapplyLanguage();
  for (const wchar_t* name : {L"lbLanguage", L"lbInstallPath", L"backBtn"}) {
    if (auto* label = FindControlAs<uifw::Label>(name)) FitWidthToText(*label);
  }
  Utils::Settings().Language = resolved;
}

std::wstring CMainWnd::SelectedLanguageCode() const {
  return language::SelectedCode(languageCombo_);
}

void CMainWnd::ShowProductName() {
  for (const wchar_t* name : {L"softNameLbl", L"bTitleLbl1", L"bTitleLbl2", L"bTitleLbl3"}) {
    uifw::Control* control = FindControl(name);
    if (!control) continue;
    // Exactly as wide as the name, so the skin can centre it.
    if (auto* label = dynamic_cast<uifw::Label*>(control)) {
      label->SetFixedWidth(MeasureText(*label, kDisplayName).cx);
    }
    control->SetText(kDisplayName);
  }
}

void CMainWnd::CheckExistingInstall() {
  const Utils::InstallerSettings& settings = Utils::Settings();
  const int installedLanguage = language::LoadInstalledLanguage(installedDir_);
  ReapplyLanguage();
  if (languageCombo_) {
    // Selecting the index it already shows sends nothing, so apply it here in that case.
    if (languageCombo_->CurSel() == installedLanguage || !languageCombo_->SelectItem(installedLanguage, true)) {
      ApplyLanguage(installedLanguage);
    }
  }
  if (Utils::IsProcessRunning(kProductExeName)) {
    if (settings.InsNew) {
      StartInstall(installedDir_, true, true);
      return;
    }
    ShowRunningMessage();
    Close(1);
    return;
  }
  if (settings.InsNew) {
    StartInstall(installedDir_, true, true);
    return;
  }
  switch (CMessageBoxWnd::Show(Handle(), L"InstalledPathTipWnd.xml")) {
    case CMessageBoxWnd::kOk:
      StartInstall(installedDir_, true, true);
      break;
    case CMessageBoxWnd::kCancel: {
      const std::wstring exe = Utils::FileInFolder(installedDir_, kProductExeName);
      // The installed product starts from its own folder.
      ::ShellExecuteW(nullptr, L"open", exe.c_str(), nullptr, installedDir_.c_str(), SW_SHOWNORMAL);
      Close(1);
      break;
    }
    default:
      Close(1);
      break;
  }
}

void CMainWnd::ShowRunningMessage() {
  CMessageBoxWnd::Show(Handle(), L"MessageBox1Wnd.xml", kProductRunningMessage, kWarmCaption);
}

std::wstring CMainWnd::DefaultFolder() {
  return locations_.GetDefaultInstallDir();
}

std::wstring CMainWnd::CustomFolder() {
  return locations_.GetCustomInstallDir(installDirEdit_ ? installDirEdit_->Text() : std::wstring());
}

bool CMainWnd::IsSelected(uifw::CheckBox* box) const {
  return box && box->IsSelected();
}

int CMainWnd::CurrentPage() const {
  return mainTabLt_ ? mainTabLt_->CurrentSel() : -1;
}

void CMainWnd::SelectPage(int page) {
  if (mainTabLt_) SelectTab(mainTabLt_, page, true);
}

bool CMainWnd::StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut) {
  const Utils::InstallerSettings& settings = Utils::Settings();
  if (!settings.InsNew && Utils::IsProcessRunning(kUninstallerName)) {
    ShowRunningMessage();
    if (existingInstall_) Close(1);
    return false;
  }
  if (!settings.InsNew && Utils::IsProcessRunning(kProductExeName)) {
    ShowRunningMessage();
    Close(1);
    return false;
  }
  if (customeInstallBtn_) customeInstallBtn_->SetEnabled(false);

  if (!Utils::CreateDirectoryTree(folder)) {
    CMessageBoxWnd::Show(Handle(), L"MessageBox2Wnd.xml", L"无效路径", kWarmCaption);
    SendNotify(nullptr, L"install", 0);
    return false;
  }
  Utils::HardDiskManager disk;
  const std::wstring drive = DriveOf(folder);
  double gigabytes = 0;
  if (!drive.empty() && disk.CheckFreeSpace(drive)) {
    gigabytes = static_cast<double>(disk.FreeBytesAvailable()) / 1073741824.0;
  }
  if (gigabytes < 1.0) {
    const std::wstring* text = uifw::LanguageTexts().Find(104);
    CMessageBoxWnd::Show(Handle(), L"MessageBox2Wnd.xml", text ? text->c_str() : language::kLowDiskSpaceText,
                         kWarmCaption);
    SendNotify(nullptr, L"install", 0);
    return false;
  }

  session_->BeginInstall(folder);
  const std::wstring oldUninstaller = locations_.IsOverrideDisabled(folder) ? std::wstring() : uninstallEntry_;
  orchestrator_->SetParams(settings.DownloadUrl, oldUninstaller, folder, desktopShortcut, quickLaunchShortcut,
                           locations_.SessionUserIsAdmin(), locations_.ProcessIsAdmin(), SelectedLanguageCode());

  if (settings.IsCheckNet) {
    if (netCheckThread_) {
      netCheckThread_->Join();
      netCheckThread_.reset();
    }
    netCheckThread_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) {
      const HRESULT com = ::CoInitialize(nullptr);
      const uint32_t status = Utils::CheckNetwork();
      SendNotify(nullptr, L"checknet", status, 0, true);
      if (SUCCEEDED(com)) ::CoUninitialize();
    });
    netCheckThread_->Resume();
  } else {
    SendNotify(nullptr, L"install", 1);
  }
  return true;
}

void CMainWnd::OnInstallDecision(bool go) {
  if (go) {
    // A retry started from the progress page keeps the page the user first started from.
    const int page = CurrentPage();
    if (page == 0 || page == 1) installMode_ = page;
    SelectPage(2);
    ReportViewEvent({{L"AB", session_->AbValue()}});
    orchestrator_->Start();
  }
  if (customeInstallBtn_) customeInstallBtn_->SetEnabled(true);
}

void CMainWnd::OnClick(uifw::Notification& n) {
  uifw::Control* sender = n.sender;
  const std::wstring ab = session_ ? session_->AbValue() : L"IN";
  if (sender && sender == defaultInstallBtn_) {
    ReportClickEvent({{L"AB", ab}}, L"立即安装");
    if (IsSelected(treatyCb_)) {
      StartInstall(DefaultFolder(), true, true);
    } else if (tipLbl_) {
      tipLbl_->SetVisible(true);
    }
  } else if (sender && sender == customeBtn_) {
    ReportClickEvent({{L"AB", ab}}, L"自定义安装");
    SelectPage(1);
    if (customeInstallBtn_) customeInstallBtn_->SetFocus();
  } else if (sender && sender == treatyBtn_) {
    // The licence agreement has no address in this installer.
  } else if (sender && sender == backBtn_) {
    SelectPage(0);
  } else if (sender && sender == chDirBtn_) {
    const HRESULT com = ::CoInitialize(nullptr);
    BROWSEINFOW info{};
    info.hwndOwner = Handle();
    info.lpszTitle = L"选择一个文件夹";
    info.ulFlags = 0x40;  // BIF_NEWDIALOGSTYLE
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (chosen) {
      wchar_t path[MAX_PATH] = {};
      if (::SHGetPathFromIDListW(chosen, path) && installDirEdit_) installDirEdit_->SetText(path);
      ::CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
  } else if (sender && sender == customeInstallBtn_) {
    ReportClickEvent({{L"AB", ab}}, L"自定义安装_立即安装");
    StartInstall(CustomFolder(), IsSelected(createDSCb_), IsSelected(createQSCb_));
  } else if (sender && sender == openProduceBtn_) {
    ReportClickEvent({{L"AB", ab}}, L"立即体验");
    session_->OnOpenProductClicked();
    Close(1);
  } else if (sender && sender->Name() == L"closebtn") {
    if (CurrentPage() == 3) {
      Close(1);
    } else if (CMessageBoxWnd::Show(Handle(), L"ExitTipWnd.xml") == CMessageBoxWnd::kOk) {
      Close(1);
    }
  } else {
    CSkinFrame::OnClick(n);
  }
}

void CMainWnd::OnTabSelected() {
  const int page = CurrentPage();
  DLOG(L"page %d\r\n", page);
  const wchar_t* background = L"res\\mainWnd\\bg1.png";
  int titlePage = -1;
  auto* animation = dynamic_cast<CSequenceLabelUI*>(progressAnLb_);
  auto* finished = dynamic_cast<CSequenceLabelUI*>(finishedLbl_);
  switch (page) {
    case 0:
      titlePage = 1;
      break;
    case 1:
      background = L"res\\mainWnd\\bg2.png";
      titlePage = 1;
      break;
    case 2:
      background = L"res\\mainWnd\\bg3.png";
      if (animation) animation->Start();
      break;
    case 3:
      background = L"res\\mainWnd\\bg4.png";
      titlePage = 2;
      if (animation) animation->Stop();
      if (finished) finished->Start();
      break;
    default:
      titlePage = 0;
      break;
  }
  if (winCtn_) {
    winCtn_->SetBkImage(background);
    winCtn_->Invalidate();
  }
  if (titleTabLt_ && titlePage >= 0) titleTabLt_->SelectItem(titlePage, false);
  if (titleGrpCtn_) titleGrpCtn_->SetVisible(page != 2);
  if (installLogo_) installLogo_->SetVisible(page == 2);
  if (backBtn_) backBtn_->SetVisible(page == 1);
}

void CMainWnd::Notify(uifw::Notification& n) {
  if (n.type == L"selectchanged") {
    if (n.sender && n.sender == treatyCb_) {
      const bool agreed = treatyCb_->IsSelected();
      const bool both = agreed && (serviceCb_ ? serviceCb_->IsSelected() : true);
      if (treatyBtn_) treatyBtn_->Selected(agreed, true);
      if (both) {
        if (customeBtn_) customeBtn_->SetEnabled(true);
        if (tipLbl_) tipLbl_->SetVisible(false);
      } else if (customeBtn_) {
        customeBtn_->SetEnabled(false);
      }
    } else if (n.sender && n.sender == serviceCb_) {
      const bool on = serviceCb_->IsSelected();
      if (customeBtn_) customeBtn_->SetEnabled(on && IsSelected(treatyCb_));
      if (defaultInstallBtn_) defaultInstallBtn_->SetEnabled(on);
    } else if (n.sender && n.sender == treatyBtn_) {
      const bool agreed = IsSelected(treatyCb_);
      if (treatyBtn_->IsSelected() != agreed) treatyBtn_->Selected(agreed, true);
    }
  } else if (n.type == L"tabselect") {
    OnTabSelected();
  } else if (n.type == L"checknet") {
    const uint32_t status = static_cast<uint32_t>(n.wParam);
    DLOG(L"network check 0x%08X\r\n", status);
    if ((status >> 16) != 0) {
      CMessageBoxWnd::Show(Handle(), L"MessageBox2Wnd.xml", L"当前网络环境较差，请在网络通畅时进行安装", kWarmCaption);
    }
    SendNotify(nullptr, L"install", (status >> 16) == 0 ? 1 : 0);
  } else if (n.type == L"install") {
    OnInstallDecision(n.wParam != 0);
  } else if (n.type == L"itemselect" && n.sender && n.sender == languageCombo_) {
    ApplyLanguage(languageCombo_->CurSel());
  } else if (n.type == L"timer" && n.sender && n.sender == winCtn_) {
    if (n.wParam == kFrontTimer) {
      ::SetForegroundWindow(Handle());
      winCtn_->StopTimer(kFrontTimer);
    } else if (n.wParam == kCloseTimer) {
      Close(1);
      winCtn_->StopTimer(kCloseTimer);
    }
  }
  CSkinFrame::Notify(n);
}

LRESULT CMainWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // The install cannot be abandoned halfway.
      if (CurrentPage() == 2) return 0;
      break;
    case WM_DOWNLOADER_ANNOUNCED:
      if (session_) session_->OnDownloaderAnnounced();
      break;
    case WM_ENGINE_EVENT: {
      std::unique_ptr<EngineEventRecord> record(reinterpret_cast<EngineEventRecord*>(lParam));
      if (record) OnEngineEvent(*record);
      break;
    }
    case kCheckExistingMessage:
      CheckExistingInstall();
      return 0;
    case WM_TIMER:
      OnTimerMessage(wParam, lParam);
      break;
    case WM_DESTROY: {
      // Events still queued for this window go with it.
      MSG pending;
      while (::PeekMessageW(&pending, Handle(), WM_ENGINE_EVENT, WM_ENGINE_EVENT, PM_REMOVE)) {
        std::unique_ptr<EngineEventRecord> record(reinterpret_cast<EngineEventRecord*>(pending.lParam));
      }
      break;
    }
    default:
      break;
  }
  return CSkinFrame::HandleMessage(message, wParam, lParam);
}

void CMainWnd::OnEngineEvent(const EngineEventRecord& record) {
  const SessionOutcome outcome = session_->OnEngineEvent(record.code, record.value, record.text);
  switch (outcome.action) {
    case SessionAction::kNone:
      break;
    case SessionAction::kProgress:
      if (progressLb_) progressLb_->SetText(outcome.text);
      if (installPrg_) installPrg_->SetValue(outcome.percent);
      break;
    case SessionAction::kNetworkPrompt: {
      const int answer = CMessageBoxWnd::Show(Handle(), L"NetworkTipWnd.xml");
      if (answer == CMessageBoxWnd::kOk) {
        if (installMode_ == 0) {
          StartInstall(DefaultFolder(), true, true);
        } else {
          StartInstall(CustomFolder(), IsSelected(createDSCb_), IsSelected(createQSCb_));
        }
      } else if (answer == CMessageBoxWnd::kCancel && existingInstall_) {
        Close(1);
      }
      SelectPage(installMode_);
      break;
    }
    case SessionAction::kPackageMessage:
      CMessageBoxWnd::Show(Handle(), L"MessageBox1Wnd.xml", outcome.text.c_str(), L"消息");
      break;
    case SessionAction::kUninstallFailed:
      CMessageBoxWnd::Show(Handle(), L"MessageBox1Wnd.xml", outcome.text.c_str(), kWarmCaption);
      SelectPage(installMode_);
      if (existingInstall_) Close(1);
      break;
    case SessionAction::kInstallFailed:
      CMessageBoxWnd::Show(Handle(), L"MessageBox2Wnd.xml", outcome.text.c_str(), kWarmCaption);
      if (outcome.resetProgress) {
        if (progressLb_) progressLb_->SetText(kResetProgressText);
        if (installPrg_) installPrg_->SetValue(0);
      }
      SelectPage(0);
      break;
    case SessionAction::kInstallSucceeded: {
      if (installPrg_) {
        installPrg_->SetValue(100);
        if (FileExists(ResourcePath() + L"res\\mainWnd\\installPrg3.png")) {
          installPrg_->SetForeImage(L"res\\mainWnd\\installPrg3.png");
          installPrg_->Invalidate();
        }
      }
      if (softNameLbl_) {
        softNameLbl_->SetText(kDisplayName);
        softNameLbl_->SetVisible(true);
      }
      SelectPage(3);
      OnInstallFinished();
      break;
    }
  }
}

void CMainWnd::OnInstallFinished() {
  session_->FinishInstallation();
  if (!winCtn_) return;
  if (session_->TopShowDelay() != 0) winCtn_->StartTimer(kFrontTimer, session_->TopShowDelay());
  if (session_->FinishCloseDelay() != 0) {
    // Longer periods are cut to the longest timer the system keeps.
    const UINT period =
        session_->FinishCloseDelay() > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : session_->FinishCloseDelay();
    winCtn_->StartTimer(kCloseTimer, period);
  }
}
