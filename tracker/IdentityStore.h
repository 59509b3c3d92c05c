#pragma once

// The analytics identity of the machine and user, the files it lives in, and the system
// descriptions the tracker sends. Paths and texts are narrow (system code page), as the
// narrow profile-file functions take them.

#include <windows.h>

#include <cstdint>
#include <string>

namespace velto::tracking {

struct Identity {
  bool loggedIn = false;
  std::string loginId;
  std::string distinctId;
  std::string primaryDistinctId;
  int32_t vipLevel = 0;
  std::string serverUrl;  // the address in use when the identity was last renewed
};

// The hand-over file beside |exePath|: slashes turned into backslashes, cut after the last
// backslash, + "Set.ini".
std::string handoverFilePath(const std::string& exePath);

// The analytics settings file named by the hand-over file ("Install" / "VTUsageAnalyticsIni",
// slashes turned into backslashes); empty when the hand-over file does not exist.
std::string analyticsSettingsPathFrom(const std::string& handoverFile);

// The user's local application-data folder (the shared documents folder before Windows 7)
// in its short form, without a trailing backslash; empty when unavailable.
std::string localAppDataFolder();

// Reads the identity from |settingsFile| (an empty identity when it is missing); a missing
// distinct id gets a new GUID text and the identity is saved.
void loadIdentity(Identity& identity, const std::string& settingsFile);

// Starts a new identity when |serverUrl| differs from the saved one or the distinct id is
// empty: no login, the distinct id taken from the primary one (or a new GUID text for both),
// the address remembered, and saved. Then clears the login flag when the login id is empty.
void renewIdentity(Identity& identity, const std::string& serverUrl, const std::string& settingsFile);

// Writes the "Base" keys. Failed writes are ignored.
void saveIdentity(const Identity& identity, const std::string& settingsFile);

// Writes "UninstallInfo" "AppStore", "AppName" and "AppVersion".
void writeUninstallInfo(const std::string& settingsFile, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion);

// Where GUIDs come from (CoCreateGuid by default); tests pass a failing source.
using GuidSource = HRESULT(WINAPI*)(GUID*);

// An upper-case GUID text "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X": one GUID is
// drawn and discarded, then up to 10 tries. When all fail, a text made from the process's
// Mersenne Twister (default seed) as "%x%x-%x-%x-%x-%x%x%x".
std::string newGuidText(GuidSource source = nullptr);

// Native version numbers (all 0 when the query is missing).
struct SystemVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;  // low 16 bits
};
SystemVersion querySystemVersion();

// True on a 64-bit system (also for a 32-bit process on one).
bool is64BitSystem();

// The version text of the tracker's table ("7-32", "10", "11", "XP64", ...).
std::string osVersionText(const SystemVersion& version, bool is64Bit, bool serverR2);

// "Windows", and the version text of this system.
std::string osName();
std::string osVersion();

// "Mozilla/5.0(" + name + " " + version + "; Win64;)" (or "Win32;)").
std::string userAgent(const std::string& name, const std::string& version, bool is64Bit);

}  // namespace velto::tracking
