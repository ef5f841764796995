// Parsers of /proc/stat, /proc/interrupts, /proc/loadavg, /proc/uptime, /proc/meminfo,
// /proc/vmstat, /proc/swaps and one-value sysfs files: literal text and captured files.
#include <gtest/gtest.h>

#include "platform/linux/proc/interrupts_parser.h"
#include "platform/linux/proc/loadavg_parser.h"
#include "platform/linux/proc/meminfo_parser.h"
#include "platform/linux/proc/stat_parser.h"
#include "platform/linux/proc/swaps_parser.h"
#include "platform/linux/proc/sysfs_value_parser.h"
#include "platform/linux/proc/uptime_parser.h"
#include "platform/linux/proc/vmstat_parser.h"
#include "tests/platform/linux/proc/fixture_text.h"

namespace corvane::local {
namespace {

using testing::FixtureText;

TEST(ParseStat, ReadsProcessorLinesAndSystemCounts) {
  StatSnapshot stat;
  const ParseResult result = ParseStat(
      "cpu  2834 5 1721 62792 416 3 30 14 7 1\n"
      "cpu0 1243 2 664 31957 33 1 3 7 4 0\n"
      "cpu3 1590 3 1056 30834 382 2 26 7 3 1\n"
      "intr 127893 0 0 5 0\n"
      "ctxt 262604\n"
      "btime 1796675694\n"
      "processes 4149\n"
      "procs_running 6\n"
      "procs_blocked 0\n"
      "softirq 85267 0 8290 4\n",
      &stat);
  ASSERT_TRUE(result.ok()) << result.Describe();
  EXPECT_EQ(stat.total.user, 2834u);
  EXPECT_EQ(stat.total.nice, 5u);
  EXPECT_EQ(stat.total.idle, 62792u);
  EXPECT_EQ(stat.total.iowait, 416u);
  EXPECT_EQ(stat.total.steal, 14u) << "guest columns are not read into steal";
  ASSERT_EQ(stat.cpus.size(), 2u);
  EXPECT_EQ(stat.cpus[0].id, 0u);
  EXPECT_EQ(stat.cpus[1].id, 3u) << "numbering keeps the kernel's gaps (cpu1, cpu2 offline)";
  EXPECT_EQ(stat.cpus[1].times.system, 1056u);
  EXPECT_EQ(stat.interrupts, 127893u);
  EXPECT_EQ(stat.context_switches, 262604u);
  EXPECT_EQ(stat.procs_running, 6u);
  EXPECT_TRUE(stat.has_interrupts && stat.has_context_switches && stat.has_procs_running);
}

TEST(ParseStat, OldKernelsWithFourColumnsReadZeroForTheRest) {
  StatSnapshot stat;
  stat.total.steal = 99;  // left over from an earlier parse
  ASSERT_TRUE(ParseStat("cpu 10 20 30 40\ncpu0 10 20 30 40\n", &stat).ok());
  EXPECT_EQ(stat.total.idle, 40u);
  EXPECT_EQ(stat.total.iowait, 0u);
  EXPECT_EQ(stat.total.steal, 0u);
  EXPECT_FALSE(stat.has_interrupts);
  EXPECT_FALSE(stat.has_procs_running);
}

TEST(ParseStat, ReparsingReusesRowsWithoutKeepingStaleOnes) {
  StatSnapshot stat;
  ASSERT_TRUE(ParseStat("cpu 1 1 1 1\ncpu0 1 1 1 1\ncpu1 1 1 1 1\n", &stat).ok());
  ASSERT_TRUE(ParseStat("cpu 2 2 2 2\ncpu1 2 2 2 2\n", &stat).ok());
  ASSERT_EQ(stat.cpus.size(), 1u) << "cpu0 went offline";
  EXPECT_EQ(stat.cpus[0].id, 1u);
  EXPECT_EQ(stat.cpus[0].times.user, 2u);
}

TEST(ParseStat, ReportsTheLineThatDoesNotParse) {
  struct Case {
    const char* text;
    std::size_t line;
  };
  for (const Case& c : {Case{"cpu 1 2 3\n", 1}, Case{"cpu 1 2 3 4\ncpuX 1 2 3 4\n", 2},
                        Case{"cpu 1 2 3 4\ncpu0 1 2 -3 4\n", 2},
                        Case{"cpu 1 2 3 4\nctxt many\n", 2}, Case{"ctxt 5\n", 2}, Case{"", 1}}) {
    StatSnapshot stat;
    const ParseResult result = ParseStat(c.text, &stat);
    EXPECT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(result.line, c.line) << c.text;
  }
}

TEST(ParseStat, CapturedFile) {
  StatSnapshot stat;
  ASSERT_TRUE(ParseStat(FixtureText("snapshot_a", "proc/stat"), &stat).ok());
  ASSERT_EQ(stat.cpus.size(), 2u);
  EXPECT_EQ(stat.total.user, 12001u);
  EXPECT_EQ(stat.total.idle, 134151u);
  EXPECT_EQ(stat.cpus[1].times.iowait, 465u);
  EXPECT_EQ(stat.interrupts, 210974u);
  EXPECT_EQ(stat.context_switches, 355981u);
  EXPECT_EQ(stat.procs_running, 3u);
}

TEST(ParseInterrupts, SumsEachProcessorsColumn) {
  InterruptsSnapshot interrupts;
  const ParseResult result = ParseInterrupts(
      "           CPU0       CPU2       \n"
      "  0:         40          2   IO-APIC   2-edge      timer\n"
      " 28:          7          0 PCI-MSIX-0000:00:01.0   0-edge      virtio0-config\n"
      "NMI:          1          3   Non-maskable interrupts\n"
      "LOC:       1000       2000   Local timer interrupts\n"
      "ERR:          9\n"
      "MIS:          4\n",
      &interrupts);
  ASSERT_TRUE(result.ok()) << result.Describe();
  ASSERT_EQ(interrupts.cpus.size(), 2u);
  EXPECT_EQ(interrupts.cpus[0].id, 0u);
  EXPECT_EQ(interrupts.cpus[1].id, 2u);
  EXPECT_EQ(interrupts.cpus[0].count, 40u + 7 + 1 + 1000) << "ERR and MIS are system-wide";
  EXPECT_EQ(interrupts.cpus[1].count, 2u + 0 + 3 + 2000);
}

TEST(ParseInterrupts, RowsWithFewerCountsThanProcessorsAreLeftOut) {
  InterruptsSnapshot interrupts;
  ASSERT_TRUE(ParseInterrupts("  CPU0 CPU1\n  5:  10  20  chip\nXYZ:  7\n", &interrupts).ok());
  EXPECT_EQ(interrupts.cpus[0].count, 10u);
  EXPECT_EQ(interrupts.cpus[1].count, 20u);
}

TEST(ParseInterrupts, NeedsAHeadingOfProcessors) {
  InterruptsSnapshot interrupts;
  EXPECT_FALSE(ParseInterrupts("", &interrupts).ok());
  EXPECT_FALSE(ParseInterrupts("   \n 0: 1\n", &interrupts).ok());
  EXPECT_FALSE(ParseInterrupts("  CPU0 GPU1\n", &interrupts).ok());
}

TEST(ParseInterrupts, CapturedFile) {
  InterruptsSnapshot interrupts;
  ASSERT_TRUE(ParseInterrupts(FixtureText("snapshot_a", "proc/interrupts"), &interrupts).ok());
  ASSERT_EQ(interrupts.cpus.size(), 2u);
  EXPECT_EQ(interrupts.cpus[0].count, 90533u);
  EXPECT_EQ(interrupts.cpus[1].count, 125209u);
}

TEST(ParseLoadavgAndUptime, ReadTheFieldsTheCountersUse) {
  LoadavgSnapshot load;
  ASSERT_TRUE(ParseLoadavg("0.04 0.10 0.05 1/114 4149\n", &load).ok());
  EXPECT_EQ(load.threads, 114u);
  ASSERT_TRUE(ParseLoadavg(FixtureText("snapshot_b", "proc/loadavg"), &load).ok());
  EXPECT_EQ(load.threads, 143u);
  for (const char* bad : {"", "0.04 0.10 0.05\n", "0.04 0.10 0.05 114 4149\n", "1 2 3 1/x 5\n"})
    EXPECT_FALSE(ParseLoadavg(bad, &load).ok()) << bad;

  UptimeSnapshot uptime;
  ASSERT_TRUE(ParseUptime("340.42 627.92\n", &uptime).ok());
  EXPECT_DOUBLE_EQ(uptime.seconds, 340.42);
  ASSERT_TRUE(ParseUptime(FixtureText("snapshot_a", "proc/uptime"), &uptime).ok());
  EXPECT_DOUBLE_EQ(uptime.seconds, 763.18);
  for (const char* bad : {"", "abc 1.0\n", "-5.0 1.0\n"})
    EXPECT_FALSE(ParseUptime(bad, &uptime).ok()) << bad;
}

TEST(ParseMeminfo, KeepsTheKeysInBytes) {
  MeminfoSnapshot memory;
  ASSERT_TRUE(ParseMeminfo("MemTotal:       24683772 kB\n"
                           "MemFree:        24459232 kB\n"
                           "Buffers:            1468 kB\n"
                           "Cached:            89232 kB\n"
                           "SwapTotal:             0 kB\n"
                           "CommitLimit:    12341884 kB\n"
                           "Committed_AS:      62892 kB\n"
                           "HugePages_Total:       0\n",
                           &memory)
                  .ok());
  EXPECT_EQ(memory.mem_total, 24683772ull * 1024);
  EXPECT_EQ(memory.buffers, 1468ull * 1024);
  EXPECT_EQ(memory.swap_total, 0u);
  EXPECT_EQ(memory.committed_as, 62892ull * 1024);
  EXPECT_FALSE(memory.mem_available) << "kernels before 3.14 have no MemAvailable";
}

TEST(ParseMeminfo, RefusesBrokenValues) {
  MeminfoSnapshot memory;
  for (const char* bad : {"MemTotal: lots kB\n", "MemTotal: 5 MB\n",
                          "MemTotal: 99999999999999999999 kB\n", "Cached: 20000000000000000 kB\n"})
    EXPECT_FALSE(ParseMeminfo(bad, &memory).ok()) << bad;
}

TEST(ParseMeminfo, CapturedFile) {
  MeminfoSnapshot memory;
  ASSERT_TRUE(ParseMeminfo(FixtureText("snapshot_a", "proc/meminfo"), &memory).ok());
  EXPECT_EQ(memory.mem_total, 24683772ull * 1024);
  EXPECT_EQ(memory.mem_available, 24029676ull * 1024);
  EXPECT_EQ(memory.committed_as, 418668ull * 1024);
  EXPECT_EQ(memory.commit_limit, 12341884ull * 1024);
}

TEST(ParseVmstat, KeepsThePagingEvents) {
  VmstatSnapshot vm;
  ASSERT_TRUE(ParseVmstat("nr_free_pages 6114808\npgfault 1719501\npgmajfault 1032\n"
                          "pswpin 3\npswpout 4\npgpgin 99\n",
                          &vm)
                  .ok());
  EXPECT_EQ(vm.pgfault, 1719501u);
  EXPECT_EQ(vm.pgmajfault, 1032u);
  EXPECT_EQ(vm.pswpin, 3u);
  EXPECT_EQ(vm.pswpout, 4u);
  ASSERT_TRUE(ParseVmstat("pgfault 5\n", &vm).ok());
  EXPECT_FALSE(vm.pswpout) << "a kernel without swap prints no pswpout; no stale value stays";
  EXPECT_FALSE(ParseVmstat("pgfault x\n", &vm).ok());
  ASSERT_TRUE(ParseVmstat(FixtureText("snapshot_a", "proc/vmstat"), &vm).ok());
  EXPECT_EQ(vm.pgfault, 4779870u);
  EXPECT_EQ(vm.pgmajfault, 1669u);
}

TEST(ParseSwaps, ReadsAreasAndUnescapesTheirNames) {
  SwapsSnapshot swaps;
  ASSERT_TRUE(
      ParseSwaps("Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
                 "/dev/zram0                              partition\t8388604\t\t1024\t\t100\n"
                 "/swap\\040file\\040(deleted)              file\t\t2048\t\t0\t\t-2\n",
                 &swaps)
          .ok());
  ASSERT_EQ(swaps.areas.size(), 2u);
  EXPECT_EQ(swaps.areas[0].name, "/dev/zram0");
  EXPECT_EQ(swaps.areas[0].size, 8388604ull * 1024);
  EXPECT_EQ(swaps.areas[0].used, 1024ull * 1024);
  EXPECT_EQ(swaps.areas[1].name, "/swap file (deleted)");
  EXPECT_FALSE(ParseSwaps("Filename Type Size Used Priority\n/swapfile file 10\n", &swaps).ok());
  ASSERT_TRUE(ParseSwaps(FixtureText("snapshot_a", "proc/swaps"), &swaps).ok());
  EXPECT_TRUE(swaps.areas.empty()) << "the captured machine has no swap";
}

TEST(SysfsValues, OneNumberOrOneWord) {
  EXPECT_EQ(ParseSysfsInteger("1000\n"), 1000);
  EXPECT_EQ(ParseSysfsInteger("-1\n"), -1);
  EXPECT_FALSE(ParseSysfsInteger(""));
  EXPECT_FALSE(ParseSysfsInteger("fast\n"));
  SysctlSnapshot sysctl;
  ASSERT_TRUE(ParseSysctl("2\n", &sysctl).ok());
  EXPECT_EQ(sysctl.value, 2);
  EXPECT_FALSE(ParseSysctl("\n", &sysctl).ok());
  for (const char* state : {"up\n", "unknown\n", "dormant\n", "lowerlayerdown\n"})
    EXPECT_TRUE(OperstateCounts(state)) << state;
  EXPECT_FALSE(OperstateCounts("down\n"));
}

}  // namespace
}  // namespace corvane::local
