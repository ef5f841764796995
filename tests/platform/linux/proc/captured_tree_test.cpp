// The provider over trees captured from a Debian 12 VM (2 CPUs, no swap, one ext4 root on vda,
// lo/ifb0/ifb1/eth0), 2.30 s apart, and over trees edited from them: exact values after two
// collections, and what happens when counters go backwards, instances vanish or sources fail.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/linux/proc/local_query.h"
#include "tests/platform/linux/proc/proc_tree.h"
#include "tests/platform/linux/proc/query_probe.h"

namespace corvane::local {
namespace {

using testing::ProcTree;
using testing::QueryProbe;

// Clock readings of the two captures (their /proc/uptime).
constexpr double kTimeA = 763.18;
constexpr double kTimeB = 765.48;
// statvfs("/") on the captured machine: 66053021 blocks of 4096 bytes, 20781437 available.
constexpr std::uint64_t kRootTotal = 66053021ull * 4096;
constexpr std::uint64_t kRootAvailable = 20781437ull * 4096;

class CapturedTree : public ::testing::Test {
 protected:
  CapturedTree() {
    tree_.UseSnapshot("snapshot_a");
    tree_.SetClock(kTimeA);
    tree_.SetVolume("/", kRootTotal, kRootAvailable);
    provider_ = MakeLocalProvider(tree_.Options());
  }

  // Moves the tree to snapshot B, 2.30 s later.
  void AdvanceToB() {
    tree_.UseSnapshot("snapshot_b");
    tree_.SetClock(kTimeB);
  }

  ProcTree tree_;
  std::unique_ptr<perf::Provider> provider_;
};

struct Expected {
  const char* path;
  std::optional<double> after_a;  // empty: kInvalidData after the first collection
  std::optional<double> after_b;
};

void ExpectValue(QueryProbe* probe, const std::string& path, const std::optional<double>& want,
                 const char* when) {
  const std::optional<double> got = probe->Value(path);
  if (!want) {
    EXPECT_EQ(probe->Status(path), perf::kInvalidData) << path << " " << when;
    return;
  }
  ASSERT_TRUE(got.has_value()) << path << " " << when << ": status 0x" << std::hex
                               << probe->Status(path);
  EXPECT_NEAR(*got, *want, std::abs(*want) * 1e-12 + 1e-12) << path << " " << when;
}

TEST_F(CapturedTree, ExactValuesAfterTwoCollections) {
  constexpr double kMemTotalA = 24683772.0 * 1024;
  const std::vector<Expected> table = {
      // /proc/stat, A -> B. _Total: 458 ticks, idle+iowait 57, user+nice 355,
      // system+irq+softirq 45.
      {"\\Processor(_Total)\\% Processor Time", {}, 100.0 * (458 - 57) / 458},
      {"\\Processor(_Total)\\% User Time", {}, 100.0 * 355 / 458},
      {"\\Processor(_Total)\\% Privileged Time", {}, 100.0 * 45 / 458},
      {"\\Processor(_Total)\\% Interrupt Time", {}, 0.0},
      {"\\Processor(_Total)\\% Idle Time", {}, 100.0 * 57 / 458},
      // cpu0: 229 ticks, idle 51; cpu1: 228 ticks, idle+iowait 5, steal counted busy.
      {"\\Processor(0)\\% Processor Time", {}, 100.0 * (229 - 51) / 229},
      {"\\Processor(0)\\% User Time", {}, 100.0 * 164 / 229},
      {"\\Processor(1)\\% Processor Time", {}, 100.0 * (228 - 5) / 228},
      {"\\Processor(1)\\% Privileged Time", {}, 100.0 * 31 / 228},
      {"\\Processor(_Total)\\Interrupts/sec", {}, 2778.0 / 2.30},
      // Column sums of /proc/interrupts.
      {"\\Processor(0)\\Interrupts/sec", {}, 995.0 / 2.30},
      {"\\Processor(1)\\Interrupts/sec", {}, 1800.0 / 2.30},
      {"\\Objects\\Processes", 101, 97},
      {"\\Objects\\Threads", 150, 143},
      {"\\System\\Processes", 101, 97},
      {"\\System\\Threads", 150, 143},
      {"\\System\\Context Switches/sec", {}, 2309.0 / 2.30},
      {"\\System\\Processor Queue Length", 1, 1},  // procs_running 3 on 2 processors
      {"\\System\\System Up Time", 763.18, 765.48},
      // overcommit_memory 0: the limit is MemTotal + SwapTotal (no swap).
      {"\\Memory\\Committed Bytes", 418668.0 * 1024, 467836.0 * 1024},
      {"\\Memory\\Commit Limit", kMemTotalA, kMemTotalA},
      {"\\Memory\\% Committed Bytes In Use", 100.0 * 418668 / 24683772, 100.0 * 467836 / 24683772},
      {"\\Memory\\Available Bytes", 24029676.0 * 1024, 23946880.0 * 1024},
      {"\\Memory\\Available MBytes", 23466, 23385},
      {"\\Memory\\Cache Bytes", (368420.0 + 4132) * 1024, (375244.0 + 5192) * 1024},
      // vmstat: pgmajfault +1, pswpout +0; pgfault +66178.
      {"\\Memory\\Pages/sec", {}, 1.0 / 2.30},
      {"\\Memory\\Page Faults/sec", {}, 66178.0 / 2.30},
      {"\\Paging File(_Total)\\% Usage", 0, 0},
      {"\\Paging File(_Total)\\% Usage Peak", 0, 0},
      {"\\LogicalDisk(/)\\% Free Space", 100.0 * 20781437 / 66053021, 100.0 * 20781437 / 66053021},
      {"\\LogicalDisk(_Total)\\% Free Space", 100.0 * 20781437 / 66053021,
       100.0 * 20781437 / 66053021},
      {"\\LogicalDisk(/)\\Free Megabytes", 81177, 81177},
      {"\\LogicalDisk(_Total)\\Free Megabytes", 81177, 81177},
      // vda: sectors read +3048, written +76104; reads +64, writes +16; io_ticks +48 ms,
      // weighted +152 ms.
      {"\\LogicalDisk(/)\\Disk Read Bytes/sec", {}, 3048.0 * 512 / 2.30},
      {"\\LogicalDisk(/)\\Disk Write Bytes/sec", {}, 76104.0 * 512 / 2.30},
      {"\\LogicalDisk(_Total)\\Disk Write Bytes/sec", {}, 76104.0 * 512 / 2.30},
      {"\\PhysicalDisk(vda)\\% Disk Time", {}, 100.0 * 48 / 2300},
      {"\\PhysicalDisk(vda)\\% Idle Time", {}, 100.0 - 100.0 * 48 / 2300},
      {"\\PhysicalDisk(vda)\\Disk Bytes/sec", {}, (3048.0 + 76104) * 512 / 2.30},
      {"\\PhysicalDisk(vda)\\Disk Reads/sec", {}, 64 / 2.30},
      {"\\PhysicalDisk(vda)\\Disk Writes/sec", {}, 16 / 2.30},
      {"\\PhysicalDisk(vda)\\Avg. Disk Queue Length", {}, 152.0 / 2300},
      // Loop devices and zram0 have no device link: vda is the only physical disk.
      {"\\PhysicalDisk(_Total)\\% Disk Time", {}, 100.0 * 48 / 2300},
      {"\\PhysicalDisk(_Total)\\Disk Bytes/sec", {}, (3048.0 + 76104) * 512 / 2.30},
      // lo: 6067 bytes each way.
      {"\\Network Interface(lo)\\Bytes Total/sec", {}, 12134.0 / 2.30},
      {"\\Network Interface(lo)\\Bytes Received/sec", {}, 6067.0 / 2.30},
      {"\\Network Interface(lo)\\Bytes Sent/sec", {}, 6067.0 / 2.30},
      {"\\Network Interface(eth0)\\Bytes Total/sec", {}, 0.0},
      // eth0's speed file holds -1 and lo has none: no bandwidth either way.
      {"\\Network Interface(eth0)\\Current Bandwidth", {}, {}},
      {"\\Network Interface(lo)\\Current Bandwidth", {}, {}},
      // ifb0 is down: no instance.
      {"\\Network Interface(ifb0)\\Bytes Total/sec", {}, {}},
      {"\\PhysicalDisk(loop0)\\% Disk Time", {}, {}},
  };
  QueryProbe probe(provider_.get());
  for (const Expected& row : table) probe.Add(row.path);
  ASSERT_EQ(probe.Collect(), perf::kOk);
  for (const Expected& row : table) ExpectValue(&probe, row.path, row.after_a, "after A");
  AdvanceToB();
  ASSERT_EQ(probe.Collect(), perf::kOk);
  for (const Expected& row : table) ExpectValue(&probe, row.path, row.after_b, "after B");
  EXPECT_EQ(static_cast<LocalQuery*>(probe.query())->DescribeErrors(), "");
}

TEST_F(CapturedTree, NumericAndDifferentlyCasedPathsReadTheSameCounters) {
  QueryProbe probe(provider_.get());
  for (const char* path : {"\\238(_Total)\\6", "\\PROCESSOR(_total)\\% processor time",
                           "\\260\\248", "\\objects\\processes", "\\4\\1406"})
    probe.Add(path);
  probe.Collect();
  AdvanceToB();
  probe.Collect();
  EXPECT_EQ(probe.Value("\\238(_Total)\\6"), probe.Value("\\PROCESSOR(_total)\\% processor time"));
  EXPECT_NEAR(*probe.Value("\\238(_Total)\\6"), 100.0 * 401 / 458, 1e-9);
  EXPECT_EQ(probe.Value("\\260\\248"), 97);
  EXPECT_EQ(probe.Value("\\objects\\processes"), 97);
  EXPECT_NEAR(*probe.Value("\\4\\1406"), 100.0 * 467836 / 24683772, 1e-9);
}

TEST_F(CapturedTree, EnumerationListsKernelInstancesThenTotal) {
  struct Case {
    const char* object;
    std::vector<std::string> instances;
  };
  for (const Case& c :
       {Case{"Processor", {"0", "1", "_Total"}}, Case{"Paging File", {"_Total"}},
        Case{"LogicalDisk", {"/", "_Total"}}, Case{"PhysicalDisk", {"vda", "_Total"}},
        Case{"Network Interface", {"lo", "eth0"}}, Case{"238", {"0", "1", "_Total"}},
        Case{"Memory", {}}}) {
    std::vector<std::string> counters;
    std::vector<std::string> instances;
    ASSERT_EQ(provider_->EnumObjectItems("", c.object, &counters, &instances), perf::kOk)
        << c.object;
    EXPECT_EQ(instances, c.instances) << c.object;
    EXPECT_FALSE(counters.empty()) << c.object;
  }
}

TEST_F(CapturedTree, RateCounterGoingBackwardsRestartsAsFirstSample) {
  QueryProbe probe(provider_.get());
  const std::string path = "\\Network Interface(lo)\\Bytes Received/sec";
  probe.Add(path);
  const auto write_lo = [&](std::uint64_t received) {
    tree_.Write("proc/net/dev",
                "Inter-|   Receive |  Transmit\n face |bytes packets|bytes packets\n"
                "    lo: " +
                    std::to_string(received) + " 1 0 0 0 0 0 0 500 1 0 0 0 0 0 0\n");
  };
  write_lo(900000);
  probe.Collect();
  write_lo(1000);  // the counter was reset
  tree_.SetClock(kTimeA + 1);
  probe.Collect();
  EXPECT_EQ(probe.Status(path), perf::kInvalidData) << "no huge or negative rate is made up";
  write_lo(5000);
  tree_.SetClock(kTimeA + 3);
  probe.Collect();
  EXPECT_EQ(probe.Value(path), 2000.0) << "4000 bytes over 2 s since the reset";
}

TEST_F(CapturedTree, VanishedDiskReadsInvalidAndRecoversWhenItReturns) {
  QueryProbe probe(provider_.get());
  probe.Add("\\PhysicalDisk(vda)\\Disk Writes/sec");
  probe.Add("\\PhysicalDisk(_Total)\\% Disk Time");
  const std::string with_vda = tree_.Read("proc/diskstats");
  std::string without_vda;
  for (std::size_t at = 0; at < with_vda.size();) {
    const std::size_t end = with_vda.find('\n', at) + 1;
    const std::string line = with_vda.substr(at, end - at);
    if (line.find(" vda ") == std::string::npos) without_vda += line;
    at = end;
  }
  probe.Collect();
  tree_.Write("proc/diskstats", without_vda);
  tree_.SetClock(kTimeA + 1);
  probe.Collect();
  EXPECT_EQ(probe.Status("\\PhysicalDisk(vda)\\Disk Writes/sec"), perf::kInvalidData);
  EXPECT_EQ(probe.Status("\\PhysicalDisk(_Total)\\% Disk Time"), perf::kInvalidData)
      << "no disk, no mean";
  AdvanceToB();
  probe.Collect();
  EXPECT_EQ(probe.Status("\\PhysicalDisk(vda)\\Disk Writes/sec"), perf::kInvalidData)
      << "back, but with no earlier reading";
  tree_.Write("proc/diskstats", with_vda.substr(0, with_vda.find(" vda ")) +
                                    " vda 36400 8302 3319314 20177 12370 7400 1369264 6234 0 "
                                    "8636 27417 5961 54 710728 942 1453 63\n");
  tree_.SetClock(kTimeB + 2);
  probe.Collect();
  EXPECT_NEAR(*probe.Value("\\PhysicalDisk(vda)\\Disk Writes/sec"), 20 / 2.0, 1e-9);
  EXPECT_NEAR(*probe.Value("\\PhysicalDisk(_Total)\\% Disk Time"), 100.0 * 100 / 2000, 1e-9);
}

TEST_F(CapturedTree, OfflineProcessorReadsInvalidWhileTheOthersCarryOn) {
  QueryProbe probe(provider_.get());
  for (const char* path : {"\\Processor(0)\\% Processor Time", "\\Processor(1)\\% Processor Time",
                           "\\Processor(_Total)\\% Processor Time", "\\Processor(7)\\% Idle Time"})
    probe.Add(path);
  probe.Collect();
  AdvanceToB();
  std::string stat = tree_.Read("proc/stat");
  const std::size_t cpu1 = stat.find("cpu1 ");
  stat.erase(cpu1, stat.find('\n', cpu1) + 1 - cpu1);
  tree_.Write("proc/stat", stat);
  probe.Collect();
  EXPECT_EQ(probe.Status("\\Processor(1)\\% Processor Time"), perf::kInvalidData);
  EXPECT_NEAR(*probe.Value("\\Processor(0)\\% Processor Time"), 100.0 * 178 / 229, 1e-9);
  EXPECT_TRUE(probe.Value("\\Processor(_Total)\\% Processor Time"));
  EXPECT_EQ(probe.Status("\\Processor(7)\\% Idle Time"), perf::kInvalidData)
      << "a processor the kernel never listed";
  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider_->EnumObjectItems("", "Processor", &counters, &instances), perf::kOk);
  EXPECT_EQ(instances, (std::vector<std::string>{"0", "_Total"}));
}

TEST_F(CapturedTree, InterfaceGoingDownIsNoInstanceUntilItComesBack) {
  QueryProbe probe(provider_.get());
  probe.Add("\\Network Interface(lo)\\Bytes Total/sec");
  probe.Collect();
  AdvanceToB();
  tree_.Write("sys/class/net/lo/operstate", "down\n");
  probe.Collect();
  EXPECT_EQ(probe.Status("\\Network Interface(lo)\\Bytes Total/sec"), perf::kInvalidData);
  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider_->EnumObjectItems("", "Network Interface", &counters, &instances), perf::kOk);
  EXPECT_EQ(instances, (std::vector<std::string>{"eth0"}));
  tree_.Write("sys/class/net/lo/operstate", "unknown\n");
  tree_.SetClock(kTimeB + 1);
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Network Interface(lo)\\Bytes Total/sec"), 0.0);
}

TEST_F(CapturedTree, CurrentBandwidthNeedsAKnownPositiveSpeed) {
  QueryProbe probe(provider_.get());
  const std::string path = "\\Network Interface(eth0)\\Current Bandwidth";
  probe.Add(path);
  struct Case {
    const char* speed;  // Mbit/s as sysfs writes it
    std::optional<double> bits_per_second;
  };
  for (const Case& c : {Case{"1000\n", 1e9}, Case{"-1\n", {}}, Case{"0\n", {}}, Case{"10\n", 1e7},
                        Case{"fast\n", {}}}) {
    tree_.Write("sys/class/net/eth0/speed", c.speed);
    probe.Collect();
    EXPECT_EQ(probe.Value(path), c.bits_per_second) << c.speed;
  }
  // lo has no speed file in the capture (the kernel answers EINVAL for it).
  probe.Add("\\Network Interface(lo)\\Current Bandwidth");
  probe.Collect();
  EXPECT_EQ(probe.Status("\\Network Interface(lo)\\Current Bandwidth"), perf::kInvalidData);
}

TEST_F(CapturedTree, SwapAreasTotalAndPeakSinceTheProviderStarted) {
  const auto write_swaps = [&](int used_a, int used_b) {
    tree_.Write("proc/swaps",
                "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
                "/dev/zram0                              partition\t1000\t\t" +
                    std::to_string(used_a) +
                    "\t\t100\n"
                    "/swap\\040(1)                             file\t\t3000\t\t" +
                    std::to_string(used_b) + "\t\t-2\n");
  };
  QueryProbe probe(provider_.get());
  for (const char* path :
       {"\\Paging File(/dev/zram0)\\% Usage", "\\Paging File(/swap [1])\\% Usage",
        "\\Paging File(/SWAP [1])\\% Usage Peak", "\\Paging File(_Total)\\% Usage",
        "\\Paging File(_Total)\\% Usage Peak"})
    probe.Add(path);
  write_swaps(500, 300);
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Paging File(/dev/zram0)\\% Usage"), 50.0);
  EXPECT_EQ(probe.Value("\\Paging File(/swap [1])\\% Usage"), 10.0);
  EXPECT_EQ(probe.Value("\\Paging File(_Total)\\% Usage"), 100.0 * 800 / 4000);
  write_swaps(100, 1500);
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Paging File(/SWAP [1])\\% Usage Peak"), 50.0);
  EXPECT_EQ(probe.Value("\\Paging File(_Total)\\% Usage Peak"), 100.0 * 1600 / 4000);
  write_swaps(0, 0);
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Paging File(_Total)\\% Usage"), 0.0);
  EXPECT_EQ(probe.Value("\\Paging File(/SWAP [1])\\% Usage Peak"), 50.0) << "the peak stays";
  EXPECT_EQ(probe.Value("\\Paging File(_Total)\\% Usage Peak"), 40.0);

  // Another query of the same provider sees the same peaks.
  QueryProbe later(provider_.get());
  later.Add("\\Paging File(_Total)\\% Usage Peak");
  later.Collect();
  EXPECT_EQ(later.Value("\\Paging File(_Total)\\% Usage Peak"), 40.0);

  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider_->EnumObjectItems("", "Paging File", &counters, &instances), perf::kOk);
  EXPECT_EQ(instances, (std::vector<std::string>{"/dev/zram0", "/swap [1]", "_Total"}));
}

TEST_F(CapturedTree, StrictOvercommitUsesTheKernelsCommitLimit) {
  QueryProbe probe(provider_.get());
  probe.Add("\\Memory\\Commit Limit");
  probe.Add("\\Memory\\% Committed Bytes In Use");
  tree_.Write("proc/sys/vm/overcommit_memory", "2\n");
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Memory\\Commit Limit"), 12341884.0 * 1024);
  EXPECT_NEAR(*probe.Value("\\Memory\\% Committed Bytes In Use"), 100.0 * 418668 / 12341884, 1e-9);
  tree_.Write("proc/sys/vm/overcommit_memory", "1\n");
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Memory\\Commit Limit"), 24683772.0 * 1024);
}

TEST_F(CapturedTree, CommittedAboveTheLimitIsShownAsItIs) {
  QueryProbe probe(provider_.get());
  probe.Add("\\Memory\\% Committed Bytes In Use");
  tree_.Write("proc/meminfo",
              "MemTotal: 1000 kB\nMemFree: 10 kB\nSwapTotal: 1000 kB\nCommitted_AS: 3000 kB\n");
  probe.Collect();
  EXPECT_EQ(probe.Value("\\Memory\\% Committed Bytes In Use"), 150.0);
}

TEST_F(CapturedTree, VolumesFollowTheMountTableAndFailedVolumesLeaveTheTotal) {
  QueryProbe probe(provider_.get());
  for (const char* path :
       {"\\LogicalDisk(/srv/data [old])\\% Free Space", "\\LogicalDisk(_Total)\\% Free Space",
        "\\LogicalDisk(_Total)\\Free Megabytes"})
    probe.Add(path);
  tree_.SetVolume("/", 1000ull << 20, 250ull << 20);
  tree_.SetVolume("/srv/data (old)", 3000ull << 20, 150ull << 20);
  probe.Collect();
  EXPECT_EQ(probe.Status("\\LogicalDisk(/srv/data [old])\\% Free Space"), perf::kInvalidData)
      << "not mounted yet";
  EXPECT_EQ(probe.Value("\\LogicalDisk(_Total)\\% Free Space"), 25.0);

  tree_.Write("proc/self/mountinfo",
              tree_.Read("proc/self/mountinfo") +
                  "90 27 8:17 / /srv/data\\040(old) rw - xfs /dev/sdb1 rw\n");
  probe.Collect();
  EXPECT_EQ(probe.Value("\\LogicalDisk(/srv/data [old])\\% Free Space"), 5.0);
  EXPECT_EQ(probe.Value("\\LogicalDisk(_Total)\\% Free Space"), 100.0 * 400 / 4000)
      << "available and size are summed, not the percentages";
  EXPECT_EQ(probe.Value("\\LogicalDisk(_Total)\\Free Megabytes"), 400.0);

  tree_.FailVolume("/srv/data (old)", EIO);
  probe.Collect();
  EXPECT_EQ(probe.Status("\\LogicalDisk(/srv/data [old])\\% Free Space"), perf::kInvalidData);
  EXPECT_EQ(probe.Value("\\LogicalDisk(_Total)\\% Free Space"), 25.0);
  EXPECT_NE(static_cast<LocalQuery*>(probe.query())
                ->DescribeErrors()
                .find("statvfs /srv/data (old): Input/output error"),
            std::string::npos);
}

TEST_F(CapturedTree, FileSystemsOnAnonymousDevicesFindTheirDiskByName) {
  // Two btrfs subvolumes of vda beside the root: three volumes, one disk.
  tree_.Write("proc/self/mountinfo", tree_.Read("proc/self/mountinfo") +
                                         "91 27 0:40 /@srv /srv rw - btrfs /dev/vda rw\n"
                                         "92 27 0:41 /@opt /opt rw - btrfs /dev/vda rw\n");
  QueryProbe probe(provider_.get());
  probe.Add("\\LogicalDisk(/srv)\\Disk Write Bytes/sec");
  probe.Add("\\LogicalDisk(_Total)\\Disk Write Bytes/sec");
  probe.Collect();
  const std::string mounts = tree_.Read("proc/self/mountinfo");
  AdvanceToB();
  tree_.Write("proc/self/mountinfo", mounts);
  probe.Collect();
  EXPECT_NEAR(*probe.Value("\\LogicalDisk(/srv)\\Disk Write Bytes/sec"), 76104.0 * 512 / 2.30,
              1e-6);
  EXPECT_NEAR(*probe.Value("\\LogicalDisk(_Total)\\Disk Write Bytes/sec"), 76104.0 * 512 / 2.30,
              1e-6)
      << "vda's transfers are counted once";
}

TEST_F(CapturedTree, MissingSourceFailsOnlyItsCountersAndSaysWhy) {
  QueryProbe probe(provider_.get());
  probe.Add("\\Paging File(_Total)\\% Usage");
  probe.Add("\\Memory\\Available MBytes");
  tree_.Remove("proc/swaps");
  probe.Collect();
  EXPECT_EQ(probe.Status("\\Paging File(_Total)\\% Usage"), perf::kInvalidData);
  EXPECT_EQ(probe.Value("\\Memory\\Available MBytes"), 23466.0);
  const std::string errors = static_cast<LocalQuery*>(probe.query())->DescribeErrors();
  EXPECT_NE(errors.find("proc/swaps: No such file or directory"), std::string::npos) << errors;

  tree_.Write("proc/meminfo", "MemTotal: many kB\n");
  probe.Collect();
  EXPECT_EQ(probe.Status("\\Memory\\Available MBytes"), perf::kInvalidData);
  EXPECT_NE(static_cast<LocalQuery*>(probe.query())
                ->DescribeErrors()
                .find("proc/meminfo: line 1: meminfo value"),
            std::string::npos);
}

TEST_F(CapturedTree, ACounterWithoutAValueNamesTheFileAndTheReason) {
  struct Broken {
    const char* path;
    const char* file;  // rewritten with `content` after the first collection
    const char* content;
    const char* reason;  // the end of the counter's error
  };
  const Broken cases[] = {
      {"\\Paging File(_Total)\\% Usage", "proc/swaps", "Filename Type\n/swap x y z\n",
       "/proc/swaps: line 2: swap size"},
      {"\\Memory\\Available MBytes", "proc/meminfo", "MemTotal: many kB\n",
       "/proc/meminfo: line 1: meminfo value"},
      {"\\System\\System Up Time", "proc/uptime", "up\n",
       "/proc/uptime: line 1: seconds since boot"},
  };
  QueryProbe probe(provider_.get());
  for (const Broken& c : cases) probe.Add(c.path);
  probe.Add("\\Network Interface(eth0)\\Bytes Total/sec");  // a rate: no value yet, no failure
  probe.Collect();
  for (const Broken& c : cases) EXPECT_EQ(probe.Reason(c.path), "") << c.path;
  EXPECT_EQ(probe.Status("\\Network Interface(eth0)\\Bytes Total/sec"), perf::kInvalidData);
  EXPECT_EQ(probe.Reason("\\Network Interface(eth0)\\Bytes Total/sec"), "");

  for (const Broken& c : cases) tree_.Write(c.file, c.content);
  probe.Collect();
  for (const Broken& c : cases) {
    EXPECT_EQ(probe.Status(c.path), perf::kInvalidData) << c.path;
    const std::string reason = probe.Reason(c.path);
    EXPECT_TRUE(reason.ends_with(c.reason)) << c.path << ": " << reason;
  }
  EXPECT_EQ(probe.Reason("\\Network Interface(eth0)\\Bytes Total/sec"), "")
      << "its own file still reads";

  // A file that cannot be opened gives the system's reason.
  tree_.Remove("proc/loadavg");
  QueryProbe fresh(provider_.get());
  fresh.Add("\\Objects\\Threads");
  fresh.Collect();
  EXPECT_TRUE(
      fresh.Reason("\\Objects\\Threads").ends_with("/proc/loadavg: No such file or directory"))
      << fresh.Reason("\\Objects\\Threads");
}

TEST_F(CapturedTree, CollectionReadsOnlyTheSourcesItsCountersNeed) {
  tree_.Remove("proc/interrupts");
  tree_.Remove("proc/vmstat");
  QueryProbe probe(provider_.get());
  probe.Add("\\Processor(_Total)\\Interrupts/sec");  // /proc/stat's intr line
  probe.Add("\\Memory\\Available Bytes");
  probe.Collect();
  auto* query = static_cast<LocalQuery*>(probe.query());
  EXPECT_EQ(query->DescribeErrors(), "") << "files no counter needs are not opened";
  probe.Add("\\Processor(1)\\Interrupts/sec");
  probe.Collect();
  EXPECT_NE(query->DescribeErrors().find("proc/interrupts"), std::string::npos);
  EXPECT_EQ(query->DescribeErrors().find("proc/vmstat"), std::string::npos);
}

TEST_F(CapturedTree, RemovedCounterIsNoLongerCollected) {
  tree_.Remove("proc/vmstat");
  QueryProbe probe(provider_.get());
  perf::CounterHandle handle = perf::kNullCounter;
  ASSERT_EQ(probe.query()->AddCounter("\\Memory\\Pages/sec", &handle), perf::kOk);
  ASSERT_EQ(probe.query()->RemoveCounter(handle), perf::kOk);
  probe.Add("\\Objects\\Threads");
  probe.Collect();
  EXPECT_EQ(static_cast<LocalQuery*>(probe.query())->DescribeErrors(), "");
  double value = 0;
  EXPECT_EQ(probe.query()->GetFormattedDouble(handle, &value), perf::kInvalidHandle);
}

}  // namespace
}  // namespace corvane::local
