#pragma once

// Questions the installer asks Windows about the machine and its user. Every probe answers
// "no" or "unknown" when the system cannot tell; none of them throws.

#include <windows.h>

#include <cstdint>
#include <string>

struct INetworkListManager;

namespace Utils {

// Network status: low 16 bits the NLM_CONNECTIVITY flags (0 when unknown), high 16 bits one
// of these codes.
enum NetworkCode : uint32_t {
  kNetworkConnected = 0,   // connected to the internet, or the check was not possible
  kNetworkNone = 1,        // no connectivity at all
  kNetworkNoInternet = 2,  // some connectivity, but not to the internet
};

// The status word for connectivity |flags| and the manager's internet answer.
uint32_t ComposeNetworkStatus(uint32_t flags, bool connectedToInternet);

// Asks |manager| for the connectivity flags and, when there are some, whether they reach the
// internet. A question the manager cannot answer reads as connected.
uint32_t CheckNetwork(INetworkListManager& manager);

// Asks the network list manager. The calling thread must have initialised COM; when the
// manager cannot be created the status is 0 (read as connected).
uint32_t CheckNetwork();

// The process id of the first running process whose executable file name equals |exeName|
// (case-sensitive, as lstrcmpW compares); 0 when none runs or the snapshot fails.
DWORD IsProcessRunning(const std::wstring& exeName);

// |guid| as 32 hexadecimal digits without separators: the third group in lower case, the
// rest in upper case.
std::wstring FormatGuidText(const GUID& guid);

// A fresh GUID as FormatGuidText writes it; empty when none can be created.
std::wstring NewGuidText();

// True when the calling thread's token is a member of the built-in Administrators group.
bool IsProcessAdmin();

// The user logged on at the active console session. False (and |userName| untouched) when
// the session or its user cannot be queried.
bool GetConsoleUserName(std::wstring& userName);

// True exactly when the local computer knows the account |userName| and its privilege
// level is administrator. Unknown (e.g. domain) accounts give false.
bool IsAdminAccount(const std::wstring& userName);

}  // namespace Utils
