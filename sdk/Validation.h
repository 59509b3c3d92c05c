#pragma once

// Checks applied to event names, property keys, identities and string values. Each check
// that fails writes its complaint through WriteError and answers false.

#include <string>
#include <string_view>

namespace analytics_core {

// Event names and property keys: 1 to 100 bytes, a letter, "$" or "_" first, then letters,
// digits, "$" or "_". |label| is "Event Name" or "Property Key".
bool CheckName(const std::string& name, const char* label);

// Identities: 1 to 255 bytes. |label| is "Distinct ID" or "Original ID".
bool CheckIdentifier(const std::string& id, const char* label);

// True when |text| is well-formed UTF-8 made only of printable characters, tab, line feed
// and carriage return (other control bytes and 0x7F are refused).
bool IsValidUtf8(std::string_view text);

// A string property value: at most 8192 bytes and valid as above.
bool CheckStringValue(const std::string& key, const std::string& text);

// Longest string property value, in bytes.
inline constexpr size_t kMaxStringValueBytes = 8192;

}  // namespace analytics_core
