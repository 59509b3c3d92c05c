#include "utils/Exception.h"

namespace Utils {

const char* Exception::what() const noexcept { return message_ ? message_->c_str() : "Unknown exception"; }

}  // namespace Utils
