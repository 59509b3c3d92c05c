#pragma once

// Shortcut folders and shell links for the demo package.

#include <string>

namespace demo {

// Environment variable that moves both shortcut folders under one folder of the caller's
// choosing ("<dir>\Desktop", "<dir>\Quick Launch"), so tests and demos leave the real
// desktop alone.
inline constexpr wchar_t kShellDirVariable[] = L"QUILLORA_DEMO_SHELL_DIR";

// The user's desktop folder; empty when it cannot be found.
std::wstring DesktopFolder();

// The user's quick-launch folder (under the roaming application data); empty when it
// cannot be found.
std::wstring QuickLaunchFolder();

// Creates the folder and its missing parents. True when it exists afterwards.
bool EnsureFolder(const std::wstring& folder);

// Writes a shell link at |linkPath| that starts |target| in |workingDir|. COM must be
// initialised on the calling thread. True on success.
bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& workingDir,
                    const std::wstring& description);

}  // namespace demo
