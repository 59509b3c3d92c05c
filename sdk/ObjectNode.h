#pragma once

// An ordered map of property values (keys compared byte by byte) with its JSON text.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sdk/ValueNode.h"

namespace analytics_core::utils {

class ObjectNode {
 public:
  using Map = std::map<std::string, ValueNode>;

  ObjectNode() = default;
  ObjectNode(const ObjectNode&) = default;
  ObjectNode& operator=(const ObjectNode&) = default;
  ObjectNode(ObjectNode&&) = default;
  ObjectNode& operator=(ObjectNode&&) = default;
  virtual ~ObjectNode() = default;

  // Every setter replaces the value of an existing key.
  void SetNumber(const std::string& key, double value);
  // Stores an INT value.
  void SetNumber(const std::string& key, int32_t value);
  // Refused (false, with a complaint) when longer than 8192 bytes or not valid UTF-8.
  bool SetString(const std::string& key, const std::string& value);
  void SetBool(const std::string& key, bool value);
  void SetList(const std::string& key, const std::vector<std::string>& values);
  void SetDateTime(const std::string& key, int64_t seconds, int milliseconds);
  // Stores a nested object (a copy of |value|).
  virtual void SetObject(const std::string& key, const ObjectNode& value);
  // Stores any value without checks (record assembly).
  void SetValue(const std::string& key, ValueNode value);
  // Copies every entry of |other|, replacing equal keys.
  void Merge(const ObjectNode& other);

  // The value of |key|, or nullptr.
  const ValueNode* Find(const std::string& key) const;
  // Removes |key| if present.
  void Remove(const std::string& key);

  const Map& Entries() const { return entries_; }
  bool Empty() const { return entries_.empty(); }

  // "{" + "\"key\":value" in key order, separated by "," + "}"; keys are not escaped.
  std::string ToJson() const;
  void AppendJson(std::string& out) const;

 private:
  Map entries_;
};

}  // namespace analytics_core::utils
