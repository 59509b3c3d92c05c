#include "sdk/Encoding.h"

#include <zlib.h>

#include "sdk/ErrorOutput.h"

namespace analytics_core {

std::optional<std::string> GzipCompress(std::string_view data) {
  z_stream stream = {};
  if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    WriteError("deflateInit2 failed while compressing.\n");
    return std::nullopt;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());

  std::string out;
  char chunk[32768];
  int rc = Z_OK;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof(chunk);
    rc = deflate(&stream, Z_FINISH);
    if (rc != Z_OK && rc != Z_STREAM_END) {
      WriteError("Exception during zlib compression: (" + std::to_string(rc) + ") " + (stream.msg ? stream.msg : "") +
                 "\n");
      deflateEnd(&stream);
      return std::nullopt;
    }
    out.append(chunk, sizeof(chunk) - stream.avail_out);
  } while (rc != Z_STREAM_END);
  deflateEnd(&stream);
  return out;
}

std::string Base64Encode(std::string_view data) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const uint32_t v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8) |
                       static_cast<unsigned char>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = data.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<unsigned char>(data[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string PercentEncode(std::string_view data) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(data.size() * 3 / 2);
  for (const char ch : data) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace analytics_core
