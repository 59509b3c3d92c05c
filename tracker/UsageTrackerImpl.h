#pragma once

// The tracker itself: identity, analytics core, super properties, event log and sends.

#include <atomic>
#include <memory>
#include <string>

#include "tracker/AnalyticsCore.h"
#include "tracker/IdentityStore.h"
#include "tracker/UsageTracker.h"

namespace velto::tracking {

// Where the tracker finds its surroundings. Empty members mean the real ones.
struct TrackerEnvironment {
  AnalyticsCore* core = nullptr;   // the process-wide SDK adapter
  std::string exePath;             // the running executable (its folder holds "Set.ini")
  std::string localAppDataFolder;  // localAppDataFolder()
};

// The environment initUsageTracker gives new trackers (tests point it at scratch folders
// and a test core; a default-constructed one restores the real surroundings).
void setTrackerEnvironmentForTesting(const TrackerEnvironment& environment);
const TrackerEnvironment& trackerEnvironment();

// The tracker's state shared with its send threads, which may outlive it.
struct SendState {
  std::atomic<int32_t> pending{0};
  AnalyticsCore* core = nullptr;
  bool closed = false;  // set under the send mutex when the tracker is released
};

class UsageTrackerImpl : public UsageTracker {
 public:
  UsageTrackerImpl(const TrackerConfig& config, const TrackerEnvironment& environment = {});
  // Saves the identity, makes up to 3 last send attempts while events are pending, shuts
  // the analytics core down and closes the log.
  ~UsageTrackerImpl() override;
  UsageTrackerImpl(const UsageTrackerImpl&) = delete;
  UsageTrackerImpl& operator=(const UsageTrackerImpl&) = delete;

  // Files, identity, analytics core and super properties. Raises VtException (function
  // "init", or "toString" for an unknown edition) on failure.
  void init();

  void trackActivity(const VtContextProperties& context) override;
  void trackLaunch(const VtContextProperties& context) override;
  void trackLogin(const VtUserInfo& user, bool success, const std::string& reason,
                  const VtContextProperties& context) override;
  void trackClick(const VtEventClick& event, const VtContextProperties& context) override;
  void trackView(const VtEventView& event, const VtContextProperties& context) override;
  void trackCashier(const VtEventCashier& event, const VtContextProperties& context) override;
  void trackShare(const VtEventShare& event, const VtContextProperties& context) override;
  void trackTask(const VtEventTask& event, const VtContextProperties& context) override;
  void trackFile(const VtEventFile& event, const VtContextProperties& context) override;
  void trackOrder(const VtEventOrder& event, const VtContextProperties& context) override;
  void trackPayment(const VtEventPayment& event, const VtContextProperties& context) override;
  void trackUninstall(const VtEventUninstall& event, const VtContextProperties& context) override;
  // Sent at once on the calling thread: a crashing process has no time for a send thread.
  void trackCrash(const std::string& reason) override;
  void trackUpdate(const VtEventUpdate& event, const VtContextProperties& context) override;
  void trackAppOpenNotification(const VtAppOpenNotification* notification, const VtContextProperties& context) override;
  void setLocale(const std::string& locale) override;
  std::string getPrimaryDistinctId() override { return identity_.primaryDistinctId; }
  TrackLogger* getLogger() override { return logger_.get(); }

  // Inspection for tests.
  const Identity& identity() const { return identity_; }
  const std::string& dataFolder() const { return dataFolder_; }
  const std::string& settingsFile() const { return settingsFile_; }
  const std::string& logPath() const { return logPath_; }
  const std::string& serverUrl() const { return serverUrl_; }
  int32_t pendingCount() const { return send_->pending.load(); }

  // The built-in analytics address (the build's QUILLORA_ANALYTICS_URL; empty by default).
  static std::string defaultServerUrl(bool debug);

  // Language and country of |locale| ("en_GB" → "en", "GB"); the system's user locale when
  // |locale| is empty or has no "_"; all empty when that is unavailable.
  struct Locale {
    std::string locale;
    std::string language;
    std::string country;
  };
  static Locale deriveLocale(const std::string& locale);

 private:
  // Hands the event to the core and, in debug mode, to the log.
  void submit(VtEvent kind, const char* eventName, const EventProperties& properties);
  // Sends now or marks pending, inline while the last send succeeded, else on a detached thread.
  void schedule(bool flushNow, bool raisePendingFirst);
  EventProperties superProperties();

  std::string serverUrl_;
  std::string appName_;
  std::string appVersion_;
  std::string appStore_;
  std::string dlAppId_;
  std::string dlAppVersion_;
  std::unique_ptr<NativeTrackLogger> logger_;
  bool debug_ = false;
  int32_t edition_ = 0;

  TrackerEnvironment environment_;
  AnalyticsCore& core_;
  Identity identity_;
  std::string logPath_;
  std::string locale_;
  std::string dataFolder_;
  std::string settingsFile_;
  std::shared_ptr<SendState> send_;
};

// Runs one send step under the process-wide send mutex (tests and send threads). With a
// |waitLimitMs| of 0 or more, gives up when the mutex is not free within that time.
void runSendStep(const std::shared_ptr<SendState>& state, bool flushNow, int waitLimitMs = -1);

}  // namespace velto::tracking
