// Save and Load of a 32-axis profile through an owner that adds 26 settings and a counter path
// per axis, as the engine does. The in-memory folder (/dev/shm) leaves out the disk's fsync;
// the "Durable" run saves to the temporary folder's file system and includes it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "chart/profile_numbers.h"
#include "chart/wind_rose.h"

namespace {

namespace fs = std::filesystem;
using corvane::chart::AxisItem;
using corvane::chart::ProfileWriter;
using corvane::chart::WindRose;

constexpr std::array<std::string_view, 26> kSettingKeys = {
    "History",     "Interval",   "AlwaysOntop", "EnableTray", "Caption",   "ShowCurrent",
    "ShowAverage", "ShowMax",    "CurColor",    "AvgColor",   "MaxColor",  "BackColor",
    "TextColor",   "LineColor",  "CritColor",   "BoldCur",    "BoldAvg",   "BoldMax",
    "BoldCrit",    "WndLeft",    "WndRight",    "WndTop",     "WndBottom", "LogMode",
    "LogFormat",   "LogFileSize"};

class PathItem : public AxisItem {
 public:
  explicit PathItem(std::string path) : path(std::move(path)) {}
  std::string path;
};

class BenchRose : public WindRose {
 public:
  BenchRose() : WindRose(32, 4) {}
  ~BenchRose() override { RemoveAllAxes(); }

  bool WriteItem(ProfileWriter& file, const AxisItem& item) const override {
    return file.WriteText("Counter", static_cast<const PathItem&>(item).path);
  }
  bool WriteSettings(ProfileWriter& file) const override {
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
      if (!file.WriteInteger(kSettingKeys[i], settings[i])) return false;
    }
    return true;
  }
  AxisItem* ReadItem(std::string_view key, std::string_view value) override {
    return key == "Counter" ? new PathItem(std::string(value)) : nullptr;
  }
  void ReadSetting(std::string_view key, std::string_view value) override {
    for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
      if (key == kSettingKeys[i] && !value.empty()) {
        settings[i] = corvane::chart::ParseProfileInteger(value);
      }
    }
  }
  void FreeItem(AxisItem* item) override { delete item; }

  std::array<int, 26> settings{};
};

void Fill(BenchRose* rose) {
  for (int a = 0; a < 32; ++a) {
    rose->AddAxis("LogicalDisk % Free Space " + std::to_string(a), "Free space of the volume",
                  a % 2 == 1, 0.0, 100.0 + a, 80.5, 1024.0,
                  new PathItem("\\\\server\\LogicalDisk(/srv/volume" + std::to_string(a) +
                               ")\\% Free Space"));
  }
}

fs::path Folder(bool in_memory) {
  const fs::path base =
      in_memory && fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  fs::path folder = base / ("corvane-profile-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder;
}

void BM_Save32(benchmark::State& state, bool in_memory) {
  const fs::path folder = Folder(in_memory);
  BenchRose rose;
  Fill(&rose);
  for (auto _ : state) {
    if (!rose.Save(folder / "bench.crvn")) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(folder / "bench.crvn")));
  fs::remove_all(folder);
}
BENCHMARK_CAPTURE(BM_Save32, InMemoryFolder, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Save32, Durable, false)->Unit(benchmark::kMicrosecond);

void BM_Load32(benchmark::State& state) {
  const fs::path folder = Folder(true);
  {
    BenchRose source;
    Fill(&source);
    source.Save(folder / "bench.crvn");
  }
  BenchRose rose;
  for (auto _ : state) {
    rose.RemoveAllAxes();
    if (!rose.Load(folder / "bench.crvn") || rose.GetAxisCount() != 32) {
      state.SkipWithError("load failed");
    }
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_Load32)->Unit(benchmark::kMicrosecond);

// The pair the budget is for: a reset chart loads the profile and saves it again.
void BM_LoadAndSave32(benchmark::State& state) {
  const fs::path folder = Folder(true);
  {
    BenchRose source;
    Fill(&source);
    source.Save(folder / "bench.crvn");
  }
  BenchRose rose;
  for (auto _ : state) {
    rose.RemoveAllAxes();
    if (!rose.Load(folder / "bench.crvn") || !rose.Save(folder / "bench.crvn")) {
      state.SkipWithError("load or save failed");
    }
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_LoadAndSave32)->Unit(benchmark::kMicrosecond);

}  // namespace
