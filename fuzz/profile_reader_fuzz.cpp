// Feeds arbitrary bytes to WindRose::Load as a profile file, then checks that what was read
// saves to a file that reads back to the same bytes: whatever a file holds, the writer must
// produce a profile whose lines and keys survive the reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "chart/profile_numbers.h"
#include "chart/wind_rose.h"

namespace {

namespace fs = std::filesystem;
using corvane::chart::AxisItem;
using corvane::chart::ProfileWriter;
using corvane::chart::WindRose;

class PathItem : public AxisItem {
 public:
  explicit PathItem(std::string path) : path(std::move(path)) {}
  std::string path;
};

// An owner like the engine: two settings of its own and a counter path per axis.
class FuzzRose : public WindRose {
 public:
  FuzzRose() : WindRose(32, 4) {}
  ~FuzzRose() override { RemoveAllAxes(); }

  bool WriteItem(ProfileWriter& file, const AxisItem& item) const override {
    return file.WriteText("Counter", static_cast<const PathItem&>(item).path);
  }
  bool WriteSettings(ProfileWriter& file) const override {
    return file.WriteInteger("History", history) && file.WriteInteger("LogFileSize", log_size);
  }
  AxisItem* ReadItem(std::string_view key, std::string_view value) override {
    return key == "Counter" ? new PathItem(std::string(value)) : nullptr;
  }
  void ReadSetting(std::string_view key, std::string_view value) override {
    if (value.empty()) return;
    if (key == "History") history = corvane::chart::ParseProfileInteger(value);
    if (key == "LogFileSize") log_size = corvane::chart::ParseProfileInteger(value);
  }
  void FreeItem(AxisItem* item) override { delete item; }

  int history = 60;
  int log_size = 1000;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of this process's own, in memory when the machine has /dev/shm.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path path = base / ("corvane-profile-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path input = Folder() / "input.crvn";
  const fs::path first = Folder() / "first.crvn";
  const fs::path second = Folder() / "second.crvn";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  FuzzRose rose;
  if (!rose.Load(input)) std::abort();  // a readable file always loads
  if (rose.GetAxisCount() > 32) std::abort();
  if (rose.GetGridStep() < 0 || rose.GetGridStep() > 100) std::abort();
  if (rose.GetCriticalBorder() < 0 || rose.GetCriticalBorder() > 100) std::abort();
  if (!rose.Save(first)) std::abort();

  FuzzRose copy;
  if (!copy.Load(first) || copy.GetAxisCount() != rose.GetAxisCount()) std::abort();
  if (!copy.Save(second)) std::abort();
  if (ReadAll(first) != ReadAll(second)) std::abort();
  return 0;
}
