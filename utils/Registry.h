#pragma once

// The product's registry record under HKEY_CURRENT_USER.

#include <string>

namespace Utils {

// The product's key under HKEY_CURRENT_USER.
inline constexpr wchar_t kProductRegistryKey[] = L"Software\\VelToSoft\\Quillora";

// Reads the string value |valueName| of the product key into |text| (up to its first
// zero; values stored with or without a terminating zero read the same). False, with
// |text| untouched, when the key or value is missing or is not a string.
bool ReadRegString(const std::wstring& valueName, std::wstring& text);

// Creates or opens the product key and writes |text| as the REG_SZ value |valueName|,
// with a data size of the text's length in bytes (no terminating zero). True on success.
bool WriteRegString(const std::wstring& valueName, const std::wstring& text);

}  // namespace Utils
