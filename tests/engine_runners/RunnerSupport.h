#pragma once

// Shared pieces of the runner tests: an event recorder and the scripted stand-in program.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineEvent.h"
#include "utils/Handles.h"

namespace runner_tests {

struct Event {
  int32_t code = 0;
  double value = 0.0;
  std::wstring text;
  bool operator==(const Event& other) const = default;
};
void PrintTo(const Event& event, std::ostream* out);

// Records every event; safe to feed from a worker while the test reads.
class EventLog {
 public:
  // |hook| runs on the sending thread after each event is recorded.
  explicit EventLog(std::function<void(const Event&)> hook = {}) : hook_(std::move(hook)) {}
  EngineEventCallback Callback();
  std::vector<Event> Events() const;

 private:
  mutable std::mutex lock_;
  std::vector<Event> events_;
  std::function<void(const Event&)> hook_;
};

// |text| in |codePage| (65001 for UTF-8).
std::string Encode(const std::wstring& text, unsigned codePage);

// |bytes| as a scripted_child "write" argument (every byte survives).
std::string ScriptEscape(const std::string& bytes);

// A copy of scripted_child under a chosen path with its script beside it. The copy lives in
// a folder the test owns (a ScratchDir), which removes it.
class StagedChild {
 public:
  StagedChild(const std::wstring& path, const std::string& script);
  const std::wstring& Path() const { return path_; }
  // The command line the copy was started with; empty when it never ran.
  std::wstring CommandLine() const;
  // Its trace lines, "\n"-separated; empty when it never ran.
  std::string Trace() const;

 private:
  std::wstring path_;
};

// A manual-reset named event that scripted_child's "wait" can open.
class NamedEvent {
 public:
  NamedEvent();
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;
  const std::string& Name() const { return name_; }
  void Set() const { ::SetEvent(handle_.Get()); }

 private:
  std::string name_;
  Utils::UniqueHandle handle_;
};

// A fixed output whose result line comes last, with code-page switches and multibyte text
// (a character outside the BMP included), and the events it must give: for the package and
// for the old uninstaller.
std::string PackageScriptOutput();
std::vector<Event> PackageScriptEvents();
std::string UninstallerScriptOutput();
std::vector<Event> UninstallerScriptEvents();

// Up to |maxCuts| distinct random cut positions inside |size| bytes, sorted.
std::vector<size_t> RandomCuts(std::mt19937& random, size_t size, size_t maxCuts);

}  // namespace runner_tests
