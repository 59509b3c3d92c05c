#pragma once

// The tracker's one error type. Raised by validation and initialisation inside the tracker
// and swallowed by the UsageTrackerWrapper facade; never seen by the installer.

#include <exception>
#include <string>

namespace velto::tracking {

class VtException : public std::exception {
 public:
  // |function| is the tracker operation that failed ("init", "trackTask", "toString", ...).
  VtException(std::string file, std::string function, int line, std::string message);

  // The message.
  const char* what() const noexcept override { return message_.c_str(); }

  const std::string& file() const { return file_; }
  const std::string& function() const { return function_; }
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  std::string file_;
  std::string function_;
  int line_;
  std::string message_;
};

}  // namespace velto::tracking

// Raises a VtException for the named operation at this source position.
#define VT_THROW(function, message) throw ::velto::tracking::VtException(__FILE__, (function), __LINE__, (message))
