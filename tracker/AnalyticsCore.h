#pragma once

// The tracker's view of the analytics SDK core: the operations it calls, with the
// tracker's property sets. The product uses the process-wide analytics_core::Sdk through
// sdkAnalyticsCore(); tests may hand the tracker another implementation.

#include <string>

#include "tracker/EventProperties.h"

namespace velto::tracking {

// The four profile operations of the core.
enum class ProfileOperation { Set, SetOnce, Increment, Append };

class AnalyticsCore {
 public:
  virtual ~AnalyticsCore() = default;

  // Creates the core's instance (a second call keeps the first identity). False when the
  // core refuses the identity.
  virtual bool init(const std::string& stagingFolder, const std::string& serverUrl, const std::string& distinctId,
                    bool isLoginId) = 0;
  // True while an instance exists.
  virtual bool exists() = 0;
  // One "track" record; nothing without an instance.
  virtual void track(const std::string& eventName, const EventProperties& properties) = 0;
  // The activity record ("VtEventActivity").
  virtual void trackActivity(const EventProperties& properties) = 0;
  // Signs |loginId| up: the core's distinct id becomes it, flagged as a login id.
  virtual void login(const std::string& loginId) = 0;
  // One profile record. Append takes the text of the single property.
  virtual void profile(ProfileOperation operation, const EventProperties& properties) = 0;
  // Merges |properties| into the properties sent with every event.
  virtual void registerSuperProperties(const EventProperties& properties) = 0;
  // Sends everything queued; true when the queue became empty.
  virtual bool flush() = 0;
  // Whether the latest send succeeded (false before any).
  virtual bool lastSendSucceeded() = 0;
  // Closes and destroys the instance.
  virtual void shutdown() = 0;
  // The core's JSON text of |properties| (for the tracker's event log).
  virtual std::string toJson(const EventProperties& properties) = 0;
};

// The adapter over the process-wide analytics_core::Sdk.
AnalyticsCore& sdkAnalyticsCore();

}  // namespace velto::tracking
