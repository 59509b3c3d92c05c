#pragma once

// The tracker's event log: one line per tracked event in a text file.
//
// Line format: local time "%04d-%02d-%02d %02d:%02d:%02d.%03d" (whole seconds, so the
// milliseconds read 000), a tab, the event kind's name ("Task"), a tab, the event's
// properties as JSON text with every "\r\n", "\n" and tab replaced by one space, and the
// stream's end of line.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace velto::tracking {

// One line of the event log.
struct TrackRecord {
  std::string time;
  std::string kind;
  std::string properties;
};

class TrackLogger {
 public:
  virtual ~TrackLogger() = default;
  // Replaces |records| by up to |count| records starting at line |first| (0-based).
  virtual void readRecords(std::vector<TrackRecord>& records, int32_t first, int32_t count) = 0;
  // Empties the log.
  virtual void clear() = 0;
};

class NativeTrackLogger : public TrackLogger {
 public:
  NativeTrackLogger() = default;
  ~NativeTrackLogger() override;
  NativeTrackLogger(const NativeTrackLogger&) = delete;
  NativeTrackLogger& operator=(const NativeTrackLogger&) = delete;

  // Opens (creating it empty when missing) the log at |path| for reading and appending.
  // Nothing happens for the path already open, or while another operation holds the log.
  void open(const std::string& path);

  // Appends one event line stamped with the current local time; skipped while another
  // operation holds the log or when it is not open.
  void write(const std::string& kindName, const std::string& propertiesJson);

  // Every operation below is skipped (an empty |records| for readRecords) while another
  // one holds the log.
  void readRecords(std::vector<TrackRecord>& records, int32_t first, int32_t count) override;
  void clear() override;
  void close();

  // |json| with every "\r\n", "\n" and tab replaced by one space.
  static std::string cleanProperties(const std::string& json);
  // The line (without end of line) for an event at the local time |when|.
  static std::string formatLine(const std::tm& when, const std::string& kindName, const std::string& propertiesJson);

 private:
  bool reopen(const char* mode);

  std::string path_;
  std::FILE* stream_ = nullptr;
  std::mutex mutex_;
  int32_t nextLine_ = 0;  // -1 after clear
  long readOffset_ = 0;   // where line nextLine_ starts
};

}  // namespace velto::tracking
