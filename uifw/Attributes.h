#pragma once

// Readers for the attribute values of window descriptions: numbers, rectangles, colours,
// flags and the image mini-syntax.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "utils/TextConvert.h"

namespace uifw {

// UTF-8 conversions, shared with the rest of the program.
using Utils::Utf8ToWide;
using Utils::WideToUtf8;

// ASCII case-insensitive comparison.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// True when |text| contains |word| (ASCII case-insensitive).
bool ContainsNoCase(std::wstring_view text, std::wstring_view word);

// "true" exactly (lower case) is true; anything else is false.
bool ParseBool(std::wstring_view value);

// A decimal integer with optional sign; |fallback| when none is there.
int ParseInt(std::wstring_view value, int fallback = 0);

// Reads |count| comma-separated integers into |out|. Missing ones become 0; false when not
// even the first one is a number.
bool ParseInts(std::wstring_view value, int* out, size_t count);

// Four integers l,t,r,b.
RECT ParseRect(std::wstring_view value);
// Two integers.
SIZE ParseSize(std::wstring_view value);

// A colour AARRGGBB written with a leading "#" (skipped) or "0x". False when no hex digit
// follows.
bool ParseColor(std::wstring_view value, uint32_t& argb);

// One image reference: a bare member path or key='value' pairs.
struct ImageSpec {
  std::wstring file;
  bool hasDest = false;
  RECT dest{};
  bool hasSource = false;
  RECT source{};
  RECT corner{};
  bool hasMask = false;
  uint32_t mask = 0;
  int fade = 255;
  bool hole = false;
  bool xtiled = false;
  bool ytiled = false;

  bool IsEmpty() const { return file.empty(); }
};

// Parses an image attribute value. Unknown keys are ignored.
ImageSpec ParseImageSpec(std::wstring_view value);

}  // namespace uifw
