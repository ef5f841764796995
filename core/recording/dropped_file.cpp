#include "core/recording/dropped_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace corvane::recording {

namespace {

// The first bytes of a file, read with plain descriptors: a C++ stream would bring in the
// standard library's locale machinery for a single read. A FIFO without a writer reads as
// empty instead of blocking the caller.
bool ReadHead(const std::filesystem::path& path, std::string* head) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  std::size_t filled = 0;
  while (filled < head->size()) {
    const ssize_t got = ::read(fd, head->data() + filled, head->size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  ::close(fd);
  head->resize(filled);
  return true;
}

}  // namespace

DroppedFileKind ClassifyDroppedFile(const std::filesystem::path& path) {
  std::string head(4096, '\0');
  if (!ReadHead(path, &head)) return DroppedFileKind::kUnknown;
  if (head.starts_with("Corvane Log: ") || (head.starts_with("<html><body>\n<h1>Corvane Log: ") ||
                                            head.starts_with("<html><body>\r\n<h1>Corvane Log: ")))
    return DroppedFileKind::kActivityLog;
  // A profile: lines of "Key=Value", "BeginAxis"/"EndAxis", comments and blank lines.
  std::size_t start = 0;
  int keys = 0;
  while (start < head.size()) {
    std::size_t end = head.find('\n', start);
    if (end == std::string::npos) break;  // a line cut by the 4 KB window is not judged
    std::string_view line(head.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    start = end + 1;
    if (line.empty() || line.starts_with('#') || line == "BeginAxis" || line == "EndAxis") continue;
    const std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string_view::npos) return DroppedFileKind::kUnknown;
    for (const char c : line.substr(0, equals)) {
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return DroppedFileKind::kUnknown;
    }
    ++keys;
  }
  return keys > 0 ? DroppedFileKind::kProfile : DroppedFileKind::kUnknown;
}

}  // namespace corvane::recording
