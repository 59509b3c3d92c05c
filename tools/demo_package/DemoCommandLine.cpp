#include "tools/demo_package/DemoCommandLine.h"

#include <windows.h>

namespace demo {

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

TailSplit SplitAtLastItem(std::wstring_view commandLine, std::wstring_view marker) {
  TailSplit out;
  for (size_t pos = commandLine.size(); pos > 0; --pos) {
    const size_t start = pos - 1;
    if (!IsBlank(commandLine[start])) continue;
    if (commandLine.substr(start + 1, marker.size()) != marker) continue;
    out.head.assign(commandLine.substr(0, start));
    std::wstring_view tail = commandLine.substr(start + 1 + marker.size());
    while (!tail.empty() && (IsBlank(tail.back()) || tail.back() == L'\r' || tail.back() == L'\n')) {
      tail.remove_suffix(1);
    }
    out.tail.assign(tail);
    out.found = true;
    return out;
  }
  out.head.assign(commandLine);
  return out;
}

std::vector<std::wstring> SplitArguments(std::wstring_view text) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool inQuotes = false;
  bool inToken = false;
  for (wchar_t c : text) {
    if (c == L'"') {
      inQuotes = !inQuotes;
      inToken = true;
    } else if (IsBlank(c) && !inQuotes) {
      if (inToken) args.push_back(std::move(current));
      current.clear();
      inToken = false;
    } else {
      current.push_back(c);
      inToken = true;
    }
  }
  if (inToken) args.push_back(std::move(current));
  return args;
}

std::optional<std::wstring> FindOption(const std::vector<std::wstring>& args, std::wstring_view name) {
  std::optional<std::wstring> found;
  for (const std::wstring& arg : args) {
    const std::wstring_view view(arg);
    if (view.size() > name.size() && view[name.size()] == L'=' &&
        EqualsIgnoringCase(view.substr(0, name.size()), name)) {
      found = std::wstring(view.substr(name.size() + 1));
    }
  }
  return found;
}

bool HasSwitch(const std::vector<std::wstring>& args, std::wstring_view name) {
  for (const std::wstring& arg : args) {
    if (EqualsIgnoringCase(arg, name)) return true;
  }
  return false;
}

std::wstring OptionOrEnvironment(const std::vector<std::wstring>& args, std::wstring_view name, const wchar_t* variable,
                                 std::wstring_view fallback) {
  if (std::optional<std::wstring> option = FindOption(args, name)) return *option;
  wchar_t buffer[1024] = {};
  const DWORD n = ::GetEnvironmentVariableW(variable, buffer, static_cast<DWORD>(std::size(buffer)));
  if (n > 0 && n < std::size(buffer)) return buffer;
  return std::wstring(fallback);
}

bool IsAbsoluteFolder(std::wstring_view path) {
  if (path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
      path[1] == L':' && path[2] == L'\\') {
    return true;
  }
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

unsigned ParseMilliseconds(std::wstring_view text, unsigned fallback) {
  constexpr unsigned kMax = 10 * 60 * 1000;
  if (text.empty()) return fallback;
  unsigned value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return fallback;
    value = value * 10 + static_cast<unsigned>(c - L'0');
    if (value > kMax) return kMax;
  }
  return value;
}

}  // namespace demo
