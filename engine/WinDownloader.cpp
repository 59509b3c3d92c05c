#include "engine/WinDownloader.h"

#include <objbase.h>

#include <string>

#include "utils/DebugLog.h"
#include "utils/SystemLibrary.h"
#include "utils/TextConvert.h"

namespace {

bool IsFileUrl(const std::wstring& url) {
  return url.compare(0, 8, L"file:///") == 0;
}

}  // namespace

CWinDownloader::CBindCallback::~CBindCallback() {
  abort_ = true;
  std::lock_guard<std::mutex> lock(lock_);
  callback_ = nullptr;
}

void CWinDownloader::CBindCallback::SetEventCallback(EngineEventCallback callback) {
  std::lock_guard<std::mutex> lock(lock_);
  callback_ = std::move(callback);
}

HRESULT CWinDownloader::CBindCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnStartBinding(DWORD, IBinding* binding) {
  binding_ = binding;
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::GetPriority(LONG*) {
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnLowResource(DWORD) {
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
  if (abort_) return E_ABORT;
  if (progressMax == 0) return S_OK;
  const double fraction =
      static_cast<double>(static_cast<uint32_t>(progress)) / static_cast<double>(static_cast<uint32_t>(progressMax));
  std::lock_guard<std::mutex> lock(lock_);
  if (callback_) callback_(1002, fraction, L"");
  return S_OK;
}

HRESULT CWinDownloader::CBindCallback::OnStopBinding(HRESULT, LPCWSTR) {
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::GetBindInfo(DWORD*, BINDINFO* bindInfo) {
  if (bindInfo) bindInfo->dwCodePage = CP_UTF8;
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnObjectAvailable(REFIID, IUnknown*) {
  return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) {
  return E_NOTIMPL;
}

CWinDownloader::CWinDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath)
    : callback_(std::move(callback)), packagePath_(std::move(packagePath)), url_(std::move(url)) {
  worker_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) { Run(); });
}

CWinDownloader::~CWinDownloader() {
  // The worker uses the bind callback until it ends: stop the transfer, then wait.
  bindCallback_.Abort();
  if (worker_ && resumed_) worker_->Join();
  worker_.reset();
}

void CWinDownloader::Start() {
  if (resumed_) {
    if (worker_ && worker_->Id() == ::GetCurrentThreadId()) {
      DLOG(L"Start on the running worker ignored\r\n");
      return;
    }
    worker_ = std::make_unique<Utils::Thread>(0, L"ABDEF", [this](uint32_t) { Run(); });
  }
  bindCallback_.SetEventCallback(callback_);
  resumed_ = worker_ && worker_->Resume();
  if (!resumed_) {
    DLOG(L"cannot start the download worker\r\n");
    Send(1004, static_cast<double>(static_cast<int32_t>(E_FAIL)), kTransportName);
  }
}

std::wstring CWinDownloader::EncodeUrl(const std::wstring& url) {
  if (IsFileUrl(url)) return url;
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  for (const char c : Utils::WideToUtf8(url)) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 33 && byte <= 126) {
      out += static_cast<wchar_t>(byte);
    } else if (byte == ' ') {
      out += L'+';
    } else {
      out += L'%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

void CWinDownloader::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_) callback_(code, value, text);
}

void CWinDownloader::Run() {
  const HRESULT com = ::CoInitialize(nullptr);
  Send(1001, 1.0, L"");
  const std::wstring address = EncodeUrl(url_);
  HRESULT result = E_FAIL;
  auto* download = Utils::SystemFunction<decltype(::URLDownloadToFileW)>(L"urlmon.dll", "URLDownloadToFileW");
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    result = download ? download(nullptr, address.c_str(), packagePath_.c_str(), 0, &bindCallback_)
                      : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    if (SUCCEEDED(result)) {
      Send(1003, 0.0, kTransportName);
      break;
    }
    DLOG(L"URLDownloadToFile attempt %d: 0x%08lX\r\n", attempt, static_cast<unsigned long>(result));
    ::Sleep(kAttemptPauseMs);
    if (attempt == kAttempts) Send(1004, static_cast<double>(static_cast<int32_t>(result)), kTransportName);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
}
