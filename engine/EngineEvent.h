#pragma once

// How every piece of the engine reports: a code, a value and a text that is valid only
// during the call. Codes: 1001-1006 download, 2001-2004 and 3000-3009 package run,
// 5001-5005 removal of an older copy. The callback may run on any engine thread.

#include <cstdint>
#include <functional>

using EngineEventCallback = std::function<void(int32_t code, double value, const wchar_t* text)>;
