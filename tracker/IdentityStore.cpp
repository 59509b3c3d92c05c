#include "tracker/IdentityStore.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <random>

#include "utils/Handles.h"

namespace velto::tracking {
namespace {

constexpr DWORD kValueBuffer = 128;

std::string readValue(const std::string& file, const char* section, const char* key) {
  char buffer[kValueBuffer] = {};
  ::GetPrivateProfileStringA(section, key, "", buffer, kValueBuffer, file.c_str());
  return buffer;
}

void writeValue(const std::string& file, const char* section, const char* key, const std::string& value) {
  ::WritePrivateProfileStringA(section, key, value.c_str(), file.c_str());
}

bool fileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string withBackslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string fallbackGuidText() {
  static std::mt19937 generator;  // default seed 5489
  static std::uniform_int_distribution<uint32_t> draw(0, 2147483646);
  uint32_t v[8];
  for (uint32_t& value : v) value = draw(generator);
  char text[80] = {};
  std::snprintf(text, sizeof text, "%x%x-%x-%x-%x-%x%x%x", v[0], v[1], v[2], (v[3] & 0xfff) | 0x4000,
                (v[4] % 0x3fff) + 0x8000, v[5], v[6], v[7]);
  return text;
}

}  // namespace

std::string handoverFilePath(const std::string& exePath) {
  std::string folder = withBackslashes(exePath);
  const size_t slash = folder.rfind('\\');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder + "Set.ini";
}

std::string analyticsSettingsPathFrom(const std::string& handoverFile) {
  if (!fileExists(handoverFile)) return {};
  return withBackslashes(readValue(handoverFile, "Install", "VTUsageAnalyticsIni"));
}

std::string localAppDataFolder() {
  const SystemVersion version = querySystemVersion();
  const bool seven = version.major > 6 || (version.major == 6 && version.minor >= 1);
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, seven ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_DOCUMENTS, nullptr,
                                SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  char shortForm[MAX_PATH] = {};
  const DWORD length = ::GetShortPathNameA(folder, shortForm, MAX_PATH);
  std::string result = (length > 0 && length < MAX_PATH) ? shortForm : folder;
  while (!result.empty() && result.back() == '\\') result.pop_back();
  return result;
}

void loadIdentity(Identity& identity, const std::string& settingsFile) {
  identity.loginId.clear();
  identity.distinctId.clear();
  identity.primaryDistinctId.clear();
  identity.loggedIn = false;
  identity.serverUrl.clear();
  if (fileExists(settingsFile)) {
    identity.distinctId = readValue(settingsFile, "Base", "DistinctId");
    identity.primaryDistinctId = readValue(settingsFile, "Base", "PrimaryDistinctId");
    if (identity.primaryDistinctId.empty()) identity.primaryDistinctId = identity.distinctId;
    identity.loginId = readValue(settingsFile, "Base", "UserId");
    identity.vipLevel = static_cast<int32_t>(::GetPrivateProfileIntA("Base", "UserVipLevel", 0, settingsFile.c_str()));
    identity.loggedIn = readValue(settingsFile, "Base", "isLogined") == "OK";
    identity.serverUrl = readValue(settingsFile, "Base", "URL");
  }
  if (identity.distinctId.empty()) {
    identity.distinctId = newGuidText();
    saveIdentity(identity, settingsFile);
  }
}

void renewIdentity(Identity& identity, const std::string& serverUrl, const std::string& settingsFile) {
  if (identity.serverUrl != serverUrl || identity.distinctId.empty()) {
    identity.loginId.clear();
    identity.loggedIn = false;
    if (identity.primaryDistinctId.empty()) {
      identity.distinctId = newGuidText();
      identity.primaryDistinctId = identity.distinctId;
    } else {
      identity.distinctId = identity.primaryDistinctId;
    }
    identity.serverUrl = serverUrl;
    saveIdentity(identity, settingsFile);
  }
  if (identity.loginId.empty()) identity.loggedIn = false;
}

void saveIdentity(const Identity& identity, const std::string& settingsFile) {
  writeValue(settingsFile, "Base", "DistinctId", identity.distinctId);
  writeValue(settingsFile, "Base", "PrimaryDistinctId", identity.primaryDistinctId);
  writeValue(settingsFile, "Base", "UserId", identity.loginId);
  writeValue(settingsFile, "Base", "UserVipLevel", std::to_string(identity.vipLevel));
  writeValue(settingsFile, "Base", "URL", identity.serverUrl);
  writeValue(settingsFile, "Base", "isLogined", identity.loggedIn ? "OK" : "NG");
}

void writeUninstallInfo(const std::string& settingsFile, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion) {
  writeValue(settingsFile, "UninstallInfo", "AppStore", appStore);
  writeValue(settingsFile, "UninstallInfo", "AppName", appName);
  writeValue(settingsFile, "UninstallInfo", "AppVersion", appVersion);
}

std::string newGuidText(GuidSource source) {
  if (!source) source = &::CoCreateGuid;
  GUID guid = {};
  source(&guid);  // the first one is discarded
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (SUCCEEDED(source(&guid))) {
      char text[40] = {};
      std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                    static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                    guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
      return text;
    }
  }
  return fallbackGuidText();
}

SystemVersion querySystemVersion() {
  SystemVersion version;
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return version;
  using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
  auto query = reinterpret_cast<RtlGetNtVersionNumbersFn>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
  if (!query) return version;
  DWORD major = 0, minor = 0, build = 0;
  query(&major, &minor, &build);
  version.major = major;
  version.minor = minor;
  version.build = build & 0xFFFF;
  return version;
}

bool is64BitSystem() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  if (isWow64 && isWow64(::GetCurrentProcess(), &wow64) && wow64) return true;
  // A 64-bit process is not under WOW64: ask for the machine's own architecture.
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::string osVersionText(const SystemVersion& v, bool is64Bit, bool serverR2) {
  if (v.major <= 4) return "XP-";
  if (v.major == 5) {
    switch (v.minor) {
      case 0:
        return "2K";
      case 1:
        return "XP";
      case 2:
        if (is64Bit) return "XP64";
        return serverR2 ? "Server 2003 R2" : "Server 2003";
      default:
        return "XP+";
    }
  }
  if (v.major == 6) {
    switch (v.minor) {
      case 0:
        return is64Bit ? "Vista64" : "Vista";
      case 1:
        return is64Bit ? "7" : "7-32";
      case 2:
        return is64Bit ? "8" : "8-32";
      case 3:
        return "8.1";
      default:
        return "8.1+";
    }
  }
  if (v.major == 10) {
    if (v.minor == 0) return v.build < 22000 ? "10" : "11";
    return "11+";
  }
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build);
}

std::string osName() {
  return "Windows";
}

std::string osVersion() {
  const SystemVersion version = querySystemVersion();
  const bool r2 = version.major == 5 && version.minor == 2 && ::GetSystemMetrics(SM_SERVERR2) != 0;
  return osVersionText(version, is64BitSystem(), r2);
}

std::string userAgent(const std::string& name, const std::string& version, bool is64Bit) {
  return "Mozilla/5.0(" + name + " " + version + "; Win" + (is64Bit ? "64;)" : "32;)");
}

}  // namespace velto::tracking
