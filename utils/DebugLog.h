#pragma once

// Diagnostic lines for developers, written to the debugger output channel.
//
// Every line starts with a fixed prefix
//   <P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: 
// (process id, thread id, local date and time, the writing function's qualified name and
// the source line) followed by the statement's own printf-style message. Formatting
// follows the platform's wide printf rules: "%s" takes a wide text.
//
// Use the DLOG macro at call sites; it supplies the function label and the line:
//   DLOG(L"GetConnectivity %d", flags);

#include <windows.h>

#include <cstdarg>
#include <string>

namespace Utils {

// Formats |format| with the arguments and writes the result with one
// OutputDebugStringW call. Failures (formatting, allocation) are silent.
void DebugPrintf(const wchar_t* format, ...);
void DebugPrintfV(const wchar_t* format, va_list args);

// The writer and the moment of one log line.
struct LogStamp {
  DWORD processId = 0;
  DWORD threadId = 0;
  SYSTEMTIME time = {};
};

// Where a log statement takes its stamp from (the current process, thread and local
// time by default). Returns the previous source. Tests only.
using LogStampSource = LogStamp (*)();
LogStampSource SetLogStampSourceForTesting(LogStampSource source);

// Where finished lines go (OutputDebugStringW by default); nullptr restores the default.
// Returns the previous sink. Tests only.
using LogSink = void (*)(const wchar_t* line);
LogSink SetLogSinkForTesting(LogSink sink);

// Turns a compiler function signature (__PRETTY_FUNCTION__) into the qualified function
// label of a log line: "void Utils::Thread::CallBack(void*)" gives "Utils::Thread::CallBack".
// Inside a lambda the label is the enclosing function's name, the lambda's class name and
// "::operator ()".
std::wstring FunctionLabel(const char* signature);

// One log statement: prefix for |signature| and |line|, then |format| with the arguments.
void LogStatement(const char* signature, int line, const wchar_t* format, ...);

}  // namespace Utils

#define DLOG(format, ...) \
  ::Utils::LogStatement(__PRETTY_FUNCTION__, __LINE__, format __VA_OPT__(, ) __VA_ARGS__)
