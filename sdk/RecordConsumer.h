#pragma once

// The bounded queue of record texts: batches of 30 leave it through a BatchSender, failed
// batches come back to its front, and a staging file carries unsent records to the next run.

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "sdk/ObjectNode.h"
#include "sdk/RecordSender.h"

namespace analytics_core {

class RecordConsumer {
 public:
  static constexpr size_t kCapacity = 1024;
  static constexpr size_t kBatchSize = 30;

  // |stagingFilePath| (UTF-8; empty for none) keeps unsent records between runs; |sender|
  // posts the batches.
  RecordConsumer(std::string stagingFilePath, std::unique_ptr<BatchSender> sender);
  RecordConsumer(const RecordConsumer&) = delete;
  RecordConsumer& operator=(const RecordConsumer&) = delete;

  // Queues the JSON text of |record|; beyond 1024 records the oldest is dropped.
  void AddRecord(const utils::ObjectNode& record);

  // Sends the (at most 30) oldest records. True when sent or when nothing was queued; on
  // failure the batch returns to the front as far as room allows.
  bool FlushOne();

  // Sends batches until the queue is empty (true) or one fails (false).
  bool FlushAll();

  // Writes every queued record to the staging file (replacing it) and drops the sender;
  // later flushes fail.
  void Close();

  // The queued texts, oldest first, and their count.
  std::deque<std::string> Records() const;
  size_t Size() const;

  // A "Cookie" header value for every post; empty for none.
  void SetCookie(const std::string& cookie);
  // Echo of queue activity on the standard output stream.
  void SetVerbose(bool verbose);

 private:
  // Puts the staging file's records in front of the queue and empties the file, once.
  void MergeStagingFile();
  void WriteStagingFile(const std::deque<std::string>& records) const;

  const std::string stagingFilePath_;
  std::unique_ptr<BatchSender> sender_;
  std::deque<std::string> records_;
  bool stagingPending_ = true;
  std::string cookie_;
  std::atomic<bool> verbose_{false};
  // Lock order: flushLock_ before queueLock_.
  mutable std::recursive_mutex queueLock_;
  std::recursive_mutex flushLock_;
};

// The staging file inside |folder|: "<folder>\analytics_staging.log" (a trailing
// separator on |folder| is allowed). Empty when |folder| is empty.
std::string StagingFileIn(const std::string& folder);

}  // namespace analytics_core
