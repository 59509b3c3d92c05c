#pragma once

// The installer's command line as an ordered key/value map, and the number readers the
// settings use.

#include <map>
#include <optional>
#include <string>

namespace Utils {

// How reading a number from text ended.
enum class NumberStatus {
  kOk,           // a number was read (trailing text is ignored)
  kNotANumber,   // the text does not start with a number (after leading blanks)
  kOutOfRange,   // a number, but outside the range of the target type
};

template <typename T>
struct NumberResult {
  NumberStatus status = NumberStatus::kNotANumber;
  T value = T();
};

// Reads a decimal 32-bit integer the way the C library does: leading blanks and a sign
// allowed, trailing text ignored. value is 0 unless status is kOk.
NumberResult<int> ParseInt32(const std::wstring& text);

// Reads a double the way the C library does. "nan" is not a number; infinities and
// values beyond the double range are out of range. value is 0.0 unless status is kOk.
NumberResult<double> ParseDouble(const std::wstring& text);

// Arguments split by the platform's rules (CommandLineToArgvW), the program path included.
// An argument that begins with "-" and contains "=" is a key (before the first "=") and a
// value (after it); any other argument is a key with an empty value. The first occurrence
// of a key wins. Keys compare case-sensitively.
class CommandLine {
 public:
  explicit CommandLine(const wchar_t* commandLine);

  bool Has(const std::wstring& key) const { return map_.count(key) != 0; }

  // The value, or the empty text when the key is absent.
  std::wstring GetString(const std::wstring& key) const;

  // The value as a decimal integer; 0 when the key is absent or the value does not start
  // with a number; empty when the number does not fit 32 bits.
  std::optional<int> GetInt(const std::wstring& key) const;

  // True exactly when the key is present and its value is "true".
  bool GetBool(const std::wstring& key) const;

  // The value as a double; |fallback| when the key is absent, the value is not a number
  // or it is out of range.
  double GetDouble(const std::wstring& key, double fallback) const;

  const std::map<std::wstring, std::wstring>& Entries() const { return map_; }

 private:
  std::map<std::wstring, std::wstring> map_;
};

}  // namespace Utils
