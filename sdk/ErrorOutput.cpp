#include "sdk/ErrorOutput.h"

#include <atomic>
#include <cstdio>

namespace analytics_core {

namespace {
std::atomic<ErrorSink> g_sink{nullptr};
}  // namespace

void WriteError(const std::string& text) {
  if (ErrorSink sink = g_sink.load()) {
    sink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

ErrorSink SetErrorSinkForTesting(ErrorSink sink) {
  return g_sink.exchange(sink);
}

}  // namespace analytics_core
