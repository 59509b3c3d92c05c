// Throughput of the analytics SDK core: records built and queued per second, and batches
// of 30 compressed, encoded and posted per second.
//   analytics_bench.exe <collector URL>
// bench/run-analytics-skin.sh starts a loopback collector and runs this under Wine.

#include <windows.h>

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sdk/RecordConsumer.h"
#include "sdk/RecordSender.h"
#include "sdk/Sdk.h"

namespace {

using analytics_core::PropertiesNode;

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Accepts every batch without sending it.
struct DiscardingSender : analytics_core::BatchSender {
  bool Send(const std::string&, const analytics_core::HeaderList&) override { return true; }
};

// The properties of a typical installer event.
PropertiesNode EventProperties(int i) {
  PropertiesNode props;
  props.SetString("vt_task_name", "download");
  props.SetString("vt_result", i % 2 ? "success" : "fail");
  props.SetNumber("vt_progress", i % 100);
  props.SetNumber("vt_speed", 1234.5 + i);
  props.SetString("vt_message", "\xE4\xB8\x8B\xE8\xBD\xBD\xE5\xAE\x8C\xE6\x88\x90 step " + std::to_string(i));
  props.SetBool("vt_is_retry", false);
  props.SetString("$app_version", "1.7.9");
  return props;
}

std::string TypicalBatch() {
  analytics_core::RecordConsumer consumer("", std::make_unique<DiscardingSender>());
  for (int i = 0; i < 30; ++i) consumer.AddRecord(EventProperties(i));
  std::string body = "[";
  for (const std::string& record : consumer.Records()) body += record + ",";
  body.back() = ']';
  return body;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: analytics_bench <collector URL>\n");
    return 2;
  }
  const std::string url = argv[1];
  curl_global_init(CURL_GLOBAL_ALL);

  // 1. Records built (checks, super properties, JSON text) and queued.
  analytics_core::Sdk::Init("", std::make_unique<DiscardingSender>(), "bench-device", false);
  PropertiesNode context;
  context.SetString("vt_channel", "bench");
  context.SetString("$os", "Windows");
  analytics_core::Sdk::RegisterSuperProperties(context);
  const int records = 50000;
  std::vector<PropertiesNode> inputs;
  for (int i = 0; i < 64; ++i) inputs.push_back(EventProperties(i));
  double start = Seconds();
  for (int i = 0; i < records; ++i) analytics_core::Sdk::Track("vt_task_result", inputs[i % 64]);
  const double buildSeconds = Seconds() - start;
  const std::vector<std::string> queued = analytics_core::Sdk::QueuedRecords();
  analytics_core::Sdk::Shutdown();

  // 2. Batches of 30 compressed and encoded, without the network.
  const std::string batch = TypicalBatch();
  const std::string requestBody = *analytics_core::RecordSender::BuildRequestBody(batch);
  const int encodes = 2000;
  start = Seconds();
  size_t sink = 0;
  for (int i = 0; i < encodes; ++i) sink += analytics_core::RecordSender::BuildRequestBody(batch)->size();
  const double encodeSeconds = Seconds() - start;

  // 3. Batches of 30 compressed, encoded and posted to the collector.
  analytics_core::RecordSender sender(url);
  const int posts = 300;
  int failures = 0;
  start = Seconds();
  for (int i = 0; i < posts; ++i) failures += sender.Send(batch, {}) ? 0 : 1;
  const double postSeconds = Seconds() - start;
  curl_global_cleanup();

  const double recordRate = records / buildSeconds;
  const double encodeRate = encodes / encodeSeconds;
  const double postRate = posts / postSeconds;
  std::printf("records built and queued: %d in %.3f s = %.0f records/s (%.1f us each, queue holds %zu)\n", records,
              buildSeconds, recordRate, 1e6 / recordRate, queued.size());
  std::printf("batch of 30: %zu bytes JSON -> %zu bytes request body (%.2fx)\n", batch.size(), requestBody.size(),
              static_cast<double>(requestBody.size()) / static_cast<double>(batch.size()));
  std::printf("batches compressed+encoded: %d in %.3f s = %.0f batches/s (%.0f records/s) [%zu]\n", encodes,
              encodeSeconds, encodeRate, encodeRate * 30, sink / static_cast<size_t>(encodes));
  std::printf("batches compressed+encoded+posted: %d in %.3f s = %.1f batches/s (%.0f records/s), %d failed\n", posts,
              postSeconds, postRate, postRate * 30, failures);
  std::printf("ratios: build/post records %.1fx; encode share of a post %.1f%%\n", recordRate / (postRate * 30),
              100.0 * postRate / encodeRate);
  return failures == 0 ? 0 : 1;
}
