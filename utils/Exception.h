#pragma once

// The error type thrown by the pipe and child-process helpers; the runners that use them
// catch it as a std::exception.

#include <exception>
#include <optional>
#include <string>

namespace Utils {

class Exception : public std::exception {
 public:
  Exception() = default;
  explicit Exception(std::string message) : message_(std::move(message)) {}
  ~Exception() override = default;

  // The message, or "Unknown exception" when there is none.
  const char* what() const noexcept override;

 private:
  std::optional<std::string> message_;
};

}  // namespace Utils
