#include "tests/support/TestPaths.h"

#include <windows.h>

#include <atomic>

namespace testing_support {

std::wstring HostPathToWindows(const std::string& hostPath) {
  std::wstring out = L"Z:";
  out.reserve(hostPath.size() + 2);
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, hostPath.data(), static_cast<int>(hostPath.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, hostPath.data(), static_cast<int>(hostPath.size()), wide.data(), n);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return out + wide;
}

std::wstring BuildDir() { return HostPathToWindows(QUILLORA_TEST_BINARY_DIR); }

std::wstring BuildFile(const std::wstring& relative) { return BuildDir() + L"\\" + relative; }

ScratchDir::ScratchDir(const std::wstring& tag) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  for (;;) {
    path_ = std::wstring(temp) + tag + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(h);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  ::CloseHandle(h);
  return out;
}

bool RemoveTree(const std::wstring& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  bool ok = true;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ok = RemoveTree(child) && ok;
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = ::DeleteFileW(child.c_str()) && ok;
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  return ::RemoveDirectoryW(path.c_str()) && ok;
}

}  // namespace testing_support
