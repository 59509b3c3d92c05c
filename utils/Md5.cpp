#include "utils/Md5.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "utils/Handles.h"

namespace Utils {
namespace {

inline uint32_t RotateLeft(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

inline uint32_t LoadLittle(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// The four round functions and one step of RFC 1321, section 3.4.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
  return z ^ (x & (y ^ z));
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) {
  return y ^ (z & (x ^ y));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
  return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) {
  return y ^ (x | ~z);
}

template <uint32_t (*Round)(uint32_t, uint32_t, uint32_t)>
inline void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t m, uint32_t t, int s) {
  a = b + RotateLeft(a + Round(b, c, d) + m + t, s);
}

// Large reads: small ones cost more in system calls than the digest itself.
constexpr DWORD kFileBlock = 1024 * 1024;

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, buffer_{} {}

// Unrolled: the digest runs over every byte of the package, so its speed matters.
void Md5::Transform(const uint8_t block[64]) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = LoadLittle(block + 4 * i);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  Step<F>(a, b, c, d, m[0], 0xd76aa478, 7);
  Step<F>(d, a, b, c, m[1], 0xe8c7b756, 12);
  Step<F>(c, d, a, b, m[2], 0x242070db, 17);
  Step<F>(b, c, d, a, m[3], 0xc1bdceee, 22);
  Step<F>(a, b, c, d, m[4], 0xf57c0faf, 7);
  Step<F>(d, a, b, c, m[5], 0x4787c62a, 12);
  Step<F>(c, d, a, b, m[6], 0xa8304613, 17);
  Step<F>(b, c, d, a, m[7], 0xfd469501, 22);
  Step<F>(a, b, c, d, m[8], 0x698098d8, 7);
  Step<F>(d, a, b, c, m[9], 0x8b44f7af, 12);
  Step<F>(c, d, a, b, m[10], 0xffff5bb1, 17);
  Step<F>(b, c, d, a, m[11], 0x895cd7be, 22);
  Step<F>(a, b, c, d, m[12], 0x6b901122, 7);
  Step<F>(d, a, b, c, m[13], 0xfd987193, 12);
  Step<F>(c, d, a, b, m[14], 0xa679438e, 17);
  Step<F>(b, c, d, a, m[15], 0x49b40821, 22);

  Step<G>(a, b, c, d, m[1], 0xf61e2562, 5);
  Step<G>(d, a, b, c, m[6], 0xc040b340, 9);
  Step<G>(c, d, a, b, m[11], 0x265e5a51, 14);
  Step<G>(b, c, d, a, m[0], 0xe9b6c7aa, 20);
  Step<G>(a, b, c, d, m[5], 0xd62f105d, 5);
  Step<G>(d, a, b, c, m[10], 0x02441453, 9);
  Step<G>(c, d, a, b, m[15], 0xd8a1e681, 14);
  Step<G>(b, c, d, a, m[4], 0xe7d3fbc8, 20);
  Step<G>(a, b, c, d, m[9], 0x21e1cde6, 5);
  Step<G>(d, a, b, c, m[14], 0xc33707d6, 9);
  Step<G>(c, d, a, b, m[3], 0xf4d50d87, 14);
  Step<G>(b, c, d, a, m[8], 0x455a14ed, 20);
  Step<G>(a, b, c, d, m[13], 0xa9e3e905, 5);
  Step<G>(d, a, b, c, m[2], 0xfcefa3f8, 9);
  Step<G>(c, d, a, b, m[7], 0x676f02d9, 14);
  Step<G>(b, c, d, a, m[12], 0x8d2a4c8a, 20);

  Step<H>(a, b, c, d, m[5], 0xfffa3942, 4);
  Step<H>(d, a, b, c, m[8], 0x8771f681, 11);
  Step<H>(c, d, a, b, m[11], 0x6d9d6122, 16);
  Step<H>(b, c, d, a, m[14], 0xfde5380c, 23);
  Step<H>(a, b, c, d, m[1], 0xa4beea44, 4);
  Step<H>(d, a, b, c, m[4], 0x4bdecfa9, 11);
  Step<H>(c, d, a, b, m[7], 0xf6bb4b60, 16);
  Step<H>(b, c, d, a, m[10], 0xbebfbc70, 23);
  Step<H>(a, b, c, d, m[13], 0x289b7ec6, 4);
  Step<H>(d, a, b, c, m[0], 0xeaa127fa, 11);
  Step<H>(c, d, a, b, m[3], 0xd4ef3085, 16);
  Step<H>(b, c, d, a, m[6], 0x04881d05, 23);
  Step<H>(a, b, c, d, m[9], 0xd9d4d039, 4);
  Step<H>(d, a, b, c, m[12], 0xe6db99e5, 11);
  Step<H>(c, d, a, b, m[15], 0x1fa27cf8, 16);
  Step<H>(b, c, d, a, m[2], 0xc4ac5665, 23);

  Step<I>(a, b, c, d, m[0], 0xf4292244, 6);
  Step<I>(d, a, b, c, m[7], 0x432aff97, 10);
  Step<I>(c, d, a, b, m[14], 0xab9423a7, 15);
  Step<I>(b, c, d, a, m[5], 0xfc93a039, 21);
  Step<I>(a, b, c, d, m[12], 0x655b59c3, 6);
  Step<I>(d, a, b, c, m[3], 0x8f0ccc92, 10);
  Step<I>(c, d, a, b, m[10], 0xffeff47d, 15);
  Step<I>(b, c, d, a, m[1], 0x85845dd1, 21);
  Step<I>(a, b, c, d, m[8], 0x6fa87e4f, 6);
  Step<I>(d, a, b, c, m[15], 0xfe2ce6e0, 10);
  Step<I>(c, d, a, b, m[6], 0xa3014314, 15);
  Step<I>(b, c, d, a, m[13], 0x4e0811a1, 21);
  Step<I>(a, b, c, d, m[4], 0xf7537e82, 6);
  Step<I>(d, a, b, c, m[11], 0xbd3af235, 10);
  Step<I>(c, d, a, b, m[2], 0x2ad7d2bb, 15);
  Step<I>(b, c, d, a, m[9], 0xeb86d391, 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t used = static_cast<size_t>(length_ & 63);
  length_ += size;
  if (used > 0) {
    const size_t take = size < 64 - used ? size : 64 - used;
    std::memcpy(buffer_ + used, p, take);
    p += take;
    size -= take;
    used += take;
    if (used < 64) return;
    Transform(buffer_);
  }
  for (; size >= 64; p += 64, size -= 64) Transform(p);
  if (size > 0) std::memcpy(buffer_, p, size);
}

void Md5::Finish(uint8_t digest[16]) {
  const uint64_t bits = length_ * 8;
  static const uint8_t kPadding[64] = {0x80};
  const size_t used = static_cast<size_t>(length_ & 63);
  Update(kPadding, used < 56 ? 56 - used : 120 - used);
  uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<uint8_t>(bits >> (8 * i));
  Update(tail, 8);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
  }
}

std::string Md5::FinishHex() {
  uint8_t digest[16];
  Finish(digest);
  static const char kHex[] = "0123456789abcdef";
  std::string out(32, '0');
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 15];
  }
  return out;
}

std::string Md5Hex(const void* data, size_t size) {
  Md5 md5;
  md5.Update(data, size);
  return md5.FinishHex();
}

std::string Md5OfFile(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  auto block = std::make_unique<uint8_t[]>(kFileBlock);
  Md5 md5;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), block.get(), kFileBlock, &got, nullptr)) return {};
    if (got == 0) break;
    md5.Update(block.get(), got);
  }
  return md5.FinishHex();
}

}  // namespace Utils
