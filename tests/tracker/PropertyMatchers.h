#pragma once

// Exact comparison of a tracker property set with an expected list of entries.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "tracker/EventProperties.h"
#include "tracker/VtException.h"

namespace tracker_testing {

using velto::tracking::EventProperties;
using velto::tracking::PropertyValue;

inline std::string Describe(const PropertyValue& v) {
  if (auto s = std::get_if<std::string>(&v)) return "\"" + *s + "\"";
  if (auto d = std::get_if<double>(&v)) return "double " + std::to_string(*d);
  if (auto i = std::get_if<int32_t>(&v)) return "int " + std::to_string(*i);
  if (auto b = std::get_if<bool>(&v)) return *b ? "true" : "false";
  const auto& t = std::get<velto::tracking::DateTimeValue>(v);
  return "time " + std::to_string(t.seconds) + "." + std::to_string(t.milliseconds);
}

inline std::string Describe(const EventProperties& p) {
  std::string out;
  for (const auto& [name, value] : p.entries()) out += name + "=" + Describe(value) + "; ";
  return out;
}

// Same names, same order, same types and values.
inline void ExpectProperties(const EventProperties& actual, std::initializer_list<EventProperties::Entry> expected) {
  EventProperties want;
  for (const auto& entry : expected) want.set(entry.first, entry.second);
  EXPECT_EQ(Describe(actual), Describe(want));
}

// Runs |call| and returns the VtException's function and message ("" when nothing is thrown).
template <typename Call>
std::string ThrownMessage(Call&& call, std::string* function = nullptr) {
  try {
    call();
  } catch (const velto::tracking::VtException& e) {
    if (function) *function = e.function();
    return e.what();
  }
  return "";
}

}  // namespace tracker_testing
