#include "core/recording/dropped_file.h"

#include <fstream>
#include <string>
#include <string_view>

namespace corvane::recording {

DroppedFileKind ClassifyDroppedFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return DroppedFileKind::kUnknown;
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
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
