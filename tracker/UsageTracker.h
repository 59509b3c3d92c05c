#pragma once

// The installer's typed analytics interface and its process-wide instance.
//
// initUsageTracker creates the one tracker of the process (a UsageTrackerWrapper around a
// UsageTrackerImpl); releaseUsageTracker drops it, which saves the identity, makes the last
// send attempts and shuts the analytics core down. The wrapper never lets an exception
// reach its caller.

#include <cstdint>
#include <memory>
#include <string>

#include "tracker/TrackLogger.h"
#include "tracker/VtContextProperties.h"
#include "tracker/VtEvents.h"

namespace velto::tracking {

// What the caller tells the tracker about the application (texts UTF-8).
struct TrackerConfig {
  std::string appName;       // required
  std::string appVersion;    // required
  std::string appStore;      // required
  std::string dlAppId;       // optional
  std::string dlAppVersion;  // optional
  std::string logPath;       // empty: "<data folder><appName>_VTSLog.txt"
  int32_t edition = 0;       // 0 china, 1 overseas
  std::string serverUrl;     // empty: the built-in default
};

class UsageTracker {
 public:
  virtual ~UsageTracker() = default;
  virtual void trackActivity(const VtContextProperties& context) = 0;
  virtual void trackLaunch(const VtContextProperties& context) = 0;
  virtual void trackLogin(const VtUserInfo& user, bool success, const std::string& reason,
                          const VtContextProperties& context) = 0;
  virtual void trackClick(const VtEventClick& event, const VtContextProperties& context) = 0;
  virtual void trackView(const VtEventView& event, const VtContextProperties& context) = 0;
  virtual void trackCashier(const VtEventCashier& event, const VtContextProperties& context) = 0;
  virtual void trackShare(const VtEventShare& event, const VtContextProperties& context) = 0;
  virtual void trackTask(const VtEventTask& event, const VtContextProperties& context) = 0;
  virtual void trackFile(const VtEventFile& event, const VtContextProperties& context) = 0;
  virtual void trackOrder(const VtEventOrder& event, const VtContextProperties& context) = 0;
  virtual void trackPayment(const VtEventPayment& event, const VtContextProperties& context) = 0;
  virtual void trackUninstall(const VtEventUninstall& event, const VtContextProperties& context) = 0;
  virtual void trackCrash(const std::string& reason) = 0;
  virtual void trackUpdate(const VtEventUpdate& event, const VtContextProperties& context) = 0;
  // |notification| may be null.
  virtual void trackAppOpenNotification(const VtAppOpenNotification* notification,
                                        const VtContextProperties& context) = 0;
  // Sets the locale ("en_GB") and registers it, with its language and country parts.
  virtual void setLocale(const std::string& locale) = 0;
  virtual std::string getPrimaryDistinctId() = 0;
  // The event log, or none.
  virtual TrackLogger* getLogger() = 0;
};

// Creates the process-wide tracker from |config| (releasing an earlier one first). A failed
// initialisation is dropped: the tracker exists all the same and accepts every call.
void initUsageTracker(const TrackerConfig& config);

// Drops the process-wide tracker; the last reference going releases it.
void releaseUsageTracker();

// The process-wide tracker, or none before initUsageTracker and after releaseUsageTracker.
std::shared_ptr<UsageTracker> usageTracker();

}  // namespace velto::tracking
