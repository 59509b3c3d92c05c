#pragma once

// The properties of one event or profile change: an ObjectNode that never nests objects.

#include "sdk/ObjectNode.h"

namespace analytics_core {

class PropertiesNode : public utils::ObjectNode {
 public:
  // Event properties stay flat: nested objects are ignored.
  void SetObject(const std::string& key, const utils::ObjectNode& value) override;
};

}  // namespace analytics_core
