#pragma once

// The skin package: a 7z archive (in memory) of window descriptions and images. Every
// member is decompressed when the package is opened; afterwards lookups are plain reads.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace uifw {

class SkinPackage {
 public:
  SkinPackage() = default;
  SkinPackage(const SkinPackage&) = delete;
  SkinPackage& operator=(const SkinPackage&) = delete;

  // Reads a 7z archive from |size| bytes at |data| (copied as needed). False when the bytes
  // are not a readable archive; the package then holds nothing.
  bool OpenMemory(const void* data, size_t size);

  // Finds resource |id| of string type |type| in |module| (language Chinese (PRC) first,
  // then any language) and opens its bytes. False when missing, unloadable or empty.
  bool OpenResource(HMODULE module, int id, const wchar_t* type);

  // The bytes of the member |request| names, or nullptr. Backslashes in the request count
  // as "/", and names compare ignoring case but must have the same length.
  const std::string* Find(std::wstring_view request) const;

  // True when |request| names |member| under the rule Find uses.
  static bool NameMatches(std::wstring_view request, std::wstring_view member);

  // Number of file members (folders not counted).
  size_t MemberCount() const { return members_.size(); }
  bool IsOpen() const { return !members_.empty(); }

  // Member names in archive order.
  std::vector<std::wstring> MemberNames() const;

 private:
  struct Member {
    std::wstring name;
    std::string bytes;
  };
  std::vector<Member> members_;
};

}  // namespace uifw
