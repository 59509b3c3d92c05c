#include "sdk/Encoding.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include "sdk/RecordSender.h"

namespace {

using analytics_core::Base64Encode;
using analytics_core::GzipCompress;
using analytics_core::PercentEncode;

// Undoes a gzip stream; nothing on error.
std::optional<std::string> Gunzip(const std::string& data) {
  z_stream stream = {};
  if (inflateInit2(&stream, 31) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  std::string out;
  char chunk[4096];
  int rc = Z_OK;
  while (rc == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof(chunk);
    rc = inflate(&stream, Z_NO_FLUSH);
    out.append(chunk, sizeof(chunk) - stream.avail_out);
  }
  inflateEnd(&stream);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

std::string Base64Decode(const std::string& text) {
  static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<uint32_t>(kAlphabet.find(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(EncodingTest, Base64PadsToWholeQuads) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {"\xFB\xFF", "+/8="},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.in), c.out) << c.in;
}

TEST(EncodingTest, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("+/= &%"), "%2B%2F%3D%20%26%25");
  EXPECT_EQ(PercentEncode("\xE4\n"), "%E4%0A");
}

TEST(EncodingTest, GzipStreamHasTheGzipHeaderAndRoundTrips) {
  std::string body = "[";
  for (int i = 0; i < 2000; ++i) body += "{\"n\":" + std::to_string(i) + "},";
  body.back() = ']';
  const std::optional<std::string> gz = GzipCompress(body);
  ASSERT_TRUE(gz);
  ASSERT_GT(gz->size(), 10u);
  EXPECT_EQ(static_cast<unsigned char>((*gz)[0]), 0x1F);
  EXPECT_EQ(static_cast<unsigned char>((*gz)[1]), 0x8B);
  EXPECT_EQ((*gz)[2], 8);  // deflate
  EXPECT_LT(gz->size(), body.size());
  EXPECT_EQ(Gunzip(*gz), body);
}

TEST(EncodingTest, GzipOfLargeIncompressibleInputSpansSeveralChunks) {
  std::string body;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    body += static_cast<char>(x >> 24);
  }
  const std::optional<std::string> gz = GzipCompress(body);
  ASSERT_TRUE(gz);
  EXPECT_GT(gz->size(), 32768u * 2);
  EXPECT_EQ(Gunzip(*gz), body);
}

TEST(EncodingTest, RequestBodyIsTheEncodedGzipFormField) {
  const std::string batch = "[{\"_track_id\":1,\"distinct_id\":\"d\"}]";
  const std::optional<std::string> request = analytics_core::RecordSender::BuildRequestBody(batch);
  ASSERT_TRUE(request);
  const std::string prefix = "data_list=";
  const std::string suffix = "&gzip=1";
  ASSERT_EQ(request->rfind(prefix, 0), 0u);
  ASSERT_EQ(request->substr(request->size() - suffix.size()), suffix);
  const std::string encoded = request->substr(prefix.size(), request->size() - prefix.size() - suffix.size());
  EXPECT_EQ(encoded.find_first_of("+/="), std::string::npos) << encoded;
  EXPECT_EQ(Gunzip(Base64Decode(PercentDecode(encoded))), batch);
}

}  // namespace
