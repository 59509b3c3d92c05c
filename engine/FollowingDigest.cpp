#include "engine/FollowingDigest.h"

#include <vector>

#include "utils/Handles.h"

namespace {
constexpr DWORD kBlock = 1024 * 1024;
// How long to wait for the writer when the file has no new bytes. Polling keeps the
// writer free of any signalling cost per write.
constexpr DWORD kPollMs = 10;
}  // namespace

FollowingDigest::~FollowingDigest() {
  StopThread();
}

void FollowingDigest::Follow(const std::wstring& path) {
  StopThread();
  if (path != path_) Reset();
  path_ = path;
  finishing_ = false;
  stopping_ = false;
  if (!wake_) wake_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  thread_ = std::make_unique<Utils::Thread>(0, L"", [this](uint32_t) { Run(); });
  if (!thread_->IsCreated() || !thread_->Resume()) {
    thread_.reset();
    failed_ = true;
  }
}

void FollowingDigest::Pause() {
  StopThread();
}

std::string FollowingDigest::Finish() {
  if (thread_) {
    finishing_ = true;
    if (wake_) ::SetEvent(wake_.Get());
    thread_->Join();
    thread_.reset();
  }
  std::string digest = failed_ ? std::string() : md5_.FinishHex();
  Reset();
  return digest;
}

void FollowingDigest::Reset() {
  StopThread();
  md5_ = Utils::Md5();
  offset_ = 0;
  failed_ = false;
}

void FollowingDigest::StopThread() {
  if (!thread_) return;
  stopping_ = true;
  if (wake_) ::SetEvent(wake_.Get());
  thread_->Join();
  thread_.reset();
}

void FollowingDigest::Run() {
  if (failed_) return;
  Utils::UniqueFileHandle file(::CreateFileW(path_.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER at;
  at.QuadPart = offset_;
  if (!file || !::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) {
    failed_ = true;
    return;
  }
  std::vector<uint8_t> block(kBlock);
  for (;;) {
    // Read the flag before reading the file: once the writer is done, an empty read is
    // the true end of the file.
    const bool last = finishing_;
    DWORD got = 0;
    if (!::ReadFile(file.Get(), block.data(), kBlock, &got, nullptr)) {
      failed_ = true;
      return;
    }
    if (got > 0) {
      md5_.Update(block.data(), got);
      offset_ += got;
      continue;
    }
    if (last || stopping_) return;
    ::WaitForSingleObject(wake_.Get(), kPollMs);
  }
}
