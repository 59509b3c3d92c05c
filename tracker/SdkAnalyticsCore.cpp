// The tracker's analytics core in the product: the process-wide analytics_core::Sdk.

#include <variant>

#include "sdk/PropertiesNode.h"
#include "sdk/RecordSender.h"
#include "sdk/Sdk.h"
#include "tracker/AnalyticsCore.h"

namespace velto::tracking {
namespace {

analytics_core::PropertiesNode toNode(const EventProperties& properties) {
  analytics_core::PropertiesNode node;
  for (const auto& [name, value] : properties.entries()) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      node.SetString(name, *text);
    } else if (const auto* number = std::get_if<double>(&value)) {
      node.SetNumber(name, *number);
    } else if (const auto* integer = std::get_if<int32_t>(&value)) {
      node.SetNumber(name, *integer);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
      node.SetBool(name, *flag);
    } else if (const auto* time = std::get_if<DateTimeValue>(&value)) {
      node.SetDateTime(name, time->seconds, time->milliseconds);
    }
  }
  return node;
}

class SdkAnalyticsCore : public AnalyticsCore {
 public:
  bool init(const std::string& stagingFolder, const std::string& serverUrl, const std::string& distinctId,
            bool isLoginId) override {
    return analytics_core::Sdk::Init(stagingFolder, serverUrl, distinctId, isLoginId);
  }
  bool exists() override { return !analytics_core::Sdk::DistinctId().empty(); }
  void track(const std::string& eventName, const EventProperties& properties) override {
    analytics_core::Sdk::Track(eventName, toNode(properties));
  }
  void trackActivity(const EventProperties& properties) override {
    analytics_core::Sdk::TrackActivityEvent(toNode(properties));
  }
  void login(const std::string& loginId) override { analytics_core::Sdk::TrackSignup(loginId); }
  void profile(ProfileOperation operation, const EventProperties& properties) override {
    switch (operation) {
      case ProfileOperation::Set:
        analytics_core::Sdk::ProfileSet(toNode(properties));
        break;
      case ProfileOperation::SetOnce:
        analytics_core::Sdk::ProfileSetOnce(toNode(properties));
        break;
      case ProfileOperation::Increment:
        analytics_core::Sdk::ProfileIncrement(toNode(properties));
        break;
      case ProfileOperation::Append:
        for (const auto& [name, value] : properties.entries()) {
          if (const auto* text = std::get_if<std::string>(&value)) analytics_core::Sdk::ProfileAppend(name, *text);
        }
        break;
    }
  }
  void registerSuperProperties(const EventProperties& properties) override {
    analytics_core::Sdk::RegisterSuperProperties(toNode(properties));
  }
  bool flush() override { return analytics_core::Sdk::Flush(); }
  bool lastSendSucceeded() override { return analytics_core::RecordSender::LastSendResult(); }
  void shutdown() override { analytics_core::Sdk::Shutdown(); }
  std::string toJson(const EventProperties& properties) override { return toNode(properties).ToJson(); }
};

}  // namespace

AnalyticsCore& sdkAnalyticsCore() {
  static SdkAnalyticsCore core;
  return core;
}

}  // namespace velto::tracking
