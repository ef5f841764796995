// Against a real prometheus-node-exporter on 127.0.0.1: the standard counters read remotely
// agree with the same counters read locally, a stopped or hung exporter makes its counters
// unavailable within the time-out, and HTTPS works with the exporter's TLS configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/remote/remote_provider.h"
#include "platform/system_provider.h"
#include "tests/platform/remote/node_exporter_process.h"
#include "tests/platform/remote/remote_fixtures.h"
#include "tests/support/temp_folder.h"

namespace corvane::remote {
namespace {

using namespace std::chrono_literals;
using testing::NodeExporterProcess;

class NodeExporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NodeExporterProcess::Installed())
      GTEST_SKIP() << NodeExporterProcess::kBinary
                   << " is not installed (Debian package prometheus-node-exporter)";
  }

  void StartExporter(const std::vector<std::string>& extra = {"--collector.processes"}) {
    std::string error;
    ASSERT_TRUE(exporter_.Start(extra, &error)) << error;
  }

  NodeExporterProcess exporter_;
};

// How far a remote reading may stray from the local one. The router collects the local
// counters and then scrapes the exporter, so the two readings of a pass lie a scrape apart
// (20-50 ms here) and the two intervals they span are shifted by as much: a rate can differ by
// what happened in the 2 × 50 ms the intervals do not share, out of 2 s; a count by what was
// born or ended between the two reads. The margins leave room for a machine busy with builds.
struct Agreement {
  const char* rest;     // the path without its machine part
  double absolute;      // allowed difference, in the counter's unit ...
  double relative = 0;  // ... plus this share of the larger value
};

const Agreement kStandardCounters[] = {
    // CPU time: 100 ms of 2 s at most shifts 5 points per CPU; 10 leaves room for bursts.
    {"\\Processor(_Total)\\% Processor Time", 10},
    {"\\Processor(0)\\% Processor Time", 10},
    // Processes and threads come and go with every compiler run between the two reads.
    {"\\Objects\\Processes", 5, 0.05},
    {"\\Objects\\Threads", 20, 0.10},
    // Commit changes with every process started; 3 points of 25 GB are 750 MB.
    {"\\Memory\\% Committed Bytes In Use", 3},
    // No swap on the test machines: 0 on both sides, any swap moves slowly.
    {"\\Paging File(_Total)\\% Usage", 1},
    // The same statvfs; 1 point is gigabytes written by builds between the reads.
    {"\\LogicalDisk(_Total)\\% Free Space", 1},
    // Disk busy time over the shifted interval, like CPU time.
    {"\\PhysicalDisk(_Total)\\% Disk Time", 10},
    // No Linux meaning: both refuse them.
    {"\\System\\% Registry Quota In Use", 0},
    {"\\Server\\Server Sessions", 0},
};

struct Pair {
  std::string rest;
  double absolute;
  double relative;
  perf::CounterHandle local = perf::kNullCounter;
  perf::CounterHandle remote = perf::kNullCounter;
  perf::Status local_add = perf::kOk;
  perf::Status remote_add = perf::kOk;
};

TEST_F(NodeExporterTest, StandardCountersAgreeWithTheLocalProvider) {
  StartExporter();
  auto provider = MakeSystemProvider();
  ASSERT_NE(provider, nullptr);
  ASSERT_EQ(provider->ConnectMachine(exporter_.Machine()), perf::kOk);

  std::vector<Pair> pairs;
  for (const Agreement& a : kStandardCounters) pairs.push_back({a.rest, a.absolute, a.relative});

  // Every network interface both sides know, with its throughput; lo carries the scrapes
  // themselves and the exporter leaves it out.
  std::vector<std::string> ignored, local_nics, remote_nics;
  ASSERT_EQ(provider->EnumObjectItems("", "Network Interface", &ignored, &local_nics), perf::kOk);
  ASSERT_EQ(
      provider->EnumObjectItems(exporter_.Machine(), "Network Interface", &ignored, &remote_nics),
      perf::kOk);
  for (const std::string& nic : remote_nics) {
    EXPECT_NE(std::find(local_nics.begin(), local_nics.end(), nic), local_nics.end())
        << nic << " is offered remotely but not locally";
    if (nic == "lo") continue;
    // Throughput: a burst in the unshared 100 ms moves the rate by its size / 2 s.
    pairs.push_back({"\\Network Interface(" + nic + ")\\Bytes Total/sec", 64 * 1024.0, 0.2});
    pairs.push_back({"\\Network Interface(" + nic + ")\\Current Bandwidth", 0, 0});
  }

  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider->OpenQuery(&query), perf::kOk);
  for (Pair& pair : pairs) {
    pair.local_add = query->AddCounter(pair.rest, &pair.local);
    pair.remote_add = query->AddCounter(exporter_.Machine() + pair.rest, &pair.remote);
    EXPECT_EQ(pair.local_add == perf::kOk, pair.remote_add == perf::kOk)
        << pair.rest << ": local " << perf::StatusText(pair.local_add) << ", remote "
        << perf::StatusText(pair.remote_add);
  }

  ASSERT_EQ(query->Collect(), perf::kOk);
  std::this_thread::sleep_for(2s);
  ASSERT_EQ(query->Collect(), perf::kOk);

  int compared = 0;
  for (const Pair& pair : pairs) {
    if (pair.local_add != perf::kOk || pair.remote_add != perf::kOk) continue;
    double local = 0;
    double remote = 0;
    const perf::Status local_read = query->GetFormattedDouble(pair.local, &local);
    const perf::Status remote_read = query->GetFormattedDouble(pair.remote, &remote);
    ASSERT_EQ(local_read == perf::kOk, remote_read == perf::kOk)
        << pair.rest << ": local " << perf::StatusText(local_read) << ", remote "
        << perf::StatusText(remote_read);
    if (local_read != perf::kOk) continue;
    const double allowed =
        pair.absolute + pair.relative * std::max(std::abs(local), std::abs(remote));
    EXPECT_NEAR(remote, local, allowed) << pair.rest;
    ++compared;
  }
  EXPECT_GE(compared, 8) << "the standard counters were read on both sides";
}

TEST_F(NodeExporterTest, ProcessesAndThreadsNeedTheProcessesCollector) {
  StartExporter({});
  RemoteProvider provider;
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle;
  EXPECT_EQ(query->AddCounter(exporter_.Machine() + "\\Objects\\Processes", &handle),
            perf::kNoCounter);
  EXPECT_EQ(query->AddCounter(exporter_.Machine() + "\\Objects\\Threads", &handle),
            perf::kNoCounter);
  EXPECT_EQ(query->AddCounter(exporter_.Machine() + "\\Memory\\% Committed Bytes In Use", &handle),
            perf::kOk);
}

// Reads the counters once per collection; true when every one had a value.
bool AllRead(perf::Query& query, const std::vector<perf::CounterHandle>& handles) {
  for (perf::CounterHandle handle : handles) {
    double value;
    if (query.GetFormattedDouble(handle, &value) != perf::kOk) return false;
  }
  return true;
}

TEST_F(NodeExporterTest, AStoppedExporterMakesItsCountersUnavailableForThatPassOnly) {
  StartExporter();
  RemoteProvider provider;  // the default time-outs, as the programs use them
  ASSERT_EQ(provider.ConnectMachine(exporter_.Machine()), perf::kOk);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  std::vector<perf::CounterHandle> handles(3);
  ASSERT_EQ(
      query->AddCounter(exporter_.Machine() + "\\Memory\\% Committed Bytes In Use", &handles[0]),
      perf::kOk);
  ASSERT_EQ(query->AddCounter(exporter_.Machine() + "\\Objects\\Processes", &handles[1]),
            perf::kOk);
  ASSERT_EQ(
      query->AddCounter(exporter_.Machine() + "\\Processor(_Total)\\% Processor Time", &handles[2]),
      perf::kOk);
  ASSERT_EQ(query->Collect(), perf::kOk);
  std::this_thread::sleep_for(200ms);
  ASSERT_EQ(query->Collect(), perf::kOk);
  EXPECT_TRUE(AllRead(*query, handles));

  const std::uint16_t port = exporter_.port();
  exporter_.Stop();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(query->Collect(), perf::kNoData);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "inside Stop's wait";
  for (perf::CounterHandle handle : handles) {
    double value;
    EXPECT_EQ(query->GetFormattedDouble(handle, &value), perf::kInvalidData) << "shows N/A";
  }
  EXPECT_NE(provider.MachineError(exporter_.Machine()).find("127.0.0.1"), std::string::npos);

  // The host comes back on its port: the next pass reads again.
  std::string error;
  ASSERT_TRUE(exporter_.Start({"--collector.processes"}, &error, port)) << error;
  ASSERT_EQ(query->Collect(), perf::kOk);
  EXPECT_TRUE(AllRead(*query, handles)) << "the rate spans the missed pass";
}

TEST_F(NodeExporterTest, AHungExporterCostsNoMoreThanTheTimeOut) {
  StartExporter();
  RemoteProvider provider;  // default time-outs: 2 s to connect, 4 s in all
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle;
  ASSERT_EQ(query->AddCounter(exporter_.Machine() + "\\Memory\\Available Bytes", &handle),
            perf::kOk);
  ASSERT_EQ(query->Collect(), perf::kOk);

  exporter_.Freeze();  // connections are accepted by the kernel, nothing answers
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(query->Collect(), perf::kNoData);
  const auto took = std::chrono::steady_clock::now() - start;
  // The collector sleeps 100 ms between passes and Stop waits 5 s.
  EXPECT_LT(took, 4900ms);
  double value;
  EXPECT_EQ(query->GetFormattedDouble(handle, &value), perf::kInvalidData);

  exporter_.Resume();
  ASSERT_EQ(query->Collect(), perf::kOk);
  EXPECT_EQ(query->GetFormattedDouble(handle, &value), perf::kOk);
}

TEST_F(NodeExporterTest, BrowsingTheExporterOffersTheLocalInstances) {
  StartExporter();
  auto provider = MakeSystemProvider();
  for (const char* object : {"Processor", "PhysicalDisk", "LogicalDisk"}) {
    std::vector<std::string> counters, local, remote;
    ASSERT_EQ(provider->EnumObjectItems("", object, &counters, &local), perf::kOk) << object;
    ASSERT_EQ(provider->EnumObjectItems(exporter_.Machine(), object, &counters, &remote), perf::kOk)
        << object;
    EXPECT_EQ(remote, local) << object;
  }
  std::vector<std::string> objects;
  ASSERT_EQ(provider->EnumObjects(exporter_.Machine(), &objects), perf::kOk);
  EXPECT_NE(std::find(objects.begin(), objects.end(), "Objects"), objects.end());
}

using ScratchFolder = test_support::TempFolder;

TEST_F(NodeExporterTest, HttpsWithTheExportersCertificate) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string cert = testing::ExporterFixturePath("tls/exporter_cert.pem");
  const std::string key = testing::ExporterFixturePath("tls/exporter_key.pem");
  const std::string config = (folder / "web-config.yml").string();
  std::ofstream(config) << "tls_server_config:\n  cert_file: " << cert << "\n  key_file: " << key
                        << "\n";
  StartExporter({"--web.config.file=" + config});
  const std::string machine = "\\\\https://127.0.0.1:" + std::to_string(exporter_.port());

  RemoteProviderOptions options;
  options.scrape.ca_file = cert;
  RemoteProvider trusting(options);
  ASSERT_EQ(trusting.ConnectMachine(machine), perf::kOk) << trusting.MachineError(machine);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(trusting.OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle;
  ASSERT_EQ(query->AddCounter(machine + "\\Memory\\% Committed Bytes In Use", &handle), perf::kOk);
  ASSERT_EQ(query->Collect(), perf::kOk);
  double value = -1;
  ASSERT_EQ(query->GetFormattedDouble(handle, &value), perf::kOk);
  EXPECT_GT(value, 0);

  // The certificate is self-signed: without it in the trust store the connection is refused.
  RemoteProvider strict;
  EXPECT_EQ(strict.ConnectMachine(machine), perf::kCannotConnectMachine);
  EXPECT_NE(strict.MachineError(machine).find("certificate"), std::string::npos)
      << strict.MachineError(machine);
  // And plain HTTP to a TLS port is no exporter page.
  RemoteProvider plain;
  EXPECT_EQ(plain.ConnectMachine(exporter_.Machine()), perf::kCannotConnectMachine);
}

}  // namespace
}  // namespace corvane::remote
