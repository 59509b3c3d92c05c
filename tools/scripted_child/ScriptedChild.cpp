// Stands in for the installation package and the old uninstaller in tests: plays the
// script "<own path>.script" onto its standard output and leaves a record beside itself:
//   "<own path>.cmdline"  its command line as UTF-16LE, exactly as it was started;
//   "<own path>.trace"    one line per notable step ("start", "filled N", "timeout NAME",
//                         "end", ...).
//
// Script lines (blank lines and lines starting with "#" are skipped):
//   write TEXT        one write of TEXT; escapes \n \r \t \0 \\ \xHH give any byte
//   sleep MS          pause
//   wait NAME MS      wait up to MS for the named event NAME (trace: "signalled NAME",
//                     "timeout NAME" or "noevent NAME")
//   fill BYTES CHUNK  write BYTES bytes of filler lines (ending with a line feed), CHUNK
//                     bytes per write
//                     (trace: "filled <bytes written>")
//   exit CODE         end now with CODE (the default end is code 0)

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring g_self;

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  ::CloseHandle(file);
  return out;
}

void WriteWholeFile(const std::wstring& path, const void* data, DWORD size, bool append) {
  HANDLE file = ::CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, data, size, &written, nullptr);
  ::CloseHandle(file);
}

void Trace(const std::string& line) {
  const std::string text = line + "\n";
  WriteWholeFile(g_self + L".trace", text.data(), static_cast<DWORD>(text.size()), true);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'n') {
      out += '\n';
    } else if (c == 'r') {
      out += '\r';
    } else if (c == 't') {
      out += '\t';
    } else if (c == '0') {
      out += '\0';
    } else if (c == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

bool WriteOut(const std::string& bytes) {
  DWORD written = 0;
  return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

// The word at |pos| (advancing past it and the blank after it).
std::string NextWord(const std::string& line, size_t& pos) {
  const size_t end = line.find(' ', pos);
  std::string word = line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
  pos = end == std::string::npos ? line.size() : end + 1;
  return word;
}

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

void Fill(size_t total, size_t chunk) {
  if (chunk == 0) chunk = 1;
  size_t written = 0;
  std::string block;
  while (written < total) {
    const size_t n = total - written < chunk ? total - written : chunk;
    block.clear();
    // Lines of 63 "x" and a line feed, counted over the whole filler, which ends with a
    // line feed so that what follows starts a line of its own.
    for (size_t i = written; i < written + n; ++i) block += (i % 64 == 63 || i + 1 == total) ? '\n' : 'x';
    if (!WriteOut(block)) break;
    written += n;
  }
  Trace("filled " + std::to_string(written));
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  g_self = self;
  const std::wstring commandLine = ::GetCommandLineW();
  WriteWholeFile(g_self + L".cmdline", commandLine.data(), static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)),
                 false);
  Trace("start");

  const std::string script = ReadWholeFile(g_self + L".script");
  size_t begin = 0;
  while (begin < script.size()) {
    size_t end = script.find('\n', begin);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;

    size_t pos = 0;
    const std::string verb = NextWord(line, pos);
    if (verb == "write") {
      if (!WriteOut(Unescape(line.substr(pos)))) Trace("writefail");
    } else if (verb == "sleep") {
      ::Sleep(static_cast<DWORD>(std::strtoul(line.c_str() + pos, nullptr, 10)));
    } else if (verb == "wait") {
      const std::string name = NextWord(line, pos);
      const DWORD ms = static_cast<DWORD>(std::strtoul(line.c_str() + pos, nullptr, 10));
      HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, Widen(name).c_str());
      if (!event) {
        Trace("noevent " + name);
      } else {
        Trace((::WaitForSingleObject(event, ms) == WAIT_OBJECT_0 ? "signalled " : "timeout ") + name);
        ::CloseHandle(event);
      }
    } else if (verb == "fill") {
      const size_t total = std::strtoul(NextWord(line, pos).c_str(), nullptr, 10);
      Fill(total, std::strtoul(line.c_str() + pos, nullptr, 10));
    } else if (verb == "exit") {
      Trace("end");
      return std::atoi(line.c_str() + pos);
    } else {
      Trace("unknown " + verb);
    }
  }
  Trace("end");
  return 0;
}
