#include "utils/Folders.h"

#include <windows.h>

#include <shlwapi.h>

namespace Utils {

namespace {

// Creates one folder. Another process creating it at the same moment is no failure.
bool CreateOneFolder(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool CreateDirectoryTree(const std::wstring& folder) {
  if (folder.size() > MAX_PATH) return false;
  size_t pos = 0;
  while ((pos = folder.find(L'\\', pos)) != std::wstring::npos) {
    ++pos;
    const std::wstring prefix = folder.substr(0, pos);
    if (!::PathFileExistsW(prefix.c_str()) && !CreateOneFolder(prefix)) return false;
  }
  const size_t last = folder.rfind(L'\\');
  const bool textAfterLast = last == std::wstring::npos ? !folder.empty() : last + 1 < folder.size();
  if (textAfterLast && !::PathFileExistsW(folder.c_str()) && !CreateOneFolder(folder)) return false;
  return true;
}

std::wstring TempFolderUnder(const std::wstring& base) {
  const std::wstring folder = base + kTempFolderName;
  if (::PathFileExistsW(folder.c_str())) return folder;
  return CreateOneFolder(folder) ? folder : std::wstring();
}

std::wstring GetTempFolder() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return {};
  return TempFolderUnder(temp);
}

}  // namespace Utils
