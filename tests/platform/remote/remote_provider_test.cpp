#include "platform/remote/remote_provider.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/remote/fake_exporter.h"
#include "tests/platform/remote/remote_fixtures.h"
#include "tests/support/case_name.h"

namespace corvane::remote {
namespace {

using namespace std::chrono_literals;
using testing::FakeExporter;
using testing::ReadExporterFixture;

RemoteProviderOptions ShortTimeouts() {
  RemoteProviderOptions options;
  options.scrape.connect_timeout = 300ms;
  options.scrape.total_timeout = 600ms;
  return options;
}

class RemoteProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windows_a_ = ReadExporterFixture("windows_exporter_0.31_a.prom");
    windows_b_ = ReadExporterFixture("windows_exporter_0.31_b.prom");
    node_ = ReadExporterFixture("node_exporter_1.5.0.prom");
    ASSERT_FALSE(windows_a_.empty());
    ASSERT_FALSE(windows_b_.empty());
    ASSERT_FALSE(node_.empty());
    ASSERT_EQ(provider_.OpenQuery(&query_), perf::kOk);
  }

  std::string Path(const std::string& rest) const { return exporter_.Machine() + rest; }

  perf::CounterHandle Add(const std::string& rest) {
    perf::CounterHandle handle = perf::kNullCounter;
    EXPECT_EQ(query_->AddCounter(Path(rest), &handle), perf::kOk) << rest;
    return handle;
  }

  perf::Status Read(perf::CounterHandle handle, double* value) {
    return query_->GetFormattedDouble(handle, value);
  }

  FakeExporter exporter_;
  RemoteProvider provider_{ShortTimeouts()};
  std::unique_ptr<perf::Query> query_;
  std::string windows_a_, windows_b_, node_;
};

TEST_F(RemoteProviderTest, ConnectingIsOneScrapeAskingForTheTextFormat) {
  exporter_.Serve(node_);
  EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kOk);
  EXPECT_EQ(exporter_.requests(), 1);
  const std::string request = exporter_.LastRequest();
  EXPECT_NE(request.find("GET /metrics HTTP/1.1"), std::string::npos) << request;
  EXPECT_NE(request.find("Accept: text/plain;version=0.0.4"), std::string::npos) << request;
  EXPECT_NE(request.find("Accept-Encoding: gzip"), std::string::npos) << request;
  EXPECT_EQ(provider_.MachineError(exporter_.Machine()), "");
}

struct FailedConnection {
  const char* what;
  std::string body;
  int status;
  const char* error;  // a part of MachineError
};

class RemoteProviderRefuses : public RemoteProviderTest,
                              public ::testing::WithParamInterface<FailedConnection> {};

TEST_P(RemoteProviderRefuses, ConnectionWithAReason) {
  const FailedConnection& c = GetParam();
  exporter_.Serve(c.body, c.status);
  EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kCannotConnectMachine) << c.what;
  const std::string error = provider_.MachineError(exporter_.Machine());
  EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
  EXPECT_NE(error.find("http://127.0.0.1:" + std::to_string(exporter_.port()) + "/metrics"),
            std::string::npos)
      << "the error names the URL: " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RemoteProviderRefuses,
    ::testing::Values(
        FailedConnection{"a Prometheus server, not an exporter",
                         "prometheus_build_info{version=\"2.42.0\"} 1\nup 1\n", 200,
                         "neither node_exporter nor windows_exporter"},
        FailedConnection{"a server error", "collector failed\n", 500, "HTTP status 500"},
        FailedConnection{"no such page", "404 page not found\n", 404, "HTTP status 404"},
        FailedConnection{"a page cut short", "node_scrape_collector_success 1\nnode_load1 0.2", 200,
                         "line 2: the page ends inside a line"},
        FailedConnection{"a broken page", "node_scrape_collector_success{a=\"\\q\"} 1\n", 200,
                         "line 1: unknown escape"}),
    [](const ::testing::TestParamInfo<FailedConnection>& info) {
      return test_support::CaseName(info.param.what);
    });

TEST_F(RemoteProviderTest, RefusesAPageLargerThanTheLimit) {
  RemoteProviderOptions options = ShortTimeouts();
  options.scrape.max_page_bytes = 4096;
  RemoteProvider provider(options);
  exporter_.Serve(node_);
  for (bool chunked : {false, true}) {  // announced by its length, or found while receiving
    exporter_.SetChunked(chunked);
    EXPECT_EQ(provider.ConnectMachine(exporter_.Machine()), perf::kCannotConnectMachine);
    EXPECT_NE(provider.MachineError(exporter_.Machine()).find("answer larger than 4 KB"),
              std::string::npos)
        << provider.MachineError(exporter_.Machine());
  }
  // The same page in chunks within the limit is read whole.
  exporter_.SetChunked(true);
  EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kOk);
}

TEST_F(RemoteProviderTest, AnUnreachableMachineIsTriedOnceAndRefusesItsCounters) {
  exporter_.Serve("not an exporter 1\n", 503);
  EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kCannotConnectMachine);
  const int tried = exporter_.requests();
  perf::CounterHandle handle = 1234;
  EXPECT_EQ(query_->AddCounter(Path("\\Memory\\Available Bytes"), &handle), perf::kNoMachine);
  EXPECT_EQ(handle, perf::kNullCounter);
  EXPECT_EQ(query_->AddCounter(Path("\\Processor(_Total)\\% Processor Time"), &handle),
            perf::kNoMachine);
  EXPECT_EQ(exporter_.requests(), tried) << "adding to a failed machine does not scrape again";
  // A later connection tries again, as the collector does at its next start.
  exporter_.Serve(windows_a_);
  EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kOk);
  EXPECT_EQ(query_->AddCounter(Path("\\Memory\\Available Bytes"), &handle), perf::kOk);
}

TEST_F(RemoteProviderTest, AddingToAMachineNeverConnectedConnectsIt) {
  exporter_.Serve(windows_a_);
  Add("\\Memory\\Available Bytes");
  EXPECT_EQ(exporter_.requests(), 1);
  Add("\\Memory\\Cache Bytes");
  EXPECT_EQ(exporter_.requests(), 1) << "the connection's page answers the second add";
}

TEST_F(RemoteProviderTest, RefusesCountersTheExporterDoesNotWrite) {
  exporter_.Serve(node_);  // without --collector.processes
  perf::CounterHandle handle;
  struct Refusal {
    const char* path;
    perf::Status status;
  };
  for (const Refusal& r :
       {Refusal{"\\Objects\\Processes", perf::kNoCounter},
        Refusal{"\\Objects\\Threads", perf::kNoCounter},
        Refusal{"\\System\\% Registry Quota In Use", perf::kNoCounter},
        Refusal{"\\Server\\Server Sessions", perf::kNoObject},
        Refusal{"\\Processor(7)\\% Processor Time", perf::kNoInstance},
        Refusal{"\\Memory\\No Such Counter", perf::kNoCounter},
        Refusal{"\\9999\\6", perf::kNoCounter}, Refusal{"\\Memory", perf::kBadCounterName}}) {
    EXPECT_EQ(query_->AddCounter(Path(r.path), &handle), r.status) << r.path;
    EXPECT_EQ(handle, perf::kNullCounter) << r.path;
  }
  EXPECT_EQ(query_->AddCounter("\\Memory\\Available Bytes", &handle), perf::kNoMachine)
      << "a local path is not the remote provider's";
  EXPECT_EQ(query_->AddCounter("\\\\bad host\\Memory\\Available Bytes", &handle),
            perf::kInvalidPath);
}

TEST_F(RemoteProviderTest, EachCollectionScrapesEachMachineOnceForAllItsCounters) {
  exporter_.Serve(windows_a_);
  const perf::CounterHandle total = Add("\\Processor(_Total)\\% Processor Time");
  const perf::CounterHandle core = Add("\\238(0)\\6");  // numeric names
  const perf::CounterHandle memory = Add("\\Memory\\% Committed Bytes In Use");
  perf::CounterHandle same_machine_other_spelling;
  ASSERT_EQ(query_->AddCounter(
                "\\\\HTTP://127.0.0.1:" + std::to_string(exporter_.port()) + "\\Objects\\Threads",
                &same_machine_other_spelling),
            perf::kOk);
  const int connected = exporter_.requests();

  ASSERT_EQ(query_->Collect(), perf::kOk);
  EXPECT_EQ(exporter_.requests(), connected + 1);
  double value = 0;
  // The first collection: rates have no value yet, raw values do.
  EXPECT_EQ(Read(total, &value), perf::kInvalidData);
  EXPECT_EQ(Read(core, &value), perf::kInvalidData);
  ASSERT_EQ(Read(memory, &value), perf::kOk);
  EXPECT_DOUBLE_EQ(value, 37.5);
  ASSERT_EQ(Read(same_machine_other_spelling, &value), perf::kOk);
  EXPECT_EQ(value, 1830);

  exporter_.Serve(windows_b_);
  ASSERT_EQ(query_->Collect(), perf::kOk);
  EXPECT_EQ(exporter_.requests(), connected + 2);
  ASSERT_EQ(Read(total, &value), perf::kOk);
  EXPECT_DOUBLE_EQ(value, 42.5);
  ASSERT_EQ(Read(core, &value), perf::kOk);
  EXPECT_DOUBLE_EQ(value, 20);
}

TEST_F(RemoteProviderTest, AFailedScrapeLosesOnlyThatCollection) {
  exporter_.Serve(windows_a_);
  const perf::CounterHandle cpu = Add("\\Processor(_Total)\\% Processor Time");
  const perf::CounterHandle threads = Add("\\Objects\\Threads");
  ASSERT_EQ(query_->Collect(), perf::kOk);

  exporter_.Serve("busy\n", 503);
  EXPECT_EQ(query_->Collect(), perf::kNoData);
  double value = 0;
  EXPECT_EQ(Read(cpu, &value), perf::kInvalidData);
  EXPECT_EQ(Read(threads, &value), perf::kInvalidData);
  EXPECT_NE(provider_.MachineError(exporter_.Machine()).find("HTTP status 503"), std::string::npos);

  // The rate compares with the last good scrape.
  exporter_.Serve(windows_b_);
  ASSERT_EQ(query_->Collect(), perf::kOk);
  ASSERT_EQ(Read(cpu, &value), perf::kOk);
  EXPECT_DOUBLE_EQ(value, 42.5);
  ASSERT_EQ(Read(threads, &value), perf::kOk);
  EXPECT_EQ(value, 1830);
  EXPECT_EQ(provider_.MachineError(exporter_.Machine()), "") << "the error was of that pass";
}

TEST_F(RemoteProviderTest, ARestartedExporterStartsItsRatesAfresh) {
  exporter_.Serve(windows_b_);
  const perf::CounterHandle cpu = Add("\\Processor(_Total)\\% Processor Time");
  ASSERT_EQ(query_->Collect(), perf::kOk);
  exporter_.Serve(windows_a_);  // every counter went backwards
  ASSERT_EQ(query_->Collect(), perf::kOk);
  double value = 0;
  EXPECT_EQ(Read(cpu, &value), perf::kInvalidData) << "no made-up value from a reset";
  exporter_.Serve(windows_b_);
  ASSERT_EQ(query_->Collect(), perf::kOk);
  ASSERT_EQ(Read(cpu, &value), perf::kOk);
  EXPECT_DOUBLE_EQ(value, 42.5);
}

TEST_F(RemoteProviderTest, AHungHostCostsOneTimeOut) {
  exporter_.Serve(windows_a_);
  const perf::CounterHandle threads = Add("\\Objects\\Threads");
  exporter_.SetSilent(true);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(query_->Collect(), perf::kNoData);
  const auto took = std::chrono::steady_clock::now() - start;
  double value = 0;
  EXPECT_EQ(Read(threads, &value), perf::kInvalidData);
  // Bounded by the 600 ms time-out; the bound below only has room for a loaded machine.
  EXPECT_LT(took, 3s);
  EXPECT_NE(provider_.MachineError(exporter_.Machine()).find("timed out"), std::string::npos)
      << provider_.MachineError(exporter_.Machine());
}

TEST_F(RemoteProviderTest, AMachineAnsweringAsAnotherExporterIsUnavailable) {
  exporter_.Serve(windows_a_);
  const perf::CounterHandle threads = Add("\\Objects\\Threads");
  exporter_.Serve(node_);
  EXPECT_EQ(query_->Collect(), perf::kNoData);
  double value = 0;
  EXPECT_EQ(Read(threads, &value), perf::kInvalidData);
  EXPECT_NE(provider_.MachineError(exporter_.Machine()).find("no longer windows_exporter"),
            std::string::npos);
}

TEST_F(RemoteProviderTest, RemovedCountersAreGoneAndTheirMachineIsNotScraped) {
  exporter_.Serve(windows_a_);
  const perf::CounterHandle threads = Add("\\Objects\\Threads");
  EXPECT_EQ(query_->RemoveCounter(threads), perf::kOk);
  double value = 0;
  EXPECT_EQ(Read(threads, &value), perf::kInvalidHandle);
  EXPECT_EQ(query_->RemoveCounter(threads), perf::kInvalidHandle);
  EXPECT_EQ(Read(perf::kNullCounter, &value), perf::kInvalidHandle);
  EXPECT_EQ(Read(99, &value), perf::kInvalidHandle);
  const int before = exporter_.requests();
  EXPECT_EQ(query_->Collect(), perf::kNoData);
  EXPECT_EQ(exporter_.requests(), before);
}

TEST_F(RemoteProviderTest, BrowsesAWindowsHostFromItsScrape) {
  exporter_.Serve(windows_a_);
  std::vector<std::string> objects;
  ASSERT_EQ(provider_.EnumObjects(exporter_.Machine(), &objects), perf::kOk);
  EXPECT_EQ(objects,
            (std::vector<std::string>{"Processor", "Memory", "Paging File", "LogicalDisk",
                                      "PhysicalDisk", "Network Interface", "System", "Objects"}));
  std::vector<std::string> counters, instances;
  ASSERT_EQ(provider_.EnumObjectItems(exporter_.Machine(), "processor", &counters, &instances),
            perf::kOk);
  EXPECT_EQ(instances, (std::vector<std::string>{"0", "1", "2", "3", "_Total"}));
  EXPECT_EQ(counters.front(), "% Processor Time");
  ASSERT_EQ(
      provider_.EnumObjectItems(exporter_.Machine(), "Network Interface", &counters, &instances),
      perf::kOk);
  EXPECT_EQ(instances, (std::vector<std::string>{"Intel[R] Ethernet Connection I219-LM",
                                                 "isatap.corp.example"}))
      << "no _Total for network interfaces";
  ASSERT_EQ(provider_.EnumObjectItems(exporter_.Machine(), "Memory", &counters, &instances),
            perf::kOk);
  EXPECT_TRUE(instances.empty());
  EXPECT_EQ(provider_.EnumObjectItems(exporter_.Machine(), "Server", &counters, &instances),
            perf::kNoObject);
  std::string name;
  EXPECT_EQ(provider_.LookupNameByIndex(exporter_.Machine(), 238, &name), perf::kOk);
  EXPECT_EQ(name, "Processor");
  EXPECT_EQ(provider_.LookupNameByIndex(exporter_.Machine(), 1, &name), perf::kStringNotFound);
}

TEST_F(RemoteProviderTest, BrowsingALinuxHostLeavesOutWhatItsCollectorsLack) {
  exporter_.Serve(node_);
  std::vector<std::string> objects;
  ASSERT_EQ(provider_.EnumObjects(exporter_.Machine(), &objects), perf::kOk);
  EXPECT_EQ(objects, (std::vector<std::string>{"Processor", "Memory", "Paging File", "LogicalDisk",
                                               "PhysicalDisk", "Network Interface", "System"}))
      << "no Objects without the processes collector";
  std::vector<std::string> counters, instances;
  ASSERT_EQ(provider_.EnumObjectItems(exporter_.Machine(), "System", &counters, &instances),
            perf::kOk);
  EXPECT_EQ(counters, (std::vector<std::string>{"Context Switches/sec", "Processor Queue Length",
                                                "System Up Time"}));
  EXPECT_EQ(provider_.EnumObjectItems(exporter_.Machine(), "Objects", &counters, &instances),
            perf::kNoObject);
}

TEST_F(RemoteProviderTest, BrowsingADeadMachineFails) {
  exporter_.Serve("", 500);
  std::vector<std::string> objects{"stale"};
  EXPECT_EQ(provider_.EnumObjects(exporter_.Machine(), &objects), perf::kCannotConnectMachine);
}

TEST_F(RemoteProviderTest, ServesQueriesOnSeveralThreadsAtOnce) {
  exporter_.Serve(windows_a_);
  std::atomic<int> values{0};
  auto sample = [&] {
    std::unique_ptr<perf::Query> query;
    ASSERT_EQ(provider_.OpenQuery(&query), perf::kOk);
    perf::CounterHandle handle;
    ASSERT_EQ(query->AddCounter(Path("\\Objects\\Threads"), &handle), perf::kOk);
    for (int pass = 0; pass < 5; ++pass) {
      double value = 0;
      if (query->Collect() == perf::kOk && query->GetFormattedDouble(handle, &value) == perf::kOk &&
          value == 1830)
        ++values;
    }
  };
  auto browse = [&] {
    for (int pass = 0; pass < 5; ++pass) {
      std::vector<std::string> objects;
      EXPECT_EQ(provider_.ConnectMachine(exporter_.Machine()), perf::kOk);
      EXPECT_EQ(provider_.EnumObjects(exporter_.Machine(), &objects), perf::kOk);
      EXPECT_EQ(provider_.MachineError(exporter_.Machine()), "");
    }
  };
  std::thread a(sample), b(sample), c(browse);
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(values.load(), 10);
}

TEST(RemoteProvider, WithoutAPortTriesBothExportersPorts) {
  // 192.0.2.1 (TEST-NET-1) never answers.
  RemoteProvider provider(ShortTimeouts());
  EXPECT_EQ(provider.ConnectMachine("\\\\192.0.2.1"), perf::kCannotConnectMachine);
  const std::string error = provider.MachineError("\\\\192.0.2.1");
  EXPECT_NE(error.find("http://192.0.2.1:9100/metrics"), std::string::npos) << error;
  EXPECT_NE(error.find("http://192.0.2.1:9182/metrics"), std::string::npos) << error;
}

TEST(RemoteProvider, HttpsToAPlainHttpExporterFails) {
  FakeExporter exporter;
  exporter.Serve(ReadExporterFixture("node_exporter_1.5.0.prom"));
  RemoteProvider provider(ShortTimeouts());
  const std::string machine = "\\\\https://127.0.0.1:" + std::to_string(exporter.port());
  EXPECT_EQ(provider.ConnectMachine(machine), perf::kCannotConnectMachine);
  EXPECT_NE(provider.MachineError(machine).find("https://127.0.0.1:"), std::string::npos);
}

TEST(RemoteProvider, RefusesMachinePartsThatAreNoAddresses) {
  RemoteProvider provider(ShortTimeouts());
  EXPECT_EQ(provider.ConnectMachine("\\\\host/../etc?x"), perf::kInvalidPath);
  EXPECT_NE(provider.MachineError("\\\\host/../etc?x").find("not a host name"), std::string::npos);
  EXPECT_EQ(provider.ConnectMachine(""), perf::kNoMachine);
}

}  // namespace
}  // namespace corvane::remote
