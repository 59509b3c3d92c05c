#include "utils/DebugLog.h"

#include <cstdio>
#include <cwchar>
#include <memory>
#include <new>

namespace Utils {
namespace {

LogStamp CurrentStamp() {
  LogStamp stamp;
  stamp.processId = ::GetCurrentProcessId();
  stamp.threadId = ::GetCurrentThreadId();
  ::GetLocalTime(&stamp.time);
  return stamp;
}

void WriteToDebugger(const wchar_t* line) { ::OutputDebugStringW(line); }

LogStampSource g_stampSource = &CurrentStamp;
LogSink g_sink = &WriteToDebugger;

// The prefix of every line; its nine values come first, the message's after them.
constexpr wchar_t kPrefixFormat[] = L"<P%05lu><T%05lu><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: ";

// Removes every parenthesised group (parameter lists) that is not inside angle brackets
// of a lambda name, and the " [with ...]" template note.
std::string StripParameters(const std::string& text) {
  std::string out;
  int parens = 0;
  int angles = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (parens == 0 && text.compare(i, 7, " [with ") == 0) break;
    if (parens == 0 && text.compare(i, 8, "<lambda(") == 0) {
      // GCC names a lambda "<lambda(args)>": keep "<lambda>".
      out += "<lambda>";
      int depth = 0;
      size_t j = i + 7;
      for (; j < text.size(); ++j) {
        if (text[j] == '(') ++depth;
        if (text[j] == ')' && --depth == 0) break;
      }
      i = j + 1;  // the closing '>'
      continue;
    }
    if (c == '<' && parens == 0) ++angles;
    if (c == '>' && parens == 0 && angles > 0) --angles;
    if (c == '(') {
      ++parens;
      continue;
    }
    if (c == ')') {
      if (parens > 0) --parens;
      continue;
    }
    if (parens == 0) out += c;
  }
  return out;
}

}  // namespace

void DebugPrintfV(const wchar_t* format, va_list args) {
  va_list counting;
  va_copy(counting, args);
  int count = _vscwprintf(format, counting);
  va_end(counting);
  if (count < 0) count = -1;
  const size_t size = static_cast<size_t>(count) + 2;
  std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
  if (!buffer) return;
  buffer[0] = L'\0';
  _vsnwprintf(buffer.get(), size, format, args);
  buffer[size - 1] = L'\0';
  g_sink(buffer.get());
}

void DebugPrintf(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  DebugPrintfV(format, args);
  va_end(args);
}

LogStampSource SetLogStampSourceForTesting(LogStampSource source) {
  LogStampSource previous = g_stampSource;
  g_stampSource = source ? source : &CurrentStamp;
  return previous;
}

LogSink SetLogSinkForTesting(LogSink sink) {
  LogSink previous = g_sink;
  g_sink = sink ? sink : &WriteToDebugger;
  return previous;
}

std::wstring FunctionLabel(const char* signature) {
  std::string text = StripParameters(signature ? signature : "");
  // Trailing qualifiers of member functions.
  for (const char* suffix : {" const", " volatile", " &&", " &", " noexcept"}) {
    const size_t n = std::char_traits<char>::length(suffix);
    while (text.size() >= n && text.compare(text.size() - n, n, suffix) == 0) text.resize(text.size() - n);
  }
  // Drop the return type: the last blank outside angle brackets separates it.
  int angles = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<') ++angles;
    if (text[i] == '>' && angles > 0) --angles;
    if (text[i] == ' ' && angles == 0) start = i + 1;
  }
  text = text.substr(start);
  if (text.size() >= 8 && text.compare(text.size() - 8, 8, "<lambda>") == 0) text += "::operator ()";
  return std::wstring(text.begin(), text.end());
}

void LogStatement(const char* signature, int line, const wchar_t* format, ...) {
  const LogStamp stamp = g_stampSource();
  const std::wstring label = FunctionLabel(signature);
  const SYSTEMTIME& t = stamp.time;

  // The prefix and the message are formatted separately and joined; the result is the
  // same as formatting prefix + message in one pass, and an argument holding "%" is
  // never interpreted.
  va_list args;
  va_start(args, format);
  va_list counting;
  va_copy(counting, args);
  int messageCount = _vscwprintf(format, counting);
  va_end(counting);
  if (messageCount < 0) messageCount = 0;

  wchar_t prefix[512];
  int prefixCount = _snwprintf(prefix, 511, kPrefixFormat, static_cast<unsigned long>(stamp.processId),
                               static_cast<unsigned long>(stamp.threadId), t.wYear, t.wMonth, t.wDay, t.wHour,
                               t.wMinute, t.wSecond, t.wMilliseconds, label.c_str(), line);
  if (prefixCount < 0) prefixCount = 511;
  prefix[511] = L'\0';

  const size_t size = static_cast<size_t>(prefixCount) + static_cast<size_t>(messageCount) + 2;
  std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
  if (!buffer) {
    va_end(args);
    return;
  }
  std::wmemcpy(buffer.get(), prefix, static_cast<size_t>(prefixCount));
  buffer[prefixCount] = L'\0';
  _vsnwprintf(buffer.get() + prefixCount, size - static_cast<size_t>(prefixCount), format, args);
  buffer[size - 1] = L'\0';
  va_end(args);
  g_sink(buffer.get());
}

}  // namespace Utils
