#include "platform/remote/exporter_counters.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/counter_path.h"
#include "platform/remote/counter_formula.h"
#include "platform/remote/exporter_page.h"
#include "tests/platform/remote/remote_fixtures.h"
#include "tests/support/case_name.h"

namespace corvane::remote {
namespace {

struct Outcome {
  perf::Status status = perf::kOk;
  double value = 0;
};

// Reads \object(instance)\counter from `later`, with `earlier` (when given) as the scrape taken
// `seconds` before it, the way a query does: name lookup, the exposure and instance checks on
// the later page, then the counter's figures from both pages.
Outcome Read(ExporterKind kind, const ExporterPage* earlier, const ExporterPage& later,
             double seconds, std::string_view object_name, std::string_view counter_name,
             std::optional<std::string> instance, double wall_time = 0) {
  const ObjectDef* object = FindObject(kind, object_name);
  if (object == nullptr) return {perf::kNoObject};
  const CounterDef* counter = FindCounter(*object, counter_name);
  if (counter == nullptr || !Exposes(later, *counter)) return {perf::kNoCounter};
  if (const perf::Status status =
          CheckInstance(later, *object, instance.has_value(), instance.value_or(std::string()));
      status != perf::kOk)
    return {status};
  const std::string name = instance.value_or("");
  const InstanceRef ref{name, instance && NamesEqual(name, "_Total")};
  constexpr double kNoClock = std::numeric_limits<double>::quiet_NaN();
  std::optional<Reading> previous;
  if (earlier != nullptr) {
    Reading reading{{}, 0, kNoClock};
    if (!counter->extract(ScrapeView{earlier, wall_time - seconds}, ref, &reading.figures))
      return {perf::kInvalidData};
    previous = reading;
  }
  Reading current{{}, seconds, kNoClock};
  if (!counter->extract(ScrapeView{&later, wall_time}, ref, &current.figures))
    return {perf::kInvalidData};
  Outcome outcome;
  outcome.status =
      Evaluate(counter->formula, previous ? &*previous : nullptr, current, &outcome.value);
  return outcome;
}

struct CounterCase {
  const char* object;
  const char* counter;
  std::optional<std::string> instance;
  perf::Status status;
  double value;  // when status is kOk
};

void PrintTo(const CounterCase& c, std::ostream* out) {
  *out << c.object << "(" << c.instance.value_or("-") << ")\\" << c.counter;
}

std::string CounterCaseName(const ::testing::TestParamInfo<CounterCase>& info) {
  const CounterCase& c = info.param;
  // A counter may be listed twice, with instances that differ only in case or punctuation.
  return test_support::NumberedCaseName(
      info, std::string(c.object) + " " + c.instance.value_or("") + " " + c.counter);
}

void Expect(const Outcome& outcome, const CounterCase& c) {
  ASSERT_EQ(outcome.status, c.status) << perf::StatusText(outcome.status);
  if (c.status == perf::kOk) {
    EXPECT_NEAR(outcome.value, c.value, 1e-9 * (1 + std::abs(c.value)));
  }
}

// ---- windows_exporter 0.31: two pages of one host taken 10 s apart, written by hand. ----

class WindowsExporterCounter : public ::testing::TestWithParam<CounterCase> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(a_.Load(testing::ReadExporterFixture("windows_exporter_0.31_a.prom")));
    ASSERT_TRUE(b_.Load(testing::ReadExporterFixture("windows_exporter_0.31_b.prom")));
  }
  static ExporterPage a_;
  static ExporterPage b_;
};
ExporterPage WindowsExporterCounter::a_;
ExporterPage WindowsExporterCounter::b_;

constexpr double kBootTime = 1.7966e9;

TEST_P(WindowsExporterCounter, ReadsAsThePerformanceSystemWould) {
  ASSERT_EQ(RecogniseExporter(b_), ExporterKind::kWindows);
  const CounterCase& c = GetParam();
  Expect(Read(ExporterKind::kWindows, &a_, b_, 10.0, c.object, c.counter, c.instance,
              kBootTime + 3600),
         c);
}

constexpr const char* kNic = "Intel[R] Ethernet Connection I219-LM";
constexpr double kGiB = 1073741824.0;

INSTANTIATE_TEST_SUITE_P(
    Pages, WindowsExporterCounter,
    ::testing::Values(
        // Per core: idle + user + privileged is all time; privileged holds interrupt and DPC.
        CounterCase{"Processor", "% Processor Time", "_Total", perf::kOk, 42.5},
        CounterCase{"Processor", "% Processor Time", "0", perf::kOk, 20},
        CounterCase{"Processor", "% Processor Time", "1", perf::kOk, 50},
        CounterCase{"Processor", "% Processor Time", "2", perf::kOk, 0},
        CounterCase{"Processor", "% Processor Time", "3", perf::kOk, 100},
        CounterCase{"Processor", "% User Time", "0", perf::kOk, 15},
        CounterCase{"Processor", "% Privileged Time", "1", perf::kOk, 10},
        CounterCase{"Processor", "% Interrupt Time", "0", perf::kOk, 1},
        CounterCase{"Processor", "% Idle Time", "_Total", perf::kOk, 57.5},
        CounterCase{"Processor", "Interrupts/sec", "_Total", perf::kOk, 400},
        CounterCase{"Processor", "Interrupts/sec", "1", perf::kOk, 100},
        CounterCase{"Processor", "% Processor Time", "4", perf::kNoInstance, 0},
        CounterCase{"Processor", "% Processor Time", std::nullopt, perf::kNoInstance, 0},
        CounterCase{"System", "Processes", std::nullopt, perf::kOk, 145},
        CounterCase{"Objects", "Processes", std::nullopt, perf::kOk, 145},
        CounterCase{"Objects", "Threads", std::nullopt, perf::kOk, 1830},
        CounterCase{"System", "Context Switches/sec", std::nullopt, perf::kOk, 5000},
        CounterCase{"System", "Processor Queue Length", std::nullopt, perf::kOk, 3},
        CounterCase{"System", "System Up Time", std::nullopt, perf::kOk, 3600},
        CounterCase{"System", "% Registry Quota In Use", std::nullopt, perf::kNoCounter, 0},
        CounterCase{"Server", "Server Sessions", std::nullopt, perf::kNoObject, 0},
        CounterCase{"Memory", "% Committed Bytes In Use", std::nullopt, perf::kOk, 37.5},
        CounterCase{"Memory", "Committed Bytes", std::nullopt, perf::kOk, 6 * kGiB},
        CounterCase{"Memory", "Commit Limit", std::nullopt, perf::kOk, 16 * kGiB},
        CounterCase{"Memory", "Available Bytes", std::nullopt, perf::kOk, 8 * kGiB},
        CounterCase{"Memory", "Available MBytes", std::nullopt, perf::kOk, 8192},
        CounterCase{"Memory", "Cache Bytes", std::nullopt, perf::kOk, kGiB},
        CounterCase{"Memory", "Pages/sec", std::nullopt, perf::kOk, 50},
        CounterCase{"Memory", "Page Faults/sec", std::nullopt, perf::kOk, 3000},
        CounterCase{"Memory", "Available Bytes", "0", perf::kNoInstance, 0},
        // "C:\pagefile.sys": a path cannot carry the backslash, which reads as "_".
        CounterCase{"Paging File", "% Usage", "C:_pagefile.sys", perf::kOk, 25},
        CounterCase{"Paging File", "% Usage", "C:\\pagefile.sys", perf::kOk, 25},
        CounterCase{"Paging File", "% Usage", "_Total", perf::kOk, 25},
        CounterCase{"LogicalDisk", "% Free Space", "C:", perf::kOk, 25},
        CounterCase{"LogicalDisk", "% Free Space", "d:", perf::kOk, 80},
        CounterCase{"LogicalDisk", "% Free Space", "_Total", perf::kOk,
                    100.0 * (25 * kGiB + 400 * kGiB + 100 * 1048576.0) /
                        (100 * kGiB + 500 * kGiB + 500 * 1048576.0)},
        CounterCase{"LogicalDisk", "Free Megabytes", "C:", perf::kOk, 25600},
        CounterCase{"LogicalDisk", "Disk Read Bytes/sec", "C:", perf::kOk, 500000},
        CounterCase{"LogicalDisk", "Disk Write Bytes/sec", "C:", perf::kOk, 0},
        CounterCase{"LogicalDisk", "% Free Space", "E:", perf::kNoInstance, 0},
        // % Disk Time is the share of time the disk was not idle, 0 to 100.
        CounterCase{"PhysicalDisk", "% Disk Time", "0 C:", perf::kOk, 30},
        CounterCase{"PhysicalDisk", "% Disk Time", "1 D:", perf::kOk, 0},
        CounterCase{"PhysicalDisk", "% Disk Time", "_Total", perf::kOk, 15},
        CounterCase{"PhysicalDisk", "% Idle Time", "0 C:", perf::kOk, 70},
        CounterCase{"PhysicalDisk", "Avg. Disk Queue Length", "0 C:", perf::kOk, 0.35},
        CounterCase{"PhysicalDisk", "Disk Bytes/sec", "0 C:", perf::kOk, 1.5e6},
        CounterCase{"PhysicalDisk", "Disk Bytes/sec", "_Total", perf::kOk, 1.5e6},
        CounterCase{"PhysicalDisk", "Disk Reads/sec", "0 C:", perf::kOk, 80},
        CounterCase{"PhysicalDisk", "Disk Writes/sec", "0 C:", perf::kOk, 120},
        CounterCase{"Network Interface", "Bytes Total/sec", kNic, perf::kOk, 1.25e6},
        CounterCase{"network interface", "BYTES TOTAL/SEC", "intel(r) ethernet connection i219-lm",
                    perf::kOk, 1.25e6},
        CounterCase{"Network Interface", "Bytes Received/sec", kNic, perf::kOk, 1e6},
        CounterCase{"Network Interface", "Bytes Sent/sec", kNic, perf::kOk, 250000},
        CounterCase{"Network Interface", "Current Bandwidth", kNic, perf::kOk, 1e9},
        CounterCase{"Network Interface", "Current Bandwidth", "isatap.corp.example", perf::kOk,
                    100000},
        CounterCase{"Network Interface", "Bytes Total/sec", "_Total", perf::kNoInstance, 0}),
    CounterCaseName);

TEST(WindowsExporterCounters, RatesHaveNoValueOnTheFirstScrape) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("windows_exporter_0.31_a.prom")));
  EXPECT_EQ(
      Read(ExporterKind::kWindows, nullptr, page, 0, "Processor", "% Processor Time", "_Total")
          .status,
      perf::kInvalidData);
  EXPECT_EQ(
      Read(ExporterKind::kWindows, nullptr, page, 0, "Memory", "Pages/sec", std::nullopt).status,
      perf::kInvalidData);
  EXPECT_EQ(
      Read(ExporterKind::kWindows, nullptr, page, 0, "Objects", "Threads", std::nullopt).status,
      perf::kOk);
}

TEST(WindowsExporterCounters, OlderVersionsReadThroughTheirOwnNames) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("windows_exporter_0.25.prom")));
  ASSERT_EQ(RecogniseExporter(page), ExporterKind::kWindows);
  const auto read = [&](const char* object, const char* counter,
                        std::optional<std::string> instance) {
    return Read(ExporterKind::kWindows, nullptr, page, 0, object, counter, std::move(instance),
                1.7965e9 + 60);
  };
  Expect(read("Objects", "Processes", std::nullopt),
         CounterCase{"", "", {}, perf::kOk, 97});  // windows_os_processes
  Expect(read("Paging File", "% Usage", "_Total"),
         CounterCase{"", "", {}, perf::kOk, 25});  // windows_os_paging_*
  Expect(read("System", "System Up Time", std::nullopt),
         CounterCase{"", "", {}, perf::kOk, 60});  // windows_system_system_up_time
  // Before v0.29 the memory collector was off by default: its counters do not exist.
  EXPECT_EQ(read("Memory", "% Committed Bytes In Use", std::nullopt).status, perf::kNoCounter);
  EXPECT_EQ(read("Paging File", "% Usage", "C:_pagefile.sys").status, perf::kNoInstance);
}

// ---- node_exporter 1.5.0: pages recorded on this project's Debian 12 machine. ----

struct Instances {
  const char* object;
  std::vector<std::string> expected;
};

class NodeExporterInstances : public ::testing::TestWithParam<Instances> {};

TEST_P(NodeExporterInstances, FollowTheLocalProvidersRules) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("node_exporter_1.5.0.prom")));
  const ObjectDef* object = FindObject(ExporterKind::kNode, GetParam().object);
  ASSERT_NE(object, nullptr);
  std::vector<std::string> instances;
  object->list_instances(page, &instances);
  EXPECT_EQ(instances, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RecordedPage, NodeExporterInstances,
    ::testing::Values(Instances{"Processor", {"0", "1"}},
                      // zram0 is a compressed RAM device, not a disk
                      Instances{"PhysicalDisk", {"vda"}}, Instances{"LogicalDisk", {"/"}},
                      // ifb0 and ifb1 are down; Debian's exporter leaves lo out of netdev
                      Instances{"Network Interface", {"eth0"}}, Instances{"Paging File", {}}),
    [](const ::testing::TestParamInfo<Instances>& info) {
      return test_support::CaseName(info.param.object);
    });

TEST(WindowsExporterInstances, ProcessorsAreNumberedInTheExportersOrder) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("windows_exporter_0.31_a.prom")));
  std::vector<std::string> instances;
  FindObject(ExporterKind::kWindows, "Processor")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"0", "1", "2", "3"}));
  FindObject(ExporterKind::kWindows, "Paging File")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"C:_pagefile.sys"}));
  FindObject(ExporterKind::kWindows, "PhysicalDisk")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"0 C:", "1 D:"}));
}

class NodeExporterGauge : public ::testing::TestWithParam<CounterCase> {};

TEST_P(NodeExporterGauge, ReadsFromOnePage) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("node_exporter_1.5.0.prom")));
  ASSERT_EQ(RecogniseExporter(page), ExporterKind::kNode);
  const CounterCase& c = GetParam();
  Expect(Read(ExporterKind::kNode, nullptr, page, 0, c.object, c.counter, c.instance), c);
}

INSTANTIATE_TEST_SUITE_P(
    RecordedPage, NodeExporterGauge,
    ::testing::Values(
        // Commit limit in the Windows sense: MemTotal + SwapTotal (no swap here).
        CounterCase{"Memory", "% Committed Bytes In Use", std::nullopt, perf::kOk,
                    100.0 * 161570816 / 25276182528.0},
        CounterCase{"Memory", "Commit Limit", std::nullopt, perf::kOk, 25276182528.0},
        CounterCase{"Memory", "Available MBytes", std::nullopt, perf::kOk, 23837},
        CounterCase{"Paging File", "% Usage", "_Total", perf::kOk, 0},
        CounterCase{"Paging File", "% Usage", "/swapfile", perf::kNoInstance, 0},
        // f_bavail over f_blocks, as locally.
        CounterCase{"LogicalDisk", "% Free Space", "/", perf::kOk,
                    100.0 * 85620899840.0 / 270553174016.0},
        CounterCase{"LogicalDisk", "% Free Space", "_Total", perf::kOk,
                    100.0 * 85620899840.0 / 270553174016.0},
        CounterCase{"LogicalDisk", "Free Megabytes", "/", perf::kOk, 81654},
        CounterCase{"System", "System Up Time", std::nullopt, perf::kOk,
                    1796676086.264824 - 1796675694.0},
        CounterCase{"System", "Processor Queue Length", std::nullopt, perf::kOk, 0},
        // Without --collector.processes there is no process or thread count.
        CounterCase{"Objects", "Processes", std::nullopt, perf::kNoCounter, 0},
        CounterCase{"Objects", "Threads", std::nullopt, perf::kNoCounter, 0},
        CounterCase{"System", "Threads", std::nullopt, perf::kNoCounter, 0},
        // eth0's speed is unknown (-1 Mbit/s): no value rather than a made-up one.
        CounterCase{"Network Interface", "Current Bandwidth", "eth0", perf::kInvalidData, 0},
        CounterCase{"Network Interface", "Current Bandwidth", "ifb0", perf::kNoInstance, 0},
        CounterCase{"PhysicalDisk", "% Disk Time", "zram0", perf::kNoInstance, 0},
        CounterCase{"System", "% Registry Quota In Use", std::nullopt, perf::kNoCounter, 0},
        CounterCase{"Server", "Server Sessions", std::nullopt, perf::kNoObject, 0}),
    CounterCaseName);

TEST(NodeExporterCounters, ProcessesCollectorGivesProcessesAndThreads) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("node_exporter_1.5.0_processes.prom")));
  Expect(Read(ExporterKind::kNode, nullptr, page, 0, "Objects", "Processes", std::nullopt),
         CounterCase{"", "", {}, perf::kOk, 84});
  Expect(Read(ExporterKind::kNode, nullptr, page, 0, "System", "Threads", std::nullopt),
         CounterCase{"", "", {}, perf::kOk, 131});
}

// Two scrapes of a made-up host, 2 s apart, for the counters over two scrapes.
constexpr const char* kNodeBefore = R"page(# TYPE node_exporter_build_info gauge
node_exporter_build_info{version="1.5.0"} 1
node_context_switches_total 10000
node_cpu_seconds_total{cpu="0",mode="idle"} 100
node_cpu_seconds_total{cpu="0",mode="iowait"} 10
node_cpu_seconds_total{cpu="0",mode="irq"} 0
node_cpu_seconds_total{cpu="0",mode="nice"} 0
node_cpu_seconds_total{cpu="0",mode="softirq"} 1
node_cpu_seconds_total{cpu="0",mode="steal"} 0
node_cpu_seconds_total{cpu="0",mode="system"} 5
node_cpu_seconds_total{cpu="0",mode="user"} 20
node_cpu_seconds_total{cpu="1",mode="idle"} 200
node_cpu_seconds_total{cpu="1",mode="iowait"} 0
node_cpu_seconds_total{cpu="1",mode="irq"} 0
node_cpu_seconds_total{cpu="1",mode="nice"} 0
node_cpu_seconds_total{cpu="1",mode="softirq"} 0
node_cpu_seconds_total{cpu="1",mode="steal"} 0
node_cpu_seconds_total{cpu="1",mode="system"} 0
node_cpu_seconds_total{cpu="1",mode="user"} 0
node_cpu_seconds_total{cpu="10",mode="idle"} 50
node_cpu_seconds_total{cpu="10",mode="user"} 50
node_cpu_guest_seconds_total{cpu="0",mode="user"} 7
node_disk_io_time_seconds_total{device="dm-0"} 50
node_disk_io_time_seconds_total{device="nvme0n1"} 10
node_disk_io_time_seconds_total{device="sda"} 20
node_disk_io_time_seconds_total{device="zram0"} 0
node_disk_io_time_weighted_seconds_total{device="sda"} 30
node_disk_read_bytes_total{device="dm-0"} 1e9
node_disk_read_bytes_total{device="nvme0n1"} 1000
node_disk_read_bytes_total{device="sda"} 5000
node_disk_reads_completed_total{device="sda"} 100
node_disk_writes_completed_total{device="sda"} 10
node_disk_written_bytes_total{device="dm-0"} 1e9
node_disk_written_bytes_total{device="nvme0n1"} 0
node_disk_written_bytes_total{device="sda"} 8000
node_filesystem_avail_bytes{device="/dev/sda1",fstype="ext4",mountpoint="/"} 400
node_filesystem_avail_bytes{device="/dev/sda1",fstype="ext4",mountpoint="/srv/bind"} 400
node_filesystem_avail_bytes{device="/dev/nvme0n1",fstype="xfs",mountpoint="/data(1)"} 100
node_filesystem_avail_bytes{device="/dev/sdc1",fstype="ext4",mountpoint="/broken"} 0
node_filesystem_device_error{device="/dev/sda1",fstype="ext4",mountpoint="/"} 0
node_filesystem_device_error{device="/dev/sda1",fstype="ext4",mountpoint="/srv/bind"} 0
node_filesystem_device_error{device="/dev/nvme0n1",fstype="xfs",mountpoint="/data(1)"} 0
node_filesystem_device_error{device="/dev/sdc1",fstype="ext4",mountpoint="/broken"} 1
node_filesystem_size_bytes{device="/dev/sda1",fstype="ext4",mountpoint="/"} 1000
node_filesystem_size_bytes{device="/dev/sda1",fstype="ext4",mountpoint="/srv/bind"} 1000
node_filesystem_size_bytes{device="/dev/nvme0n1",fstype="xfs",mountpoint="/data(1)"} 1000
node_filesystem_size_bytes{device="/dev/sdc1",fstype="ext4",mountpoint="/broken"} 0
node_intr_total 5000
node_network_info{device="docker0",operstate="down"} 1
node_network_info{device="eth0",operstate="up"} 1
node_network_info{device="wlan0",operstate="dormant"} 1
node_network_receive_bytes_total{device="docker0"} 0
node_network_receive_bytes_total{device="eth0"} 1000
node_network_receive_bytes_total{device="wlan0"} 0
node_network_speed_bytes{device="eth0"} 1.25e+08
node_network_transmit_bytes_total{device="docker0"} 0
node_network_transmit_bytes_total{device="eth0"} 3000
node_network_transmit_bytes_total{device="wlan0"} 0
node_time_seconds 1000
node_vmstat_pgfault 900
node_vmstat_pgmajfault 30
node_vmstat_pswpout 10
)page";

std::string After(std::string page,
                  std::initializer_list<std::pair<std::string, std::string>> changes) {
  for (const auto& [from, to] : changes) {
    const auto at = page.find(from + "\n");
    if (at == std::string::npos) {
      ADD_FAILURE() << "no line " << from;
      continue;
    }
    page.replace(at, from.size(), to);
  }
  return page;
}

class NodeExporterRate : public ::testing::TestWithParam<CounterCase> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(before_.Load(kNodeBefore));
    ASSERT_TRUE(after_.Load(After(
        kNodeBefore, {{"node_context_switches_total 10000", "node_context_switches_total 12000"},
                      // cpu 0: 2 s = 1 idle + 0.2 iowait + 0.1 softirq + 0.3 system + 0.4 user
                      {"node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} 100",
                       "node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} 101"},
                      {"node_cpu_seconds_total{cpu=\"0\",mode=\"iowait\"} 10",
                       "node_cpu_seconds_total{cpu=\"0\",mode=\"iowait\"} 10.2"},
                      {"node_cpu_seconds_total{cpu=\"0\",mode=\"softirq\"} 1",
                       "node_cpu_seconds_total{cpu=\"0\",mode=\"softirq\"} 1.1"},
                      {"node_cpu_seconds_total{cpu=\"0\",mode=\"system\"} 5",
                       "node_cpu_seconds_total{cpu=\"0\",mode=\"system\"} 5.3"},
                      {"node_cpu_seconds_total{cpu=\"0\",mode=\"user\"} 20",
                       "node_cpu_seconds_total{cpu=\"0\",mode=\"user\"} 20.4"},
                      // guest time is inside user already and must not count twice
                      {"node_cpu_guest_seconds_total{cpu=\"0\",mode=\"user\"} 7",
                       "node_cpu_guest_seconds_total{cpu=\"0\",mode=\"user\"} 7.4"},
                      // cpu 1 idle throughout, cpu 10 half busy
                      {"node_cpu_seconds_total{cpu=\"1\",mode=\"idle\"} 200",
                       "node_cpu_seconds_total{cpu=\"1\",mode=\"idle\"} 202"},
                      {"node_cpu_seconds_total{cpu=\"10\",mode=\"idle\"} 50",
                       "node_cpu_seconds_total{cpu=\"10\",mode=\"idle\"} 51"},
                      {"node_cpu_seconds_total{cpu=\"10\",mode=\"user\"} 50",
                       "node_cpu_seconds_total{cpu=\"10\",mode=\"user\"} 51"},
                      // dm-0 is a logical layer over the disks and must not count
                      {"node_disk_io_time_seconds_total{device=\"dm-0\"} 50",
                       "node_disk_io_time_seconds_total{device=\"dm-0\"} 52"},
                      {"node_disk_io_time_seconds_total{device=\"nvme0n1\"} 10",
                       "node_disk_io_time_seconds_total{device=\"nvme0n1\"} 10.5"},
                      {"node_disk_io_time_seconds_total{device=\"sda\"} 20",
                       "node_disk_io_time_seconds_total{device=\"sda\"} 21.5"},
                      {"node_disk_io_time_weighted_seconds_total{device=\"sda\"} 30",
                       "node_disk_io_time_weighted_seconds_total{device=\"sda\"} 33"},
                      {"node_disk_read_bytes_total{device=\"dm-0\"} 1e9",
                       "node_disk_read_bytes_total{device=\"dm-0\"} 2e9"},
                      {"node_disk_read_bytes_total{device=\"nvme0n1\"} 1000",
                       "node_disk_read_bytes_total{device=\"nvme0n1\"} 3000"},
                      {"node_disk_read_bytes_total{device=\"sda\"} 5000",
                       "node_disk_read_bytes_total{device=\"sda\"} 9000"},
                      {"node_disk_reads_completed_total{device=\"sda\"} 100",
                       "node_disk_reads_completed_total{device=\"sda\"} 110"},
                      {"node_disk_writes_completed_total{device=\"sda\"} 10",
                       "node_disk_writes_completed_total{device=\"sda\"} 16"},
                      {"node_disk_written_bytes_total{device=\"sda\"} 8000",
                       "node_disk_written_bytes_total{device=\"sda\"} 10000"},
                      {"node_intr_total 5000", "node_intr_total 6000"},
                      {"node_network_receive_bytes_total{device=\"eth0\"} 1000",
                       "node_network_receive_bytes_total{device=\"eth0\"} 5000"},
                      {"node_network_transmit_bytes_total{device=\"eth0\"} 3000",
                       "node_network_transmit_bytes_total{device=\"eth0\"} 5000"},
                      {"node_time_seconds 1000", "node_time_seconds 1002"},
                      {"node_vmstat_pgfault 900", "node_vmstat_pgfault 1900"},
                      {"node_vmstat_pgmajfault 30", "node_vmstat_pgmajfault 40"},
                      {"node_vmstat_pswpout 10", "node_vmstat_pswpout 20"}})));
  }
  static ExporterPage before_;
  static ExporterPage after_;
};
ExporterPage NodeExporterRate::before_;
ExporterPage NodeExporterRate::after_;

TEST_P(NodeExporterRate, ComesFromTwoScrapes) {
  const CounterCase& c = GetParam();
  Expect(Read(ExporterKind::kNode, &before_, after_, 2.0, c.object, c.counter, c.instance), c);
}

INSTANTIATE_TEST_SUITE_P(
    MadeUpHost, NodeExporterRate,
    ::testing::Values(
        CounterCase{"Processor", "% Processor Time", "0", perf::kOk, 40},  // 0.8 busy of 2
        CounterCase{"Processor", "% User Time", "0", perf::kOk, 20},
        CounterCase{"Processor", "% Privileged Time", "0", perf::kOk, 20},
        CounterCase{"Processor", "% Idle Time", "0", perf::kOk, 60},  // idle + iowait
        CounterCase{"Processor", "% Processor Time", "1", perf::kOk, 0},
        CounterCase{"Processor", "% Processor Time", "10", perf::kOk, 50},
        CounterCase{"Processor", "% Processor Time", "_Total", perf::kOk, 100.0 * 1.8 / 6.0},
        CounterCase{"Processor", "Interrupts/sec", "_Total", perf::kOk, 500},
        // Per-CPU interrupts need the interrupts collector, which this host lacks.
        CounterCase{"Processor", "Interrupts/sec", "0", perf::kInvalidData, 0},
        CounterCase{"System", "Context Switches/sec", std::nullopt, perf::kOk, 1000},
        CounterCase{"Memory", "Pages/sec", std::nullopt, perf::kOk, 10},  // pgmajfault + pswpout
        CounterCase{"Memory", "Page Faults/sec", std::nullopt, perf::kOk, 500},
        CounterCase{"PhysicalDisk", "% Disk Time", "sda", perf::kOk, 75},
        CounterCase{"PhysicalDisk", "% Disk Time", "nvme0n1", perf::kOk, 25},
        CounterCase{"PhysicalDisk", "% Disk Time", "_Total", perf::kOk, 50},
        CounterCase{"PhysicalDisk", "% Idle Time", "sda", perf::kOk, 25},
        CounterCase{"PhysicalDisk", "% Disk Time", "dm-0", perf::kNoInstance, 0},
        CounterCase{"PhysicalDisk", "Avg. Disk Queue Length", "sda", perf::kOk, 1.5},
        CounterCase{"PhysicalDisk", "Disk Bytes/sec", "sda", perf::kOk, 3000},
        CounterCase{"PhysicalDisk", "Disk Bytes/sec", "_Total", perf::kOk, 4000},
        CounterCase{"PhysicalDisk", "Disk Reads/sec", "sda", perf::kOk, 5},
        CounterCase{"PhysicalDisk", "Disk Writes/sec", "sda", perf::kOk, 3},
        // A volume on a whole disk has the disk's I/O; the exporter drops partitions (sda1)
        // from its disk statistics, so a volume on one has none.
        CounterCase{"LogicalDisk", "Disk Read Bytes/sec", "/data[1]", perf::kOk, 1000},
        CounterCase{"LogicalDisk", "Disk Write Bytes/sec", "/data[1]", perf::kOk, 0},
        CounterCase{"LogicalDisk", "Disk Read Bytes/sec", "/", perf::kInvalidData, 0},
        // The bind mount of /dev/sda1 and the mount whose statfs failed are not volumes.
        CounterCase{"LogicalDisk", "% Free Space", "/srv/bind", perf::kNoInstance, 0},
        CounterCase{"LogicalDisk", "% Free Space", "/broken", perf::kNoInstance, 0},
        CounterCase{"LogicalDisk", "% Free Space", "/data[1]", perf::kOk, 10},
        CounterCase{"LogicalDisk", "% Free Space", "_Total", perf::kOk, 25},
        CounterCase{"Network Interface", "Bytes Total/sec", "eth0", perf::kOk, 3000},
        CounterCase{"Network Interface", "Bytes Received/sec", "eth0", perf::kOk, 2000},
        CounterCase{"Network Interface", "Bytes Sent/sec", "eth0", perf::kOk, 1000},
        CounterCase{"Network Interface", "Current Bandwidth", "eth0", perf::kOk, 1e9},
        CounterCase{"Network Interface", "Bytes Total/sec", "wlan0", perf::kOk, 0},
        CounterCase{"Network Interface", "Bytes Total/sec", "docker0", perf::kNoInstance, 0}),
    CounterCaseName);

TEST(NodeExporterInstances, ProcessorsGoByNumberAndVolumesByDevice) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(kNodeBefore));
  std::vector<std::string> instances;
  FindObject(ExporterKind::kNode, "Processor")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"0", "1", "10"}));
  FindObject(ExporterKind::kNode, "LogicalDisk")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"/", "/data[1]"}));
  FindObject(ExporterKind::kNode, "PhysicalDisk")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"nvme0n1", "sda"}));
  FindObject(ExporterKind::kNode, "Network Interface")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"eth0", "wlan0"}));
}

TEST(RecogniseExporter, KnowsBothExportersAndNothingElse) {
  ExporterPage page;
  ASSERT_TRUE(page.Load("node_scrape_collector_success{collector=\"cpu\"} 1\n"));
  EXPECT_EQ(RecogniseExporter(page), ExporterKind::kNode);
  ASSERT_TRUE(page.Load("windows_exporter_collector_success{collector=\"cpu\"} 1\n"));
  EXPECT_EQ(RecogniseExporter(page), ExporterKind::kWindows);
  ASSERT_TRUE(page.Load("# a Prometheus server's own page\nprometheus_build_info 1\nup 1\n"));
  EXPECT_EQ(RecogniseExporter(page), ExporterKind::kUnknown);
  ASSERT_TRUE(page.Load(""));
  EXPECT_EQ(RecogniseExporter(page), ExporterKind::kUnknown);
}

TEST(IsInstance, SubstitutesWhatAPathCannotCarryAndIgnoresCase) {
  EXPECT_TRUE(IsInstance("Intel(R) 82574L", "intel[r] 82574l"));
  EXPECT_TRUE(IsInstance("Intel(R) 82574L", "Intel(R) 82574L"));
  EXPECT_TRUE(IsInstance("C:\\pagefile.sys", "C:_pagefile.sys"));
  EXPECT_FALSE(IsInstance("sda", "sda1"));
  EXPECT_FALSE(IsInstance("sda1", "sda"));
  EXPECT_EQ(InstanceName("Intel(R) \\x"), "Intel[R] _x");
}

}  // namespace
}  // namespace corvane::remote
