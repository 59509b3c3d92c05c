#include "utils/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "utils/Handles.h"

namespace Utils {

NumberResult<int> ParseInt32(const std::wstring& text) {
  const wchar_t* begin = text.c_str();
  wchar_t* end = nullptr;
  errno = 0;
  const long long value = std::wcstoll(begin, &end, 10);
  if (end == begin) return {NumberStatus::kNotANumber, 0};
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return {NumberStatus::kOutOfRange, 0};
  return {NumberStatus::kOk, static_cast<int>(value)};
}

NumberResult<double> ParseDouble(const std::wstring& text) {
  const wchar_t* begin = text.c_str();
  while (*begin && std::iswspace(*begin)) ++begin;
  wchar_t* end = nullptr;
  errno = 0;
  const double value = std::wcstod(begin, &end);
  if (end == begin || std::isnan(value)) return {NumberStatus::kNotANumber, 0.0};
  if (std::isinf(value) || (errno == ERANGE && std::fabs(value) > 1.0)) return {NumberStatus::kOutOfRange, 0.0};
  return {NumberStatus::kOk, value};
}

CommandLine::CommandLine(const wchar_t* commandLine) {
  if (!commandLine) return;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(commandLine, &count);
  if (!argv) return;
  UniqueLocalMemory owner(reinterpret_cast<HLOCAL>(argv));
  for (int i = 0; i < count; ++i) {
    std::wstring argument = argv[i];
    const size_t equals = argument.find(L'=');
    if (!argument.empty() && argument[0] == L'-' && equals != std::wstring::npos) {
      map_.emplace(argument.substr(0, equals), argument.substr(equals + 1));
    } else {
      map_.emplace(std::move(argument), std::wstring());
    }
  }
}

std::wstring CommandLine::GetString(const std::wstring& key) const {
  auto it = map_.find(key);
  return it == map_.end() ? std::wstring() : it->second;
}

std::optional<int> CommandLine::GetInt(const std::wstring& key) const {
  auto it = map_.find(key);
  if (it == map_.end()) return 0;
  const NumberResult<int> result = ParseInt32(it->second);
  if (result.status == NumberStatus::kOutOfRange) return std::nullopt;
  return result.value;
}

bool CommandLine::GetBool(const std::wstring& key) const {
  auto it = map_.find(key);
  return it != map_.end() && it->second == L"true";
}

double CommandLine::GetDouble(const std::wstring& key, double fallback) const {
  auto it = map_.find(key);
  if (it == map_.end()) return fallback;
  const NumberResult<double> result = ParseDouble(it->second);
  return result.status == NumberStatus::kOk ? result.value : fallback;
}

}  // namespace Utils
