#pragma once

// Conversions between the installer's wide (UTF-16) text and byte text.

#include <windows.h>

#include <string>
#include <string_view>

namespace Utils {

// |text| in the code page |codePage| (UTF-8 by default). Empty when it cannot be converted.
std::string WideToBytes(std::wstring_view text, UINT codePage = CP_UTF8);
inline std::string WideToUtf8(std::wstring_view text) { return WideToBytes(text, CP_UTF8); }

// UTF-8 |text| as wide text. Empty when it cannot be converted.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace Utils
