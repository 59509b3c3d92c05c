#pragma once

// MD5 message digest (RFC 1321). Digests are written as 32 lower-case hexadecimal digits.

#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

// Incremental MD5: Update any number of times, then Finish once.
class Md5 {
 public:
  Md5();

  // Adds |size| bytes to the message.
  void Update(const void* data, size_t size);

  // Pads the message and returns the 16-byte digest. The object must not be updated
  // afterwards.
  void Finish(uint8_t digest[16]);

  // Finish, written as 32 lower-case hexadecimal digits.
  std::string FinishHex();

 private:
  void Transform(const uint8_t block[64]);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes so far
  uint8_t buffer_[64];
};

// The digest of a byte string in lower-case hexadecimal.
std::string Md5Hex(const void* data, size_t size);

// The digest of a whole file, read through its wide path in large blocks; empty when the
// file cannot be opened or read.
std::string Md5OfFile(const std::wstring& path);

}  // namespace Utils
