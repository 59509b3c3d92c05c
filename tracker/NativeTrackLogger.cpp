#include <cstdio>
#include <ctime>

#include "tracker/TrackLogger.h"

namespace velto::tracking {

NativeTrackLogger::~NativeTrackLogger() {
  close();
}

bool NativeTrackLogger::reopen(const char* mode) {
  if (stream_) std::fclose(stream_);
  stream_ = std::fopen(path_.c_str(), mode);
  return stream_ != nullptr;
}

void NativeTrackLogger::open(const std::string& path) {
  if (path == path_ && stream_) return;
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock()) return;
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  nextLine_ = 0;
  readOffset_ = 0;
  path_ = path;
  // "a+" creates a missing file empty; reads may go anywhere, writes always append.
  reopen("a+");
}

std::string NativeTrackLogger::cleanProperties(const std::string& json) {
  std::string out;
  out.reserve(json.size());
  for (size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (c == '\r' && i + 1 < json.size() && json[i + 1] == '\n') {
      out.push_back(' ');
      ++i;
    } else if (c == '\n' || c == '\t') {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string NativeTrackLogger::formatLine(const std::tm& when, const std::string& kindName,
                                          const std::string& propertiesJson) {
  char stamp[40] = {};
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", when.tm_year + 1900, when.tm_mon + 1,
                when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec, 0);
  return std::string(stamp) + "\t" + kindName + "\t" + cleanProperties(propertiesJson);
}

void NativeTrackLogger::write(const std::string& kindName, const std::string& propertiesJson) {
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock() || !stream_) return;
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  localtime_s(&local, &now);
  const std::string line = formatLine(local, kindName, propertiesJson) + "\n";
  std::fseek(stream_, 0, SEEK_END);
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
}

void NativeTrackLogger::readRecords(std::vector<TrackRecord>& records, int32_t first, int32_t count) {
  records.clear();
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock() || !stream_) return;
  if (first < 0) first = 0;
  if (nextLine_ < 0 || nextLine_ > first) {
    nextLine_ = 0;
    readOffset_ = 0;
  }
  // Writes move the position to the end: continue from where the last read stopped.
  std::fseek(stream_, readOffset_, SEEK_SET);

  std::string line;
  // Reads one line without its end; false at end of file.
  auto readLine = [&]() -> bool {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(stream_)) != EOF) {
      any = true;
      if (c == '\n') break;
      line.push_back(static_cast<char>(c));
    }
    return any;
  };

  while (nextLine_ < first && readLine()) ++nextLine_;
  if (nextLine_ == first) {
    for (int32_t n = 0; n < count && readLine(); ++n) {
      ++nextLine_;
      if (line.empty()) continue;
      std::vector<std::string> fields;
      size_t start = 0;
      for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
      }
      fields.push_back(line.substr(start));
      if (fields.size() >= 3) records.push_back(TrackRecord{fields[0], fields[1], fields[2]});
    }
  }
  readOffset_ = std::ftell(stream_);
}

void NativeTrackLogger::clear() {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return;
  if (stream_) std::rewind(stream_);
  nextLine_ = -1;
  readOffset_ = 0;
  if (reopen("w")) {
    std::fputs("\n", stream_);
    std::fflush(stream_);
  }
  reopen("a+");
}

void NativeTrackLogger::close() {
  std::lock_guard lock(mutex_);
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
}

}  // namespace velto::tracking
