// The provider on this machine's own /proc and /sys, checked against the kernel files read
// independently over the same interval.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/linux/proc/local_query.h"
#include "tests/platform/linux/proc/query_probe.h"

namespace corvane::local {
namespace {

namespace fs = std::filesystem;
using testing::QueryProbe;

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fields of the "cpu" line of /proc/stat: total ticks and idle + iowait ticks.
std::pair<double, double> CpuTicks() {
  std::istringstream stat(Slurp("/proc/stat"));
  std::string label;
  stat >> label;
  double total = 0;
  double idle = 0;
  for (int i = 0; i < 8; ++i) {
    double ticks = 0;
    stat >> ticks;
    total += ticks;
    if (i == 3 || i == 4) idle += ticks;
  }
  return {total, idle};
}

std::map<std::string, double> Meminfo() {
  std::map<std::string, double> values;
  std::istringstream in(Slurp("/proc/meminfo"));
  std::string key;
  double value = 0;
  std::string unit;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    fields >> key >> value;
    key.pop_back();  // ':'
    values[key] = value * 1024;
  }
  return values;
}

std::vector<std::string> Instances(perf::Provider* provider, const char* object) {
  std::vector<std::string> counters;
  std::vector<std::string> instances;
  EXPECT_EQ(provider->EnumObjectItems("", object, &counters, &instances), perf::kOk) << object;
  return instances;
}

class LiveProvider : public ::testing::Test {
 protected:
  std::unique_ptr<perf::Provider> provider_ = MakeLocalProvider();
};

TEST_F(LiveProvider, ProcessorTimeMatchesProcStatOverTheSameInterval) {
  QueryProbe probe(provider_.get());
  const std::string total = "\\Processor(_Total)\\% Processor Time";
  probe.Add(total);
  for (const std::string& cpu : Instances(provider_.get(), "Processor"))
    probe.Add("\\Processor(" + cpu + ")\\% Idle Time");
  const auto before = CpuTicks();
  ASSERT_EQ(probe.Collect(), perf::kOk);
  EXPECT_EQ(probe.Status(total), perf::kInvalidData) << "a rate has no value after one collection";
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  ASSERT_EQ(probe.Collect(), perf::kOk);
  const auto after = CpuTicks();
  const auto value = probe.Value(total);
  ASSERT_TRUE(value.has_value());
  EXPECT_GE(*value, 0.0);
  EXPECT_LE(*value, 100.0);
  // The two reads of /proc/stat bracket the provider's by microseconds: a tick or two each.
  const double expected =
      100.0 * (1 - (after.second - before.second) / (after.first - before.first));
  EXPECT_NEAR(*value, expected, 6.0);
  for (const std::string& cpu : Instances(provider_.get(), "Processor")) {
    const auto idle = probe.Value("\\Processor(" + cpu + ")\\% Idle Time");
    ASSERT_TRUE(idle.has_value()) << cpu;
    EXPECT_GE(*idle, 0.0);
    EXPECT_LE(*idle, 100.0);
  }
}

TEST_F(LiveProvider, MemoryAndSwapMatchMeminfoAndSwaps) {
  QueryProbe probe(provider_.get());
  for (const char* path : {"\\Memory\\% Committed Bytes In Use", "\\Memory\\Commit Limit",
                           "\\Memory\\Available Bytes", "\\Paging File(_Total)\\% Usage"})
    probe.Add(path);
  ASSERT_EQ(probe.Collect(), perf::kOk);
  auto memory = Meminfo();
  const bool strict = std::stoi(Slurp("/proc/sys/vm/overcommit_memory")) == 2;
  const double limit = strict ? memory["CommitLimit"] : memory["MemTotal"] + memory["SwapTotal"];
  EXPECT_EQ(probe.Value("\\Memory\\Commit Limit"), limit);
  EXPECT_NEAR(*probe.Value("\\Memory\\% Committed Bytes In Use"),
              100.0 * memory["Committed_AS"] / limit, 1.0);
  EXPECT_NEAR(*probe.Value("\\Memory\\Available Bytes"), memory["MemAvailable"],
              0.05 * memory["MemTotal"]);
  const double swap_total = memory["SwapTotal"];
  const double swap_used = swap_total - memory["SwapFree"];
  const double swap_percent = swap_total > 0 ? 100.0 * swap_used / swap_total : 0.0;
  EXPECT_NEAR(*probe.Value("\\Paging File(_Total)\\% Usage"), swap_percent, 1.0);
}

TEST_F(LiveProvider, FreeSpaceMatchesStatvfs) {
  const auto volumes = Instances(provider_.get(), "LogicalDisk");
  ASSERT_FALSE(volumes.empty());
  EXPECT_EQ(volumes.back(), "_Total");
  QueryProbe probe(provider_.get());
  for (const std::string& volume : volumes)
    probe.Add("\\LogicalDisk(" + volume + ")\\% Free Space");
  ASSERT_EQ(probe.Collect(), perf::kOk);
  for (const std::string& volume : volumes) {
    if (volume == "_Total") continue;
    struct statvfs info {};
    ASSERT_EQ(::statvfs(volume.c_str(), &info), 0) << volume;
    const double expected =
        100.0 * static_cast<double>(info.f_bavail) / static_cast<double>(info.f_blocks);
    const auto value = probe.Value("\\LogicalDisk(" + volume + ")\\% Free Space");
    ASSERT_TRUE(value.has_value()) << volume;
    EXPECT_NEAR(*value, expected, 0.5) << volume;
  }
  EXPECT_TRUE(probe.Value("\\LogicalDisk(_Total)\\% Free Space").has_value());
}

TEST_F(LiveProvider, InstancesMatchTheKernelsLists) {
  std::vector<std::string> cpus;
  std::istringstream stat(Slurp("/proc/stat"));
  for (std::string line; std::getline(stat, line);) {
    if (line.rfind("cpu", 0) == 0 && line[3] != ' ')
      cpus.push_back(line.substr(3, line.find(' ') - 3));
  }
  cpus.push_back("_Total");
  EXPECT_EQ(Instances(provider_.get(), "Processor"), cpus);

  std::vector<std::string> disks;
  std::istringstream diskstats(Slurp("/proc/diskstats"));
  for (std::string line; std::getline(diskstats, line);) {
    std::istringstream fields(line);
    std::string major, minor, name;
    fields >> major >> minor >> name;
    std::error_code error;
    if (fs::is_symlink("/sys/block/" + name + "/device", error)) disks.push_back(name);
  }
  disks.push_back("_Total");
  EXPECT_EQ(Instances(provider_.get(), "PhysicalDisk"), disks);

  std::vector<std::string> interfaces;
  std::istringstream netdev(Slurp("/proc/net/dev"));
  std::string line;
  std::getline(netdev, line);
  std::getline(netdev, line);
  while (std::getline(netdev, line)) {
    std::string name = line.substr(0, line.find(':'));
    name.erase(0, name.find_first_not_of(' '));
    if (Slurp("/sys/class/net/" + name + "/operstate") != "down\n") interfaces.push_back(name);
  }
  EXPECT_EQ(Instances(provider_.get(), "Network Interface"), interfaces);
}

TEST_F(LiveProvider, ProcessesAndThreadsAreThisMachines) {
  QueryProbe probe(provider_.get());
  probe.Add("\\Objects\\Processes");
  probe.Add("\\System\\Threads");
  ASSERT_EQ(probe.Collect(), perf::kOk);
  std::size_t directories = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.find_first_not_of("0123456789") == std::string::npos)
      ++directories;
  }
  const auto processes = probe.Value("\\Objects\\Processes");
  ASSERT_TRUE(processes.has_value());
  // Other programs start and end between the two scans.
  EXPECT_NEAR(*processes, static_cast<double>(directories), 10.0 + 0.1 * directories);
  const auto threads = probe.Value("\\System\\Threads");
  ASSERT_TRUE(threads.has_value());
  EXPECT_GE(*threads, *processes - 10) << "every process has a thread";
}

TEST_F(LiveProvider, RatesNeedTwoCollectionsAndThenAreNotNegative) {
  QueryProbe probe(provider_.get());
  std::vector<std::string> paths = {"\\System\\Context Switches/sec", "\\Memory\\Page Faults/sec",
                                    "\\PhysicalDisk(_Total)\\% Disk Time",
                                    "\\Processor(_Total)\\Interrupts/sec"};
  for (const std::string& name : Instances(provider_.get(), "Network Interface"))
    paths.push_back("\\Network Interface(" + name + ")\\Bytes Total/sec");
  for (const std::string& path : paths) probe.Add(path);
  ASSERT_EQ(probe.Collect(), perf::kOk);
  for (const std::string& path : paths) EXPECT_EQ(probe.Status(path), perf::kInvalidData) << path;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(probe.Collect(), perf::kOk);
  for (const std::string& path : paths) {
    const auto value = probe.Value(path);
    ASSERT_TRUE(value.has_value()) << path;
    EXPECT_GE(*value, 0.0) << path;
  }
  EXPECT_GT(*probe.Value("\\System\\Context Switches/sec"), 0.0) << "sleeping switches context";
  EXPECT_EQ(static_cast<LocalQuery*>(probe.query())->DescribeErrors(), "");
}

TEST_F(LiveProvider, CountersWithoutALinuxSourceFailToAdd) {
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider_->OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle = perf::kNullCounter;
  EXPECT_EQ(query->AddCounter("\\System\\% Registry Quota In Use", &handle), perf::kNoCounter);
  EXPECT_EQ(query->AddCounter("\\Server\\Server Sessions", &handle), perf::kNoObject);
  EXPECT_EQ(query->AddCounter("\\Processor(_Total\\% Processor Time", &handle),
            perf::kBadCounterName);
  EXPECT_EQ(handle, perf::kNullCounter);
}

}  // namespace
}  // namespace corvane::local
