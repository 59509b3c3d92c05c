#pragma once

// The property set of one event or profile change as the tracker builds it: typed values
// in the order they were added. The SDK adapter turns it into the analytics core's own
// property map (which orders keys itself).

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace velto::tracking {

// A point in time: seconds since 1970-01-01 UTC and milliseconds 0 to 999.
struct DateTimeValue {
  int64_t seconds = 0;
  int milliseconds = 0;
  bool operator==(const DateTimeValue&) const = default;
};

// Text (UTF-8), JSON number, JSON integer, flag or date-time.
using PropertyValue = std::variant<std::string, double, int32_t, bool, DateTimeValue>;

class EventProperties {
 public:
  using Entry = std::pair<std::string, PropertyValue>;

  // Adds |name| at the end, or replaces its value in place when it is already there.
  void set(const std::string& name, PropertyValue value);

  // The value of |name|, or nullptr.
  const PropertyValue* find(const std::string& name) const;
  bool has(const std::string& name) const { return find(name) != nullptr; }

  // Convenience readers for tests and logs; empty / 0 when absent or of another type.
  std::string text(const std::string& name) const;

  // Names in the order they were first added.
  std::vector<std::string> names() const;

  const std::vector<Entry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace velto::tracking
