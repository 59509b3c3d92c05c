#include "tracker/VtContextProperties.h"

#include "tracker/VtException.h"

namespace velto::tracking {
namespace {

std::string overflowMessage(int32_t kind) {
  return "VtEvent[" + std::to_string(kind) + "] overflow!";
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isUpperOrDigit(char c) {
  return isUpper(c) || (c >= '0' && c <= '9');
}

}  // namespace

VtContextProperties::VtContextProperties() : registry_(8) {
  registry_.max_load_factor(1.0f);
}

VtContextProperties::~VtContextProperties() {
  // The lists point into the registry: they go first.
  for (auto& list : lists_) list.clear();
  registry_.clear();
}

void VtContextProperties::setProperty(const std::string& abValue, const std::vector<int32_t>& kinds) {
  auto value = std::make_shared<const std::string>(abValue);
  const auto [it, inserted] = registry_.emplace(kAbPropertyName, value);
  if (!inserted) VT_THROW("setProperty", std::string("Property[") + kAbPropertyName + "] already exist!");
  for (int32_t kind : kinds) {
    if (kind < 0 || kind >= kEventKindCount) VT_THROW("setProperty", overflowMessage(kind));
    lists_[static_cast<size_t>(kind)].push_back(Entry{it->second.get(), ValueKind::Text, kAbPropertyName});
  }
}

const std::vector<VtContextProperties::Entry>& VtContextProperties::getEventProperties(int32_t kind) const {
  if (kind < 0 || kind >= kEventKindCount) VT_THROW("getEventProperties", overflowMessage(kind));
  return lists_[static_cast<size_t>(kind)];
}

void VtContextProperties::addTo(EventProperties& properties, VtEvent kind) const {
  for (const Entry& entry : getEventProperties(static_cast<int32_t>(kind))) {
    properties.set(entry.name, *entry.value);
  }
}

bool VtContextProperties::isValidABValue(const std::string& value) {
  if (value.empty()) return false;
  if (value.size() >= 4) VT_THROW("isValidABValue", "value's length is great than 3.");
  if (!isUpper(value[0])) VT_THROW("isValidABValue", "First char is not in A to Z");
  if (value.size() >= 2 && !isUpperOrDigit(value[1])) {
    VT_THROW("isValidABValue", "second char is not in A to Z and 0 to 9");
  }
  if (value.size() == 3 && !isUpperOrDigit(value[2])) {
    VT_THROW("isValidABValue", "third char is not in A to Z and 0 to 9");
  }
  return true;
}

}  // namespace velto::tracking
