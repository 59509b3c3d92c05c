#include "utils/JsonReader.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace Utils {
namespace {

constexpr int kMaxDepth = 256;

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  bool ParseRoot(JsonValue& out) {
    SkipSpace();
    return ParseValue(out, 0);
  }

 private:
  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  // Blanks and comments.
  void SkipSpace() {
    while (!AtEnd()) {
      const char c = s_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        while (!AtEnd() && s_[pos_] != '\n') ++pos_;
      } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
        const size_t end = s_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? s_.size() : end + 2;
      } else {
        return;
      }
    }
  }

  bool Literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool ParseValue(JsonValue& out, int depth) {
    if (depth > kMaxDepth) return false;
    switch (Peek()) {
      case '{':
        return ParseObject(out, depth);
      case '[':
        return ParseArray(out, depth);
      case '"':
        out.kind = JsonValue::Kind::kString;
        return ParseString(out.text);
      case 't':
        out.kind = JsonValue::Kind::kBool;
        out.boolean = true;
        return Literal("true");
      case 'f':
        out.kind = JsonValue::Kind::kBool;
        return Literal("false");
      case 'n':
        out.kind = JsonValue::Kind::kNull;
        return Literal("null");
      default:
        return ParseNumber(out);
    }
  }

  bool ParseObject(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kObject;
    ++pos_;  // '{'
    SkipSpace();
    if (Peek() == '}') {
      ++pos_;
      return true;
    }
    while (true) {
      std::string name;
      if (Peek() != '"' || !ParseString(name)) return false;
      SkipSpace();
      if (Peek() != ':') return false;
      ++pos_;
      SkipSpace();
      JsonValue value;
      if (!ParseValue(value, depth + 1)) return false;
      out.members.emplace_back(std::move(name), std::move(value));
      SkipSpace();
      if (Peek() == ',') {
        ++pos_;
        SkipSpace();
      } else if (Peek() == '}') {
        ++pos_;
        return true;
      } else {
        return false;
      }
    }
  }

  bool ParseArray(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kArray;
    ++pos_;  // '['
    SkipSpace();
    if (Peek() == ']') {
      ++pos_;
      return true;
    }
    while (true) {
      JsonValue value;
      if (!ParseValue(value, depth + 1)) return false;
      out.items.push_back(std::move(value));
      SkipSpace();
      if (Peek() == ',') {
        ++pos_;
        SkipSpace();
      } else if (Peek() == ']') {
        ++pos_;
        return true;
      } else {
        return false;
      }
    }
  }

  bool Hex4(unsigned& unit) {
    if (pos_ + 4 > s_.size()) return false;
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      unit <<= 4;
      if (c >= '0' && c <= '9') {
        unit |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        unit |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        unit |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  // A "\u" escape (the "\u" already read), joining a surrogate pair.
  bool UnicodeEscape(std::string& out) {
    unsigned unit = 0;
    if (!Hex4(unit)) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      unsigned low = 0;
      if (s_.substr(pos_, 2) != "\\u") return false;
      pos_ += 2;
      if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;  // a low surrogate alone
    }
    AppendUtf8(out, unit);
    return true;
  }

  bool ParseString(std::string& out) {
    ++pos_;  // '"'
    while (!AtEnd()) {
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (AtEnd()) return false;
      const char e = s_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u':
          if (!UnicodeEscape(out)) return false;
          break;
        default:
          return false;
      }
    }
    return false;  // no closing quote
  }

  bool ParseNumber(JsonValue& out) {
    const size_t start = pos_;
    if (Peek() == '-') ++pos_;
    auto digits = [this] {
      const size_t from = pos_;
      while (!AtEnd() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
      return pos_ > from;
    };
    if (!digits()) return false;
    if (Peek() == '.') {
      ++pos_;
      if (!digits()) return false;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!digits()) return false;
    }
    const std::string number(s_.substr(start, pos_ - start));
    out.kind = JsonValue::Kind::kNumber;
    out.number = std::strtod(number.c_str(), nullptr);
    return true;
  }

  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view name) const {
  const JsonValue* found = nullptr;
  for (const auto& [key, value] : members) {
    if (key == name) found = &value;
  }
  return found;
}

bool JsonValue::IsInt() const {
  return kind == Kind::kNumber && std::isfinite(number) && number == std::floor(number) &&
         number >= static_cast<double>(std::numeric_limits<int>::min()) &&
         number <= static_cast<double>(std::numeric_limits<int>::max());
}

bool ParseJson(std::string_view text, JsonValue& out) {
  out = JsonValue();
  return Parser(text).ParseRoot(out);
}

}  // namespace Utils
