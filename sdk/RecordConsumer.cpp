#include "sdk/RecordConsumer.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <vector>

#include "sdk/ErrorOutput.h"
#include "utils/TextConvert.h"
#include "utils/UniqueResource.h"

namespace analytics_core {

namespace {

struct StdioFileTraits {
  using Type = FILE*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type f) noexcept { std::fclose(f); }
};
using UniqueStdioFile = Utils::UniqueResource<StdioFileTraits>;

UniqueStdioFile OpenFile(const std::string& path, const wchar_t* mode) {
  return UniqueStdioFile(_wfopen(Utils::Utf8ToWide(path).c_str(), mode));
}

bool IsRecordLine(const std::string& line) {
  return !line.empty() && line.front() == '{' && line.back() == '}';
}

void Echo(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

std::string StagingFileIn(const std::string& folder) {
  if (folder.empty()) return {};
  std::string path = folder;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path + "\\analytics_staging.log";
}

RecordConsumer::RecordConsumer(std::string stagingFilePath, std::unique_ptr<BatchSender> sender)
    : stagingFilePath_(std::move(stagingFilePath)), sender_(std::move(sender)) {}

void RecordConsumer::AddRecord(const utils::ObjectNode& record) {
  std::string text = record.ToJson();
  if (verbose_) Echo("add record:" + text + "\n");
  std::lock_guard<std::recursive_mutex> lock(queueLock_);
  records_.push_back(std::move(text));
  if (records_.size() > kCapacity) {
    records_.pop_front();
    if (verbose_) Echo("record is full, delete record\n");
  }
}

void RecordConsumer::MergeStagingFile() {
  std::lock_guard<std::recursive_mutex> lock(queueLock_);
  if (!stagingPending_) return;
  stagingPending_ = false;
  if (stagingFilePath_.empty()) return;

  if (records_.size() < kCapacity) {
    const size_t room = kCapacity - records_.size();
    std::deque<std::string> kept;
    // Binary reading: a stray Ctrl-Z must not end the file early; CR LF is undone by hand.
    if (UniqueStdioFile file = OpenFile(stagingFilePath_, L"rb")) {
      std::string line;
      auto keep = [&]() {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsRecordLine(line)) {
          kept.push_back(std::move(line));
          if (kept.size() > room) kept.pop_front();
        }
        line.clear();
      };
      char buffer[65536];
      size_t got = 0;
      while ((got = std::fread(buffer, 1, sizeof(buffer), file.Get())) > 0) {
        for (size_t i = 0; i < got; ++i) {
          if (buffer[i] == '\n') {
            keep();
          } else {
            line += buffer[i];
          }
        }
      }
      keep();
    }
    records_.insert(records_.begin(), std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
  }
  // Emptied (or created) whether or not anything was read.
  OpenFile(stagingFilePath_, L"wb");
}

void RecordConsumer::WriteStagingFile(const std::deque<std::string>& records) const {
  if (stagingFilePath_.empty()) return;
  UniqueStdioFile file = OpenFile(stagingFilePath_, L"wb");
  if (!file) return;
  for (const std::string& text : records) {
    std::fwrite(text.data(), 1, text.size(), file.Get());
    std::fwrite("\r\n", 1, 2, file.Get());
  }
}

bool RecordConsumer::FlushOne() {
  MergeStagingFile();
  std::lock_guard<std::recursive_mutex> flushLock(flushLock_);
  std::vector<std::string> batch;
  try {
    {
      std::lock_guard<std::recursive_mutex> lock(queueLock_);
      const size_t n = std::min(kBatchSize, records_.size());
      if (n == 0) return true;
      if (!sender_) return false;  // closed
      batch.assign(std::make_move_iterator(records_.begin()), std::make_move_iterator(records_.begin() + n));
      records_.erase(records_.begin(), records_.begin() + n);
    }
    std::string body = "[";
    for (size_t i = 0; i < batch.size(); ++i) {
      if (i > 0) body += ',';
      body += batch[i];
    }
    body += ']';
    if (verbose_) Echo("flush record : " + body + "\n");

    HeaderList headers;
    if (!cookie_.empty()) headers.emplace_back("Cookie", cookie_);
    const bool ok = sender_->Send(body, headers);
    if (!ok) {
      std::lock_guard<std::recursive_mutex> lock(queueLock_);
      const size_t free = kCapacity - std::min(kCapacity, records_.size());
      const size_t back = std::min(batch.size(), free);
      // The newest records of the batch are the ones kept when room is short.
      records_.insert(records_.begin(), std::make_move_iterator(batch.end() - static_cast<std::ptrdiff_t>(back)),
                      std::make_move_iterator(batch.end()));
    }
    return ok;
  } catch (const std::exception& e) {
    WriteError(std::string("Exception when flush failed: (") + e.what() + ") \n");
    return false;
  }
}

bool RecordConsumer::FlushAll() {
  MergeStagingFile();
  for (;;) {
    {
      std::lock_guard<std::recursive_mutex> lock(queueLock_);
      if (records_.empty()) return true;
    }
    if (!FlushOne()) return false;
  }
}

void RecordConsumer::Close() {
  // A flush in progress finishes first, so that its batch is either sent or back in the queue.
  std::lock_guard<std::recursive_mutex> flushLock(flushLock_);
  std::lock_guard<std::recursive_mutex> lock(queueLock_);
  MergeStagingFile();
  WriteStagingFile(records_);
  sender_.reset();
}

std::deque<std::string> RecordConsumer::Records() const {
  std::lock_guard<std::recursive_mutex> lock(queueLock_);
  return records_;
}

size_t RecordConsumer::Size() const {
  std::lock_guard<std::recursive_mutex> lock(queueLock_);
  return records_.size();
}

void RecordConsumer::SetCookie(const std::string& cookie) {
  std::lock_guard<std::recursive_mutex> lock(flushLock_);
  cookie_ = cookie;
}

void RecordConsumer::SetVerbose(bool verbose) {
  verbose_ = verbose;
}

}  // namespace analytics_core
