#include <windows.h>

#include <netlistmgr.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/DebugLog.h"
#include "utils/SystemProbes.h"

namespace {

// Tests how flags and the internet answer make the status word.
TEST(NetworkStatusTest, ComposesFlagsAndCode) {
  struct Case {
    uint32_t flags;
    bool internet;
    uint32_t status;
  };
  const Case cases[] = {
      {0, true, 0x10000},     {0, false, 0x10000},  {0x60, true, 0x60},     {0x60, false, 0x20060},
      {0x0A, false, 0x2000A}, {0x240, true, 0x240}, {0xFFFF, true, 0xFFFF}, {0x1FFFF, true, 0xFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::ComposeNetworkStatus(c.flags, c.internet), c.status) << c.flags;
}

// A network list manager that answers what a test tells it; everything else is not
// implemented.
// COM interfaces have no virtual destructor by design; the fake lives on the stack.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeNetworkListManager : public INetworkListManager {
 public:
  HRESULT connectivityResult = S_OK;
  NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
  HRESULT internetResult = S_OK;
  VARIANT_BOOL internet = VARIANT_TRUE;
  int internetQuestions = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetNetworks(NLM_ENUM_NETWORK, IEnumNetworks**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNetwork(GUID, INetwork**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNetworkConnections(IEnumNetworkConnections**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNetworkConnection(GUID, INetworkConnection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsConnectedToInternet(VARIANT_BOOL* answer) override {
    ++internetQuestions;
    if (SUCCEEDED(internetResult)) *answer = internet;
    return internetResult;
  }
  HRESULT STDMETHODCALLTYPE IsConnected(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetConnectivity(NLM_CONNECTIVITY* answer) override {
    if (SUCCEEDED(connectivityResult)) *answer = connectivity;
    return connectivityResult;
  }
};
#pragma GCC diagnostic pop

std::vector<std::wstring> g_lines;
void CaptureLine(const wchar_t* line) {
  g_lines.push_back(line);
}

// Tests the manager's answers turned into status and log lines.
TEST(NetworkStatusTest, AnswersOfTheManager) {
  struct Case {
    HRESULT connectivityResult;
    int flags;
    HRESULT internetResult;
    VARIANT_BOOL internet;
    uint32_t status;
    const wchar_t* label;   // the label part of the one line logged, or nullptr for none
    const wchar_t* logged;  // the end of that line
  };
  const Case cases[] = {
      {S_OK, 0, S_OK, VARIANT_TRUE, 0x10000, L"(Utils::CheckNetwork)<", L": GetConnectivity 0"},
      {S_OK, 0x60, S_OK, VARIANT_TRUE, 0x60, nullptr, nullptr},
      {S_OK, 0x0A, S_OK, VARIANT_FALSE, 0x2000A, L"(Utils::CheckNetwork)<", L": get_IsConnectedToInternet:0"},
      {S_OK, 0x0A, E_FAIL, VARIANT_FALSE, 0x0A, nullptr, nullptr},
      {E_FAIL, 0x60, S_OK, VARIANT_FALSE, 0, nullptr, nullptr},
  };
  const Utils::LogSink previous = Utils::SetLogSinkForTesting(&CaptureLine);
  for (const Case& c : cases) {
    g_lines.clear();
    FakeNetworkListManager manager;
    manager.connectivityResult = c.connectivityResult;
    manager.connectivity = static_cast<NLM_CONNECTIVITY>(c.flags);
    manager.internetResult = c.internetResult;
    manager.internet = c.internet;
    EXPECT_EQ(Utils::CheckNetwork(manager), c.status) << std::hex << c.flags;
    EXPECT_EQ(manager.internetQuestions, SUCCEEDED(c.connectivityResult) && c.flags != 0 ? 1 : 0);
    if (c.logged == nullptr) {
      EXPECT_TRUE(g_lines.empty()) << std::hex << c.flags;
    } else {
      ASSERT_EQ(g_lines.size(), 1u);
      const std::wstring end = c.logged;
      ASSERT_GE(g_lines[0].size(), end.size());
      EXPECT_EQ(g_lines[0].substr(g_lines[0].size() - end.size()), end);
      EXPECT_NE(g_lines[0].find(c.label), std::wstring::npos);
    }
  }
  Utils::SetLogSinkForTesting(previous);
}

struct CheckResult {
  bool initialiseCom;
  uint32_t status;
};

DWORD WINAPI RunCheck(void* param) {
  auto* result = static_cast<CheckResult*>(param);
  const bool com = result->initialiseCom && SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  result->status = Utils::CheckNetwork();
  if (com) ::CoUninitialize();
  return 0;
}

uint32_t CheckOnNewThread(bool initialiseCom) {
  CheckResult result{initialiseCom, 0xDEADBEEF};
  HANDLE thread = ::CreateThread(nullptr, 0, &RunCheck, &result, 0, nullptr);
  if (thread == nullptr) return 0xDEADBEEF;
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  return result.status;
}

// Tests the real check on a COM thread: whatever this machine's network, the code agrees
// with the flags (Wine answers 0x60 and "connected" with a network, 0x20 and "no
// internet" without one).
TEST(NetworkStatusTest, RealCheckIsConsistent) {
  const uint32_t status = CheckOnNewThread(true);
  ASSERT_NE(status, 0xDEADBEEFu);
  const uint32_t flags = status & 0xFFFF;
  const uint32_t code = status >> 16;
  ASSERT_LE(code, 2u);
  EXPECT_NE(flags, 0u) << "Wine always reports some connectivity";
  EXPECT_EQ(code == Utils::kNetworkNone, flags == 0);
  if (flags != 0 && (flags & (NLM_CONNECTIVITY_IPV4_INTERNET | NLM_CONNECTIVITY_IPV6_INTERNET)) == 0) {
    EXPECT_EQ(code, Utils::kNetworkNoInternet) << "flags 0x" << std::hex << flags;
  }
}

// Tests that a thread without COM cannot ask and reads as connected (0).
TEST(NetworkStatusTest, WithoutComReadsAsConnected) {
  EXPECT_EQ(CheckOnNewThread(false), 0u);
}

}  // namespace
