#include "platform/linux/proc/process_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace corvane::local {
namespace {

// struct linux_dirent64 (getdents64(2)): d_ino u64, d_off s64, d_reclen u16, d_type u8, then
// the NUL-terminated name. Read by offset so that no packed struct is needed.
constexpr std::size_t kOffsetOffset = 8;
constexpr std::size_t kReclenOffset = 16;
constexpr std::size_t kTypeOffset = 18;
constexpr std::size_t kNameOffset = 19;

// PROC_SUPER_MAGIC of <linux/magic.h>.
constexpr long kProcSuperMagic = 0x9fa0;

bool IsNumber(const char* name) {
  if (*name < '0' || *name > '9') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

}  // namespace

ProcessScan::ProcessScan(std::string directory, std::size_t buffer_bytes)
    : directory_(std::move(directory)), buffer_bytes_(buffer_bytes < 4096 ? 4096 : buffer_bytes) {}

ProcessScan::~ProcessScan() {
  if (fd_ >= 0) ::close(fd_);
}

int ProcessScan::CountOpen(std::uint64_t* processes) {
  // procfs lists its fixed entries (cpuinfo, self, thread-self...) first and the processes
  // after them in pid order (fs/proc/root.c proc_root_readdir, fs/proc/base.c
  // proc_pid_readdir), and the offset cookie after the last fixed entry stays valid. A full
  // scan learns that cookie when every numbered entry follows every other one.
  const bool resume = resume_cookie_ > 0;
  if (::lseek(fd_, resume ? resume_cookie_ : 0, SEEK_SET) < 0) return errno;
  std::uint64_t count = 0;
  std::int64_t previous_cookie = 0;
  std::int64_t first_number_cookie = 0;
  bool seen_number = false;
  bool numbers_last = true;
  for (;;) {
    const long n = ::syscall(SYS_getdents64, fd_, buffer_.data(), buffer_.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    const auto filled = static_cast<std::size_t>(n);
    for (std::size_t at = 0; at + kNameOffset < filled;) {
      std::uint16_t reclen = 0;
      std::memcpy(&reclen, buffer_.data() + at + kReclenOffset, sizeof reclen);
      if (reclen == 0) return EIO;
      const auto type = static_cast<unsigned char>(buffer_[at + kTypeOffset]);
      // File systems without d_type report DT_UNKNOWN; a number still names a process there.
      const bool number =
          (type == DT_DIR || type == DT_UNKNOWN) && IsNumber(buffer_.data() + at + kNameOffset);
      if (number) ++count;
      if (!resume) {
        if (number && !seen_number) {
          seen_number = true;
          first_number_cookie = previous_cookie;
        } else if (!number && seen_number) {
          numbers_last = false;
        }
        std::memcpy(&previous_cookie, buffer_.data() + at + kOffsetOffset, sizeof previous_cookie);
      }
      at += reclen;
    }
  }
  if (!resume && procfs_ && seen_number && numbers_last) resume_cookie_ = first_number_cookie;
  *processes = count;
  return 0;
}

int ProcessScan::Count(std::uint64_t* processes) {
  if (fd_ < 0) {
    fd_ = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return errno;
    buffer_.resize(buffer_bytes_);
    struct statfs info {};
    procfs_ = ::fstatfs(fd_, &info) == 0 && static_cast<long>(info.f_type) == kProcSuperMagic;
  }
  return CountOpen(processes);
}

}  // namespace corvane::local
