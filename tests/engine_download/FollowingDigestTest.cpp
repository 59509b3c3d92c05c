#include "engine/FollowingDigest.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/support/TestPaths.h"
#include "utils/Handles.h"
#include "utils/Md5.h"

namespace {

std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(((i + seed) * 2654435761u) >> 11);
  return s;
}

// Appends |bytes| to |path| in pieces of |piece| bytes, yielding between them so that
// the follower sees the file grow.
void AppendSlowly(const std::wstring& path, const std::string& bytes, size_t piece) {
  Utils::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  LARGE_INTEGER zero = {};
  ::SetFilePointerEx(file.Get(), zero, nullptr, FILE_END);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const DWORD n = static_cast<DWORD>(std::min(piece, bytes.size() - at));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data() + at, n, &written, nullptr));
    ASSERT_EQ(written, n);
    if ((at / piece) % 8 == 0) ::Sleep(1);
  }
}

// Tests of the digest that follows a growing file: it covers bytes present before it
// started, bytes written while it follows, and bytes written between a pause and the
// next follow; it equals the digest of the finished file read in one pass.
class FollowingDigestTest : public testing::Test {
 protected:
  testing_support::ScratchDir dir_{L"follow-青蓝"};
  std::wstring path_ = dir_.File(L"包.part");
};

TEST_F(FollowingDigestTest, FollowsAWriterToTheEnd) {
  const std::string before = Pattern(300000, 1), during = Pattern(3 * 1048576 + 77, 2);
  ASSERT_TRUE(testing_support::WriteFileBytes(path_, before));
  FollowingDigest digest;
  digest.Follow(path_);
  std::thread writer([&] { AppendSlowly(path_, during, 65536); });
  writer.join();
  const std::string all = before + during;
  EXPECT_EQ(digest.Finish(), Utils::Md5Hex(all.data(), all.size()));
  EXPECT_EQ(Utils::Md5OfFile(path_), Utils::Md5Hex(all.data(), all.size()));
  EXPECT_EQ(digest.DigestedBytes(), 0) << "Finish starts afresh";
}

TEST_F(FollowingDigestTest, PauseKeepsWhatWasDigested) {
  const std::string a = Pattern(1500000, 3), b = Pattern(700001, 4);
  FollowingDigest digest;
  ASSERT_TRUE(testing_support::WriteFileBytes(path_, ""));
  digest.Follow(path_);
  AppendSlowly(path_, a, 131072);
  digest.Pause();
  AppendSlowly(path_, b, 131072);  // written while nobody follows
  digest.Follow(path_);
  const std::string all = a + b;
  EXPECT_EQ(digest.Finish(), Utils::Md5Hex(all.data(), all.size()));
}

TEST_F(FollowingDigestTest, ResetStartsAgainForANewFile) {
  FollowingDigest digest;
  ASSERT_TRUE(testing_support::WriteFileBytes(path_, Pattern(100000, 5)));
  digest.Follow(path_);
  digest.Pause();
  digest.Reset();
  const std::string fresh = Pattern(200000, 6);
  ASSERT_TRUE(testing_support::WriteFileBytes(path_, fresh));
  digest.Follow(path_);
  EXPECT_EQ(digest.Finish(), Utils::Md5Hex(fresh.data(), fresh.size()));
}

TEST_F(FollowingDigestTest, MissingFileGivesNoDigest) {
  FollowingDigest digest;
  digest.Follow(dir_.File(L"missing.part"));
  EXPECT_EQ(digest.Finish(), "");
  // The failure is forgotten with the rest.
  ASSERT_TRUE(testing_support::WriteFileBytes(path_, "abc"));
  digest.Follow(path_);
  EXPECT_EQ(digest.Finish(), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
