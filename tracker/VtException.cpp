#include "tracker/VtException.h"

#include <utility>

namespace velto::tracking {

VtException::VtException(std::string file, std::string function, int line, std::string message)
    : file_(std::move(file)), function_(std::move(function)), line_(line), message_(std::move(message)) {}

}  // namespace velto::tracking
