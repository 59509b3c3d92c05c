#pragma once

// Client of the maker's location-and-time service: asks it on a worker thread for the
// user's public address and region, every five seconds until it has an answer or is told
// to stop, and hands the answer out on request. One instance per process, created by the
// first start and destroyed by destroy.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace analytics_core {

struct LocationInfo {
  std::string ip;
  std::string country;
  std::string countryCode;
  std::string province;
  std::string city;
};

class VtLocationTime {
 public:
  // The path the credential covers, and the application credential.
  static constexpr char kApiPath[] = "/api/location_and_time";
  static constexpr char kAppCredential[] = "Kp3vRw8ZtQm5YxJd";
  static constexpr int kRetryMilliseconds = 5000;

  // Creates the instance when needed and starts its worker on |serviceUrl|, unless a
  // worker runs or the location is already known. The product passes no address (every
  // request then fails at once and the worker keeps retrying until destroyed).
  static void start(const std::string& serviceUrl = {});

  // Copies the location out when it is known and the lock is free at once; false otherwise.
  static bool getLocation(LocationInfo& location);

  // Asks the worker to stop, waits for it (10 ms steps) and destroys the instance.
  static void destroy();

  // The MD5 (lower-case hex) of kApiPath + "&&" + kAppCredential + "&" + |timestamp|.
  static std::string credential(const std::string& timestamp);

  // Copies the string members "ip", "country", "country_code", "province" and "city" of
  // a JSON object |body| that mentions "country" into |location|; false (nothing changed)
  // when the body does not mention "country" or is not a JSON object.
  static bool parseAnswer(const std::string& body, LocationInfo& location);

  // Number of requests sent by the current instance's workers (diagnostics and tests).
  static int32_t requestCount();

  // The process's instance is made by start(); nothing else creates one.
  VtLocationTime() = default;
  VtLocationTime(const VtLocationTime&) = delete;
  VtLocationTime& operator=(const VtLocationTime&) = delete;

 private:
  static void work(VtLocationTime* self);
  // One request and, on status 200, the answer; skipped while the lock is busy or the
  // location is known.
  void fetchOnce(void* curl);
  bool knownNow();

  std::string serviceUrl_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<int32_t> requests_{0};
  std::mutex lock_;
  LocationInfo location_;
};

}  // namespace analytics_core
