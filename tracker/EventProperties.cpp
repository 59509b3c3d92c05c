#include "tracker/EventProperties.h"

namespace velto::tracking {

void EventProperties::set(const std::string& name, PropertyValue value) {
  for (Entry& entry : entries_) {
    if (entry.first == name) {
      entry.second = std::move(value);
      return;
    }
  }
  entries_.emplace_back(name, std::move(value));
}

const PropertyValue* EventProperties::find(const std::string& name) const {
  for (const Entry& entry : entries_) {
    if (entry.first == name) return &entry.second;
  }
  return nullptr;
}

std::string EventProperties::text(const std::string& name) const {
  const PropertyValue* value = find(name);
  if (!value) return {};
  const std::string* s = std::get_if<std::string>(value);
  return s ? *s : std::string();
}

std::vector<std::string> EventProperties::names() const {
  std::vector<std::string> result;
  result.reserve(entries_.size());
  for (const Entry& entry : entries_) result.push_back(entry.first);
  return result;
}

}  // namespace velto::tracking
