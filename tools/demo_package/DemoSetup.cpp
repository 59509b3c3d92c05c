// The demo installation package: installs the demo product into the folder given as
// "/D=<folder>" (last item, unquoted), creates the shortcuts asked for by "-dsc=true" and
// "-ssc=true", and reports its progress and result as status lines on standard output.
//
// Switches for tests and demos (an option on the command line wins over the variable):
//   -demo-duration=<ms>   QUILLORA_DEMO_DURATION_MS   time the progress takes (3000)
//   -demo-result=<mode>   QUILLORA_DEMO_SETUP_RESULT  success | fail | error | noresult | abort
//   -demo-error=<text>    QUILLORA_DEMO_SETUP_ERROR   text of the "Error=" line
//   -demo-startup=<style> QUILLORA_DEMO_STARTUP       NonStartup | AutoStartup | UserStartup
//   QUILLORA_DEMO_SHELL_DIR                           folder that replaces the shortcut folders

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tools/demo_package/DemoCommandLine.h"
#include "tools/demo_package/DemoResources.h"
#include "tools/demo_package/InstallRecord.h"
#include "tools/demo_package/ProtocolWriter.h"
#include "tools/demo_package/Shortcuts.h"
#include "utils/Handles.h"

namespace {

constexpr wchar_t kVersion[] = L"" QUILLORA_DEMO_VERSION;
constexpr wchar_t kShortcutName[] = L"青蓝工坊.lnk";
constexpr unsigned kSettleMs = 250;
constexpr unsigned kLineGapMs = 150;
constexpr int kProgressSteps = 10;

struct Options {
  std::wstring folder;
  bool desktopShortcut = false;
  bool quickLaunchShortcut = false;
  std::wstring language;
  unsigned durationMs = 3000;
  std::wstring result;
  std::wstring errorText;
  std::wstring startupStyle;
};

std::wstring DefaultFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
  return std::wstring(buffer) + L"\\Quillora";
}

std::wstring NormaliseFolder(std::wstring folder) {
  for (wchar_t& c : folder) {
    if (c == L'/') c = L'\\';
  }
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

Options ReadOptions() {
  const demo::TailSplit split = demo::SplitAtLastItem(::GetCommandLineW(), L"/D=");
  std::vector<std::wstring> args = demo::SplitArguments(split.head);
  if (!args.empty()) args.erase(args.begin());  // the program itself

  Options options;
  if (split.found && !split.tail.empty()) {
    options.folder = split.tail;
  } else if (std::optional<std::wstring> dir = demo::FindOption(args, L"-instdir"); dir && !dir->empty()) {
    options.folder = *dir;
  } else {
    options.folder = DefaultFolder();
  }
  options.folder = NormaliseFolder(options.folder);
  options.desktopShortcut = demo::FindOption(args, L"-dsc").value_or(L"") == L"true";
  options.quickLaunchShortcut = demo::FindOption(args, L"-ssc").value_or(L"") == L"true";
  options.language = demo::FindOption(args, L"-inslang").value_or(L"");
  if (options.language.empty()) options.language = L"zh-CN";
  options.durationMs = demo::ParseMilliseconds(
      demo::OptionOrEnvironment(args, L"-demo-duration", L"QUILLORA_DEMO_DURATION_MS", L""), 3000);
  options.result = demo::OptionOrEnvironment(args, L"-demo-result", L"QUILLORA_DEMO_SETUP_RESULT", L"success");
  options.errorText =
      demo::OptionOrEnvironment(args, L"-demo-error", L"QUILLORA_DEMO_SETUP_ERROR", L"写入安装文件失败");
  options.startupStyle = demo::OptionOrEnvironment(args, L"-demo-startup", L"QUILLORA_DEMO_STARTUP", L"UserStartup");
  return options;
}

// Writes the RCDATA resource |id| of this program to |path|.
bool ExtractResource(int id, const std::wstring& path) {
  HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (info == nullptr) return false;
  HGLOBAL loaded = ::LoadResource(nullptr, info);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(nullptr, info);
  if (data == nullptr || size == 0) return false;
  Utils::UniqueFileHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), data, size, &written, nullptr) && written == size;
}

// Sets one INI value. A new file starts with a UTF-16LE byte-order mark so that the
// profile functions keep non-ASCII text that the installer adds later.
bool WriteIniValue(const std::wstring& path, const wchar_t* section, const wchar_t* key, const std::wstring& value) {
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Utils::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const unsigned char bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bom, sizeof(bom), &written, nullptr)) return false;
  }
  return ::WritePrivateProfileStringW(section, key, value.c_str(), path.c_str()) != FALSE;
}

// Installs the files and shortcuts. On failure |error| says what went wrong.
bool Install(const Options& options, std::wstring& error) {
  const std::wstring& folder = options.folder;
  if (!demo::IsAbsoluteFolder(folder)) {
    error = L"安装目录无效：" + folder;
    return false;
  }
  if (!demo::EnsureFolder(folder)) {
    error = L"无法创建安装目录：" + folder;
    return false;
  }
  const std::wstring exePath = folder + L"\\Quillora.exe";
  const std::wstring uninstPath = folder + L"\\uninst.ep";
  const std::wstring setIni = folder + L"\\set.ini";
  const std::wstring configIni = folder + L"\\config.ini";
  std::vector<std::wstring> created = {exePath, uninstPath, setIni, configIni};
  // Record first: whatever is written below can then be removed, even after a failure.
  if (!demo::AddToInstallRecord(folder, created)) {
    error = L"无法写入文件：" + folder + L"\\" + demo::kInstallRecordName;
    return false;
  }
  if (!ExtractResource(QUILLORA_DEMO_PRODUCT_RESOURCE, exePath)) {
    error = L"无法写入文件：" + exePath;
    return false;
  }
  if (!ExtractResource(QUILLORA_DEMO_UNINSTALLER_RESOURCE, uninstPath)) {
    error = L"无法写入文件：" + uninstPath;
    return false;
  }
  if (!WriteIniValue(setIni, L"Uninstall", L"IsOverride", L"true")) {
    error = L"无法写入文件：" + setIni;
    return false;
  }
  if (!WriteIniValue(configIni, L"Install", L"Language", options.language)) {
    error = L"无法写入文件：" + configIni;
    return false;
  }

  std::vector<std::wstring> links;
  if (options.desktopShortcut) links.push_back(demo::DesktopFolder());
  if (options.quickLaunchShortcut) links.push_back(demo::QuickLaunchFolder());
  for (std::wstring& linkFolder : links) {
    if (linkFolder.empty() || !demo::EnsureFolder(linkFolder)) {
      error = L"无法创建快捷方式目录：" + linkFolder;
      return false;
    }
    linkFolder += L"\\";
    linkFolder += kShortcutName;
    if (!demo::AddToInstallRecord(folder, {linkFolder}) ||
        !demo::CreateShortcut(linkFolder, exePath, folder, L"青蓝工坊")) {
      error = L"无法创建快捷方式：" + linkFolder;
      return false;
    }
  }
  return true;
}

std::wstring FormatProgress(int step) {
  wchar_t buffer[32] = {};
  std::swprintf(buffer, std::size(buffer), L"%.2f", static_cast<double>(step) / kProgressSteps);
  return buffer;
}

void Fail(demo::ProtocolWriter& out, const std::wstring* errorText) {
  if (errorText != nullptr) out.Line(L"Error=", *errorText, kLineGapMs);
  out.Line(L"State=", L"Fail", 0);
}

int Run() {
  const Options options = ReadOptions();
  demo::ProtocolWriter out(L"package");
  out.AnnounceUtf8(kSettleMs);
  out.Line(L"InstallVersion=", kVersion, kLineGapMs);

  const unsigned stepMs = options.durationMs / kProgressSteps;
  constexpr int kInstallStep = kProgressSteps / 2;
  for (int step = 0; step <= kInstallStep; ++step) {
    out.Line(L"Progress=", FormatProgress(step), stepMs);
  }
  if (options.result == L"abort") return 3;
  if (options.result == L"fail") {
    Fail(out, nullptr);
    return 1;
  }
  if (options.result == L"error") {
    Fail(out, &options.errorText);
    return 1;
  }

  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    const std::wstring text = L"无法初始化 COM";
    Fail(out, &text);
    return 1;
  }
  std::wstring error;
  const bool installed = Install(options, error);
  ::CoUninitialize();
  if (!installed) {
    Fail(out, &error);
    return 1;
  }

  for (int step = kInstallStep + 1; step <= kProgressSteps; ++step) {
    out.Line(L"Progress=", FormatProgress(step), step == kProgressSteps ? kLineGapMs : stepMs);
  }
  out.Line(L"InstPath=", options.folder, kLineGapMs);
  out.Line(L"ExePath=", options.folder + L"\\Quillora.exe", kLineGapMs);
  out.Line(L"UninstEp=", options.folder + L"\\uninst.ep", kLineGapMs);
  out.Line(L"StartupStyle=", options.startupStyle, kLineGapMs);
  if (options.result != L"noresult") out.Line(L"State=", L"Success", 0);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return Run();
}
