#pragma once

// The MD5 digest of a file that is being written, computed on a thread of its own that
// follows the writer, so that the digest is ready moments after the last byte instead of
// costing a second pass over the file. It reads the file itself (not the received
// stream), so the result is the digest of the bytes on disk, whatever wrote them.
//
// One owner thread calls Follow, Pause, Finish and Reset; the file must only grow while
// followed.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "utils/Md5.h"
#include "utils/Thread.h"

class FollowingDigest {
 public:
  FollowingDigest() = default;
  // Stops following.
  ~FollowingDigest();

  FollowingDigest(const FollowingDigest&) = delete;
  FollowingDigest& operator=(const FollowingDigest&) = delete;

  // Starts following |path| from the bytes digested so far (from 0 after Reset).
  void Follow(const std::wstring& path);

  // Stops following and keeps what was digested, for a later Follow of the same file.
  void Pause();

  // Called once the writer has finished: digests the rest of the file and returns the
  // digest (32 lower-case hex digits), or empty when the file could not be read. Then
  // starts afresh.
  std::string Finish();

  // Forgets everything digested (the file was removed or replaced).
  void Reset();

  int64_t DigestedBytes() const { return offset_; }

 private:
  void Run();
  void StopThread();

  std::wstring path_;
  Utils::Md5 md5_;
  int64_t offset_ = 0;  // bytes of the file digested so far
  bool failed_ = false;
  std::atomic<bool> finishing_{false};
  std::atomic<bool> stopping_{false};
  Utils::UniqueHandle wake_;
  std::unique_ptr<Utils::Thread> thread_;
};
