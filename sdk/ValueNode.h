#pragma once

// One typed property value and its JSON text.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace analytics_core::utils {

class ObjectNode;

// A point in time: seconds since 1970-01-01 UTC and milliseconds 0 to 999.
struct DateTime {
  int64_t seconds = 0;
  int milliseconds = 0;
};

class ValueNode {
 public:
  // The type codes, in the order of the payload alternatives below.
  enum Type { NUMBER = 0, INT = 1, STRING = 2, LIST = 3, DATETIME = 4, BOOL = 5, OBJECT = 6 };

  static ValueNode Number(double value);
  static ValueNode Int(int64_t value);
  static ValueNode String(std::string value);
  static ValueNode List(std::vector<std::string> values);
  static ValueNode Time(int64_t seconds, int milliseconds);
  static ValueNode Bool(bool value);
  // Stores a copy of |object|.
  static ValueNode Object(const ObjectNode& object);
  static ValueNode Object(ObjectNode&& object);

  Type GetType() const { return static_cast<Type>(payload_.index()); }

  // Payload accessors; each must only be called for its own type.
  double AsNumber() const { return std::get<NUMBER>(payload_); }
  int64_t AsInt() const { return std::get<INT>(payload_); }
  const std::string& AsString() const { return std::get<STRING>(payload_); }
  const std::vector<std::string>& AsList() const { return std::get<LIST>(payload_); }
  const DateTime& AsDateTime() const { return std::get<DATETIME>(payload_); }
  bool AsBool() const { return std::get<BOOL>(payload_); }
  const ObjectNode& AsObject() const { return *std::get<OBJECT>(payload_); }

  // Appends the value's JSON text to |out|.
  void AppendJson(std::string& out) const;

 private:
  using Payload = std::variant<double, int64_t, std::string, std::vector<std::string>, DateTime, bool,
                               std::shared_ptr<const ObjectNode>>;
  explicit ValueNode(Payload payload) : payload_(std::move(payload)) {}

  Payload payload_;
};

// Appends |text| as a quoted JSON string: the named control characters, quote and
// backslash escaped, every other byte copied.
void AppendQuoted(std::string& out, const std::string& text);

// The "%g" text of a number (6 significant digits).
std::string FormatNumber(double value);

// The local time of |time| as "YYYY-MM-DD hh:mm:ss.mmm" (without quotes).
std::string FormatLocalTime(const DateTime& time);

}  // namespace analytics_core::utils
