#include "tests/sdk/SdkTestSupport.h"

#include <windows.h>

namespace sdk_test {

namespace {
std::mutex g_errorsLock;
std::vector<std::string> g_errors;
void Capture(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_errorsLock);
  g_errors.push_back(text);
}
}  // namespace

ErrorCapture::ErrorCapture() {
  {
    std::lock_guard<std::mutex> lock(g_errorsLock);
    g_errors.clear();
  }
  previous_ = analytics_core::SetErrorSinkForTesting(&Capture);
}

ErrorCapture::~ErrorCapture() {
  analytics_core::SetErrorSinkForTesting(previous_);
}

std::vector<std::string> ErrorCapture::Lines() const {
  std::lock_guard<std::mutex> lock(g_errorsLock);
  return g_errors;
}

std::string ErrorCapture::Text() const {
  std::string out;
  for (const std::string& line : Lines()) out += line;
  return out;
}

bool RecordingSender::Send(const std::string& body, const analytics_core::HeaderList& headers) {
  std::function<bool(const std::string&)> onSend;
  bool result = false;
  {
    std::lock_guard<std::mutex> lock(shared_->lock);
    shared_->bodies.push_back(body);
    shared_->headers.push_back(headers);
    onSend = shared_->onSend;
    result = shared_->result;
  }
  return onSend ? onSend(body) : result;
}

std::vector<std::string> SplitBatch(const std::string& body) {
  std::vector<std::string> out;
  if (body.size() < 2 || body.front() != '[' || body.back() != ']') return out;
  const std::string inner = body.substr(1, body.size() - 2);
  size_t start = 0;
  while (start < inner.size()) {
    size_t end = inner.find("},{", start);
    if (end == std::string::npos) {
      out.push_back(inner.substr(start));
      break;
    }
    out.push_back(inner.substr(start, end + 1 - start));
    start = end + 2;
  }
  return out;
}

std::string Utf8(const std::wstring& wide) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

std::string NumberedRecord(int n) {
  return "{\"n\":" + std::to_string(n) + "}";
}

}  // namespace sdk_test
