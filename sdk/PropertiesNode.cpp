#include "sdk/PropertiesNode.h"

namespace analytics_core {

void PropertiesNode::SetObject(const std::string&, const utils::ObjectNode&) {}

}  // namespace analytics_core
