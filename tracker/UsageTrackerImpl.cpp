#include "tracker/UsageTrackerImpl.h"

#include <windows.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "tracker/EventCatalogue.h"
#include "tracker/NativeUserTracker.h"
#include "tracker/VtException.h"
#include "utils/DebugLog.h"

#ifndef QUILLORA_ANALYTICS_URL
#define QUILLORA_ANALYTICS_URL ""
#endif

namespace velto::tracking {
namespace {

TrackerEnvironment g_environment;

// One send step at a time in the whole process.
std::timed_mutex& sendMutex() {
  static std::timed_mutex mutex;
  return mutex;
}

int64_t nowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string runningExecutablePath() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

bool folderExists(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates |folder| and its missing parents ("\" separated).
void createFolderTree(const std::string& folder) {
  if (folder.empty() || folderExists(folder)) return;
  for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1)) {
    const std::string level = folder.substr(0, at);
    if (!folderExists(level)) ::CreateDirectoryA(level.c_str(), nullptr);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
}

std::string withTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

void setTrackerEnvironmentForTesting(const TrackerEnvironment& environment) {
  g_environment = environment;
}
const TrackerEnvironment& trackerEnvironment() {
  return g_environment;
}

void runSendStep(const std::shared_ptr<SendState>& state, bool flushNow, int waitLimitMs) {
  std::unique_lock lock(sendMutex(), std::defer_lock);
  if (waitLimitMs < 0) {
    lock.lock();
  } else if (!lock.try_lock_for(std::chrono::milliseconds(waitLimitMs))) {
    return;
  }
  if (state->closed) return;
  if (!flushNow) {
    ::Sleep(1);
    ++state->pending;
    return;
  }
  for (int attempt = 0; state->pending.load() > 0 && attempt < 3; ++attempt) {
    if (state->core->flush()) {
      state->pending = 0;
      break;
    }
    ::Sleep(1);
  }
}

std::string UsageTrackerImpl::defaultServerUrl(bool debug) {
  return debug ? std::string() : QUILLORA_ANALYTICS_URL;
}

UsageTrackerImpl::Locale UsageTrackerImpl::deriveLocale(const std::string& locale) {
  Locale result;
  const size_t underscore = locale.find('_');
  if (!locale.empty() && underscore != std::string::npos) {
    result.locale = locale;
    result.language = locale.substr(0, underscore);
    result.country = locale.substr(underscore + 1);
    return result;
  }
  char language[16] = {};
  char country[16] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, 16) > 0 &&
      ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, 16) > 0) {
    result.language = language;
    result.country = country;
    result.locale = result.language + "_" + result.country;
  }
  return result;
}

UsageTrackerImpl::UsageTrackerImpl(const TrackerConfig& config, const TrackerEnvironment& environment)
    : serverUrl_(config.serverUrl),
      appName_(config.appName),
      appVersion_(config.appVersion),
      appStore_(config.appStore),
      dlAppId_(config.dlAppId),
      dlAppVersion_(config.dlAppVersion),
      edition_(config.edition),
      environment_(environment),
      core_(environment.core ? *environment.core : sdkAnalyticsCore()),
      logPath_(config.logPath),
      send_(std::make_shared<SendState>()) {
  send_->core = &core_;
}

void UsageTrackerImpl::init() {
  debug_ = false;
  if (appName_.empty()) VT_THROW("init", "appName is empty");
  if (appVersion_.empty()) VT_THROW("init", "appVersion is empty");
  if (appStore_.empty()) VT_THROW("init", "appStore is empty");
  send_->pending = 0;

  const std::string exePath = environment_.exePath.empty() ? runningExecutablePath() : environment_.exePath;
  settingsFile_ = analyticsSettingsPathFrom(handoverFilePath(exePath));

  if (!settingsFile_.empty() && settingsFile_.find_first_of("\\/") != std::string::npos) {
    dataFolder_ = settingsFile_.substr(0, settingsFile_.rfind('\\'));
    createFolderTree(dataFolder_);
  } else {
    const std::string local =
        environment_.localAppDataFolder.empty() ? localAppDataFolder() : environment_.localAppDataFolder;
    const std::string vtLocal = withTrailingBackslash(local) + "VTLocal\\";
    ::CreateDirectoryA(vtLocal.c_str(), nullptr);
    dataFolder_ = vtLocal + appName_ + "\\";
    ::CreateDirectoryA(dataFolder_.c_str(), nullptr);
    settingsFile_ = dataFolder_ + appName_ + "_VTSConfigure.ini";
  }

  if (serverUrl_.empty()) serverUrl_ = defaultServerUrl(debug_);

  loadIdentity(identity_, settingsFile_);
  renewIdentity(identity_, serverUrl_, settingsFile_);

  // The hand-over's data folder comes without a trailing backslash.
  if (logPath_.empty()) logPath_ = withTrailingBackslash(dataFolder_) + appName_ + "_VTSLog.txt";
  logger_ = std::make_unique<NativeTrackLogger>();
  logger_->open(logPath_);

  const bool loggedIn = identity_.loggedIn;
  if (!core_.init(withTrailingBackslash(dataFolder_), serverUrl_, loggedIn ? identity_.loginId : identity_.distinctId,
                  loggedIn)) {
    VT_THROW("init", "analytics_core::Sdk::Init is failed");
  }
  core_.registerSuperProperties(superProperties());
  writeUninstallInfo(settingsFile_, appStore_, appName_, appVersion_);
}

EventProperties UsageTrackerImpl::superProperties() {
  EventProperties p;
  p.set("vt_app_id", appName_);
  p.set("$app_version", appVersion_);
  p.set("$app_id", appName_);
  p.set("vt_app_store", appStore_);
  p.set("vt_edition", toString(static_cast<VtEdition>(edition_)));
  if (!dlAppId_.empty()) p.set("vt_dlapp_id", dlAppId_);
  if (!dlAppVersion_.empty()) p.set("vt_dlapp_version", dlAppVersion_);
  p.set("vt_app_platform", std::string("Windows"));
  p.set("vt_track_type", std::string("Client"));
  p.set("vt_sdk_version", std::string("3.3.8"));
  p.set("vt_sdk", std::string("WindowsCPP"));
  p.set("$os", osName());
  p.set("$os_version", osVersion());
  const Locale locale = deriveLocale(locale_);
  p.set("vt_l10n_locale", locale.locale);
  p.set("vt_l10n_language", locale.language);
  p.set("vt_l10n_country", locale.country);
  p.set("$screen_height", static_cast<int32_t>(::GetSystemMetrics(SM_CYSCREEN)));
  p.set("$screen_width", static_cast<int32_t>(::GetSystemMetrics(SM_CXSCREEN)));
  if (!identity_.loginId.empty()) p.set("vt_user_id", identity_.loginId);
  return p;
}

UsageTrackerImpl::~UsageTrackerImpl() {
  if (!settingsFile_.empty()) saveIdentity(identity_, settingsFile_);
  {
    std::lock_guard lock(sendMutex());
    for (int attempt = 0; send_->pending.load() > 0 && attempt < 3; ++attempt) {
      if (core_.flush()) send_->pending = 0;
    }
    if (core_.exists()) core_.shutdown();
    // Send threads still waiting for the mutex find the tracker gone.
    send_->closed = true;
  }
  if (logger_) logger_->close();
}

void UsageTrackerImpl::submit(VtEvent kind, const char* eventName, const EventProperties& properties) {
  core_.track(eventName, properties);
  if (debug_ && logger_) logger_->write(toString(kind), core_.toJson(properties));
}

void UsageTrackerImpl::schedule(bool flushNow, bool raisePendingFirst) {
  if (raisePendingFirst) ++send_->pending;
  if (core_.lastSendSucceeded()) {
    runSendStep(send_, flushNow);
    return;
  }
  DLOG(L"[Tracker] Sending messages asynchronously\r\n");
  std::thread([state = send_, flushNow] { runSendStep(state, flushNow); }).detach();
}

void UsageTrackerImpl::trackActivity(const VtContextProperties& context) {
  const std::string os = osName();
  const std::string version = osVersion();
  const ActivityFacts facts{appName_, appVersion_, appStore_, userAgent(os, version, is64BitSystem()), os, version};
  const EventProperties properties = activityProperties(facts, context);
  core_.trackActivity(properties);
  if (debug_ && logger_) logger_->write(toString(VtEvent::Activity), core_.toJson(properties));

  NativeUserTracker user(core_);
  const int64_t now = nowMilliseconds();
  user.ProfileUserPropertyDateTime("$first_visit_time", now);
  user.ProfileUserPropertyDateTime("vt_first_visit_date", now);
  user.ProfileUserPropertyDateTime("vt_last_visit_date", now);
  user.ProfileUserPropertyString("vt_os", os);
  user.ProfileUserPropertyString("vt_os_version", version);
  user.ProfileUserPropertyString("vt_app_store", appStore_);
  user.ProfileUserPropertyString("vt_app_platform", "Windows");
  user.ProfileUserPropertyString("vt_last_app_id", appName_);
  user.ProfileUserPropertyString("vt_last_app_version", appVersion_);
  user.ProfileUserPropertyString("$ios_install_source", kInstallSource);
  schedule(true, false);
}

void UsageTrackerImpl::trackLaunch(const VtContextProperties& context) {
  submit(VtEvent::Launch, event_names::kLaunch, launchProperties(context));
  if (identity_.loggedIn) {
    NativeUserTracker user(core_);
    const int64_t now = nowMilliseconds();
    user.ProfileUserPropertyDateTime("$first_visit_time", now);
    user.ProfileUserPropertyDateTime("vt_first_visit_date", now);
    user.ProfileUserPropertyDateTime("vt_last_visit_date", now);
  }
  schedule(true, false);
}

void UsageTrackerImpl::trackLogin(const VtUserInfo& user, bool success, const std::string& reason,
                                  const VtContextProperties& context) {
  submit(VtEvent::Login, event_names::kLogin, loginProperties(user, success, reason, context));
  if (!user.userId.empty()) {
    identity_.vipLevel = user.vipLevel;
    if (!identity_.loggedIn || identity_.loginId.empty()) {
      core_.login(user.userId);
      identity_.loggedIn = true;
      identity_.loginId = user.userId;
      identity_.distinctId = user.userId;
      EventProperties userId;
      userId.set("vt_user_id", user.userId);
      core_.registerSuperProperties(userId);
    }
    if (!settingsFile_.empty()) saveIdentity(identity_, settingsFile_);
  }
  schedule(true, false);
}

void UsageTrackerImpl::trackClick(const VtEventClick& event, const VtContextProperties& context) {
  submit(VtEvent::Click, event_names::kClick, clickProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackView(const VtEventView& event, const VtContextProperties& context) {
  submit(VtEvent::View, event_names::kView, viewProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackCashier(const VtEventCashier& event, const VtContextProperties& context) {
  submit(VtEvent::Cashier, event_names::kCashier, cashierProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackShare(const VtEventShare& event, const VtContextProperties& context) {
  submit(VtEvent::Share, event_names::kShare, shareProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackTask(const VtEventTask& event, const VtContextProperties& context) {
  submit(VtEvent::Task, event_names::kTask, taskProperties(event, context));
  schedule(false, false);
}

void UsageTrackerImpl::trackFile(const VtEventFile& event, const VtContextProperties& context) {
  submit(VtEvent::File, event_names::kFile, fileProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackOrder(const VtEventOrder& event, const VtContextProperties& context) {
  submit(VtEvent::Order, event_names::kOrder, orderProperties(event, context));
  schedule(false, true);
}

void UsageTrackerImpl::trackPayment(const VtEventPayment& event, const VtContextProperties& context) {
  submit(VtEvent::Payment, event_names::kPayment, paymentProperties(event, context));
  NativeUserTracker user(core_);
  const int64_t now = nowMilliseconds();
  user.ProfileUserPropertyNumber("vt_paid_count", int32_t{1});
  user.ProfileUserPropertyNumber("vt_consumption", static_cast<double>(event.paidAmount));
  user.ProfileUserPropertyDateTime("vt_first_paid_date", now);
  user.ProfileUserPropertyDateTime("vt_last_paid_date", now);
  if (event.result == VtResult::Success) {
    identity_.vipLevel = 1;
    if (!settingsFile_.empty()) saveIdentity(identity_, settingsFile_);
  }
  schedule(true, false);
}

void UsageTrackerImpl::trackUninstall(const VtEventUninstall& event, const VtContextProperties& context) {
  submit(VtEvent::Uninstall, event_names::kUninstall, uninstallProperties(event, context));
  schedule(true, false);
}

void UsageTrackerImpl::trackCrash(const std::string& reason) {
  submit(VtEvent::Crash, event_names::kCrash, crashProperties(reason));
  // The process ends when the crash filter returns: flush here, counting this event. A send
  // that holds the mutex (perhaps on this very thread, which crashed inside it) is waited
  // for only so long.
  ++send_->pending;
  runSendStep(send_, true, 5000);
}

void UsageTrackerImpl::trackUpdate(const VtEventUpdate& event, const VtContextProperties& context) {
  submit(VtEvent::Update, event_names::kUpdate, updateProperties(event, context));
  schedule(true, false);
}

void UsageTrackerImpl::trackAppOpenNotification(const VtAppOpenNotification* notification,
                                                const VtContextProperties& context) {
  submit(VtEvent::AppOpenNotification, event_names::kAppOpenNotification,
         appOpenNotificationProperties(notification, context));
  schedule(false, false);
}

void UsageTrackerImpl::setLocale(const std::string& locale) {
  locale_ = locale;
  const Locale derived = deriveLocale(locale_);
  EventProperties p;
  p.set("vt_l10n_locale", derived.locale);
  p.set("vt_l10n_language", derived.language);
  p.set("vt_l10n_country", derived.country);
  core_.registerSuperProperties(p);
}

}  // namespace velto::tracking
