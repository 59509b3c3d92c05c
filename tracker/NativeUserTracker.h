#pragma once

// User-profile properties: each known name has one update rule (set once, increment, set,
// append), and the typed functions apply it through the analytics core's profile
// operations. Used by the Activity, Launch and Payment track operations.

#include <cstdint>
#include <string>

#include "tracker/AnalyticsCore.h"

namespace velto::tracking {

class NativeUserTracker {
 public:
  enum Rule : int32_t { None = 0, SetOnce = 1, Increment = 2, Set = 3, Append = 4 };

  explicit NativeUserTracker(AnalyticsCore& core) : core_(core) {}

  // The rule of |name| (None for a name without one).
  static Rule ruleOf(const std::string& name);

  // Date-time values of at least 157789440000 are milliseconds since 1970; smaller ones are
  // seconds (with 0 milliseconds).
  static DateTimeValue toDateTime(int64_t value);

  // Each raises VtException (function = its own name) when the rule does not fit the value
  // type or the name has no rule.
  void ProfileUserPropertyString(const std::string& name, const std::string& value);
  void ProfileUserPropertyNumber(const std::string& name, int32_t value);
  void ProfileUserPropertyNumber(const std::string& name, double value);
  void ProfileUserPropertyDateTime(const std::string& name, int64_t value);

 private:
  template <typename T>
  void apply(const char* function, const std::string& name, const T& value, bool canIncrement, bool canAppend);

  AnalyticsCore& core_;
};

}  // namespace velto::tracking
