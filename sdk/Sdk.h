#pragma once

// The process-wide analytics SDK instance: identity, super properties and the record queue.
// Every operation is class-level and does nothing (false where there is a result) before
// Init or after Shutdown. Safe to call from any thread.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/PropertiesNode.h"
#include "sdk/RecordSender.h"

namespace analytics_core {

class RecordConsumer;

class Sdk {
 public:
  // Creates the instance unless one exists (which stays unchanged). |stagingFolder| is the
  // folder that holds the staging file of unsent records (UTF-8; empty for none). False
  // when |distinctId| is empty or longer than 255 bytes.
  static bool Init(const std::string& stagingFolder, const std::string& serverUrl, const std::string& distinctId,
                   bool isLoginId);
  // As above with a transport of the caller's choosing instead of a RecordSender.
  static bool Init(const std::string& stagingFolder, std::unique_ptr<BatchSender> sender, const std::string& distinctId,
                   bool isLoginId);

  // Event records ("track").
  static void Track(const std::string& eventName, const PropertiesNode& properties);
  static void TrackLaunchEvent();
  static void TrackActivityEvent(const PropertiesNode& properties);
  // A "track_signup" record; afterwards |loginId| is the distinct id and a login id.
  static void TrackSignup(const std::string& loginId);

  // Profile records for the current distinct id.
  static void ProfileSet(const PropertiesNode& properties);
  static void ProfileSet(const std::string& key, const std::string& value);
  static void ProfileSet(const std::string& key, int32_t value);
  static void ProfileSet(const std::string& key, double value);
  static void ProfileSetOnce(const PropertiesNode& properties);
  static void ProfileSetOnce(const std::string& key, const std::string& value);
  static void ProfileSetOnce(const std::string& key, int32_t value);
  static void ProfileSetOnce(const std::string& key, double value);
  static void ProfileIncrement(const PropertiesNode& properties);
  static void ProfileIncrement(const std::string& key, int32_t value);
  static void ProfileAppend(const std::string& key, const std::string& value);

  // Merges |properties| into the properties of every later event record.
  static void RegisterSuperProperties(const PropertiesNode& properties);

  // Sends queued records until the queue is empty (true) or a send fails (false).
  static bool Flush();

  // Writes unsent records to the staging file and destroys the instance.
  static void Shutdown();

  // The current identity; empty and false without an instance.
  static std::string DistinctId();
  static bool IsLoginId();
  // The queued record texts, oldest first (for diagnostics and tests).
  static std::vector<std::string> QueuedRecords();

 private:
  struct Instance;
  static std::shared_ptr<Instance> Current();
  // Guards instance_; operations hold their own reference while they run, so a Shutdown
  // on another thread never pulls the instance from under them.
  static std::mutex instanceLock_;
  static std::shared_ptr<Instance> instance_;
  static void Build(const std::string& type, const std::string& event, const PropertiesNode* properties);
};

}  // namespace analytics_core
