#pragma once

// Where the SDK core writes its complaints: the process's standard error stream, unless a
// test has put a sink of its own in place.

#include <string>

namespace analytics_core {

// Receives one complaint exactly as written (line ends included where the text has them).
using ErrorSink = void (*)(const std::string& text);

// Writes |text| to the standard error stream (or the test sink).
void WriteError(const std::string& text);

// Replaces the destination of WriteError; nullptr restores the standard error stream.
// Returns the previous sink.
ErrorSink SetErrorSinkForTesting(ErrorSink sink);

}  // namespace analytics_core
