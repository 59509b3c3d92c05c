#include "tests/support/RegistryOverride.h"

#include <atomic>

namespace testing_support {

namespace {
constexpr wchar_t kTestRoot[] = L"Software\\QuilloraTests";
}

ScopedCurrentUserOverride::ScopedCurrentUserOverride() {
  static std::atomic<unsigned> counter{0};
  path_ = std::wstring(kTestRoot) + L"\\run-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  HKEY created = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  ::RegCloseKey(created);
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) return;
  active_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
}

ScopedCurrentUserOverride::~ScopedCurrentUserOverride() {
  if (active_) ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (key_) ::RegCloseKey(key_);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
  // The shared parent goes when no other run still uses it.
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
}

}  // namespace testing_support
