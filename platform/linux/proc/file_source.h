// One kernel file as a source of a query: read and parsed at most once per collection, with the
// parsed result of the previous collection kept beside the current one, so that counters
// comparing two collections find both. Owned by one query; one thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "platform/linux/proc/parse_result.h"
#include "platform/linux/proc/proc_file.h"

namespace corvane::local {

// A source that can say why its last read failed.
class SourceReport {
 public:
  virtual ~SourceReport() = default;
  // Empty when the last read succeeded; else the file and the system's or the parser's reason.
  virtual std::string DescribeError() const = 0;
};

template <typename Snapshot>
class FileSource final : public SourceReport {
 public:
  using Parser = ParseResult (*)(std::string_view text, Snapshot* out);

  FileSource(std::string path, FileShape shape, std::size_t capacity, Parser parse)
      : file_(std::move(path), shape, capacity), parse_(parse) {}

  // Reads the file for collection number `collection` (1, 2, ...) taken at `now_ns`, unless
  // this collection has read it already.
  void Refresh(std::uint64_t collection, std::int64_t now_ns) {
    if (slots_[current_].collection == collection) return;
    current_ ^= 1;
    Slot& slot = slots_[current_];
    slot.collection = collection;
    slot.time_ns = now_ns;
    slot.parse = ParseResult::Ok();
    std::string_view text;
    slot.system_error = file_.Read(&text);
    if (slot.system_error == 0) slot.parse = parse_(text, &slot.data);
    slot.ok = slot.system_error == 0 && slot.parse.ok();
  }

  // This collection's result; null when the read or the parse failed.
  const Snapshot* current() const {
    const Slot& slot = slots_[current_];
    return slot.ok ? &slot.data : nullptr;
  }

  // The previous collection's result; null unless the collection just before this one read the
  // file successfully too.
  const Snapshot* previous() const {
    const Slot& now = slots_[current_];
    const Slot& before = slots_[current_ ^ 1];
    if (!before.ok || before.collection == 0 || before.collection + 1 != now.collection)
      return nullptr;
    return &before.data;
  }

  // Seconds between the previous and the current collection.
  double seconds() const {
    return static_cast<double>(slots_[current_].time_ns - slots_[current_ ^ 1].time_ns) / 1e9;
  }

  // Empty when the last read succeeded; else "/proc/stat: No such file or directory" or
  // "/proc/stat: line 3: cpu line: ticks".
  std::string DescribeError() const override {
    const Slot& slot = slots_[current_];
    if (slot.collection == 0 || slot.ok) return {};
    if (slot.system_error != 0) return file_.path() + ": " + std::strerror(slot.system_error);
    return file_.path() + ": " + slot.parse.Describe();
  }

 private:
  struct Slot {
    Snapshot data;
    std::uint64_t collection = 0;  // 0: never read
    std::int64_t time_ns = 0;      // monotonic time of that collection
    int system_error = 0;
    ParseResult parse;
    bool ok = false;
  };

  ProcFile file_;
  Parser parse_;
  Slot slots_[2];
  int current_ = 0;
};

}  // namespace corvane::local
