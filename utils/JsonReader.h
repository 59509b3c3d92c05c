#pragma once

// A small JSON reader for the few documents the installer itself reads (the skin's language
// table). It exists so that the stub does not carry a general JSON library with its stream
// machinery. It reads what jsoncpp's default reader reads: JSON text with "//" and "/* */"
// comments allowed and anything after the root value ignored.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Utils {

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;                                         // kString: UTF-8
  std::vector<JsonValue> items;                             // kArray
  std::vector<std::pair<std::string, JsonValue>> members;  // kObject, in document order

  // The last member named |name| (a later duplicate wins), or nullptr.
  const JsonValue* Find(std::string_view name) const;
  // True for a number that is a whole value within the range of a 32-bit int.
  bool IsInt() const;
  int AsInt() const { return static_cast<int>(number); }
};

// Parses |text| into |out|. False (and |out| unspecified) for text that is not JSON, and for
// nesting deeper than 256 levels.
bool ParseJson(std::string_view text, JsonValue& out);

}  // namespace Utils
