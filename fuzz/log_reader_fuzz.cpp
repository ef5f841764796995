// Feeds arbitrary bytes to the activity-log reader as a log (and, before a line "--8<--", as
// the backup kept before it), indexes it whole and rebuilds its first, middle and last
// moments: whatever a file holds, the reader ends with rows it can read back or a reason, its
// times never go back and every moment has one value per axis.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/recording/recording.h"

namespace {

namespace fs = std::filesystem;
using corvane::recording::Moment;
using corvane::recording::Recording;

// A folder of this process's own, in memory when the machine has /dev/shm.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path path = base / ("corvane-log-fuzz-" + std::to_string(::getpid())) / "Logs";
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

void Write(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Check(Recording& recording, std::int64_t time) {
  Moment moment;
  std::string error;
  if (!recording.MomentAt(time, &moment, &error)) std::abort();  // the file did not change
  if (moment.values.size() != recording.settings().axes.size()) std::abort();
  if (moment.row >= recording.RowCount()) std::abort();
  if (moment.time < recording.StartTime() || moment.time > recording.EndTime()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fs::path log = Folder() / "Fuzz-log.csv";
  const fs::path backup = Folder() / "Fuzz-log-bkup.csv";
  const std::size_t cut = bytes.find("\n--8<--\n");
  std::error_code ignored;
  if (cut == std::string_view::npos) {
    fs::remove(backup, ignored);
    Write(log, bytes);
  } else {
    Write(backup, bytes.substr(0, cut + 1));
    Write(log, bytes.substr(cut + 8));
  }

  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(log.string(), std::nullopt, &error);
  if (!recording) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  recording->IndexAll();
  if (recording->RowCount() == 0) std::abort();
  for (std::size_t row = 1; row < recording->RowCount(); ++row) {
    if (recording->RowTime(row) < recording->RowTime(row - 1)) std::abort();
  }
  if (recording->RowAt(recording->EndTime()) != recording->RowCount() - 1 &&
      recording->RowTime(recording->RowAt(recording->EndTime())) != recording->EndTime())
    std::abort();
  Check(*recording, recording->StartTime());
  Check(*recording, recording->StartTime() + (recording->EndTime() - recording->StartTime()) / 2);
  Check(*recording, recording->EndTime());
  return 0;
}
