#include "sdk/RecordSender.h"

#include <windows.h>

#include <curl/curl.h>

#include <exception>
#include <mutex>

#include "sdk/Encoding.h"
#include "sdk/ErrorOutput.h"
#include "utils/CurlHandle.h"

namespace analytics_core {

namespace {

std::mutex g_lastResultMutex;
bool g_lastResult = false;

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

}  // namespace

RecordSender::RecordSender(std::string serverUrl, std::string caPem)
    : serverUrl_(std::move(serverUrl)), caPem_(std::move(caPem)) {}

std::optional<std::string> RecordSender::BuildRequestBody(const std::string& batchBody) {
  const std::optional<std::string> compressed = GzipCompress(batchBody);
  if (!compressed) return std::nullopt;
  return "data_list=" + PercentEncode(Base64Encode(*compressed)) + "&gzip=1";
}

bool RecordSender::Send(const std::string& batchBody, const HeaderList& headers) {
  const std::optional<std::string> requestBody = BuildRequestBody(batchBody);
  if (!requestBody) return false;
  const HttpResponse response = Post(*requestBody, headers);
  const bool ok = response.status == 200;
  if (!ok) {
    ::OutputDebugStringA("[analytics] VeltoAnalytics SDK send failed");
    WriteError("VeltoAnalytics SDK send failed: " + response.body + "\n");
  }
  std::lock_guard<std::mutex> lock(g_lastResultMutex);
  g_lastResult = ok;
  return ok;
}

HttpResponse RecordSender::Post(const std::string& requestBody, const HeaderList& headers) const {
  HttpResponse response;
  try {
    Utils::UniqueCurl curl(curl_easy_init());
    if (!curl) {
      response.body = "Couldn't initialize curl handle";
      return response;
    }
    Utils::UniqueCurlSlist headerList;
    for (const auto& [name, value] : headers) {
      curl_slist* grown = curl_slist_append(headerList.Get(), (name + ": " + value).c_str());
      if (!grown) throw std::bad_alloc();
      headerList.Release();
      headerList.Reset(grown);
    }
    CURL* h = curl.Get();
    curl_easy_setopt(h, CURLOPT_URL, serverUrl_.c_str());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, requestBody.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody.size()));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caPem_.empty()) {
      curl_blob blob{const_cast<char*>(caPem_.data()), caPem_.size(), CURL_BLOB_COPY};
      curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
      // A private authority publishes no revocation list.
      curl_easy_setopt(h, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
    }
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 3000L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, kAnalyticsUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.Get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response.body);

    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
      response.status = -1;
      response.body = curl_easy_strerror(rc);
    } else {
      long status = 0;
      curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
      response.status = static_cast<int32_t>(status);
    }
  } catch (const std::exception& e) {
    WriteError(std::string(e.what()) + "\n");
    response.status = -1;
    response.body = e.what();
  }
  return response;
}

bool RecordSender::LastSendResult() {
  std::lock_guard<std::mutex> lock(g_lastResultMutex);
  return g_lastResult;
}

}  // namespace analytics_core
