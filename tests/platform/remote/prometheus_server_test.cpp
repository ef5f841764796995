// Remote machines read through a real Prometheus server (Debian's prometheus, started by the
// test on a free port with its own storage folder) that scrapes stand-in exporters every
// second. The exporters' pages follow the clock, so every value and rate is known: the values
// through the server equal those read from the same exporters directly, rates within what the
// scrape times explain; the server lists its instances; its history fills the averages; a
// stopped exporter, a hanging and a stopped server each end with their reason while the local
// counters keep their time. Every case waits for real scrapes (label slow).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/engine.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/remote/remote_provider.h"
#include "platform/remote/server_provider.h"
#include "platform/routing_provider.h"
#include "tests/core/engine_test_support.h"
#include "tests/platform/remote/fake_exporter.h"
#include "tests/platform/remote/prometheus_process.h"
#include "tools/corvquery/query_tool.h"

namespace corvane::remote {
namespace {

using testing::FakeExporter;
using testing::PrometheusProcess;
using namespace std::chrono_literals;

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The gauge of available bytes: it steps once a second, so each scrape's value is known.
double AvailableAt(double t, int id) { return 1e9 + id * 1e6 + 1000 * std::floor(t); }

// A stand-in node_exporter whose page follows the clock: 1000 context switches a second, one
// processor 75 % busy, and the gauge above. The page is renewed every 20 ms.
class ClockExporter {
 public:
  explicit ClockExporter(int id) : id_(id), thread_([this] { Loop(); }) {}
  ~ClockExporter() {
    stop_ = true;
    thread_.join();
  }
  std::string Instance() const { return "127.0.0.1:" + std::to_string(server_.port()); }
  std::string Machine() const { return "\\\\" + Instance(); }

 private:
  void Loop() {
    while (!stop_) {
      const double t = Now();
      std::ostringstream page;
      page.precision(17);
      page << "node_exporter_build_info{version=\"1.5.0\"} 1\n"
           << "node_time_seconds " << t << "\n"
           << "node_context_switches_total " << 1000 * (t - 1.7e9) << "\n"
           << "node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} " << 0.25 * (t - 1.7e9) << "\n"
           << "node_cpu_seconds_total{cpu=\"0\",mode=\"user\"} " << 0.75 * (t - 1.7e9) << "\n"
           << "node_memory_MemAvailable_bytes " << AvailableAt(t, id_) << "\n";
      server_.Serve(page.str());
      std::this_thread::sleep_for(20ms);
    }
  }

  const int id_;
  FakeExporter server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

const char* const kCounters[] = {"\\Memory\\Available Bytes", "\\System\\Context Switches/sec",
                                 "\\Processor(_Total)\\% Processor Time"};

class PrometheusServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PrometheusProcess::Installed()) GTEST_SKIP() << "prometheus is not installed";
    exporters_.push_back(std::make_unique<ClockExporter>(1));
    exporters_.push_back(std::make_unique<ClockExporter>(2));
    std::string error;
    ASSERT_TRUE(server_.Start({exporters_[0]->Instance(), exporters_[1]->Instance()}, &error))
        << error;
    options_.url = server_.Url();
    options_.connect_timeout = 1000ms;
    options_.total_timeout = 2000ms;
    // Three scrapes of both, so that the server has rates to give.
    ServerProvider provider(options_);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
      std::vector<perf::MachineListing> machines;
      if (provider.EnumMachines(&machines) == perf::kOk && machines.size() == 2 && machines[0].up &&
          machines[1].up)
        break;
      std::this_thread::sleep_for(200ms);
    }
    std::this_thread::sleep_for(2500ms);
  }

  // Collects twice, 1.2 s apart, and reads every counter of every exporter.
  static std::vector<double> ReadAll(perf::Provider& provider,
                                     const std::vector<std::string>& machines,
                                     std::vector<std::string>* reasons) {
    std::unique_ptr<perf::Query> query;
    EXPECT_EQ(provider.OpenQuery(&query), perf::kOk);
    std::vector<perf::CounterHandle> handles;
    for (const std::string& machine : machines) {
      for (const char* counter : kCounters) {
        perf::CounterHandle handle = perf::kNullCounter;
        EXPECT_EQ(query->AddCounter(machine + counter, &handle), perf::kOk)
            << machine << counter << ": " << query->LastError();
        handles.push_back(handle);
      }
    }
    query->Collect();
    std::this_thread::sleep_for(1200ms);
    query->Collect();
    std::vector<double> values;
    for (const perf::CounterHandle handle : handles) {
      double value = NAN;
      if (query->GetFormattedDouble(handle, &value) != perf::kOk) value = NAN;
      values.push_back(value);
      if (reasons != nullptr) reasons->push_back(query->CounterError(handle));
    }
    return values;
  }

  std::vector<std::string> Machines() const {
    return {exporters_[0]->Machine(), exporters_[1]->Machine()};
  }

  std::vector<std::unique_ptr<ClockExporter>> exporters_;
  PrometheusProcess server_;
  ServerOptions options_;
};

TEST_F(PrometheusServerTest, ValuesThroughTheServerEqualThoseReadDirectly) {
  ServerProvider through_server(options_);
  std::vector<std::string> reasons;
  const std::vector<double> served = ReadAll(through_server, Machines(), &reasons);
  const auto direct_provider = MakeRemoteProvider();
  const std::vector<double> direct = ReadAll(*direct_provider, Machines(), nullptr);
  ASSERT_EQ(served.size(), 6u);
  for (std::size_t i = 0; i < served.size(); ++i) {
    SCOPED_TRACE(Machines()[i / 3] + kCounters[i % 3] + ": " + reasons[i]);
    ASSERT_FALSE(std::isnan(served[i]));
    ASSERT_FALSE(std::isnan(direct[i]));
  }
  for (std::size_t m = 0; m < 2; ++m) {
    // The gauge steps once a second: the server's sample is at most a scrape older.
    EXPECT_NEAR(served[m * 3], direct[m * 3], 3000.0);
    EXPECT_NEAR(served[m * 3], AvailableAt(Now(), static_cast<int>(m) + 1), 5000.0);
    // Rates over the host's own clock written with each page: exact but for the page's age
    // at the scrape (20 ms of 1 s).
    EXPECT_NEAR(served[m * 3 + 1], 1000.0, 30.0);
    EXPECT_NEAR(served[m * 3 + 1], direct[m * 3 + 1], 50.0);
    EXPECT_NEAR(served[m * 3 + 2], 75.0, 0.5);
    EXPECT_NEAR(served[m * 3 + 2], direct[m * 3 + 2], 0.5);
  }
}

TEST_F(PrometheusServerTest, ListNamesTheInstancesWithTheirJob) {
  ServerProvider provider(options_);
  std::ostringstream out;
  std::ostringstream err;
  const std::vector<std::string_view> args = {"--prometheus", options_.url, "--list"};
  EXPECT_EQ(corvquery::RunQueryTool(args, &provider, out, err), corvquery::kExitOk) << err.str();
  std::vector<std::string> expected = {exporters_[0]->Instance() + "\tnode\tup",
                                       exporters_[1]->Instance() + "\tnode\tup"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(out.str(), expected[0] + "\n" + expected[1] + "\n");

  std::ostringstream objects;
  const std::string first = exporters_[0]->Instance();
  const std::vector<std::string_view> list = {"--prometheus", options_.url, "--list", "--machine",
                                              first};
  EXPECT_EQ(corvquery::RunQueryTool(list, &provider, objects, err), corvquery::kExitOk)
      << err.str();
  EXPECT_EQ(objects.str(), "Processor\nMemory\nSystem\n");
}

TEST_F(PrometheusServerTest, HistoryFillsTheAveragesFromTheSameSeries) {
  ServerProvider provider(options_);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  perf::CounterHandle memory = perf::kNullCounter;
  perf::CounterHandle switches = perf::kNullCounter;
  ASSERT_EQ(query->AddCounter(exporters_[0]->Machine() + kCounters[0], &memory), perf::kOk);
  ASSERT_EQ(query->AddCounter(exporters_[0]->Machine() + kCounters[1], &switches), perf::kOk);
  const double end = Now();
  ASSERT_EQ(query->FillHistory(3, 1s), perf::kOk) << query->LastError();
  std::vector<double> values;
  ASSERT_EQ(query->GetHistory(memory, &values), perf::kOk);
  ASSERT_EQ(values.size(), 3u);
  for (std::size_t k = 0; k < values.size(); ++k) {
    // Step k lies at end - (2 - k) s and holds the last scrape before it, at most 1 s older.
    const double at = end - static_cast<double>(2 - k);
    EXPECT_GE(values[k], AvailableAt(at - 2.0, 1)) << k;
    EXPECT_LE(values[k], AvailableAt(at + 0.5, 1)) << k;
  }
  ASSERT_EQ(query->GetHistory(switches, &values), perf::kOk);
  ASSERT_EQ(values.size(), 2u);  // a rate needs two steps
  for (const double rate : values) EXPECT_NEAR(rate, 1000.0, 30.0);
}

// A new collector on a profile read through the server draws the server's history before its
// first live reading. The available-bytes gauge steps by 1000 a second, so over a history of
// 10 samples at 1 s its average lies about five steps behind the newest value and its maximum
// at the newest; a collector that started from its first live reading alone would show that
// reading as both.
TEST_F(PrometheusServerTest, ANewCollectorDrawsTheAverageAndMaximumOfTheServersHistory) {
  std::this_thread::sleep_for(10s);  // the server holds more than ten seconds of scrapes
  ServerProvider provider(options_);
  testing_support::RecordingWindow window;
  Corvane engine(provider, false);
  engine.SetUpNewProfile();
  engine.RemoveAllAxes();
  CorvaneSettings settings = engine.GetSettings();
  settings.LogMode = log_mode::kOff;
  settings.Interval = 1;
  settings.History = 10;
  engine.SetSettings(settings);
  ASSERT_TRUE(testing_support::AddCounterAxis(engine, "available",
                                              exporters_[0]->Machine() + kCounters[0], 2e9));
  const double start = Now();
  ASSERT_TRUE(engine.Start(&window, true));
  // The history is drawn first; the first live reading follows about 100 ms later.
  ASSERT_TRUE(testing_support::WaitFor([&] { return engine.GetSampleCount() >= 2; }));
  double average = 0, maximum = 0;
  engine.GetSeriesValue(0, &average, Corvane::kAverageSeries);
  engine.GetSeriesValue(0, &maximum, Corvane::kMaxSeries);
  const double newest = AvailableAt(start, 1);
  EXPECT_GE(engine.GetSampleCount(), 9);  // the seeded readings count as samples
  EXPECT_GE(average, newest - 7500);
  EXPECT_LE(average, newest - 3000);
  EXPECT_GE(maximum, newest - 2000);
  EXPECT_LE(maximum, AvailableAt(Now(), 1));
  EXPECT_TRUE(testing_support::WaitFor([&] { return engine.Stop(); }));
}

TEST_F(PrometheusServerTest, FailuresSayWhyAndTheLocalCountersKeepTheirTime) {
  const auto server = std::make_shared<ServerProvider>(options_);
  const auto router = MakeRoutingProvider(local::MakeLocalProvider(), server);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(router->OpenQuery(&query), perf::kOk);
  perf::CounterHandle local = perf::kNullCounter;
  perf::CounterHandle remote = perf::kNullCounter;
  ASSERT_EQ(query->AddCounter("\\Memory\\Available Bytes", &local), perf::kOk);
  ASSERT_EQ(query->AddCounter(exporters_[1]->Machine() + kCounters[0], &remote), perf::kOk);
  query->SetCollectTimeLimit(500ms);
  double value = 0;
  ASSERT_EQ(query->Collect(), perf::kOk);
  ASSERT_EQ(query->GetFormattedDouble(remote, &value), perf::kOk);

  // The exporter stops: after its next failed scrape the server marks its series stale.
  exporters_[1].reset();
  std::string reason;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    query->Collect();
    if (query->GetFormattedDouble(remote, &value) != perf::kOk) break;
    std::this_thread::sleep_for(250ms);
  }
  EXPECT_NE(query->GetFormattedDouble(remote, &value), perf::kOk);
  reason = query->CounterError(remote);
  EXPECT_TRUE(reason.find("the server's last scrape of it failed") != std::string::npos ||
              reason.find("the server has no current series of it") != std::string::npos)
      << reason;
  EXPECT_EQ(query->GetFormattedDouble(local, &value), perf::kOk);

  // The server hangs: the remote counters wait the time limit, the local ones have values.
  server_.Freeze();
  for (int pass = 0; pass < 2; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    query->Collect();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    EXPECT_EQ(query->GetFormattedDouble(local, &value), perf::kOk);
    EXPECT_NE(query->GetFormattedDouble(remote, &value), perf::kOk);
  }
  EXPECT_NE(query->CounterError(remote).find("no answer yet after 500 ms"), std::string::npos)
      << query->CounterError(remote);

  // The server is gone.
  server_.Stop();
  query.reset();
  ASSERT_EQ(router->OpenQuery(&query), perf::kOk);
  EXPECT_EQ(query->AddCounter("\\Memory\\Available Bytes", &local), perf::kOk);
  EXPECT_NE(query->AddCounter(exporters_[0]->Machine() + kCounters[0], &remote), perf::kOk);
  EXPECT_NE(server->MachineError(exporters_[0]->Machine()).find("connection refused"),
            std::string::npos)
      << server->MachineError(exporters_[0]->Machine());
}

}  // namespace
}  // namespace corvane::remote
