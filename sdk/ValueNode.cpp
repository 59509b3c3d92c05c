#include "sdk/ValueNode.h"

#include <windows.h>

#include <cmath>
#include <cstdio>

#include "sdk/ObjectNode.h"

namespace analytics_core::utils {

ValueNode ValueNode::Number(double value) {
  return ValueNode(Payload(std::in_place_index<NUMBER>, value));
}
ValueNode ValueNode::Int(int64_t value) {
  return ValueNode(Payload(std::in_place_index<INT>, value));
}
ValueNode ValueNode::String(std::string value) {
  return ValueNode(Payload(std::in_place_index<STRING>, std::move(value)));
}
ValueNode ValueNode::List(std::vector<std::string> values) {
  return ValueNode(Payload(std::in_place_index<LIST>, std::move(values)));
}
ValueNode ValueNode::Time(int64_t seconds, int milliseconds) {
  return ValueNode(Payload(std::in_place_index<DATETIME>, DateTime{seconds, milliseconds}));
}
ValueNode ValueNode::Bool(bool value) {
  return ValueNode(Payload(std::in_place_index<BOOL>, value));
}
ValueNode ValueNode::Object(const ObjectNode& object) {
  return ValueNode(Payload(std::in_place_index<OBJECT>, std::make_shared<const ObjectNode>(object)));
}

ValueNode ValueNode::Object(ObjectNode&& object) {
  return ValueNode(Payload(std::in_place_index<OBJECT>, std::make_shared<const ObjectNode>(std::move(object))));
}

void AppendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (const char ch : text) {
    switch (ch) {
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20) {
          // Unchecked texts (lists, identities) may still hold control bytes; raw ones would
          // make the whole batch invalid JSON.
          char escaped[8];
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(ch)));
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

std::string FormatNumber(double value) {
  // JSON has no text for NaN or infinity; "nan" would spoil the whole batch.
  if (!std::isfinite(value)) return "null";
  char text[64];
  std::snprintf(text, sizeof(text), "%g", value);
  return text;
}

std::string FormatLocalTime(const DateTime& time) {
  // FILETIME counts 100 ns units since 1601-01-01.
  const int64_t ticks = (time.seconds + 11644473600LL) * 10000000LL;
  SYSTEMTIME utc = {};
  SYSTEMTIME local = {};
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  if (ticks < 0 || !::FileTimeToSystemTime(&ft, &utc)) {
    utc = {};
    utc.wYear = 1970;
    utc.wMonth = 1;
    utc.wDay = 1;
  }
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  char text[64];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.wYear, local.wMonth, local.wDay,
                local.wHour, local.wMinute, local.wSecond, time.milliseconds);
  return text;
}

void ValueNode::AppendJson(std::string& out) const {
  switch (GetType()) {
    case NUMBER:
      out += FormatNumber(AsNumber());
      break;
    case INT:
      out += std::to_string(AsInt());
      break;
    case STRING:
      AppendQuoted(out, AsString());
      break;
    case LIST: {
      out += '[';
      bool first = true;
      for (const std::string& item : AsList()) {
        if (!first) out += ',';
        first = false;
        AppendQuoted(out, item);
      }
      out += ']';
      break;
    }
    case DATETIME:
      out += '"';
      out += FormatLocalTime(AsDateTime());
      out += '"';
      break;
    case BOOL:
      out += AsBool() ? "true" : "false";
      break;
    case OBJECT:
      AsObject().AppendJson(out);
      break;
  }
}

}  // namespace analytics_core::utils
