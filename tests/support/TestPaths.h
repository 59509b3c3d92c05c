#pragma once

// Paths and scratch folders for tests running under Wine.

#include <string>

namespace testing_support {

// A host (Linux) path as Wine sees it: "Z:" followed by the path with backslashes.
std::wstring HostPathToWindows(const std::string& hostPath);

// The build folder of this build (where QuilloraSetup.exe lies), as a Windows path.
std::wstring BuildDir();

// A Windows program of this build: BuildDir() + "\\" + relative.
std::wstring BuildFile(const std::wstring& relative);

// A fresh folder under the temporary folder, removed with everything in it when the
// object goes.
class ScratchDir {
 public:
  explicit ScratchDir(const std::wstring& tag = L"qtest");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::wstring& Path() const { return path_; }
  // Path() + "\\" + name.
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Writes |bytes| to |path| (created or truncated). False on failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// Removes a folder tree. False when something could not be removed.
bool RemoveTree(const std::wstring& path);

}  // namespace testing_support
