// The standard counter catalogue over a scripted machine.
#include "core/catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane {
namespace {

using testing_support::Axes;
using testing_support::AxisInfo;
using testing_support::AxisNames;

// Network interfaces as the machine lists them, with their Current Bandwidth in bits per
// second; a negative bandwidth is not scripted, so it cannot be read.
void ScriptInterfaces(fake::FakeProvider& fake,
                      const std::vector<std::pair<std::string, double>>& interfaces) {
  std::vector<std::string> names;
  for (const auto& [name, bandwidth] : interfaces) {
    names.push_back(name);
    if (bandwidth >= 0)
      fake.ScriptValue("\\Network Interface(" + name + ")\\Current Bandwidth", bandwidth);
  }
  fake.ScriptObjectItems("", "Network Interface", {"Bytes Total/sec", "Current Bandwidth"}, names);
}

class CatalogueTest : public ::testing::Test {
 protected:
  // A machine with `processors` processors, logical disks C: and D:, one physical disk and
  // one 100 Mbit/s interface (instances as the machine lists them, "_Total" last).
  void ScriptMachine(int processors = 2) {
    std::vector<std::string> cpus;
    for (int i = 0; i < processors; ++i) cpus.push_back(std::to_string(i));
    cpus.push_back("_Total");
    fake_.ScriptObjectItems("", "Processor", {"% Processor Time"}, cpus);
    fake_.ScriptObjectItems("", "LogicalDisk", {"% Free Space"}, {"C:", "_Total", "D:"});
    fake_.ScriptObjectItems("", "PhysicalDisk", {"% Disk Time"}, {"0 C: D:", "_Total"});
    ScriptInterfaces(fake_, {{"eth0", 100'000'000.0}});
  }

  fake::FakeProvider fake_;
};

TEST_F(CatalogueTest, DefaultChoiceGivesTheDefaultGroupsInCatalogueOrder) {
  ScriptMachine(4);
  Corvane engine(fake_, false);
  for (const std::uint32_t mask : {0u, SC_NETWORK, 0xFFFFFFFFu}) {
    AddStandardCounters(true, mask, engine);
    const std::vector<AxisInfo> expected = {
        {"% CPU-1", false, 0, 100, 80, 1, "\\Processor(0)\\% Processor Time"},
        {"% CPU-2", false, 0, 100, 80, 1, "\\Processor(1)\\% Processor Time"},
        {"% CPU-3", false, 0, 100, 80, 1, "\\Processor(2)\\% Processor Time"},
        {"% CPU-4", false, 0, 100, 80, 1, "\\Processor(3)\\% Processor Time"},
        {"# Processes", false, 0, 1000, 100, 1, "\\Objects\\Processes"},
        {"# Threads", false, 0, 1000, 800, 1, "\\Objects\\Threads"},
        {"% Memory", false, 0, 100, 80, 1, "\\Memory\\% Committed Bytes In Use"},
        {"% Virtual Memory", false, 0, 100, 50, 1, "\\Paging File(_Total)\\% Usage"},
        {"% Disk Space Used", true, 0, 100, 80, 1, "\\LogicalDisk(_Total)\\% Free Space"},
        {"% Hard Drive Time", false, 0, 100, 80, 1, "\\PhysicalDisk(_Total)\\% Disk Time"},
    };
    EXPECT_EQ(Axes(engine), expected) << "mask " << mask;
  }
  EXPECT_EQ(SC_DEFAULT, SC_CPU | SC_MEMORY | SC_PROCESSES | SC_THREADS | SC_VIRTUAL_MEMORY |
                            SC_TOTAL_DISK_SPACE | SC_TOTAL_DRIVE_TIME);
}

TEST_F(CatalogueTest, EveryGroupAloneAndTheirOrderWhateverTheBitOrder) {
  ScriptMachine(1);
  Corvane engine(fake_, false);
  struct Case {
    std::uint32_t mask;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {0, {}},
      {SC_CPU, {"% CPU"}},
      {SC_PROCESSES, {"# Processes"}},
      {SC_REGISTRY, {"% Registry Used"}},
      {SC_SESSIONS, {"# Sessions"}},
      {SC_EACH_DISK_SPACE, {"% Used on C:", "% Used on D:"}},
      {SC_EACH_DRIVE_TIME, {"% H.Drive Time"}},
      {SC_NETWORK, {"Network KB/s"}},
      {SC_SESSIONS | SC_CPU | SC_NETWORK | SC_REGISTRY,
       {"% CPU", "% Registry Used", "Network KB/s", "# Sessions"}},
      {0xFFFu,
       {"% CPU", "# Processes", "# Threads", "% Memory", "% Virtual Memory", "% Registry Used",
        "% Disk Space Used", "% Used on C:", "% Used on D:", "% Hard Drive Time", "% H.Drive Time",
        "Network KB/s", "# Sessions"}},
      {0xFFFFF000u, {}},  // bits beyond the twelve groups mean nothing
  };
  for (const Case& c : cases) {
    AddStandardCounters(false, c.mask, engine);
    EXPECT_EQ(AxisNames(engine), c.names) << "mask " << c.mask;
  }
  AddStandardCounters(false, SC_REGISTRY | SC_SESSIONS, engine);
  EXPECT_EQ(testing_support::Axes(engine),
            (std::vector<AxisInfo>{
                {"% Registry Used", false, 0, 100, 80, 1, "\\System\\% Registry Quota In Use"},
                {"# Sessions", false, 0, 100, 50, 1, "\\Server\\Server Sessions"}}));
}

TEST_F(CatalogueTest, PerInstanceGroupsNumberTheirAxesByPosition) {
  fake_.ScriptObjectItems("", "Processor", {}, {"_Total", "4", "7"});  // gaps in the numbering
  fake_.ScriptObjectItems("", "PhysicalDisk", {}, {"vda", "nvme0n1", "_Total"});
  fake_.ScriptObjectItems("", "LogicalDisk", {}, {"/", "/home", "_Total"});
  Corvane engine(fake_, false);
  AddStandardCounters(false, SC_CPU | SC_EACH_DRIVE_TIME | SC_EACH_DISK_SPACE, engine);
  const std::vector<AxisInfo> expected = {
      {"% CPU-1", false, 0, 100, 80, 1, "\\Processor(4)\\% Processor Time"},
      {"% CPU-2", false, 0, 100, 80, 1, "\\Processor(7)\\% Processor Time"},
      {"% Used on /", true, 0, 100, 80, 1, "\\LogicalDisk(/)\\% Free Space"},
      {"% Used on /home", true, 0, 100, 80, 1, "\\LogicalDisk(/home)\\% Free Space"},
      {"% H.Drive-1 Time", false, 0, 100, 80, 1, "\\PhysicalDisk(vda)\\% Disk Time"},
      {"% H.Drive-2 Time", false, 0, 100, 80, 1, "\\PhysicalDisk(nvme0n1)\\% Disk Time"},
  };
  EXPECT_EQ(Axes(engine), expected);
}

TEST_F(CatalogueTest, GroupsWithoutInstances) {
  struct Case {
    const char* name;
    bool fail;  // the enumeration fails instead of listing only "_Total"
  };
  for (const Case c : {Case{"only _Total", false}, Case{"enumeration fails", true}}) {
    fake::FakeProvider fake;
    for (const char* object : {"Processor", "LogicalDisk", "PhysicalDisk", "Network Interface"}) {
      if (c.fail) {
        fake.FailObjectItems("", object, perf::kNoObject);
      } else {
        fake.ScriptObjectItems("", object, {}, {"_Total"});
      }
    }
    Corvane engine(fake, false);
    AddStandardCounters(
        false, SC_CPU | SC_NETWORK | SC_EACH_DISK_SPACE | SC_TOTAL_DISK_SPACE | SC_EACH_DRIVE_TIME,
        engine);
    const std::vector<AxisInfo> expected = {
        {"% Disk Space Used", true, 0, 100, 80, 1, "\\LogicalDisk(_Total)\\% Free Space"},
        {"% Disk Space Used", true, 0, 100, 80, 1, "\\LogicalDisk(_Total)\\% Free Space"},
        {"% Disk Access Time", false, 0, 100, 80, 1, "\\PhysicalDisk(_Total)\\% Disk Time"},
    };
    EXPECT_EQ(Axes(engine), expected) << c.name;
  }
}

TEST_F(CatalogueTest, NetworkAxesScaleFromTheLinkSpeed) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, double>> interfaces;  // bandwidth < 0: unreadable
    std::vector<AxisInfo> axes;
  };
  const Case cases[] = {
      {"100 Mbit/s",
       {{"eth0", 100'000'000}},
       {{"Network KB/s", false, 0, 12207, 2441, 1024,
         "\\Network Interface(eth0)\\Bytes Total/sec"}}},
      {"1 Gbit/s beside loopbacks",
       {{"lo", 0}, {"MS TCP Loopback interface", 0}, {"eth1", 1'000'000'000}},
       {{"Network KB/s", false, 0, 122070, 24414, 1024,
         "\\Network Interface(eth1)\\Bytes Total/sec"}}},
      {"loopback names differing in case are ordinary interfaces",
       {{"MS TCP loopback interface", 10'000'000}, {"LO", 10'000'000}},
       {{"Network-1 KB/s", false, 0, 1220, 244, 1024,
         "\\Network Interface(MS TCP loopback interface)\\Bytes Total/sec"},
        {"Network-2 KB/s", false, 0, 1220, 244, 1024, "\\Network Interface(LO)\\Bytes Total/sec"}}},
      {"unknown speed scales as 100 Mbit/s",
       {{"wlan0", -1}},
       {{"Network KB/s", false, 0, 12207, 2441, 1024,
         "\\Network Interface(wlan0)\\Bytes Total/sec"}}},
      {"a speed reading 0 keeps an axis of maximum 0",
       {{"tun0", 0}},
       {{"Network KB/s", false, 0, 0, 0, 1024, "\\Network Interface(tun0)\\Bytes Total/sec"}}},
      {"only loopback", {{"lo", 0}}, {}},
  };
  for (const Case& c : cases) {
    fake::FakeProvider fake;
    ScriptInterfaces(fake, c.interfaces);
    Corvane engine(fake, false);
    AddStandardCounters(false, SC_NETWORK, engine);
    EXPECT_EQ(Axes(engine), c.axes) << c.name;
  }
}

TEST_F(CatalogueTest, NoNetworkAxisWhenTheBandwidthCannotBeCollected) {
  ScriptInterfaces(fake_, {{"eth0", 100'000'000}});
  Corvane engine(fake_, false);
  fake_.ScriptCollections({fake::CollectStep{perf::kNoData}});
  AddStandardCounters(false, SC_NETWORK | SC_PROCESSES, engine);
  EXPECT_EQ(AxisNames(engine), std::vector<std::string>{"# Processes"});

  fake_.ScriptCollections({});
  fake_.FailOpenQuery(perf::kMemoryAllocationFailure);
  AddStandardCounters(false, SC_NETWORK | SC_PROCESSES, engine);
  EXPECT_EQ(AxisNames(engine), std::vector<std::string>{"# Processes"});
}

TEST_F(CatalogueTest, AxesBeyondTheChartsRoomAreDroppedInCatalogueOrder) {
  std::vector<std::string> cpus;
  for (int i = 0; i < 30; ++i) cpus.push_back(std::to_string(i));
  fake_.ScriptObjectItems("", "Processor", {}, cpus);
  Corvane engine(fake_, false);
  AddStandardCounters(false, SC_CPU | SC_SESSIONS | SC_MEMORY | SC_THREADS | SC_PROCESSES, engine);
  const std::vector<std::string> names = AxisNames(engine);
  ASSERT_EQ(names.size(), 32u);
  EXPECT_EQ(names[29], "% CPU-30");
  EXPECT_EQ(names[30], "# Processes");
  EXPECT_EQ(names[31], "# Threads");
}

TEST_F(CatalogueTest, PathsCarryTheMachinesOwnNames) {
  fake_.ScriptName("", 238, "Prozessor");
  fake_.ScriptName("", 6, "Prozessorzeit (%)");
  fake_.ScriptName("", 260, "Objekte");
  fake_.ScriptName("", 248, "Prozesse");
  fake_.ScriptName("", 234, "Physikalischer Datentr\xC3\xA4ger");
  fake_.ScriptName("", 200, "Zeit (%)");
  fake_.ScriptObjectItems("", "Prozessor", {}, {"0", "_Total"});

  Corvane engine(fake_, false);
  const StandardPaths paths = GetStandardPaths();
  EXPECT_EQ(paths.processes, "\\Objekte\\Prozesse");
  EXPECT_EQ(paths.total_drive_time, "\\Physikalischer Datentr\xC3\xA4ger(_Total)\\Zeit (%)");
  EXPECT_EQ(paths.memory, "\\Memory\\% Committed Bytes In Use");  // not scripted: English

  AddStandardCounters(false, SC_CPU | SC_PROCESSES | SC_TOTAL_DRIVE_TIME, engine);
  EXPECT_EQ(Axes(engine)[0].path, "\\Prozessor(0)\\Prozessorzeit (%)");
  EXPECT_EQ(Axes(engine)[0].name, "% CPU");
  EXPECT_EQ(Axes(engine)[1].path, "\\Objekte\\Prozesse");
  EXPECT_EQ(Axes(engine)[2].path, paths.total_drive_time);

  // A later engine over an English machine rebuilds them again.
  fake::FakeProvider english;
  Corvane other(english, false);
  EXPECT_EQ(GetStandardPaths(), StandardPaths{});
}

TEST_F(CatalogueTest, BuildCounterPathFallsBackToEnglishNames) {
  fake_.FailName("", 238, perf::kStringNotFound);
  fake_.ScriptName("", 6, "");
  std::string path = "unchanged";
  EXPECT_TRUE(BuildCounterPath(&path, fake_, 238, 6, "3"));
  EXPECT_EQ(path, "\\Processor(3)\\% Processor Time");
  EXPECT_TRUE(BuildCounterPath(&path, fake_, 4, 1406, std::nullopt));
  EXPECT_EQ(path, "\\Memory\\% Committed Bytes In Use");
  EXPECT_TRUE(BuildCounterPath(&path, fake_, 4, 1406, ""));
  EXPECT_EQ(path, "\\Memory()\\% Committed Bytes In Use");

  // An index neither the machine nor the English table can name leaves the path alone.
  path = "unchanged";
  EXPECT_FALSE(BuildCounterPath(&path, fake_, 99999, 6));
  EXPECT_EQ(path, "unchanged");
}

TEST_F(CatalogueTest, EnumObjectInstancesDropsOnlyTheExactTotal) {
  fake_.ScriptObjectItems("", "LogicalDisk", {"% Free Space"},
                          {"C:", "_Total", "_total", "D:", "_Total2"});
  std::vector<std::string> instances = {"stale"};
  EXPECT_TRUE(EnumObjectInstances(fake_, 236, &instances));
  EXPECT_EQ(instances, (std::vector<std::string>{"C:", "_total", "D:", "_Total2"}));

  fake_.ScriptObjectItems("", "LogicalDisk", {}, {});
  EXPECT_TRUE(EnumObjectInstances(fake_, 236, &instances));
  EXPECT_TRUE(instances.empty());

  instances = {"stale"};
  fake_.FailObjectItems("", "LogicalDisk", perf::kNoObject);
  EXPECT_FALSE(EnumObjectInstances(fake_, 236, &instances));
  EXPECT_TRUE(instances.empty());
  EXPECT_FALSE(EnumObjectInstances(fake_, 99999, &instances));  // no name for the object
}

TEST_F(CatalogueTest, ReadCountersOnce) {
  fake_.ScriptValue("\\A\\x", 1.5);
  fake_.ScriptReadings("\\A\\unreadable", {fake::Failure()});
  std::vector<std::optional<double>> values;
  ASSERT_TRUE(ReadCountersOnce(fake_, {"\\A\\x", "\\A\\missing", "\\A\\unreadable"}, &values));
  EXPECT_EQ(values, (std::vector<std::optional<double>>{1.5, std::nullopt, std::nullopt}));
  const fake::FakeCounts counts = fake_.Counts();
  EXPECT_EQ(counts.collect_calls, 1);
  EXPECT_EQ(counts.QueriesOpen(), 0);
  EXPECT_EQ(counts.LiveCounters(), 0);

  fake_.ScriptCollections({fake::CollectStep{perf::kNoData}});
  values = {1.0};
  EXPECT_TRUE(ReadCountersOnce(fake_, {"\\A\\x"}, &values));
  EXPECT_TRUE(values.empty());

  fake_.FailOpenQuery(perf::kMemoryAllocationFailure);
  EXPECT_FALSE(ReadCountersOnce(fake_, {"\\A\\x"}, &values));
}

}  // namespace
}  // namespace corvane
