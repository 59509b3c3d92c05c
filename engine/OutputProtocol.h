#pragma once

// The line protocol that the installation package and the old uninstaller speak on their
// standard output: "Key=value" lines, one per line feed. OutputProtocol takes the raw bytes
// of each pipe read and turns complete lines into engine events; it knows no process or
// pipe, so every rule can be exercised directly.
//
// Lines are put together across reads: the bytes after the last line feed wait for the
// next read, and each complete line is decoded on its own with the code page in force when
// it is reached, so neither a split line nor a split multibyte character loses anything.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/EngineEvent.h"

// Which key set is understood: the package knows every key, the uninstaller only
// "Progress=", "Error=", "State=" and "Encode=" (with "UTF8" as its only named code page).
enum class ProtocolDialect { kPackage, kUninstaller };

// What the last terminal line of a read said ("State=Success", or "State=Fail"/"Error=").
enum class TerminalResult : int { kNone = 0, kSuccess = 1, kFailure = 1000 };

// The product version the package announces with "InstallVersion=".
struct InstalledVersion {
  int32_t major = 0;
  int32_t minor = 0;
  int32_t patch = 0;
};

// Longest value (in wide characters) a line may carry; a longer one reads as empty text.
inline constexpr size_t kMaxProtocolValue = 771;

// Bytes kept of one line. No line longer than this can carry a value of
// kMaxProtocolValue characters (at most four bytes each), so the rest is dropped instead of
// letting a child without line feeds grow the buffer without bound.
inline constexpr size_t kMaxProtocolLineBytes = 4096;

// Decodes |bytes| with |codePage| (0: the system ANSI code page). Bytes the code page cannot
// decode give an empty text.
std::wstring DecodeOutputBytes(std::string_view bytes, unsigned codePage);

class OutputProtocol {
 public:
  // Events go to |callback| (may be empty) on the calling thread.
  OutputProtocol(ProtocolDialect dialect, EngineEventCallback callback);

  // Takes the bytes of one read. Every line completed by them is decoded and interpreted,
  // in order, and its events sent. Returns the result of the last terminal line among
  // them, or kNone.
  TerminalResult Feed(const char* data, size_t size);

  // End of output: interprets a last line that has no line feed. Returns as Feed.
  TerminalResult Finish();

  // Forgets a partly received line, for a new output stream. The code page and the version
  // stay as they are.
  void DiscardPartialLine();

  // Interprets one decoded line (without its line feed; a carriage return stays in it).
  // |overlong| says that the line's tail was dropped, so its value is too long.
  TerminalResult InterpretLine(std::wstring_view line, bool overlong = false);

  // The code page the next line will be decoded with.
  unsigned CodePage() const { return codePage_; }
  // The version of the last "InstallVersion=" line; 0.0.0 before one.
  const InstalledVersion& Version() const { return version_; }

 private:
  TerminalResult CompleteLine();
  void Send(int32_t code, double value, const wchar_t* text) const;

  ProtocolDialect dialect_;
  EngineEventCallback callback_;
  unsigned codePage_ = 0;
  InstalledVersion version_;
  std::string pending_;  // bytes of the line being put together
  bool overlong_ = false;
};
