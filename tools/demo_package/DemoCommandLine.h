#pragma once

// Command-line reading shared by the demo package and its uninstaller. Both receive a
// directory as the very last item, unquoted and possibly holding blanks ("/D=dir" or
// "_?=dir"), so that item is cut off the raw command line before the rest is split.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

// A raw command line cut at its last " <marker>" item.
struct TailSplit {
  std::wstring head;  // everything before the item
  std::wstring tail;  // the item's text after the marker, trailing blanks removed
  bool found = false;
};

// Cuts |commandLine| at the last occurrence of a blank followed by |marker| (e.g. L"/D=").
// Without it, head is the whole line and found is false.
TailSplit SplitAtLastItem(std::wstring_view commandLine, std::wstring_view marker);

// Splits at blanks and tabs; double quotes group blanks and are dropped. No escapes:
// a backslash before a quote is an ordinary character (folders may end in one).
std::vector<std::wstring> SplitArguments(std::wstring_view text);

// The value of "<name>=value" among |args| (name includes its leading '-'), compared
// case-insensitively; the last occurrence wins. nullopt when absent.
std::optional<std::wstring> FindOption(const std::vector<std::wstring>& args, std::wstring_view name);

// True when |args| holds |name| itself (e.g. L"/S"), compared case-insensitively.
bool HasSwitch(const std::vector<std::wstring>& args, std::wstring_view name);

// The option when given, else the environment variable when set and not empty, else
// |fallback|.
std::wstring OptionOrEnvironment(const std::vector<std::wstring>& args, std::wstring_view name, const wchar_t* variable,
                                 std::wstring_view fallback);

// True for a full path: a drive letter, ":" and a backslash, or a UNC path (two backslashes and a server name).
bool IsAbsoluteFolder(std::wstring_view path);

// A decimal count of milliseconds; |fallback| when the text is not one (negative, empty,
// junk) and clamped to ten minutes.
unsigned ParseMilliseconds(std::wstring_view text, unsigned fallback);

}  // namespace demo
