// A fixed run of the real engine and collector over captured /proc and /sys trees, its HTML and
// CSV activity logs compared with golden files (CORVANE_UPDATE_GOLDEN=1 rewrites them). The
// log's clock and the provider's clock are fixed, so every byte is the same on every machine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/engine.h"
#include "platform/linux/proc/local_provider.h"
#include "tests/core/engine_test_support.h"
#include "tests/platform/linux/proc/proc_tree.h"
#include "tests/support/golden_file.h"

namespace corvane {
namespace {

using testing_support::AddCounterAxis;
using testing_support::WaitFor;

std::optional<std::tm> FixedTime() {
  std::tm t{};
  t.tm_year = 126;  // 2026
  t.tm_mon = 11;
  t.tm_mday = 8;
  t.tm_hour = 9;
  t.tm_min = 30;
  t.tm_wday = 2;
  return t;
}

// Three samples: snapshot_a twice (no rates yet), then snapshot_b ten seconds later.
std::string RunAndReadLog(int format) {
  local::testing::ProcTree tree;
  tree.UseSnapshot("snapshot_a");
  tree.SetClock(1000);
  tree.SetVolume("/", 100'000'000'000, 25'000'000'000);
  const auto provider = local::MakeLocalProvider(tree.Options());
  testing_support::TempDir dir;
  std::string log_path;
  {
    Corvane engine(*provider, false, {}, FixedTime);
    engine.SetUpNewProfile();
    engine.RemoveAllAxes();
    EXPECT_TRUE(AddCounterAxis(engine, "CPU", "\\Processor(_Total)\\% Processor Time"));
    EXPECT_TRUE(AddCounterAxis(engine, "Free", "\\Memory\\Available Bytes", 3e10, 1e10, 1, true));
    EXPECT_TRUE(AddCounterAxis(engine, "Disk", "\\PhysicalDisk(_Total)\\% Disk Time"));
    EXPECT_TRUE(
        AddCounterAxis(engine, "Net", "\\Network Interface(eth0)\\Bytes Total/sec", 1e6, 5e5));
    EXPECT_TRUE(AddCounterAxis(engine, "Root", "\\LogicalDisk(/)\\% Free Space", 100, 20, 1, true));
    EXPECT_TRUE(AddCounterAxis(engine, "Procs", "\\Objects\\Processes", 500, 400));
    CorvaneSettings settings = engine.GetSettings();
    settings.Interval = 120;  // only the resample requests below take samples
    settings.LogMode = log_mode::kEveryUpdate;
    settings.LogFormat = format;
    engine.SetSettings(settings);
    engine.SetLogLocation(dir.path() / "Golden.crvn", false);
    log_path = engine.GetLogPath();

    EXPECT_TRUE(engine.Start(nullptr, false));
    EXPECT_TRUE(WaitFor([&] { return engine.GetSampleCount() == 1; }));
    tree.UseSnapshot("snapshot_b");
    tree.SetClock(1010);
    engine.RequestResample();
    EXPECT_TRUE(WaitFor([&] { return engine.GetSampleCount() == 2; }));
    engine.RequestResample();
    EXPECT_TRUE(WaitFor([&] { return engine.GetSampleCount() == 3; }));
    EXPECT_TRUE(engine.Stop());
  }
  std::ifstream in(log_path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ActivityLogGolden, HtmlLogOfAFixedRunOverACapturedTree) {
  test_support::ExpectMatchesGolden("logs/fixed-run-log.html", RunAndReadLog(0));
}

TEST(ActivityLogGolden, CsvLogOfAFixedRunOverACapturedTree) {
  test_support::ExpectMatchesGolden("logs/fixed-run-log.csv", RunAndReadLog(1));
}

}  // namespace
}  // namespace corvane
