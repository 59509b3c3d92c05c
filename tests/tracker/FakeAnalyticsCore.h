#pragma once

// An analytics core that records what the tracker asks of it, for tests that check the
// tracker's own decisions (properties, identity, scheduling) without a server.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "tracker/AnalyticsCore.h"

namespace tracker_testing {

using velto::tracking::EventProperties;
using velto::tracking::ProfileOperation;

class FakeAnalyticsCore : public velto::tracking::AnalyticsCore {
 public:
  struct Tracked {
    std::string name;
    EventProperties properties;
  };
  struct Profile {
    ProfileOperation operation;
    EventProperties properties;
  };

  bool init(const std::string& stagingFolder, const std::string& serverUrl, const std::string& distinctId,
            bool isLoginId) override {
    std::lock_guard lock(mutex);
    initCalls++;
    if (!initResult) return false;
    if (!exists_) {
      exists_ = true;
      this->stagingFolder = stagingFolder;
      this->serverUrl = serverUrl;
      this->distinctId = distinctId;
      this->isLoginId = isLoginId;
    }
    return true;
  }
  bool exists() override { return exists_; }
  void track(const std::string& name, const EventProperties& properties) override {
    std::lock_guard lock(mutex);
    if (exists_) tracked.push_back({name, properties});
  }
  void trackActivity(const EventProperties& properties) override { track("VtEventActivity", properties); }
  void login(const std::string& loginId) override {
    std::lock_guard lock(mutex);
    logins.push_back(loginId);
    distinctId = loginId;
    isLoginId = true;
  }
  void profile(ProfileOperation operation, const EventProperties& properties) override {
    std::lock_guard lock(mutex);
    profiles.push_back({operation, properties});
  }
  void registerSuperProperties(const EventProperties& properties) override {
    std::lock_guard lock(mutex);
    for (const auto& [name, value] : properties.entries()) superProperties.set(name, value);
  }
  bool flush() override {
    ++flushCalls;
    return flushResult;
  }
  bool lastSendSucceeded() override { return lastSend; }
  void shutdown() override {
    std::lock_guard lock(mutex);
    exists_ = false;
    shutdowns++;
  }
  std::string toJson(const EventProperties& properties) override {
    std::string json = "{";
    for (const auto& name : properties.names()) json += "\"" + name + "\":\"" + properties.text(name) + "\",";
    if (json.size() > 1) json.pop_back();
    return json + "}";
  }

  std::vector<Tracked> trackedEvents() {
    std::lock_guard lock(mutex);
    return tracked;
  }

  std::mutex mutex;
  bool initResult = true;
  int initCalls = 0;
  std::string stagingFolder, serverUrl, distinctId;
  bool isLoginId = false;
  std::vector<Tracked> tracked;
  std::vector<std::string> logins;
  std::vector<Profile> profiles;
  EventProperties superProperties;
  std::atomic<int> flushCalls{0};
  std::atomic<bool> flushResult{false};
  std::atomic<bool> lastSend{true};
  int shutdowns = 0;

 private:
  std::atomic<bool> exists_{false};
};

}  // namespace tracker_testing
