#include "sdk/ObjectNode.h"

#include "sdk/Validation.h"

namespace analytics_core::utils {

void ObjectNode::SetNumber(const std::string& key, double value) {
  SetValue(key, ValueNode::Number(value));
}

void ObjectNode::SetNumber(const std::string& key, int32_t value) {
  SetValue(key, ValueNode::Int(value));
}

bool ObjectNode::SetString(const std::string& key, const std::string& value) {
  if (!CheckStringValue(key, value)) return false;
  SetValue(key, ValueNode::String(value));
  return true;
}

void ObjectNode::SetBool(const std::string& key, bool value) {
  SetValue(key, ValueNode::Bool(value));
}

void ObjectNode::SetList(const std::string& key, const std::vector<std::string>& values) {
  SetValue(key, ValueNode::List(values));
}

void ObjectNode::SetDateTime(const std::string& key, int64_t seconds, int milliseconds) {
  SetValue(key, ValueNode::Time(seconds, milliseconds));
}

void ObjectNode::SetObject(const std::string& key, const ObjectNode& value) {
  SetValue(key, ValueNode::Object(value));
}

void ObjectNode::SetValue(const std::string& key, ValueNode value) {
  entries_.insert_or_assign(key, std::move(value));
}

void ObjectNode::Merge(const ObjectNode& other) {
  for (const auto& [key, value] : other.entries_) entries_.insert_or_assign(key, value);
}

const ValueNode* ObjectNode::Find(const std::string& key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

void ObjectNode::Remove(const std::string& key) {
  entries_.erase(key);
}

std::string ObjectNode::ToJson() const {
  std::string out;
  AppendJson(out);
  return out;
}

void ObjectNode::AppendJson(std::string& out) const {
  out += '{';
  bool first = true;
  for (const auto& [key, value] : entries_) {
    if (!first) out += ',';
    first = false;
    out += '"';
    out += key;
    out += "\":";
    value.AppendJson(out);
  }
  out += '}';
}

}  // namespace analytics_core::utils
