#include "tools/demo_package/InstallRecord.h"

#include <windows.h>

#include <algorithm>

#include "utils/Handles.h"

namespace demo {

namespace {

std::wstring RecordPath(const std::wstring& folder) {
  return folder + L"\\" + kInstallRecordName;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

std::vector<std::wstring> ReadInstallRecord(const std::wstring& folder) {
  std::vector<std::wstring> paths;
  Utils::UniqueFileHandle file(::CreateFileW(RecordPath(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return paths;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);

  // UTF-16LE with a byte-order mark, lines ended by CR LF.
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xFE) {
    return paths;
  }
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  std::copy_n(bytes.data() + 2, text.size() * 2, reinterpret_cast<char*>(text.data()));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty()) paths.push_back(std::move(line));
    start = end + 1;
  }
  return paths;
}

bool AddToInstallRecord(const std::wstring& folder, const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> all = ReadInstallRecord(folder);
  for (const std::wstring& path : paths) {
    if (std::none_of(all.begin(), all.end(), [&](const std::wstring& known) { return SamePath(known, path); })) {
      all.push_back(path);
    }
  }
  std::wstring text = L"\xFEFF";
  for (const std::wstring& path : all) text += path + L"\r\n";

  Utils::UniqueFileHandle file(::CreateFileW(RecordPath(folder).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  DWORD written = 0;
  return ::WriteFile(file.Get(), text.data(), size, &written, nullptr) && written == size;
}

}  // namespace demo
