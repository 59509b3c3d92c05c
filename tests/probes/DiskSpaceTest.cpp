#include "utils/DiskSpace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/DebugLog.h"

namespace {

std::vector<std::wstring> g_lines;
void CaptureLine(const wchar_t* line) {
  g_lines.push_back(line);
}

// Tests disk queries with the log captured.
class DiskSpaceTest : public testing::Test {
 protected:
  void SetUp() override {
    g_lines.clear();
    previousSink_ = Utils::SetLogSinkForTesting(&CaptureLine);
  }
  void TearDown() override { Utils::SetLogSinkForTesting(previousSink_); }
  Utils::LogSink previousSink_ = nullptr;
};

TEST_F(DiskSpaceTest, NewObjectCountsNothing) {
  const Utils::HardDiskManager disk;
  EXPECT_EQ(disk.FreeBytesAvailable(), 0u);
  EXPECT_EQ(disk.TotalNumberOfBytes(), 0u);
  EXPECT_EQ(disk.TotalNumberOfFreeBytes(), 0u);
}

TEST_F(DiskSpaceTest, DriveOfTheSystemHasSpace) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 2u);
  const std::wstring drives[] = {L"C:", std::wstring(temp, 2), temp};
  for (const std::wstring& drive : drives) {
    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(drive)) << "drive " << drive.size();
    EXPECT_GT(disk.TotalNumberOfBytes(), 0u);
    EXPECT_GT(disk.FreeBytesAvailable(), 0u);
    EXPECT_LE(disk.TotalNumberOfFreeBytes(), disk.TotalNumberOfBytes());
    EXPECT_LE(disk.FreeBytesAvailable(), disk.TotalNumberOfBytes());
  }
  EXPECT_TRUE(g_lines.empty());
}

// A failed query keeps the counters of the last good one and logs the error code.
TEST_F(DiskSpaceTest, FailedQueryKeepsCountersAndLogs) {
  Utils::HardDiskManager disk;
  ASSERT_TRUE(disk.CheckFreeSpace(L"C:"));
  const unsigned long long total = disk.TotalNumberOfBytes();
  const unsigned long long available = disk.FreeBytesAvailable();
  const unsigned long long free = disk.TotalNumberOfFreeBytes();

  const wchar_t* missing[] = {L"C:\\no-such-folder-7F3A91\\deeper",
                              L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\"};
  for (const wchar_t* folder : missing) {
    g_lines.clear();
    EXPECT_FALSE(disk.CheckFreeSpace(folder));
    EXPECT_EQ(disk.TotalNumberOfBytes(), total);
    EXPECT_EQ(disk.FreeBytesAvailable(), available);
    EXPECT_EQ(disk.TotalNumberOfFreeBytes(), free);
    ASSERT_EQ(g_lines.size(), 1u);
    const std::wstring& line = g_lines[0];
    EXPECT_NE(line.find(L"(Utils::HardDiskManager::CheckFreeSpace)"), std::wstring::npos) << line.size();
    const size_t at = line.find(L": HardDiskManager::CheckFreeSpace FAIL code=");
    ASSERT_NE(at, std::wstring::npos);
    EXPECT_NE(line.substr(line.find(L"code=") + 5, 1), L"0");
    EXPECT_EQ(line.substr(line.size() - 2), L"\r\n");
  }
}

}  // namespace
