#pragma once

// What each track operation sends: its checks and its property set, as pure functions.
// Every builder raises VtException (function = the track operation's name) on a failed
// check or an unknown enumeration value, before anything is sent. Each result already
// holds "$is_first_time" where the kind sends it and the context entries of its kind.

#include <string>

#include "tracker/EventProperties.h"
#include "tracker/VtContextProperties.h"
#include "tracker/VtEvents.h"

namespace velto::tracking {

// Event names given to the analytics core.
namespace event_names {
inline constexpr char kActivity[] = "VtEventActivity";
inline constexpr char kLaunch[] = "VtEventLaunch";
inline constexpr char kLogin[] = "VtEventLogin";
inline constexpr char kClick[] = "VtEventClick";
inline constexpr char kView[] = "VtEventView";
inline constexpr char kCashier[] = "VtEventCashier";
inline constexpr char kShare[] = "VtEventShare";
inline constexpr char kTask[] = "VtEventTask";
inline constexpr char kFile[] = "VtEventFile";
inline constexpr char kOrder[] = "VtEventOrder";
inline constexpr char kPayment[] = "VtEventPayment";
inline constexpr char kUninstall[] = "VtEventUninstall";
inline constexpr char kUpdate[] = "VtEventUpdate";
inline constexpr char kCrash[] = "AppCrashed";
inline constexpr char kAppOpenNotification[] = "AppOpenNotification";
}  // namespace event_names

// The fixed install-source text of the Activity event and profile.
inline constexpr char kInstallSource[] = "android_id=123##imei=1234##mac=123";

// What the Activity event says about the application and the system.
struct ActivityFacts {
  std::string appName;
  std::string appVersion;
  std::string appStore;
  std::string userAgent;
  std::string osName;
  std::string osVersion;
};

EventProperties activityProperties(const ActivityFacts& facts, const VtContextProperties& context);
EventProperties launchProperties(const VtContextProperties& context);
EventProperties loginProperties(const VtUserInfo& user, bool success, const std::string& reason,
                                const VtContextProperties& context);
EventProperties clickProperties(const VtEventClick& event, const VtContextProperties& context);
EventProperties viewProperties(const VtEventView& event, const VtContextProperties& context);
EventProperties cashierProperties(const VtEventCashier& event, const VtContextProperties& context);
EventProperties shareProperties(const VtEventShare& event, const VtContextProperties& context);
EventProperties taskProperties(const VtEventTask& event, const VtContextProperties& context);
EventProperties fileProperties(const VtEventFile& event, const VtContextProperties& context);
EventProperties orderProperties(const VtEventOrder& event, const VtContextProperties& context);
EventProperties paymentProperties(const VtEventPayment& event, const VtContextProperties& context);
EventProperties uninstallProperties(const VtEventUninstall& event, const VtContextProperties& context);
EventProperties crashProperties(const std::string& reason);
EventProperties updateProperties(const VtEventUpdate& event, const VtContextProperties& context);
// |notification| may be null (raises "&appOpenNotification is nullptr").
EventProperties appOpenNotificationProperties(const VtAppOpenNotification* notification,
                                              const VtContextProperties& context);

}  // namespace velto::tracking
