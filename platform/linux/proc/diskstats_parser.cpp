#include "platform/linux/proc/diskstats_parser.h"

#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseDiskstats(std::string_view text, DiskstatsSnapshot* out) {
  out->disks.Clear();
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    std::string_view rest = line;
    const std::string_view major = text::NextField(&rest);
    if (major.empty()) continue;
    DiskStat& disk = out->disks.Append();
    if (!text::ParseUnsigned(major, &disk.major) ||
        !text::ParseUnsigned(text::NextField(&rest), &disk.minor))
      return ParseResult::Fail(number, "major minor");
    const std::string_view name = text::NextField(&rest);
    if (name.empty()) return ParseResult::Fail(number, "device name");
    disk.name.assign(name);
    std::uint64_t fields[11] = {};
    for (std::uint64_t& field : fields) {
      if (!text::NextU64(&rest, &field)) return ParseResult::Fail(number, "I/O statistics");
    }
    disk.reads = fields[0];
    disk.sectors_read = fields[2];
    disk.writes = fields[4];
    disk.sectors_written = fields[6];
    disk.in_flight = fields[8];
    disk.io_ticks = fields[9];
    disk.time_in_queue = fields[10];
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
