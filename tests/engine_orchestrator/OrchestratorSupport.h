#pragma once

// Pieces of the orchestrator tests: a scripted stand-in downloader, the orchestrator's log
// lines, and a temporary folder of the test's own.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/Downloader.h"
#include "engine/EngineEvent.h"
#include "tests/engine_runners/RunnerSupport.h"
#include "utils/Thread.h"

namespace orchestrator_tests {

// One event a stand-in download run sends.
struct ScriptedEvent {
  int32_t code;
  double value;
  std::wstring text;
};

// A downloader that plays one scripted run per Start on a worker of its own (also when
// Start comes from its own worker, as the retry request does). Joins every worker when it
// goes.
class ScriptedDownloader : public CDownloader {
 public:
  ScriptedDownloader(EngineEventCallback callback, std::vector<std::vector<ScriptedEvent>> runs,
                     std::function<void(int run)> beforeRun = {});
  ~ScriptedDownloader() override;
  void Start() override;
  int Starts() const;

 private:
  EngineEventCallback callback_;
  std::vector<std::vector<ScriptedEvent>> runs_;
  std::function<void(int run)> beforeRun_;
  mutable std::mutex lock_;
  int starts_ = 0;
  std::vector<std::unique_ptr<Utils::Thread>> workers_;
};

// Records events from any thread and waits for one.
class Recorder {
 public:
  EngineEventCallback Callback();
  std::vector<runner_tests::Event> Events() const;
  std::vector<int32_t> Codes() const;
  // Waits up to |ms| for an event whose code is in |codes|. True when one came.
  bool WaitFor(std::vector<int32_t> codes, DWORD ms = 60000) const;

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<runner_tests::Event> events_;
};

// Collects the orchestrator's log lines while it lives, each as "<function>|<message>"
// (function without the class name, message without the line end).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<std::wstring> Lines() const;
};

// While it lives, the temporary folder of this process (TMP and TEMP) is |folder|.
class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::wstring& folder);
  ~ScopedTempFolder();

 private:
  std::wstring oldTmp_;
  std::wstring oldTemp_;
};

bool FileExists(const std::wstring& path);

}  // namespace orchestrator_tests
