#include "engine/OutputProtocol.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "utils/DebugLog.h"

namespace {

enum class Key {
  kNone,
  kProgress,
  kInstPath,
  kState,
  kInstallVersion,
  kExePath,
  kStartExe,
  kUninstExePath,
  kUninstExe,
  kUninstEp,
  kError,
  kTopShowDetention,
  kFinsihCloseDetention,
  kStartUrl,
  kStartupStyle,
  kEncode,
  kMessage,
};

struct KeyName {
  std::wstring_view text;
  Key key;
  bool uninstaller;  // also understood by the old uninstaller
};

// No key is a prefix of another, so the first match is the only one.
constexpr KeyName kKeys[] = {
    {L"Progress=", Key::kProgress, true},
    {L"InstPath=", Key::kInstPath, false},
    {L"State=", Key::kState, true},
    {L"InstallVersion=", Key::kInstallVersion, false},
    {L"ExePath=", Key::kExePath, false},
    {L"StartExe=", Key::kStartExe, false},
    {L"UninstExePath=", Key::kUninstExePath, false},
    {L"UninstExe=", Key::kUninstExe, false},
    {L"UninstEp=", Key::kUninstEp, false},
    {L"Error=", Key::kError, true},
    {L"TopShowDetention=", Key::kTopShowDetention, false},
    {L"FinsihCloseDetention=", Key::kFinsihCloseDetention, false},
    {L"StartUrl=", Key::kStartUrl, false},
    {L"StartupStyle=", Key::kStartupStyle, false},
    {L"Encode=", Key::kEncode, true},
    {L"Message=", Key::kMessage, false},
};

constexpr wchar_t kPackageFailed[] = L"安装包安装失败";
constexpr wchar_t kUninstallFailed[] = L"安装包卸载失败";
constexpr unsigned kUtf8CodePage = 65001;
constexpr unsigned kMaxCodePage = 65535;

std::wstring_view Trim(std::wstring_view text) {
  constexpr std::wstring_view kBlanks = L" \t\r\n\v\f";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::wstring_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// A number read the way "%lf" reads it; 0.0 when none follows. Infinities and NaN count as
// no number: receivers turn progress into percentages.
double ReadDouble(std::wstring_view value) {
  const std::wstring text(value);
  double number = 0.0;
  if (std::swscanf(text.c_str(), L"%lf", &number) != 1 || !std::isfinite(number)) return 0.0;
  return number;
}

// A number read the way "%d" reads it; 0 when none follows.
int ReadInt(std::wstring_view value) {
  const std::wstring text(value);
  int number = 0;
  if (std::swscanf(text.c_str(), L"%d", &number) != 1) return 0;
  return number;
}

// The code page named by a trimmed "Encode=" value.
unsigned CodePageFromName(std::wstring_view name, ProtocolDialect dialect) {
  if (name == L"UTF8") return kUtf8CodePage;
  if (dialect == ProtocolDialect::kUninstaller || name == L"ACP") return 0;
  unsigned number = 0;
  size_t i = 0;
  for (; i < name.size() && name[i] >= L'0' && name[i] <= L'9'; ++i) {
    number = number * 10 + static_cast<unsigned>(name[i] - L'0');
    if (number > kMaxCodePage) return 0;
  }
  return i == 0 ? 0 : number;
}

double StartupStyleNumber(std::wstring_view style) {
  if (style == L"AutoStartup") return 1.0;
  if (style == L"UserStartup") return 2.0;
  return 0.0;  // "NonStartup" and anything unknown
}

}  // namespace

std::wstring DecodeOutputBytes(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int count = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (count == 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    // Some code pages (ISO-2022, ISCII, UTF-7, symbol) take no flags at all.
    flags = 0;
    count = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  }
  if (count <= 0) return {};
  std::wstring text(static_cast<size_t>(count), L'\0');
  if (::MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), count) != count) return {};
  return text;
}

OutputProtocol::OutputProtocol(ProtocolDialect dialect, EngineEventCallback callback)
    : dialect_(dialect), callback_(std::move(callback)) {}

TerminalResult OutputProtocol::Feed(const char* data, size_t size) {
  TerminalResult result = TerminalResult::kNone;
  const char* const end = data + size;
  while (data < end) {
    const char* feed = static_cast<const char*>(std::memchr(data, '\n', static_cast<size_t>(end - data)));
    const char* stop = feed ? feed : end;
    const size_t room = kMaxProtocolLineBytes - pending_.size();
    const size_t take = static_cast<size_t>(stop - data);
    pending_.append(data, take < room ? take : room);
    if (take > room) overlong_ = true;
    if (!feed) break;
    const TerminalResult line = CompleteLine();
    if (line != TerminalResult::kNone) result = line;
    data = feed + 1;
  }
  return result;
}

TerminalResult OutputProtocol::Finish() {
  if (pending_.empty() && !overlong_) return TerminalResult::kNone;
  return CompleteLine();
}

void OutputProtocol::DiscardPartialLine() {
  pending_.clear();
  overlong_ = false;
}

TerminalResult OutputProtocol::CompleteLine() {
  std::string_view bytes(pending_);
  // Text ends at a zero byte; what follows it on the same line is not protocol text.
  const size_t zero = bytes.find('\0');
  bool overlong = overlong_;
  if (zero != std::string_view::npos) {
    bytes = bytes.substr(0, zero);
    overlong = false;
  }
  std::wstring line = DecodeOutputBytes(bytes, codePage_);
  // A line cut at the byte limit may end inside a character; the head still counts.
  for (size_t drop = 1; line.empty() && overlong && drop <= 3 && drop < bytes.size(); ++drop) {
    line = DecodeOutputBytes(bytes.substr(0, bytes.size() - drop), codePage_);
  }
  pending_.clear();
  overlong_ = false;
  return InterpretLine(line, overlong);
}

void OutputProtocol::Send(int32_t code, double value, const wchar_t* text) const {
  if (callback_) callback_(code, value, text);
}

TerminalResult OutputProtocol::InterpretLine(std::wstring_view line, bool overlong) {
  const KeyName* match = nullptr;
  for (const KeyName& name : kKeys) {
    if (line.substr(0, name.text.size()) == name.text) {
      match = &name;
      break;
    }
  }
  const bool uninstaller = dialect_ == ProtocolDialect::kUninstaller;
  if (!match || (uninstaller && !match->uninstaller)) return TerminalResult::kNone;

  const std::wstring_view raw = line.substr(match->text.size());
  // Numbers are read from the head of the value; texts longer than the limit read as empty.
  const std::wstring text(overlong || raw.size() > kMaxProtocolValue ? std::wstring_view() : raw);
  const std::wstring_view trimmed = Trim(text);

  switch (match->key) {
    case Key::kProgress:
      Send(uninstaller ? 5002 : 2002, ReadDouble(raw), L"");
      break;
    case Key::kState:
      if (trimmed == L"Success") {
        Send(uninstaller ? 5003 : 2003, 0.0, L"");
        return TerminalResult::kSuccess;
      }
      if (trimmed == L"Fail") {
        if (uninstaller) {
          Send(5005, 0.0, kUninstallFailed);
        } else {
          Send(2004, 0.0, kPackageFailed);
        }
        return TerminalResult::kFailure;
      }
      break;
    case Key::kError:
      if (uninstaller) {
        Send(5005, 0.0, text.c_str());
      } else {
        Send(2004, 1000.0, text.c_str());
      }
      return TerminalResult::kFailure;
    case Key::kEncode:
      codePage_ = CodePageFromName(trimmed, dialect_);
      break;
    case Key::kInstPath:
      Send(3000, 0.0, text.c_str());
      break;
    case Key::kInstallVersion: {
      const std::wstring value(raw);
      std::swscanf(value.c_str(), L"%d.%d.%d", &version_.major, &version_.minor, &version_.patch);
      break;
    }
    case Key::kExePath:
      // Logged under the runner's name, where the package's findings are looked for.
      ::Utils::LogStatement("void CInstaller::Parse()", __LINE__, L"ExePath: %s\r\n", text.c_str());
      Send(3001, 0.0, text.c_str());
      break;
    case Key::kStartExe:
      Send(3001, 0.0, text.c_str());
      break;
    case Key::kUninstExePath:
    case Key::kUninstExe:
      Send(3002, 0.0, text.c_str());
      break;
    case Key::kUninstEp:
      Send(3003, 0.0, text.c_str());
      break;
    case Key::kStartUrl:
      Send(3004, 0.0, text.c_str());
      break;
    case Key::kStartupStyle:
      Send(3005, StartupStyleNumber(trimmed), L"");
      break;
    case Key::kTopShowDetention:
      Send(3007, static_cast<double>(static_cast<uint32_t>(ReadInt(raw))), L"");
      break;
    case Key::kFinsihCloseDetention:
      Send(3008, static_cast<double>(static_cast<uint32_t>(ReadInt(raw))), L"");
      break;
    case Key::kMessage:
      Send(3009, 0.0, text.c_str());
      break;
    case Key::kNone:
      break;
  }
  return TerminalResult::kNone;
}
