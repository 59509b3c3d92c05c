#pragma once

// Folder creation and the installer's scratch folder.

#include <string>

namespace Utils {

// The scratch folder's name inside the system temporary folder.
inline constexpr wchar_t kTempFolderName[] = L"~VelToTemp.92482B06FB471E17\\";

// Creates |folder| and every missing parent ("\" separated). Existing folders are not an
// error; a folder longer than MAX_PATH characters or any failed creation fails the call.
bool CreateDirectoryTree(const std::wstring& folder);

// |base| (ending with "\") + kTempFolderName, created (one level) when missing. Empty when
// it neither exists nor can be created.
std::wstring TempFolderUnder(const std::wstring& base);

// The installer's scratch folder in the system temporary folder, ending with "\"; created
// when missing; empty on failure.
std::wstring GetTempFolder();

}  // namespace Utils
