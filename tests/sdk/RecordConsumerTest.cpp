#include "sdk/RecordConsumer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/sdk/SdkTestSupport.h"
#include "tests/support/TestPaths.h"

namespace {

using analytics_core::RecordConsumer;
using analytics_core::utils::ObjectNode;
using sdk_test::NumberedRecord;
using sdk_test::RecordingSender;
using sdk_test::Utf8;

ObjectNode Numbered(int n) {
  ObjectNode node;
  node.SetNumber("n", n);
  return node;
}

// A consumer with a recording transport and a staging file in a scratch folder of its own.
class RecordConsumerTest : public testing::Test {
 protected:
  RecordConsumerTest()
      : shared_(std::make_shared<RecordingSender::Shared>()),
        stagingPath_(scratch_.File(L"analytics_staging.log")),
        consumer_(std::make_unique<RecordConsumer>(Utf8(stagingPath_), std::make_unique<RecordingSender>(shared_))) {}

  void AddNumbered(int from, int to) {
    for (int i = from; i < to; ++i) consumer_->AddRecord(Numbered(i));
  }
  std::vector<std::string> Numbers(int from, int to) const {
    std::vector<std::string> out;
    for (int i = from; i < to; ++i) out.push_back(NumberedRecord(i));
    return out;
  }
  std::vector<std::string> Queue() const {
    const std::deque<std::string> q = consumer_->Records();
    return {q.begin(), q.end()};
  }

  testing_support::ScratchDir scratch_{L"sdkqueue"};
  std::shared_ptr<RecordingSender::Shared> shared_;
  std::wstring stagingPath_;
  std::unique_ptr<RecordConsumer> consumer_;
};

TEST_F(RecordConsumerTest, The1025thRecordPushesOutTheFirst) {
  AddNumbered(0, 1025);
  const std::vector<std::string> q = Queue();
  ASSERT_EQ(q.size(), 1024u);
  EXPECT_EQ(q.front(), NumberedRecord(1));
  EXPECT_EQ(q.back(), NumberedRecord(1024));
}

TEST_F(RecordConsumerTest, FortyRecordsLeaveAsThirtyAndTen) {
  AddNumbered(0, 40);
  EXPECT_TRUE(consumer_->FlushAll());
  ASSERT_EQ(shared_->bodies.size(), 2u);
  EXPECT_EQ(sdk_test::SplitBatch(shared_->bodies[0]), Numbers(0, 30));
  EXPECT_EQ(sdk_test::SplitBatch(shared_->bodies[1]), Numbers(30, 40));
  EXPECT_EQ(shared_->bodies[1], "[" + NumberedRecord(30) + "," + NumberedRecord(31) + "," + NumberedRecord(32) + "," +
                                    NumberedRecord(33) + "," + NumberedRecord(34) + "," + NumberedRecord(35) + "," +
                                    NumberedRecord(36) + "," + NumberedRecord(37) + "," + NumberedRecord(38) + "," +
                                    NumberedRecord(39) + "]");
  EXPECT_EQ(consumer_->Size(), 0u);
  EXPECT_TRUE(shared_->headers[0].empty());
}

TEST_F(RecordConsumerTest, FlushingAnEmptyQueueSendsNothing) {
  EXPECT_TRUE(consumer_->FlushOne());
  EXPECT_TRUE(consumer_->FlushAll());
  EXPECT_TRUE(shared_->bodies.empty());
}

TEST_F(RecordConsumerTest, AFailedBatchReturnsToTheFrontAndStopsTheFlush) {
  AddNumbered(0, 40);
  shared_->result = false;
  EXPECT_FALSE(consumer_->FlushAll());
  EXPECT_EQ(shared_->bodies.size(), 1u);
  EXPECT_EQ(Queue(), Numbers(0, 40));
}

TEST_F(RecordConsumerTest, AFailedBatchKeepsOnlyWhatFitsNewestFirst) {
  AddNumbered(0, 30);
  // While the batch is on the wire the queue grows to 1000.
  shared_->onSend = [this](const std::string&) {
    AddNumbered(1000, 2000);
    return false;
  };
  EXPECT_FALSE(consumer_->FlushOne());
  std::vector<std::string> expected = Numbers(6, 30);
  const std::vector<std::string> added = Numbers(1000, 2000);
  expected.insert(expected.end(), added.begin(), added.end());
  EXPECT_EQ(Queue(), expected);
}

TEST_F(RecordConsumerTest, AnExceptionInTheSendLosesTheBatchOnly) {
  sdk_test::ErrorCapture errors;
  AddNumbered(0, 31);
  shared_->onSend = [](const std::string&) -> bool { throw std::runtime_error("wire cut"); };
  EXPECT_FALSE(consumer_->FlushAll());
  EXPECT_EQ(errors.Text(), "Exception when flush failed: (wire cut) \n");
  EXPECT_EQ(Queue(), Numbers(30, 31));
}

TEST_F(RecordConsumerTest, CookieIsSentAsAHeader) {
  consumer_->SetCookie("session=1");
  AddNumbered(0, 1);
  EXPECT_TRUE(consumer_->FlushAll());
  ASSERT_EQ(shared_->headers.size(), 1u);
  EXPECT_EQ(shared_->headers[0], (analytics_core::HeaderList{{"Cookie", "session=1"}}));
}

TEST_F(RecordConsumerTest, StagingFileRecordsComeFirstOnceAndTheFileIsEmptied) {
  ASSERT_TRUE(testing_support::WriteFileBytes(stagingPath_, NumberedRecord(-3) + "\r\n" + NumberedRecord(-2) +
                                                                "\r\n\r\nplain text\r\n{broken\r\n" +
                                                                NumberedRecord(-1) + "\r\n"));
  AddNumbered(0, 2);
  shared_->result = false;
  EXPECT_FALSE(consumer_->FlushOne());
  std::vector<std::string> expected = Numbers(-3, 2);
  EXPECT_EQ(Queue(), expected);
  EXPECT_EQ(testing_support::ReadFileBytes(stagingPath_), "");

  // The file is read once: records written to it later stay there.
  ASSERT_TRUE(testing_support::WriteFileBytes(stagingPath_, NumberedRecord(77) + "\r\n"));
  shared_->result = true;
  EXPECT_TRUE(consumer_->FlushAll());
  EXPECT_EQ(sdk_test::SplitBatch(shared_->bodies.back()), expected);
  EXPECT_EQ(testing_support::ReadFileBytes(stagingPath_), NumberedRecord(77) + "\r\n");
}

TEST_F(RecordConsumerTest, FullQueueSkipsTheStagingFileButEmptiesIt) {
  ASSERT_TRUE(testing_support::WriteFileBytes(stagingPath_, NumberedRecord(-1) + "\r\n"));
  AddNumbered(0, 1024);
  EXPECT_TRUE(consumer_->FlushOne());
  EXPECT_EQ(sdk_test::SplitBatch(shared_->bodies[0]), Numbers(0, 30));
  EXPECT_EQ(testing_support::ReadFileBytes(stagingPath_), "");
}

TEST_F(RecordConsumerTest, StagingLinesBeyondTheRoomDropTheOldest) {
  std::string file;
  for (int i = 0; i < 10; ++i) file += NumberedRecord(100 + i) + "\r\n";
  ASSERT_TRUE(testing_support::WriteFileBytes(stagingPath_, file));
  AddNumbered(0, 1020);
  shared_->result = false;
  consumer_->FlushOne();
  const std::vector<std::string> q = Queue();
  ASSERT_EQ(q.size(), 1024u);
  EXPECT_EQ(q[0], NumberedRecord(106));
  EXPECT_EQ(q[3], NumberedRecord(109));
  EXPECT_EQ(q[4], NumberedRecord(0));
}

TEST_F(RecordConsumerTest, CloseWritesUnsentRecordsAndTheNextRunSendsThemFirst) {
  ASSERT_TRUE(testing_support::WriteFileBytes(stagingPath_, NumberedRecord(-1) + "\r\n"));
  AddNumbered(0, 5);
  consumer_->Close();
  EXPECT_FALSE(consumer_->FlushAll());  // closed: nothing leaves any more
  std::string expectedFile;
  for (const std::string& r : Numbers(-1, 5)) expectedFile += r + "\r\n";
  EXPECT_EQ(testing_support::ReadFileBytes(stagingPath_), expectedFile);
  EXPECT_TRUE(shared_->bodies.empty());

  auto next = std::make_shared<RecordingSender::Shared>();
  consumer_ = std::make_unique<RecordConsumer>(Utf8(stagingPath_), std::make_unique<RecordingSender>(next));
  consumer_->AddRecord(Numbered(100));
  EXPECT_TRUE(consumer_->FlushAll());
  ASSERT_EQ(next->bodies.size(), 1u);
  std::vector<std::string> expected = Numbers(-1, 5);
  expected.push_back(NumberedRecord(100));
  EXPECT_EQ(sdk_test::SplitBatch(next->bodies[0]), expected);
}

TEST_F(RecordConsumerTest, StagingFileInAFolderWithChineseName) {
  const std::wstring folder = scratch_.File(L"\u9752\u84dd");
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::string staging = analytics_core::StagingFileIn(Utf8(folder) + "\\");
  EXPECT_EQ(staging, Utf8(folder) + "\\analytics_staging.log");
  {
    RecordConsumer consumer(staging, std::make_unique<RecordingSender>(shared_));
    consumer.AddRecord(Numbered(1));
    consumer.Close();
  }
  EXPECT_EQ(testing_support::ReadFileBytes(folder + L"\\analytics_staging.log"), NumberedRecord(1) + "\r\n");
}

TEST(StagingFileInTest, NamesAFileOfItsOwnInsideTheFolder) {
  EXPECT_EQ(analytics_core::StagingFileIn("C:\\data\\"), "C:\\data\\analytics_staging.log");
  EXPECT_EQ(analytics_core::StagingFileIn("C:\\data"), "C:\\data\\analytics_staging.log");
  EXPECT_EQ(analytics_core::StagingFileIn(""), "");
}

}  // namespace
