#include "tools/demo_package/ProtocolWriter.h"

#include <string>

namespace demo {

namespace {

// Appends |bytes| to |path|; several programs may write to it in turn.
void AppendToFile(const std::wstring& path, std::string_view bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

// Seconds since 1970 with milliseconds.
std::string UnixSeconds() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const unsigned long long ms = (ticks - 116444736000000000ULL) / 10000ULL;
  char text[32] = {};
  ::wsprintfA(text, "%lu.%03lu", static_cast<unsigned long>(ms / 1000), static_cast<unsigned long>(ms % 1000));
  return text;
}

}  // namespace

ProtocolWriter::ProtocolWriter(std::wstring_view writer)
    : out_(::GetStdHandle(STD_OUTPUT_HANDLE)), writer_(ToUtf8(writer)) {
  if (out_ == INVALID_HANDLE_VALUE) out_ = nullptr;
  wchar_t path[MAX_PATH] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"QUILLORA_DEMO_PROTOCOL_COPY", path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) copyPath_ = path;
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
  if (!copyPath_.empty()) AppendToFile(copyPath_, UnixSeconds() + "\t" + writer_ + "\t" + std::string(bytes));
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
