#pragma once

// The list of everything an installation created (files and shortcuts), kept in the
// installation folder so that the uninstaller removes exactly that and nothing else.

#include <string>
#include <vector>

namespace demo {

// Name of the list inside the installation folder.
inline constexpr wchar_t kInstallRecordName[] = L"uninst.lst";

// Reads the list of |folder| (full paths, one a line). Empty when there is none.
std::vector<std::wstring> ReadInstallRecord(const std::wstring& folder);

// Adds |paths| to the list of |folder| (an installation over an earlier one keeps the
// earlier entries); each path appears once. False when the list cannot be written.
bool AddToInstallRecord(const std::wstring& folder, const std::vector<std::wstring>& paths);

}  // namespace demo
