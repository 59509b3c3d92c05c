#pragma once

// Helpers shared by the SDK core tests: a capture of the SDK's complaints and a transport
// that keeps the batches it is given.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/ErrorOutput.h"
#include "sdk/RecordSender.h"

namespace sdk_test {

// Collects every complaint written while it lives (instead of the standard error stream).
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  std::vector<std::string> Lines() const;
  // All complaints joined.
  std::string Text() const;

 private:
  analytics_core::ErrorSink previous_;
};

// Keeps each batch body and header list, and answers with |result| (or runs |onSend|).
struct RecordingSender : analytics_core::BatchSender {
  struct Shared {
    std::mutex lock;
    std::vector<std::string> bodies;
    std::vector<analytics_core::HeaderList> headers;
    bool result = true;
    std::function<bool(const std::string&)> onSend;  // when set, decides the result
  };
  explicit RecordingSender(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  bool Send(const std::string& body, const analytics_core::HeaderList& headers) override;

  std::shared_ptr<Shared> shared_;
};

// The record texts of a batch body "[r1,r2,...]" (records are objects without a "},{" of
// their own in the tests that use this).
std::vector<std::string> SplitBatch(const std::string& body);

// A Windows path as the UTF-8 text the SDK takes.
std::string Utf8(const std::wstring& wide);

// A record text that is valid JSON and distinct for each |n|.
std::string NumberedRecord(int n);

}  // namespace sdk_test
