#pragma once

// Status lines on standard output for the program that runs us: "Key=value\n", UTF-8
// once "Encode=UTF8" has been announced. Each line is one unbuffered write, so the reader
// sees it as soon as it is written.

#include <windows.h>

#include <string_view>

namespace demo {

class ProtocolWriter {
 public:
  // Writes to the process's standard output (nothing when there is none).
  ProtocolWriter();

  // Announces UTF-8 and waits |settleMs| so that the reader has switched its decoding
  // before any non-ASCII text arrives (it decodes each read with the code page in force
  // when the read began).
  void AnnounceUtf8(unsigned settleMs);

  // Writes "key" + "value" + "\n" (key includes its '='; no carriage return, which the
  // reader would keep as part of the value) and then waits |gapMs|: the reader takes at
  // most 1024 bytes a read, so pacing keeps every line whole within one read.
  void Line(std::wstring_view key, std::wstring_view value, unsigned gapMs);

 private:
  void Write(std::string_view bytes);

  HANDLE out_ = nullptr;
};

// Wide text to UTF-8.
std::string ToUtf8(std::wstring_view text);

}  // namespace demo
