#include "sdk/Sdk.h"

#include <cstdlib>
#include <mutex>

#include "sdk/RecordBuilder.h"
#include "sdk/RecordConsumer.h"
#include "sdk/Validation.h"

namespace analytics_core {

struct Sdk::Instance {
  Instance(const std::string& stagingFolder, std::unique_ptr<BatchSender> sender, const std::string& id, bool loginId)
      : distinctId(id), isLoginId(loginId), consumer(StagingFileIn(stagingFolder), std::move(sender)) {
    auto initial = std::make_shared<PropertiesNode>();
    initial->SetValue("$lib", utils::ValueNode::String("cpp"));
    initial->SetValue("$lib_version", utils::ValueNode::String("0.9"));
    superProperties = std::move(initial);
  }

  // Guards the identity and the super properties: records are built on one thread while
  // another may sign the user up or register properties.
  std::mutex identityLock;
  // Replaced, never changed in place, so that a record can keep a snapshot cheaply.
  std::shared_ptr<const PropertiesNode> superProperties;
  std::string distinctId;
  bool isLoginId;
  RecordConsumer consumer;
};

std::mutex Sdk::instanceLock_;
std::shared_ptr<Sdk::Instance> Sdk::instance_;

std::shared_ptr<Sdk::Instance> Sdk::Current() {
  std::lock_guard<std::mutex> lock(instanceLock_);
  return instance_;
}

bool Sdk::Init(const std::string& stagingFolder, const std::string& serverUrl, const std::string& distinctId,
               bool isLoginId) {
  if (!CheckIdentifier(distinctId, "Distinct ID")) return false;
  return Init(stagingFolder, std::make_unique<RecordSender>(serverUrl), distinctId, isLoginId);
}

bool Sdk::Init(const std::string& stagingFolder, std::unique_ptr<BatchSender> sender, const std::string& distinctId,
               bool isLoginId) {
  if (!CheckIdentifier(distinctId, "Distinct ID")) return false;
  std::lock_guard<std::mutex> lock(instanceLock_);
  if (!instance_) {
    instance_ = std::make_shared<Instance>(stagingFolder, std::move(sender), distinctId, isLoginId);
    std::srand(static_cast<unsigned>(NowMilliseconds() / 1000));
  }
  return true;
}

void Sdk::Build(const std::string& type, const std::string& event, const PropertiesNode* properties) {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return;
  RecordRequest request;
  request.type = type;
  request.event = event;
  request.properties = properties;
  std::shared_ptr<const PropertiesNode> superProperties;
  RecordContext context;
  {
    std::lock_guard<std::mutex> lock(sdk->identityLock);
    request.distinctId = sdk->distinctId;
    context.isLoginId = sdk->isLoginId;
    superProperties = sdk->superProperties;
  }
  context.superProperties = superProperties.get();
  context.nowMilliseconds = NowMilliseconds();
  const int first = std::rand();
  const int second = std::rand();
  context.trackId = MakeTrackId(first, second, context.nowMilliseconds);
  if (std::optional<utils::ObjectNode> record = BuildRecord(request, context)) sdk->consumer.AddRecord(*record);
}

void Sdk::Track(const std::string& eventName, const PropertiesNode& properties) {
  Build("track", eventName, &properties);
}

void Sdk::TrackLaunchEvent() {
  Build("track", "VtEventLaunch", nullptr);
}

void Sdk::TrackActivityEvent(const PropertiesNode& properties) {
  PropertiesNode merged;
  merged.SetValue("$ios_install_source", utils::ValueNode::String(""));
  merged.Merge(properties);
  Build("track", "VtEventActivity", &merged);
}

void Sdk::TrackSignup(const std::string& loginId) {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return;
  // An unusable login id would become the identity of every later record.
  if (!CheckIdentifier(loginId, "Distinct ID")) return;
  RecordRequest request;
  request.type = "track_signup";
  request.event = "$SignUp";
  request.distinctId = loginId;
  std::shared_ptr<const PropertiesNode> superProperties;
  RecordContext context;
  {
    // Identity read and changed in one step, so that no record falls between the two.
    std::lock_guard<std::mutex> lock(sdk->identityLock);
    request.originalId = sdk->distinctId;
    context.isLoginId = sdk->isLoginId;
    superProperties = sdk->superProperties;
    sdk->distinctId = loginId;
    sdk->isLoginId = true;
  }
  context.superProperties = superProperties.get();
  context.nowMilliseconds = NowMilliseconds();
  const int first = std::rand();
  const int second = std::rand();
  context.trackId = MakeTrackId(first, second, context.nowMilliseconds);
  if (std::optional<utils::ObjectNode> record = BuildRecord(request, context)) sdk->consumer.AddRecord(*record);
}

namespace {
template <typename T>
PropertiesNode OneEntry(const std::string& key, const T& value) {
  PropertiesNode node;
  node.SetNumber(key, value);
  return node;
}
PropertiesNode OneString(const std::string& key, const std::string& value) {
  PropertiesNode node;
  node.SetString(key, value);
  return node;
}
}  // namespace

void Sdk::ProfileSet(const PropertiesNode& properties) {
  Build("profile_set", "", &properties);
}
void Sdk::ProfileSet(const std::string& key, const std::string& value) {
  const PropertiesNode node = OneString(key, value);
  ProfileSet(node);
}
void Sdk::ProfileSet(const std::string& key, int32_t value) {
  ProfileSet(OneEntry(key, value));
}
void Sdk::ProfileSet(const std::string& key, double value) {
  ProfileSet(OneEntry(key, value));
}

void Sdk::ProfileSetOnce(const PropertiesNode& properties) {
  Build("profile_set_once", "", &properties);
}
void Sdk::ProfileSetOnce(const std::string& key, const std::string& value) {
  const PropertiesNode node = OneString(key, value);
  ProfileSetOnce(node);
}
void Sdk::ProfileSetOnce(const std::string& key, int32_t value) {
  ProfileSetOnce(OneEntry(key, value));
}
void Sdk::ProfileSetOnce(const std::string& key, double value) {
  ProfileSetOnce(OneEntry(key, value));
}

void Sdk::ProfileIncrement(const PropertiesNode& properties) {
  Build("profile_increment", "", &properties);
}
void Sdk::ProfileIncrement(const std::string& key, int32_t value) {
  ProfileIncrement(OneEntry(key, value));
}

void Sdk::ProfileAppend(const std::string& key, const std::string& value) {
  PropertiesNode node;
  node.SetList(key, {value});
  Build("profile_append", "", &node);
}

void Sdk::RegisterSuperProperties(const PropertiesNode& properties) {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return;
  std::lock_guard<std::mutex> lock(sdk->identityLock);
  auto merged = std::make_shared<PropertiesNode>(*sdk->superProperties);
  merged->Merge(properties);
  sdk->superProperties = std::move(merged);
}

bool Sdk::Flush() {
  const std::shared_ptr<Instance> sdk = Current();
  return sdk && sdk->consumer.FlushAll();
}

void Sdk::Shutdown() {
  std::shared_ptr<Instance> sdk;
  {
    std::lock_guard<std::mutex> lock(instanceLock_);
    sdk = std::move(instance_);
    instance_ = nullptr;
  }
  if (sdk) sdk->consumer.Close();
}

std::string Sdk::DistinctId() {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return {};
  std::lock_guard<std::mutex> lock(sdk->identityLock);
  return sdk->distinctId;
}

bool Sdk::IsLoginId() {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return false;
  std::lock_guard<std::mutex> lock(sdk->identityLock);
  return sdk->isLoginId;
}

std::vector<std::string> Sdk::QueuedRecords() {
  const std::shared_ptr<Instance> sdk = Current();
  if (!sdk) return {};
  const std::deque<std::string> records = sdk->consumer.Records();
  return {records.begin(), records.end()};
}

}  // namespace analytics_core
