#pragma once

// Status lines on standard output for the program that runs us: "Key=value\n", UTF-8
// once "Encode=UTF8" has been announced. Each line is one unbuffered write, so the reader
// sees it as soon as it is written.
//
// With QUILLORA_DEMO_PROTOCOL_COPY naming a file, every line is also appended there as
// "<unix seconds>\t<writer>\t<line>" (UTF-8), so that a demo can show what the package told
// an installer whose window keeps its events to itself.

#include <windows.h>

#include <string>
#include <string_view>

namespace demo {

class ProtocolWriter {
 public:
  // Writes to the process's standard output (nothing when there is none); |writer| names
  // this program in the copy ("package", "uninstaller").
  explicit ProtocolWriter(std::wstring_view writer);

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
  std::wstring copyPath_;
  std::string writer_;
};

// Wide text to UTF-8.
std::string ToUtf8(std::wstring_view text);

}  // namespace demo
