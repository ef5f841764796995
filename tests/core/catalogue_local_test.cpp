// The catalogue and the collector on this machine, through the local provider: the axes follow
// the instances the kernel shows, and a default profile samples real values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/collector_control.h"
#include "core/engine.h"
#include "core/perf_names.h"
#include "platform/linux/proc/local_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane {
namespace {

using testing_support::Axes;
using testing_support::AxisInfo;
using testing_support::AxisNames;
using testing_support::WaitFor;

class LocalCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(provider_, nullptr); }

  // The instances the provider lists for an object, without "_Total".
  std::vector<std::string> Instances(std::uint32_t object) {
    std::vector<std::string> counters;
    std::vector<std::string> instances;
    EXPECT_EQ(provider_->EnumObjectItems("", perf::EnglishName(object), &counters, &instances),
              perf::kOk);
    std::erase(instances, "_Total");
    return instances;
  }

  std::unique_ptr<perf::Provider> provider_ = local::MakeLocalProvider();
};

TEST_F(LocalCatalogueTest, DefaultProfileIsTheProcessorsThenTheSixStandardAxes) {
  Corvane engine(*provider_, false);
  engine.SetUpNewProfile();
  const std::vector<std::string> cpus = Instances(perf::index::kProcessor);
  ASSERT_FALSE(cpus.empty());

  std::vector<std::string> expected;
  if (cpus.size() == 1) {
    expected.push_back("% CPU");
  } else {
    for (std::size_t i = 1; i <= cpus.size(); ++i) expected.push_back("% CPU-" + std::to_string(i));
  }
  for (const char* name : {"# Processes", "# Threads", "% Memory", "% Virtual Memory",
                           "% Disk Space Used", "% Hard Drive Time"})
    expected.emplace_back(name);
  EXPECT_EQ(AxisNames(engine), expected);
}

TEST_F(LocalCatalogueTest, PerInstanceGroupsFollowTheProvidersInstances) {
  Corvane engine(*provider_, false);
  struct Group {
    std::uint32_t bit;
    std::uint32_t object;
    std::string counter;
    std::string total_fallback;  // the axis path when there is no instance ("" for none)
  };
  const Group groups[] = {
      {SC_CPU, perf::index::kProcessor, "% Processor Time", ""},
      {SC_EACH_DISK_SPACE, perf::index::kLogicalDisk, "% Free Space",
       "\\LogicalDisk(_Total)\\% Free Space"},
      {SC_EACH_DRIVE_TIME, perf::index::kPhysicalDisk, "% Disk Time",
       "\\PhysicalDisk(_Total)\\% Disk Time"},
      {SC_NETWORK, perf::index::kNetworkInterface, "Bytes Total/sec", ""},
  };
  for (const Group& g : groups) {
    std::vector<std::string> instances = Instances(g.object);
    if (g.bit == SC_NETWORK) std::erase(instances, "lo");  // the loopback gets no axis
    std::vector<std::string> expected;
    for (const std::string& instance : instances) {
      expected.push_back("\\" + std::string(perf::EnglishName(g.object)) + "(" + instance + ")\\" +
                         g.counter);
    }
    if (expected.empty() && !g.total_fallback.empty()) expected.push_back(g.total_fallback);

    AddStandardCounters(false, g.bit, engine);
    std::vector<std::string> paths;
    for (const AxisInfo& axis : Axes(engine)) paths.push_back(axis.path);
    EXPECT_EQ(paths, expected) << "group " << g.bit;
  }
}

TEST_F(LocalCatalogueTest, NetworkAxesHaveAUsableScale) {
  Corvane engine(*provider_, false);
  AddStandardCounters(false, SC_NETWORK, engine);
  for (const AxisInfo& axis : Axes(engine)) {
    // A real link, or the 100 Mbit/s stand-in for one whose speed the kernel does not know.
    EXPECT_GT(axis.max, 0) << axis;
    EXPECT_LE(axis.critical, axis.max) << axis;
    EXPECT_EQ(axis.multiplier, 1024) << axis;
  }
}

TEST_F(LocalCatalogueTest, DefaultProfileSamplesThisMachine) {
  ASSERT_FALSE(CollectorControl::Instance().Snapshot().running);
  Corvane engine(*provider_, false);
  engine.SetUpNewProfile();
  // Registry quota and server sessions have no Linux source: their axes show "N/A".
  AddStandardCounters(false, SC_DEFAULT | SC_REGISTRY | SC_SESSIONS, engine);
  CorvaneSettings s = engine.GetSettings();
  s.LogMode = log_mode::kOff;
  s.Interval = 120;
  engine.SetSettings(s);

  ASSERT_TRUE(engine.Start(nullptr, false));
  ASSERT_TRUE(WaitFor([&] { return engine.GetSampleCount() >= 1; }));
  const std::vector<std::string> names = AxisNames(engine);
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    chart::ValueState state = chart::ValueState::kNormal;
    double value = -1;
    engine.GetValueState(i, &state, Corvane::kCurrentSeries);
    engine.GetSeriesValue(i, &value, Corvane::kCurrentSeries);
    const bool no_source = names[i] == "% Registry Used" || names[i] == "# Sessions";
    EXPECT_EQ(state == chart::ValueState::kNotAvailable, no_source) << names[i];
    if (!no_source) {
      EXPECT_GE(value, 0) << names[i];
    }
    if (names[i] == "# Processes" || names[i] == "# Threads") {
      EXPECT_GT(value, 0) << names[i];
    }
  }
  ASSERT_TRUE(engine.Stop());
}

}  // namespace
}  // namespace corvane
