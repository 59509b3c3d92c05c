#pragma once

// The system downloader: lets the URL moniker service fetch the package
// (URLDownloadToFileW) on a worker named "ABDEF", with progress through a bind-status
// callback. Three attempts a second apart; no digest check, no ranges, no resume. Events:
// 1001, 1002, then 1003 or 1004 with the text "URLDownloadToFile".

#include <urlmon.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "engine/Downloader.h"
#include "utils/Thread.h"

class CWinDownloader : public CDownloader {
 public:
  static constexpr const wchar_t* kTransportName = L"URLDownloadToFile";
  static constexpr int kAttempts = 3;
  static constexpr DWORD kAttemptPauseMs = 1000;

  // COM interfaces have no virtual destructor; this one adds its own after the methods.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
  // Receives the service's progress on the worker. Not reference counted: the downloader
  // that embeds it keeps it alive for as long as the worker runs.
  class CBindCallback : public IBindStatusCallbackEx {
   public:
    CBindCallback() = default;
    // Makes the next progress report abandon a transfer under way.
    virtual ~CBindCallback();

    CBindCallback(const CBindCallback&) = delete;
    CBindCallback& operator=(const CBindCallback&) = delete;

    void SetEventCallback(EngineEventCallback callback);
    void Abort() { abort_ = true; }

    // IUnknown: no interfaces are handed out and nothing is counted.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
    ULONG STDMETHODCALLTYPE Release() override { return 0; }

    // IBindStatusCallback.
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    // 1002 with progress / maximum; nothing when the maximum is unknown (0); E_ABORT once
    // aborted.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    // Asks for UTF-8 as the address's code page.
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* object) override;

    // IBindStatusCallbackEx.
    HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD* bindFlags, BINDINFO* bindInfo, DWORD* bindFlags2,
                                            DWORD* reserved) override;

   private:
    std::mutex lock_;  // guards callback_ between Start and the worker
    EngineEventCallback callback_;
    std::atomic<bool> abort_{false};
    IBinding* binding_ = nullptr;  // no reference taken
  };
#pragma GCC diagnostic pop

  // Creates the worker suspended.
  CWinDownloader(EngineEventCallback callback, std::wstring url, std::wstring packagePath);
  // Makes a transfer under way stop at its next progress report, then joins the worker.
  ~CWinDownloader() override;

  // Hands the event callback to the bind callback and lets the worker run. A later Start
  // waits for the previous worker and begins a new download.
  void Start() override;

  // The address as the service gets it: UTF-8, then byte-wise percent-encoding (bytes 33
  // to 126 kept, a blank as "+", anything else "%XX" in upper case). "file:///" addresses
  // stay as they are.
  static std::wstring EncodeUrl(const std::wstring& url);

 private:
  void Run();
  void Send(int32_t code, double value, const wchar_t* text) const;

  CBindCallback bindCallback_;
  EngineEventCallback callback_;
  std::wstring packagePath_;
  std::wstring url_;
  std::unique_ptr<Utils::Thread> worker_;
  bool resumed_ = false;
};
