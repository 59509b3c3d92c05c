#include "utils/SystemProbes.h"

#include <lm.h>
#include <netlistmgr.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <cwchar>

#include "utils/DebugLog.h"
#include "utils/Handles.h"
#include "utils/SystemLibrary.h"

namespace Utils {

namespace {

// {DCB00C01-570F-4A9B-8D69-199FDBA5723B}
constexpr CLSID kClsidNetworkListManager = {
    0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
// {DCB00000-570F-4A9B-8D69-199FDBA5723B}
constexpr IID kIidNetworkListManager = {0xDCB00000, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};

// Releases a COM interface pointer.
struct ComPtrTraits {
  using Type = IUnknown*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept { p->Release(); }
};
using UniqueComPtr = UniqueResource<ComPtrTraits>;

// Buffers the terminal services hand out.
struct WtsMemoryTraits {
  using Type = LPWSTR;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept {
    if (auto* free = SystemFunction<decltype(::WTSFreeMemory)>(L"wtsapi32.dll", "WTSFreeMemory")) free(p);
  }
};

// Buffers the network management functions hand out.
struct NetApiBufferTraits {
  using Type = LPBYTE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept {
    if (auto* free = SystemFunction<decltype(::NetApiBufferFree)>(L"netapi32.dll", "NetApiBufferFree")) free(p);
  }
};

struct SidTraits {
  using Type = PSID;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept { ::FreeSid(p); }
};

}  // namespace

uint32_t ComposeNetworkStatus(uint32_t flags, bool connectedToInternet) {
  uint32_t code = kNetworkConnected;
  if (flags == 0) {
    code = kNetworkNone;
  } else if (!connectedToInternet) {
    code = kNetworkNoInternet;
  }
  return (flags & 0xFFFF) | (code << 16);
}

uint32_t CheckNetwork(INetworkListManager& manager) {
  NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
  if (FAILED(manager.GetConnectivity(&connectivity))) return 0;
  const uint32_t flags = static_cast<uint32_t>(connectivity);
  if (flags == 0) {
    DLOG(L"GetConnectivity %d", static_cast<int>(flags));
    return ComposeNetworkStatus(flags, false);
  }
  VARIANT_BOOL internet = VARIANT_TRUE;
  if (FAILED(manager.IsConnectedToInternet(&internet))) internet = VARIANT_TRUE;
  if (internet == VARIANT_FALSE) DLOG(L"get_IsConnectedToInternet:%d", static_cast<int>(internet));
  return ComposeNetworkStatus(flags, internet != VARIANT_FALSE);
}

uint32_t CheckNetwork() {
  INetworkListManager* raw = nullptr;
  if (FAILED(::CoCreateInstance(kClsidNetworkListManager, nullptr, CLSCTX_ALL, kIidNetworkListManager,
                                reinterpret_cast<void**>(&raw))) ||
      raw == nullptr) {
    return 0;
  }
  uint32_t status = 0;
  {
    UniqueComPtr owner(raw);
    status = CheckNetwork(*raw);
  }
  ::CoFreeUnusedLibraries();
  return status;
}

DWORD IsProcessRunning(const std::wstring& exeName) {
  UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (::lstrcmpW(entry.szExeFile, exeName.c_str()) == 0) return entry.th32ProcessID;
  }
  return 0;
}

std::wstring FormatGuidText(const GUID& g) {
  wchar_t text[50] = {};
  ::swprintf(text, 50, L"%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.Data1),
             static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2],
             g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::wstring NewGuidText() {
  GUID guid = {};
  if (FAILED(::CoCreateGuid(&guid))) return {};
  return FormatGuidText(guid);
}

bool IsProcessAdmin() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueResource<SidTraits> admins;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, admins.Receive())) {
    return false;
  }
  BOOL member = FALSE;
  if (!::CheckTokenMembership(nullptr, admins.Get(), &member)) return false;
  return member != FALSE;
}

bool GetConsoleUserName(std::wstring& userName) {
  const DWORD session = ::WTSGetActiveConsoleSessionId();
  if (session == 0xFFFFFFFF) return false;  // no session attached to the console
  auto* query = SystemFunction<decltype(::WTSQuerySessionInformationW)>(L"wtsapi32.dll",
                                                                       "WTSQuerySessionInformationW");
  if (!query) return false;
  UniqueResource<WtsMemoryTraits> buffer;
  DWORD bytes = 0;
  if (!query(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, buffer.Receive(), &bytes) || !buffer) {
    return false;
  }
  userName = buffer.Get();
  return true;
}

bool IsAdminAccount(const std::wstring& userName) {
  auto* getInfo = SystemFunction<decltype(::NetUserGetInfo)>(L"netapi32.dll", "NetUserGetInfo");
  if (!getInfo) return false;
  UniqueResource<NetApiBufferTraits> buffer;
  if (getInfo(nullptr, userName.c_str(), 1, buffer.Receive()) != NERR_Success || !buffer) return false;
  const auto* info = reinterpret_cast<const USER_INFO_1*>(buffer.Get());
  return info->usri1_priv == USER_PRIV_ADMIN;
}

}  // namespace Utils
