// The demo product's uninstaller ("uninst.ep"): removes the installation in the folder given
// as "_?=<folder>" (last item, unquoted) and reports progress and result as status lines
// on standard output. It removes only what the package recorded as created (files in the
// folder and shortcut links), then the folder itself when nothing else is left in it.
//
// Switches for tests and demos (an option on the command line wins over the variable):
//   -demo-duration=<ms>  QUILLORA_DEMO_DURATION_MS    time the progress takes (1000)
//   -demo-result=<mode>  QUILLORA_DEMO_UNINST_RESULT  success | fail | error | noresult | abort
//   -demo-error=<text>   QUILLORA_DEMO_UNINST_ERROR   text of the "Error=" line

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tools/demo_package/DemoCommandLine.h"
#include "tools/demo_package/InstallRecord.h"
#include "tools/demo_package/ProtocolWriter.h"

namespace {

constexpr unsigned kSettleMs = 250;
constexpr unsigned kLineGapMs = 150;
// The reader may stop looking at the pipe as soon as it sees us gone: stay a moment after
// the result so that it is read.
constexpr unsigned kLingerMs = 500;
constexpr int kProgressSteps = 5;

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool IsInside(const std::wstring& path, const std::wstring& folder) {
  const std::wstring prefix = folder + L"\\";
  return path.size() > prefix.size() && SamePath(path.substr(0, prefix.size()), prefix);
}

bool IsShortcut(const std::wstring& path) {
  return path.size() > 4 && SamePath(path.substr(path.size() - 4), L".lnk");
}

std::wstring OwnPath() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer) : std::wstring();
}

// Removes the installation. Returns the first path that could not be removed, or empty.
std::wstring Uninstall(const std::wstring& folder) {
  std::vector<std::wstring> entries = demo::ReadInstallRecord(folder);
  if (entries.empty()) {
    for (const wchar_t* name : {L"Quillora.exe", L"uninst.ep", L"set.ini", L"config.ini"}) {
      entries.push_back(folder + L"\\" + name);
    }
  }
  const std::wstring self = OwnPath();
  std::wstring failed;
  for (const std::wstring& entry : entries) {
    // A damaged list must not make us delete anything but our own files and links.
    if (!IsInside(entry, folder) && !IsShortcut(entry)) continue;
    // Run in place, the running image cannot be deleted: it stays (and so does the
    // folder). The installer always runs a copy from its temporary folder.
    if (SamePath(entry, self)) continue;
    ::SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileW(entry.c_str())) continue;
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && failed.empty()) failed = entry;
  }
  if (!failed.empty()) return failed;
  ::DeleteFileW((folder + L"\\" + demo::kInstallRecordName).c_str());
  ::RemoveDirectoryW(folder.c_str());  // kept when the user left files of their own in it
  return {};
}

std::wstring FormatProgress(int step) {
  wchar_t buffer[32] = {};
  std::swprintf(buffer, std::size(buffer), L"%.2f", static_cast<double>(step) / kProgressSteps);
  return buffer;
}

int Finish(demo::ProtocolWriter& out, const std::wstring* errorText, bool success, int exitCode) {
  if (errorText != nullptr) out.Line(L"Error=", *errorText, kLineGapMs);
  out.Line(L"State=", success ? L"Success" : L"Fail", kLingerMs);
  return exitCode;
}

int Run() {
  const demo::TailSplit split = demo::SplitAtLastItem(::GetCommandLineW(), L"_?=");
  std::vector<std::wstring> args = demo::SplitArguments(split.head);
  if (!args.empty()) args.erase(args.begin());  // the program itself
  const unsigned durationMs = demo::ParseMilliseconds(
      demo::OptionOrEnvironment(args, L"-demo-duration", L"QUILLORA_DEMO_DURATION_MS", L""), 1000);
  const std::wstring result =
      demo::OptionOrEnvironment(args, L"-demo-result", L"QUILLORA_DEMO_UNINST_RESULT", L"success");
  const std::wstring errorText =
      demo::OptionOrEnvironment(args, L"-demo-error", L"QUILLORA_DEMO_UNINST_ERROR", L"卸载失败：文件正在使用");

  demo::ProtocolWriter out(L"uninstaller");
  out.AnnounceUtf8(kSettleMs);
  std::wstring folder = split.tail;
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (!demo::IsAbsoluteFolder(folder)) {
    const std::wstring text = folder.empty() ? L"未指定安装目录" : L"安装目录无效：" + folder;
    return Finish(out, &text, false, 2);
  }

  const unsigned stepMs = durationMs / kProgressSteps;
  for (int step = 0; step < kProgressSteps; ++step) {
    out.Line(L"Progress=", FormatProgress(step), stepMs);
  }
  if (result == L"abort") return 3;
  if (result == L"fail") return Finish(out, nullptr, false, 1);
  if (result == L"error") return Finish(out, &errorText, false, 1);

  const std::wstring failed = Uninstall(folder);
  if (!failed.empty()) {
    const std::wstring text = L"无法删除文件：" + failed;
    return Finish(out, &text, false, 1);
  }
  out.Line(L"Progress=", FormatProgress(kProgressSteps), kLineGapMs);
  if (result == L"noresult") {
    ::Sleep(kLingerMs);
    return 0;
  }
  return Finish(out, nullptr, true, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return Run();
}
