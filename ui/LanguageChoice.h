#pragma once

// The installer's 14 window languages: their codes, the choice from the Windows UI
// language, and the texts of one language from the skin's "language.json". No window is
// needed here; the main window puts the texts into the framework's text table.

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

namespace language {

inline constexpr int kLanguageCount = 14;

// The largest "language.json" that is read.
inline constexpr size_t kMaxTableBytes = 0x400000;

// "en-US", "zh-CN", ... for indexes 0 to 13; nullptr outside.
const wchar_t* CodeOf(int index);

// The index for a Windows UI language; every LANGID not in the table gives 0 ("en-US").
int IndexForLangId(LANGID langId);

// The index a table load uses: with a code, the index of that code or |index| when no code
// matches; without one, |index| when it is 0 to 13, else 0.
int ResolveIndex(int index, std::wstring_view code);

// The start choice: the settings' Language, or the UI language's index when that is -1.
int InitialIndex(int settingsLanguage, LANGID uiLanguage);

// The texts of |code| from the UTF-8 JSON |json|: for every element of the root (array or
// object) with an integer "id", the element's member named |code| (a missing or non-text
// member gives an empty text). A later element with the same id wins. Nothing when the
// text is empty, larger than kMaxTableBytes or not JSON.
std::map<int, std::wstring> ParseTable(std::string_view json, std::wstring_view code);

// The installed copy's language code: "Language" of section "Install" of |folder|\config.ini
// ("en-US" when the key is missing); empty when the file does not exist.
std::wstring ReadInstalledCode(const std::wstring& folder);

// The low-disk-space message when the language table has no text 104.
inline constexpr wchar_t kLowDiskSpaceText[] = L"安装目录所在磁盘剩余空间不足1GB，请清理磁盘或更换安装路径";

}  // namespace language
