#include "sdk/VtLocationTime.h"

#include <windows.h>

#include <curl/curl.h>
#include <json/json.h>

#include <ctime>
#include <memory>
#include <thread>

#include "utils/Md5.h"
#include "utils/CurlHandle.h"

namespace analytics_core {
namespace {

// Guards the process-wide instance pointer (never held while waiting for a worker's request).
std::mutex g_instanceMutex;
std::unique_ptr<VtLocationTime> g_instance;

size_t appendBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

std::string VtLocationTime::credential(const std::string& timestamp) {
  const std::string text = std::string(kApiPath) + "&&" + kAppCredential + "&" + timestamp;
  return Utils::Md5Hex(text.data(), text.size());
}

bool VtLocationTime::parseAnswer(const std::string& body, LocationInfo& location) {
  if (body.find("country") == std::string::npos) return false;
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  if (!reader->parse(body.data(), body.data() + body.size(), &root, &errors) || !root.isObject()) return false;
  auto take = [&](const char* name, std::string& field) {
    const Json::Value& value = root[name];
    if (value.isString()) field = value.asString();
  };
  take("ip", location.ip);
  take("country", location.country);
  take("country_code", location.countryCode);
  take("province", location.province);
  take("city", location.city);
  return true;
}

bool VtLocationTime::knownNow() {
  std::unique_lock lock(lock_, std::try_to_lock);
  return lock.owns_lock() && !location_.ip.empty();
}

void VtLocationTime::fetchOnce(void* handle) {
  {
    std::unique_lock lock(lock_, std::try_to_lock);
    if (!lock.owns_lock() || !location_.ip.empty()) return;
  }
  CURL* curl = static_cast<CURL*>(handle);
  const std::string timestamp = std::to_string(static_cast<long long>(std::time(nullptr)));
  Utils::UniqueCurlSlist headers;
  for (const std::string& header : {std::string("Content-Type:application/json"), "X-HM-Time:" + timestamp,
                                    "X-HM-Credential:" + credential(timestamp)}) {
    curl_slist* grown = curl_slist_append(headers.Get(), header.c_str());
    if (!grown) return;
    headers.Release();
    headers.Reset(grown);
  }
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, serviceUrl_.c_str());
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, 0L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.Get());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 2000L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 1000L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  ++requests_;
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_reset(curl);
  if (result != CURLE_OK || status != 200) return;

  std::unique_lock lock(lock_, std::try_to_lock);
  if (!lock.owns_lock()) return;
  parseAnswer(body, location_);
}

void VtLocationTime::work(VtLocationTime* self) {
  Utils::UniqueCurl curl(curl_easy_init());
  if (!curl) {
    self->running_ = false;
    return;
  }
  while (!self->stopRequested_) {
    if (self->knownNow()) break;
    self->fetchOnce(curl.Get());
    if (self->knownNow()) break;
    for (int waited = 0; waited < kRetryMilliseconds; waited += 100) {
      if (self->stopRequested_) {
        curl.Reset();
        self->running_ = false;  // the last touch of |self|
        return;
      }
      ::Sleep(100);
    }
  }
  curl.Reset();
  self->running_ = false;
}

void VtLocationTime::start(const std::string& serviceUrl) {
  std::lock_guard guard(g_instanceMutex);
  if (!g_instance) g_instance = std::make_unique<VtLocationTime>();
  VtLocationTime* self = g_instance.get();
  if (self->running_ || self->knownNow()) return;
  self->serviceUrl_ = serviceUrl;
  self->stopRequested_ = false;
  self->running_ = true;
  try {
    std::thread(&VtLocationTime::work, self).detach();
  } catch (...) {
    self->running_ = false;
  }
}

bool VtLocationTime::getLocation(LocationInfo& location) {
  std::lock_guard guard(g_instanceMutex);
  if (!g_instance) return false;
  std::unique_lock lock(g_instance->lock_, std::try_to_lock);
  if (!lock.owns_lock() || g_instance->location_.ip.empty()) return false;
  location = g_instance->location_;
  return true;
}

int32_t VtLocationTime::requestCount() {
  std::lock_guard guard(g_instanceMutex);
  return g_instance ? g_instance->requests_.load() : 0;
}

void VtLocationTime::destroy() {
  std::unique_ptr<VtLocationTime> instance;
  {
    std::lock_guard guard(g_instanceMutex);
    instance = std::move(g_instance);
  }
  if (!instance) return;
  instance->stopRequested_ = true;
  while (instance->running_) ::Sleep(10);
}

}  // namespace analytics_core
