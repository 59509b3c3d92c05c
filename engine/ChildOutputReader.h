#pragma once

// The run shared by the package runner and the old-version uninstall runner: a hidden
// child whose standard output is read until every writer has closed the pipe.

#include <windows.h>

#include <functional>
#include <string>

// Starts |commandLine| as a hidden child with redirected standard handles, hands every
// read of its standard output (at most 1024 bytes) to |onRead| until end of file, then
// waits without limit for the child to end. Reading to end of file, not to the child's
// exit, keeps the last lines a child writes before it exits and never leaves a child
// blocked on a full pipe. Returns false when the child could not be started.
bool RunChildReadingOutput(const std::wstring& commandLine, const std::function<void(const char*, DWORD)>& onRead);
