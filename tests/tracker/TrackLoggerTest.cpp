#include <gtest/gtest.h>

#include <regex>

#include "tests/support/TestPaths.h"
#include "tracker/IdentityStore.h"
#include "tracker/TrackLogger.h"

using namespace velto::tracking;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

std::string Narrow(const std::wstring& path) {
  return std::string(path.begin(), path.end());
}

}  // namespace

TEST(TrackLoggerTest, LineFormat) {
  std::tm when = {};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 0;
  when.tm_mday = 2;
  when.tm_hour = 3;
  when.tm_min = 4;
  when.tm_sec = 5;
  EXPECT_EQ(NativeTrackLogger::formatLine(when, "Task", "{\"a\":\"x\r\ny\nz\tw\"}"),
            "2026-01-02 03:04:05.000\tTask\t{\"a\":\"x y z w\"}");
  EXPECT_EQ(NativeTrackLogger::cleanProperties("\r\r\n\n\t"), "\r   ");
}

TEST(TrackLoggerTest, WriteReadAndClear) {
  ScratchDir dir;
  const std::string path = Narrow(dir.File(L"log.txt"));
  NativeTrackLogger logger;
  logger.open(path);
  logger.write("Task", "{\"vt_task_name\":\"a\"}");
  logger.write("Click", "{\"vt_name\":\"b\tc\"}");
  logger.write("View", "{}");

  const std::string text = ReadFileBytes(dir.File(L"log.txt"));
  EXPECT_TRUE(std::regex_match(text, std::regex("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.000\\t[A-Za-z]+\\t"
                                                "\\{[^\\t\\n]*\\}\\r\\n){3}")))
      << text;

  std::vector<TrackRecord> records;
  logger.readRecords(records, 0, 10);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].kind, "Click");
  EXPECT_EQ(records[1].properties, "{\"vt_name\":\"b c\"}");
  logger.readRecords(records, 1, 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, "Click");
  logger.write("Share", "{}");  // between reads: the next read goes on where the last stopped
  logger.readRecords(records, 2, 5);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, "View");
  EXPECT_EQ(records[1].kind, "Share");
  logger.readRecords(records, 0, 1);  // going back rewinds
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, "Task");

  logger.clear();
  logger.readRecords(records, 0, 10);
  EXPECT_TRUE(records.empty());
  logger.write("Task", "{}");
  logger.readRecords(records, 0, 10);
  ASSERT_EQ(records.size(), 1u);  // the empty line left by clear is no record
  logger.close();
  EXPECT_EQ(ReadFileBytes(dir.File(L"log.txt")).substr(0, 2), "\r\n");
}

TEST(TrackLoggerTest, OpenCreatesTheFileAndKeepsOldLines) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File(L"old.txt"), "2020-01-01 00:00:00.000\tTask\t{}\r\nshort\tline\r\n\r\n"));
  NativeTrackLogger logger;
  logger.open(Narrow(dir.File(L"old.txt")));
  std::vector<TrackRecord> records;
  logger.readRecords(records, 0, 10);
  ASSERT_EQ(records.size(), 1u);  // a line with fewer than three fields is skipped
  EXPECT_EQ(records[0].time, "2020-01-01 00:00:00.000");

  logger.open(Narrow(dir.File(L"new.txt")));
  EXPECT_EQ(::GetFileAttributesW(dir.File(L"new.txt").c_str()) != INVALID_FILE_ATTRIBUTES, true);
  logger.readRecords(records, 0, 10);
  EXPECT_TRUE(records.empty());
}
