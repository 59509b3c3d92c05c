#include "tracker/UsageTrackerWrapper.h"

#include <cstdio>
#include <mutex>

namespace velto::tracking {

template <typename Call>
void UsageTrackerWrapper::guarded(const char* failure, Call&& call) {
  if (!impl_) return;
  try {
    call(*impl_);
  } catch (...) {
    if (impl_->getLogger()) {
      std::fputs(failure, stdout);
      std::fputs("\n", stdout);
      std::fflush(stdout);
    }
  }
}

void UsageTrackerWrapper::trackActivity(const VtContextProperties& c) {
  guarded("Failed to trackActivity", [&](UsageTrackerImpl& t) { t.trackActivity(c); });
}
void UsageTrackerWrapper::trackLaunch(const VtContextProperties& c) {
  guarded("Failed to trackLaunch", [&](UsageTrackerImpl& t) { t.trackLaunch(c); });
}
void UsageTrackerWrapper::trackLogin(const VtUserInfo& u, bool success, const std::string& reason,
                                     const VtContextProperties& c) {
  guarded("Failed to trackLogin", [&](UsageTrackerImpl& t) { t.trackLogin(u, success, reason, c); });
}
void UsageTrackerWrapper::trackClick(const VtEventClick& e, const VtContextProperties& c) {
  guarded("Failed to trackClick", [&](UsageTrackerImpl& t) { t.trackClick(e, c); });
}
void UsageTrackerWrapper::trackView(const VtEventView& e, const VtContextProperties& c) {
  guarded("Failed to trackView", [&](UsageTrackerImpl& t) { t.trackView(e, c); });
}
void UsageTrackerWrapper::trackCashier(const VtEventCashier& e, const VtContextProperties& c) {
  guarded("Failed to trackCashier", [&](UsageTrackerImpl& t) { t.trackCashier(e, c); });
}
void UsageTrackerWrapper::trackShare(const VtEventShare& e, const VtContextProperties& c) {
  guarded("Failed to trackShare", [&](UsageTrackerImpl& t) { t.trackShare(e, c); });
}
void UsageTrackerWrapper::trackTask(const VtEventTask& e, const VtContextProperties& c) {
  guarded("Failed to trackTask", [&](UsageTrackerImpl& t) { t.trackTask(e, c); });
}
void UsageTrackerWrapper::trackFile(const VtEventFile& e, const VtContextProperties& c) {
  guarded("Failed to trackFile", [&](UsageTrackerImpl& t) { t.trackFile(e, c); });
}
void UsageTrackerWrapper::trackOrder(const VtEventOrder& e, const VtContextProperties& c) {
  guarded("Failed to trackOrder", [&](UsageTrackerImpl& t) { t.trackOrder(e, c); });
}
void UsageTrackerWrapper::trackPayment(const VtEventPayment& e, const VtContextProperties& c) {
  guarded("Failed to trackPayment", [&](UsageTrackerImpl& t) { t.trackPayment(e, c); });
}
void UsageTrackerWrapper::trackUninstall(const VtEventUninstall& e, const VtContextProperties& c) {
  guarded("Failed to trackUninstall", [&](UsageTrackerImpl& t) { t.trackUninstall(e, c); });
}
void UsageTrackerWrapper::trackCrash(const std::string& reason) {
  guarded("Failed to trackCrash", [&](UsageTrackerImpl& t) { t.trackCrash(reason); });
}
void UsageTrackerWrapper::trackUpdate(const VtEventUpdate& e, const VtContextProperties& c) {
  guarded("Failed to trackUpdate", [&](UsageTrackerImpl& t) { t.trackUpdate(e, c); });
}
void UsageTrackerWrapper::trackAppOpenNotification(const VtAppOpenNotification* n, const VtContextProperties& c) {
  guarded("Failed to trackAppOpenNotification", [&](UsageTrackerImpl& t) { t.trackAppOpenNotification(n, c); });
}

void UsageTrackerWrapper::setLocale(const std::string& locale) {
  if (impl_) impl_->setLocale(locale);
}

std::string UsageTrackerWrapper::getPrimaryDistinctId() {
  return impl_ ? impl_->getPrimaryDistinctId() : std::string();
}

namespace {

std::mutex g_instanceMutex;
std::shared_ptr<UsageTracker> g_instance;

}  // namespace

void initUsageTracker(const TrackerConfig& config) {
  // The earlier tracker shuts the process-wide analytics core down: it must go before the
  // new one sets the core up.
  releaseUsageTracker();
  auto impl = std::make_unique<UsageTrackerImpl>(config, trackerEnvironment());
  try {
    impl->init();
  } catch (...) {
    // The tracker stays usable without effect.
  }
  auto wrapper = std::make_shared<UsageTrackerWrapper>(std::move(impl));
  std::lock_guard lock(g_instanceMutex);
  g_instance = std::move(wrapper);
}

void releaseUsageTracker() {
  std::shared_ptr<UsageTracker> last;
  {
    std::lock_guard lock(g_instanceMutex);
    last = std::move(g_instance);
  }
  // |last| goes here, outside the lock.
}

std::shared_ptr<UsageTracker> usageTracker() {
  std::lock_guard lock(g_instanceMutex);
  return g_instance;
}

}  // namespace velto::tracking
