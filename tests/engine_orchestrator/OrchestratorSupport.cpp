#include "tests/engine_orchestrator/OrchestratorSupport.h"

#include <chrono>

#include "utils/DebugLog.h"

namespace orchestrator_tests {

namespace {

std::mutex g_logLock;
std::vector<std::wstring> g_lines;

void KeepLine(const wchar_t* line) {
  std::wstring text(line);
  const std::wstring label = L"(CDownloadInstaller::";
  const size_t at = text.find(label);
  if (at == std::wstring::npos) return;
  const size_t close = text.find(L')', at);
  const size_t start = text.find(L">: ", at);
  if (close == std::wstring::npos || start == std::wstring::npos) return;
  text = text.substr(at + label.size(), close - at - label.size()) + L"|" + text.substr(start + 3);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  std::lock_guard<std::mutex> lock(g_logLock);
  g_lines.push_back(text);
}

std::wstring GetVariable(const wchar_t* name) {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = ::GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

EngineEventCallback Recorder::Callback() {
  return [this](int32_t code, double value, const wchar_t* text) {
    std::lock_guard<std::mutex> lock(lock_);
    events_.push_back({code, value, text ? text : L""});
    changed_.notify_all();
  };
}

std::vector<runner_tests::Event> Recorder::Events() const {
  std::lock_guard<std::mutex> lock(lock_);
  return events_;
}

std::vector<int32_t> Recorder::Codes() const {
  std::vector<int32_t> codes;
  for (const runner_tests::Event& e : Events()) codes.push_back(e.code);
  return codes;
}

bool Recorder::WaitFor(std::vector<int32_t> codes, DWORD ms) const {
  std::unique_lock<std::mutex> lock(lock_);
  return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
    for (const runner_tests::Event& e : events_) {
      for (int32_t code : codes) {
        if (e.code == code) return true;
      }
    }
    return false;
  });
}

ScriptedDownloader::ScriptedDownloader(EngineEventCallback callback, std::vector<std::vector<ScriptedEvent>> runs,
                                       std::function<void(int run)> beforeRun)
    : callback_(std::move(callback)), runs_(std::move(runs)), beforeRun_(std::move(beforeRun)) {}

ScriptedDownloader::~ScriptedDownloader() {
  std::vector<std::unique_ptr<Utils::Thread>> workers;
  {
    std::lock_guard<std::mutex> lock(lock_);
    workers.swap(workers_);
  }
  workers.clear();  // joins them
}

void ScriptedDownloader::Start() {
  int run;
  {
    std::lock_guard<std::mutex> lock(lock_);
    run = starts_++;
  }
  auto worker = std::make_unique<Utils::Thread>(0, L"ABDEF", [this, run](uint32_t) {
    if (beforeRun_) beforeRun_(run);
    if (run >= static_cast<int>(runs_.size())) return;
    for (const ScriptedEvent& e : runs_[static_cast<size_t>(run)]) callback_(e.code, e.value, e.text.c_str());
  });
  Utils::Thread* thread = worker.get();
  {
    std::lock_guard<std::mutex> lock(lock_);
    workers_.push_back(std::move(worker));
  }
  thread->Resume();
}

int ScriptedDownloader::Starts() const {
  std::lock_guard<std::mutex> lock(lock_);
  return starts_;
}

LogCapture::LogCapture() {
  {
    std::lock_guard<std::mutex> lock(g_logLock);
    g_lines.clear();
  }
  Utils::SetLogSinkForTesting(&KeepLine);
}

LogCapture::~LogCapture() {
  Utils::SetLogSinkForTesting(nullptr);
}

std::vector<std::wstring> LogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(g_logLock);
  return g_lines;
}

ScopedTempFolder::ScopedTempFolder(const std::wstring& folder)
    : oldTmp_(GetVariable(L"TMP")), oldTemp_(GetVariable(L"TEMP")) {
  ::SetEnvironmentVariableW(L"TMP", folder.c_str());
  ::SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

ScopedTempFolder::~ScopedTempFolder() {
  ::SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
  ::SetEnvironmentVariableW(L"TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace orchestrator_tests
