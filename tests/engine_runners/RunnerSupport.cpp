#include "tests/engine_runners/RunnerSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "tests/support/TestPaths.h"

namespace runner_tests {

void PrintTo(const Event& event, std::ostream* out) {
  *out << "{" << event.code << ", " << event.value << ", \"" << Encode(event.text, CP_UTF8) << "\"}";
}

EngineEventCallback EventLog::Callback() {
  return [this](int32_t code, double value, const wchar_t* text) {
    Event event{code, value, text ? text : L""};
    {
      std::lock_guard<std::mutex> hold(lock_);
      events_.push_back(event);
    }
    if (hook_) hook_(event);
  };
}

std::vector<Event> EventLog::Events() const {
  std::lock_guard<std::mutex> hold(lock_);
  return events_;
}

std::string Encode(const std::wstring& text, unsigned codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string ScriptEscape(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x21 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

StagedChild::StagedChild(const std::wstring& path, const std::string& script) : path_(path) {
  const std::wstring fixture = testing_support::BuildFile(L"tools\\scripted_child\\scripted_child.exe");
  if (!::CopyFileW(fixture.c_str(), path_.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy the scripted child (error %lu)\n", ::GetLastError());
  }
  testing_support::WriteFileBytes(path_ + L".script", script);
}

std::wstring StagedChild::CommandLine() const {
  const std::string bytes = testing_support::ReadFileBytes(path_ + L".cmdline");
  std::wstring line(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(line.data(), bytes.data(), line.size() * sizeof(wchar_t));
  return line;
}

std::string StagedChild::Trace() const {
  return testing_support::ReadFileBytes(path_ + L".trace");
}

NamedEvent::NamedEvent() {
  static std::atomic<unsigned> counter{0};
  name_ = "QuilloraRunnerTest-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
  const std::wstring wide(name_.begin(), name_.end());
  handle_.Reset(::CreateEventW(nullptr, TRUE, FALSE, wide.c_str()));
}

std::string PackageScriptOutput() {
  return "InstallVersion=2.5.1\r\n"
         "Encode=936\r\n"
         "Message=" +
         Encode(L"正在准备", 936) +
         "\r\n"
         "Progress=0.125\r\n"
         "Encode=UTF8\r\n"
         "Message=" +
         Encode(L"安装青蓝工坊 \U0001F600 完成", CP_UTF8) +
         "\n"
         "InstPath=" +
         Encode(L"C:\\程序\\Quillora", CP_UTF8) +
         "\r\n"
         "StartupStyle= AutoStartup \r\n"
         "TopShowDetention=-1\n"
         "ExePath=" +
         Encode(L"C:\\程序\\Quillora\\Quillora.exe", CP_UTF8) +
         "\n"
         "Progress=1\n"
         "State=Success";
}

std::vector<Event> PackageScriptEvents() {
  return {{3009, 0.0, L"正在准备\r"},
          {2002, 0.125, L""},
          {3009, 0.0, L"安装青蓝工坊 \U0001F600 完成"},
          {3000, 0.0, L"C:\\程序\\Quillora\r"},
          {3005, 1.0, L""},
          {3007, 4294967295.0, L""},
          {3001, 0.0, L"C:\\程序\\Quillora\\Quillora.exe"},
          {2002, 1.0, L""},
          {2003, 0.0, L""}};
}

std::string UninstallerScriptOutput() {
  return "Progress=0.1\r\nEncode=UTF8\r\nMessage=ignored\nProgress=0.5\r\nError=" +
         Encode(L"卸载失败：文件被占用 \U0001F600", CP_UTF8) + "\r\n";
}

std::vector<Event> UninstallerScriptEvents() {
  return {{5002, 0.1, L""}, {5002, 0.5, L""}, {5005, 0.0, L"卸载失败：文件被占用 \U0001F600\r"}};
}

// |size| bytes cut at up to |maxCuts| random positions, sorted and distinct.
std::vector<size_t> RandomCuts(std::mt19937& random, size_t size, size_t maxCuts) {
  std::uniform_int_distribution<size_t> count(1, maxCuts);
  std::uniform_int_distribution<size_t> position(1, size - 1);
  std::vector<size_t> cuts;
  for (size_t n = count(random); n > 0; --n) cuts.push_back(position(random));
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

}  // namespace runner_tests
