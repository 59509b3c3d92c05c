#pragma once

// Assembly of one analytics record from an operation's arguments and the SDK's identity.

#include <cstdint>
#include <optional>
#include <string>

#include "sdk/PropertiesNode.h"

namespace analytics_core {

// What one operation contributes to its record.
struct RecordRequest {
  std::string type;                            // "track", "track_signup", "profile_set", ...
  std::string event;                           // event name; empty for profile types
  const PropertiesNode* properties = nullptr;  // may be null
  std::string distinctId;
  std::string originalId;  // "track_signup" only
};

// The SDK state a record is built against, plus the clock and the record number.
struct RecordContext {
  const PropertiesNode* superProperties = nullptr;  // may be null
  bool isLoginId = false;
  int64_t nowMilliseconds = 0;
  int64_t trackId = 0;
};

// The record, or nothing when a key, the event name or the original id fails its check
// (the complaint has then been written).
std::optional<utils::ObjectNode> BuildRecord(const RecordRequest& request, const RecordContext& context);

// The record number made of two random draws and the clock: two digits of
// (first mod 99 + 100), three of (second mod 999 + 1000), the last four of the clock.
int64_t MakeTrackId(int firstRandom, int secondRandom, int64_t nowMilliseconds);

// Milliseconds since 1970-01-01 UTC.
int64_t NowMilliseconds();

}  // namespace analytics_core
