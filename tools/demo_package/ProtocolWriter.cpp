#include "tools/demo_package/ProtocolWriter.h"

#include <string>

namespace demo {

ProtocolWriter::ProtocolWriter() : out_(::GetStdHandle(STD_OUTPUT_HANDLE)) {
  if (out_ == INVALID_HANDLE_VALUE) out_ = nullptr;
}

void ProtocolWriter::AnnounceUtf8(unsigned settleMs) {
  Write("Encode=UTF8\n");
  ::Sleep(settleMs);
}

void ProtocolWriter::Line(std::wstring_view key, std::wstring_view value, unsigned gapMs) {
  std::string bytes = ToUtf8(key);
  bytes += ToUtf8(value);
  bytes += '\n';
  Write(bytes);
  ::Sleep(gapMs);
}

void ProtocolWriter::Write(std::string_view bytes) {
  // No FlushFileBuffers: on a pipe it waits until the reader has taken everything, and a
  // reader that stops after a result line would then never let us exit.
  if (out_ == nullptr) return;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
      return;  // nobody is listening any more
    }
    bytes.remove_prefix(written);
  }
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  }
  return out;
}

}  // namespace demo
