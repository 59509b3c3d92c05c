#pragma once

// The facade callers hold: forwards every operation to the tracker it owns and swallows
// whatever the tracker throws, printing the operation's "Failed to ..." line to the
// standard output when the tracker has a log.

#include <memory>

#include "tracker/UsageTrackerImpl.h"

namespace velto::tracking {

class UsageTrackerWrapper : public UsageTracker {
 public:
  // |impl| may be none: every operation then does nothing.
  explicit UsageTrackerWrapper(std::unique_ptr<UsageTrackerImpl> impl) : impl_(std::move(impl)) {}

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
  void trackCrash(const std::string& reason) override;
  void trackUpdate(const VtEventUpdate& event, const VtContextProperties& context) override;
  void trackAppOpenNotification(const VtAppOpenNotification* notification, const VtContextProperties& context) override;
  // Not guarded.
  void setLocale(const std::string& locale) override;
  // Empty without a tracker.
  std::string getPrimaryDistinctId() override;
  // Always none.
  TrackLogger* getLogger() override { return nullptr; }

  UsageTrackerImpl* impl() const { return impl_.get(); }

 private:
  template <typename Call>
  void guarded(const char* failure, Call&& call);

  std::unique_ptr<UsageTrackerImpl> impl_;
};

}  // namespace velto::tracking
