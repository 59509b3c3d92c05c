#include "sdk/RecordBuilder.h"

#include <windows.h>

#include "sdk/ErrorOutput.h"
#include "sdk/Validation.h"

namespace analytics_core {

namespace {

constexpr char kLibName[] = "cpp";
constexpr char kLibVersion[] = "0.9";

bool CheckPropertyKeys(const PropertiesNode* properties) {
  if (!properties) return true;
  for (const auto& [key, value] : properties->Entries()) {
    if (!CheckName(key, "Property Key")) return false;
    if (key == "$time" && value.GetType() != utils::ValueNode::DATETIME) {
      WriteError("The property '$time' should be DateTime type.");
      return false;
    }
    if (key == "$project" && value.GetType() != utils::ValueNode::STRING) {
      WriteError("The property '$project' should be String type.");
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<utils::ObjectNode> BuildRecord(const RecordRequest& request, const RecordContext& context) {
  if (!CheckPropertyKeys(request.properties)) return std::nullopt;
  if (request.type == "track" && !CheckName(request.event, "Event Name")) return std::nullopt;
  if (request.type == "track_signup" && !CheckIdentifier(request.originalId, "Original ID")) return std::nullopt;

  PropertiesNode properties;
  const bool isTrack = request.type.find("track") != std::string::npos;
  if (isTrack && context.superProperties) properties.Merge(*context.superProperties);
  if (request.properties) properties.Merge(*request.properties);

  int64_t time = context.nowMilliseconds;
  if (const utils::ValueNode* given = properties.Find("$time")) {
    time = given->AsDateTime().seconds * 1000 + given->AsDateTime().milliseconds;
    properties.Remove("$time");
  }
  std::string project;
  if (const utils::ValueNode* given = properties.Find("$project")) {
    // A super property "$project" of another type is not checked above: only a text counts.
    if (given->GetType() == utils::ValueNode::STRING) project = given->AsString();
    properties.Remove("$project");
  }
  if (context.isLoginId) properties.SetBool("$is_login_id", true);

  utils::ObjectNode lib;
  lib.SetValue("$lib", utils::ValueNode::String(kLibName));
  lib.SetValue("$lib_method", utils::ValueNode::String("code"));
  lib.SetValue("$lib_version", utils::ValueNode::String(kLibVersion));

  utils::ObjectNode record;
  record.SetValue("_track_id", utils::ValueNode::Int(context.trackId));
  record.SetValue("distinct_id", utils::ValueNode::String(request.distinctId));
  if (isTrack) record.SetValue("event", utils::ValueNode::String(request.event));
  record.SetValue("lib", utils::ValueNode::Object(std::move(lib)));
  if (request.type == "track_signup") record.SetValue("original_id", utils::ValueNode::String(request.originalId));
  if (!project.empty()) record.SetValue("project", utils::ValueNode::String(project));
  record.SetValue("properties", utils::ValueNode::Object(std::move(properties)));
  record.SetValue("time", utils::ValueNode::Int(time));
  record.SetValue("type", utils::ValueNode::String(request.type));
  return record;
}

int64_t MakeTrackId(int firstRandom, int secondRandom, int64_t nowMilliseconds) {
  const int64_t two = (firstRandom % 99 + 100) % 100;
  const int64_t three = (secondRandom % 999 + 1000) % 1000;
  int64_t four = nowMilliseconds % 10000;
  if (four < 0) four = -four;
  return two * 10000000 + three * 10000 + four;
}

int64_t NowMilliseconds() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000) - 11644473600000LL;
}

}  // namespace analytics_core
