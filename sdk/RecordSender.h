#pragma once

// Posts one batch of records to the analytics server: gzip, base64, percent-encoding and a
// form post over libcurl. Success is exactly HTTP 200.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace analytics_core {

// Extra request headers, each sent as name + ": " + value.
using HeaderList = std::vector<std::pair<std::string, std::string>>;

// What the record queue needs from a transport: send one batch body, answer success.
class BatchSender {
 public:
  virtual ~BatchSender() = default;
  virtual bool Send(const std::string& batchBody, const HeaderList& headers) = 0;
};

// The outcome of one post: the HTTP status (-1 when none was obtained) and the response
// body or an error text.
struct HttpResponse {
  int32_t status = -1;
  std::string body;
};

class RecordSender : public BatchSender {
 public:
  // |serverUrl| is posted to unchanged. |caPem|, when not empty, is the only trusted
  // certificate authority (PEM text) for HTTPS; otherwise the system's store is used.
  // Certificates and host names are verified either way.
  explicit RecordSender(std::string serverUrl, std::string caPem = {});

  // Compresses, encodes and posts |batchBody|. Records the outcome as the last send result
  // unless compression failed.
  bool Send(const std::string& batchBody, const HeaderList& headers) override;

  // Posts |requestBody| as a form with the SDK's options; never throws.
  HttpResponse Post(const std::string& requestBody, const HeaderList& headers) const;

  // "data_list=" + percent-encoded base64 of the gzip stream of |batchBody| + "&gzip=1";
  // nothing when compression fails.
  static std::optional<std::string> BuildRequestBody(const std::string& batchBody);

  // The outcome of the latest send that reached the network step (false before any).
  static bool LastSendResult();

 private:
  std::string serverUrl_;
  std::string caPem_;
};

// The User-Agent of every analytics post.
inline constexpr char kAnalyticsUserAgent[] = "VeltoAnalytics CPP SDK 0.9";

}  // namespace analytics_core
