#include "utils/Md5.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestPaths.h"

namespace {

struct Vector {
  const char* message;
  const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

// Tests that the RFC 1321 test suite gives the RFC's digests, in one piece.
TEST(Md5Test, RfcVectors) {
  for (const Vector& v : kRfcVectors) {
    EXPECT_EQ(Utils::Md5Hex(v.message, strlen(v.message)), v.digest) << '"' << v.message << '"';
  }
}

// Tests that feeding a message in pieces of every size (across the 64-byte block and the
// 56-byte padding boundaries) gives the same digest as in one piece.
TEST(Md5Test, PiecewiseUpdatesMatchOnePiece) {
  std::string message;
  for (int i = 0; i < 1000; ++i) message.push_back(static_cast<char>((i * 37 + 11) & 0xff));
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
    const std::string whole = Utils::Md5Hex(message.data(), length);
    for (size_t piece : {1u, 3u, 63u, 64u, 100u}) {
      Utils::Md5 md5;
      for (size_t at = 0; at < length; at += piece) md5.Update(message.data() + at, std::min(piece, length - at));
      EXPECT_EQ(md5.FinishHex(), whole) << "length " << length << " piece " << piece;
    }
  }
  EXPECT_EQ(Utils::Md5Hex(message.data(), 1000), Utils::Md5Hex(message.data(), 1000));
  EXPECT_NE(Utils::Md5Hex(message.data(), 1000), Utils::Md5Hex(message.data(), 999));
}

// Tests that a file's digest (read through a wide path with non-ASCII characters, larger
// than one read block) equals the digest of its bytes, and that a missing file gives an
// empty text.
TEST(Md5Test, FileDigest) {
  testing_support::ScratchDir dir(L"md5-青蓝");
  std::string bytes;
  for (int i = 0; i < 3 * 1048576 + 17; ++i) bytes.push_back(static_cast<char>((i * 131 + (i >> 9)) & 0xff));
  const std::wstring path = dir.File(L"包.bin");
  ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes));
  EXPECT_EQ(Utils::Md5OfFile(path), Utils::Md5Hex(bytes.data(), bytes.size()));

  ASSERT_TRUE(testing_support::WriteFileBytes(path, "abc"));
  EXPECT_EQ(Utils::Md5OfFile(path), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Utils::Md5OfFile(dir.File(L"missing.bin")), "");
}

}  // namespace
