#pragma once

// The downloader family: fetch the installation package on a worker of the downloader's
// own and report through an EngineEventCallback with the download events below.

#include <cstdint>

#include "engine/EngineEvent.h"

namespace DownloadEvent {
constexpr int32_t kStarted = 1001;        // value 1.0, empty text
constexpr int32_t kProgress = 1002;       // value: fraction received, 0 to 1; empty text
constexpr int32_t kComplete = 1003;       // value 0.0; text: the transport name
constexpr int32_t kFailed = 1004;         // value: last error code (0.0 after a digest failure); transport name
constexpr int32_t kStartAgain = 1005;     // value 0.0 after a digest failure; "LibCurl"
constexpr int32_t kDigestWarning = 1006;  // value 0.0; the warning text; 1003, 1004 or 1005 follows
}  // namespace DownloadEvent

class CDownloader {
 public:
  virtual ~CDownloader();

  // Begins (or begins again) the download. Returns at once; the work happens on the
  // downloader's worker.
  virtual void Start() = 0;
};
