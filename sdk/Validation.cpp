#include "sdk/Validation.h"

#include "sdk/ErrorOutput.h"

namespace analytics_core {

namespace {

bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

}  // namespace

bool CheckName(const std::string& name, const char* label) {
  if (name.empty() || name.size() > 100) {
    WriteError(std::string("The ") + label + " is empty or too long, max length is 100");
    return false;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const bool ok = IsLetter(c) || c == '$' || c == '_' || (i > 0 && IsDigit(c));
    if (!ok) {
      WriteError(std::string("The ") + label + " need to be a valid variable name.");
      return false;
    }
  }
  return true;
}

bool CheckIdentifier(const std::string& id, const char* label) {
  if (id.empty()) {
    WriteError(std::string("The ") + label + " is empty.\n");
    return false;
  }
  if (id.size() > 255) {
    WriteError(std::string("The ") + label + " is too long, max length is 255.\n");
    return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  const size_t n = text.size();
  size_t i = 0;
  // Tail bytes in [low, high] for the byte after the lead, then plain continuation bytes.
  auto tail = [&](size_t count, unsigned char low, unsigned char high) {
    if (n - i <= count) return false;  // cut off by the end of the text
    if (!InRange(static_cast<unsigned char>(text[i + 1]), low, high)) return false;
    for (size_t k = 2; k <= count; ++k) {
      if (!InRange(static_cast<unsigned char>(text[i + k]), 0x80, 0xBF)) return false;
    }
    i += count + 1;
    return true;
  };
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    bool ok = false;
    if (c == 0x09 || c == 0x0A || c == 0x0D || InRange(c, 0x20, 0x7E)) {
      ++i;
      ok = true;
    } else if (InRange(c, 0xC2, 0xDF)) {
      ok = tail(1, 0x80, 0xBF);
    } else if (c == 0xE0) {
      ok = tail(2, 0xA0, 0xBF);
    } else if (InRange(c, 0xE1, 0xEC) || c == 0xEE || c == 0xEF) {
      ok = tail(2, 0x80, 0xBF);
    } else if (c == 0xED) {
      ok = tail(2, 0x80, 0x9F);
    } else if (c == 0xF0) {
      ok = tail(3, 0x90, 0xBF);
    } else if (InRange(c, 0xF1, 0xF3)) {
      ok = tail(3, 0x80, 0xBF);
    } else if (c == 0xF4) {
      ok = tail(3, 0x80, 0x8F);
    }
    if (!ok) return false;
  }
  return true;
}

bool CheckStringValue(const std::string& key, const std::string& text) {
  if (text.size() > kMaxStringValueBytes) {
    WriteError("String property '" + key + "' is too long, value: " + text + "\n");
    return false;
  }
  if (!IsValidUtf8(text)) {
    WriteError("String property '" + key + "' is not valid UTF-8 string, value: " + text + "\n");
    return false;
  }
  return true;
}

}  // namespace analytics_core
