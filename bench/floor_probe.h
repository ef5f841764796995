// FloorProbe: the least a sample of a profile's counters can cost on this machine. It reads
// exactly the kernel sources the profile's counters need, each once per sample, through file
// descriptors kept open from sample to sample (pread at offset 0, no open or close), and parses
// only the numbers those counters use: the cpu lines of /proc/stat, the pid entries of /proc
// (from the offset where they start), the thread count of /proc/loadavg, two lines of
// /proc/meminfo, /proc/swaps, a poll of the mount table and statvfs of "/", the busy time of
// /proc/diskstats, the byte counts of /proc/net/dev and /proc/uptime. The values are computed
// as the counters define them, so that nothing the service must do is left out, and nothing
// more is done. One thread.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::bench {

class FloorProbe {
 public:
  // The sources the counter paths need (an object name in each path picks its source).
  explicit FloorProbe(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      const auto has = [&](std::string_view part) { return path.find(part) != std::string::npos; };
      if (has("\\Processor(")) stat_ = Open("/proc/stat");
      if (has("\\Processes")) OpenProcessDirectory();
      if (has("\\Threads")) loadavg_ = Open("/proc/loadavg");
      if (has("\\Memory\\")) {
        meminfo_ = Open("/proc/meminfo");
        overcommit_ = Open("/proc/sys/vm/overcommit_memory");
      }
      if (has("\\Paging File(")) swaps_ = Open("/proc/swaps");
      if (has("\\LogicalDisk(")) mounts_ = Open("/proc/self/mountinfo");
      if (has("\\PhysicalDisk(")) diskstats_ = Open("/proc/diskstats");
      if (has("\\Network Interface(")) netdev_ = Open("/proc/net/dev");
      if (has("System Up Time")) uptime_ = Open("/proc/uptime");
    }
    buffer_.resize(1 << 16);
  }
  ~FloorProbe() {
    for (int fd : {stat_, proc_, loadavg_, meminfo_, overcommit_, swaps_, mounts_, diskstats_,
                   netdev_, uptime_}) {
      if (fd >= 0) ::close(fd);
    }
  }
  FloorProbe(const FloorProbe&) = delete;
  FloorProbe& operator=(const FloorProbe&) = delete;

  // One sample; returns a sum of the values read, so that nothing is optimised away.
  double Sample() {
    double sum = 0;
    if (stat_ >= 0) sum += CpuBusy();
    if (proc_ >= 0) sum += static_cast<double>(Processes());
    if (loadavg_ >= 0) sum += Threads();
    if (meminfo_ >= 0) sum += Committed();
    if (swaps_ >= 0) sum += SwapUsed();
    if (mounts_ >= 0) sum += RootFree();
    if (diskstats_ >= 0) sum += DiskBusy();
    if (netdev_ >= 0) sum += NetBytes();
    if (uptime_ >= 0) sum += Number(Read(uptime_));
    return sum;
  }

 private:
  static int Open(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

  // The whole file in one read at offset 0: a kernel text file fills the buffer as far as it
  // has text, so a short read is the end (the buffer is far larger than these files).
  std::string_view Read(int fd) {
    const ssize_t n = ::pread(fd, buffer_.data(), buffer_.size(), 0);
    return {buffer_.data(), n > 0 ? static_cast<std::size_t>(n) : 0};
  }

  static double Number(std::string_view text, std::size_t* pos = nullptr) {
    std::size_t i = pos != nullptr ? *pos : 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    double value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
      value = value * 10 + (text[i++] - '0');
    if (i < text.size() && text[i] == '.') {
      double scale = 0.1;
      for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) {
        value += (text[i] - '0') * scale;
      }
    }
    if (pos != nullptr) *pos = i;
    return value;
  }

  static std::string_view NextLine(std::string_view text, std::size_t* pos) {
    const std::size_t start = *pos;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    *pos = end + 1;
    return text.substr(start, end - start);
  }

  // The busy share of every cpu line since the last sample, summed.
  double CpuBusy() {
    const std::string_view text = Read(stat_);
    double sum = 0;
    std::size_t pos = 0;
    std::size_t cpu = 0;
    while (pos < text.size()) {
      const std::string_view line = NextLine(text, &pos);
      if (line.substr(0, 3) != "cpu") break;
      std::size_t i = line.find(' ');
      double total = 0;
      double idle = 0;
      for (int field = 0; field < 8; ++field) {
        const double value = Number(line, &i);
        total += value;
        if (field == 3 || field == 4) idle += value;
      }
      if (cpu >= last_cpu_.size()) last_cpu_.resize(cpu + 1);
      const double dt = total - last_cpu_[cpu].total;
      if (dt > 0) sum += 100.0 * (1.0 - (idle - last_cpu_[cpu].idle) / dt);
      last_cpu_[cpu] = {total, idle};
      ++cpu;
    }
    return sum;
  }

  void OpenProcessDirectory() {
    proc_ = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc_ < 0) return;
    // The offset of the first pid entry: the entries before it never change.
    std::vector<char> buffer(1 << 16);
    const long n = ::syscall(SYS_getdents64, proc_, buffer.data(), buffer.size());
    long previous = 0;
    for (long at = 0; at < n;) {
      const char* entry = buffer.data() + at;
      std::int64_t next = 0;
      std::uint16_t length = 0;
      std::memcpy(&next, entry + 8, sizeof next);
      std::memcpy(&length, entry + 16, sizeof length);
      const char* name = entry + 19;
      if (name[0] >= '1' && name[0] <= '9') break;
      previous = static_cast<long>(next);
      at += length;
    }
    first_pid_offset_ = previous;
  }

  std::uint64_t Processes() {
    ::lseek(proc_, first_pid_offset_, SEEK_SET);
    std::uint64_t count = 0;
    for (;;) {
      const long n = ::syscall(SYS_getdents64, proc_, buffer_.data(), buffer_.size());
      if (n <= 0) break;
      for (long at = 0; at < n;) {
        const char* entry = buffer_.data() + at;
        std::uint16_t length = 0;
        std::memcpy(&length, entry + 16, sizeof length);
        const char first = entry[19];
        count += first >= '1' && first <= '9' ? 1 : 0;
        at += length;
      }
    }
    return count;
  }

  double Threads() {
    const std::string_view text = Read(loadavg_);
    std::size_t pos = text.find('/');
    if (pos == std::string_view::npos) return 0;
    ++pos;
    return Number(text, &pos);
  }

  // Committed_AS against CommitLimit (or MemTotal + SwapTotal when overcommit is off).
  double Committed() {
    Read(overcommit_);
    const std::string_view text = Read(meminfo_);
    double committed = 0;
    double limit = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::string_view line = NextLine(text, &pos);
      if (line.substr(0, 12) == "CommitLimit:") {
        std::size_t i = 12;
        limit = Number(line, &i);
      } else if (line.substr(0, 13) == "Committed_AS:") {
        std::size_t i = 13;
        committed = Number(line, &i);
        break;  // after CommitLimit in the file
      }
    }
    return limit > 0 ? 100.0 * committed / limit : 0;
  }

  double SwapUsed() {
    const std::string_view text = Read(swaps_);
    std::size_t pos = 0;
    NextLine(text, &pos);  // the heading
    double size = 0;
    double used = 0;
    while (pos < text.size()) {
      const std::string_view line = NextLine(text, &pos);
      std::size_t i = line.find_first_of(" \t");
      if (i == std::string_view::npos) continue;
      i = line.find_first_not_of(" \t", i);
      i = line.find_first_of(" \t", i);  // past the type
      size += Number(line, &i);
      used += Number(line, &i);
    }
    return size > 0 ? 100.0 * used / size : 0;
  }

  double RootFree() {
    pollfd watch{mounts_, POLLPRI, 0};
    ::poll(&watch, 1, 0);  // a changed mount table would be read again; it rarely is
    struct statvfs info {};
    if (::statvfs("/", &info) != 0 || info.f_blocks == 0) return 0;
    return 100.0 * static_cast<double>(info.f_bavail) / static_cast<double>(info.f_blocks);
  }

  // Milliseconds spent doing I/O (the 10th statistic) over the whole disks, summed.
  double DiskBusy() {
    const std::string_view text = Read(diskstats_);
    double sum = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::string_view line = NextLine(text, &pos);
      std::size_t i = 0;
      Number(line, &i);
      Number(line, &i);
      i = line.find_first_not_of(' ', i);
      const std::size_t name_end = line.find(' ', i);
      const std::string_view name = line.substr(i, name_end - i);
      if (name.substr(0, 4) == "loop" || name.substr(0, 3) == "ram" ||
          (!name.empty() && name.back() >= '0' && name.back() <= '9' &&
           name.substr(0, 2) == "sd")) {
        continue;
      }
      i = name_end;
      for (int field = 0; field < 9; ++field) Number(line, &i);
      sum += Number(line, &i);
    }
    return sum;
  }

  double NetBytes() {
    const std::string_view text = Read(netdev_);
    double sum = 0;
    std::size_t pos = 0;
    NextLine(text, &pos);
    NextLine(text, &pos);
    while (pos < text.size()) {
      const std::string_view line = NextLine(text, &pos);
      std::size_t i = line.find(':');
      if (i == std::string_view::npos) continue;
      ++i;
      sum += Number(line, &i);  // received
      for (int field = 0; field < 7; ++field) Number(line, &i);
      sum += Number(line, &i);  // sent
    }
    return sum;
  }

  struct CpuTimes {
    double total = 0;
    double idle = 0;
  };

  int stat_ = -1;
  int proc_ = -1;
  long first_pid_offset_ = 0;
  int loadavg_ = -1;
  int meminfo_ = -1;
  int overcommit_ = -1;
  int swaps_ = -1;
  int mounts_ = -1;
  int diskstats_ = -1;
  int netdev_ = -1;
  int uptime_ = -1;
  std::vector<char> buffer_;
  std::vector<CpuTimes> last_cpu_;
};

}  // namespace corvane::bench
