// The remote provider against exporters that misbehave as broken hosts do: each failure says
// why, a slow machine costs a collection no more than its time limit, its late answer serves
// the next collection, machines that hang are connected side by side, and a watcher hears of
// each change of a machine's state once.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/remote/remote_provider.h"
#include "tests/platform/remote/fake_exporter.h"
#include "tests/platform/remote/remote_fixtures.h"

namespace corvane::remote {
namespace {

using namespace std::chrono_literals;
using testing::FakeExporter;
using testing::HeldRequests;
using testing::ReadExporterFixture;
using testing::RefusingPort;

constexpr const char* kThreads = "\\Objects\\Threads";

RemoteProviderOptions ShortTimeouts() {
  RemoteProviderOptions options;
  options.scrape.connect_timeout = 300ms;
  options.scrape.total_timeout = 600ms;
  options.scrape.max_page_bytes = 64 << 10;
  return options;
}

std::string Url(const FakeExporter& exporter) {
  return "http://127.0.0.1:" + std::to_string(exporter.port()) + "/metrics";
}

struct Misbehaviour {
  const char* name;
  void (*set_up)(FakeExporter&);
  const char* reason;  // what MachineError says after the URL
};

void PrintTo(const Misbehaviour& m, std::ostream* out) { *out << m.name; }

class MisbehavingExporter : public ::testing::TestWithParam<Misbehaviour> {};

TEST_P(MisbehavingExporter, ConnectingFailsWithTheReason) {
  FakeExporter exporter;
  GetParam().set_up(exporter);
  RemoteProvider provider(ShortTimeouts());
  EXPECT_EQ(provider.ConnectMachine(exporter.Machine()), perf::kCannotConnectMachine);
  EXPECT_EQ(provider.MachineError(exporter.Machine()), Url(exporter) + ": " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, MisbehavingExporter,
    ::testing::Values(
        Misbehaviour{"Hangs", [](FakeExporter& e) { e.SetSilent(true); }, "timed out after 0.6 s"},
        Misbehaviour{"Trickles",
                     [](FakeExporter& e) {
                       e.Serve(ReadExporterFixture("node_exporter_1.5.0.prom"));
                       e.SetTrickle(20ms);
                     },
                     "timed out after 0.6 s"},
        Misbehaviour{"SendsGarbage",
                     [](FakeExporter& e) { e.SetRaw("\x17\x03\x01 garbage\r\n\r\n"); },
                     "not a metrics page: the answer is not HTTP"},
        Misbehaviour{
            "ServesAWebPage",
            [](FakeExporter& e) { e.Serve("<html><body>Welcome</body></html>\n"); },
            "not a metrics page (line 1: a metric name must start with a letter, '_' or ':')"},
        Misbehaviour{"IsBusy", [](FakeExporter& e) { e.Serve("busy\n", 503); }, "HTTP status 503"},
        Misbehaviour{"NeverEnds", [](FakeExporter& e) { e.SetEndless(true); },
                     "answer larger than 64 KB"}),
    [](const ::testing::TestParamInfo<Misbehaviour>& info) {
      return std::string(info.param.name);
    });

TEST(MachineReasons, ARefusedConnectionSaysSo) {
  RemoteProvider provider(ShortTimeouts());
  const std::string machine = "\\\\127.0.0.1:" + std::to_string(RefusingPort());
  EXPECT_EQ(provider.ConnectMachine(machine), perf::kCannotConnectMachine);
  EXPECT_EQ(provider.MachineError(machine),
            "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/metrics: connection refused");
}

TEST(MachineReasons, AQueryTellsWhyItRefusesACounterOfAnUnreachableMachine) {
  RemoteProvider provider(ShortTimeouts());
  const std::string machine = "\\\\127.0.0.1:" + std::to_string(RefusingPort());
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle = perf::kNullCounter;
  EXPECT_EQ(query->AddCounter(machine + kThreads, &handle), perf::kNoMachine);
  EXPECT_NE(query->LastError().find("connection refused"), std::string::npos) << query->LastError();
}

// A query over one machine that answers at once and one the test makes slow.
class SlowMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string page = ReadExporterFixture("windows_exporter_0.31_a.prom");
    ASSERT_FALSE(page.empty());
    fast_.Serve(page);
    slow_.Serve(page);
    ASSERT_EQ(provider_.OpenQuery(&query_), perf::kOk);
    ASSERT_EQ(query_->AddCounter(fast_.Machine() + kThreads, &fast_counter_), perf::kOk);
    ASSERT_EQ(query_->AddCounter(slow_.Machine() + kThreads, &slow_counter_), perf::kOk);
    query_->SetCollectTimeLimit(150ms);
  }

  bool HasValue(perf::CounterHandle handle) {
    double value = 0;
    return query_->GetFormattedDouble(handle, &value) == perf::kOk && value == 1830;
  }

  FakeExporter fast_;
  FakeExporter slow_;
  RemoteProvider provider_{ShortTimeouts()};
  std::unique_ptr<perf::Query> query_;
  perf::CounterHandle fast_counter_ = perf::kNullCounter;
  perf::CounterHandle slow_counter_ = perf::kNullCounter;
};

TEST_F(SlowMachine, ALateAnswerServesTheNextCollection) {
  slow_.SetDelay(300ms);  // later than the time limit, well within the time-out
  const int asked = slow_.requests();
  EXPECT_EQ(query_->Collect(), perf::kOk);
  EXPECT_TRUE(HasValue(fast_counter_));
  EXPECT_FALSE(HasValue(slow_counter_));
  EXPECT_NE(query_->CounterError(slow_counter_).find("no answer yet"), std::string::npos)
      << query_->CounterError(slow_counter_);
  EXPECT_EQ(query_->CounterError(fast_counter_), "");
  EXPECT_EQ(provider_.MachineError(slow_.Machine()), "") << "late is not unreachable";

  std::this_thread::sleep_for(400ms);  // the answer is on its way meanwhile
  EXPECT_EQ(query_->Collect(), perf::kOk);
  EXPECT_TRUE(HasValue(slow_counter_)) << query_->CounterError(slow_counter_);
  EXPECT_EQ(slow_.requests(), asked + 1) << "the late request was kept, not sent again";
}

TEST_F(SlowMachine, AMachineThatStopsAnsweringComesBackWhenItAnswersAgain) {
  slow_.SetHangAfter(slow_.requests());
  EXPECT_EQ(query_->Collect(), perf::kOk);
  EXPECT_TRUE(HasValue(fast_counter_));
  EXPECT_FALSE(HasValue(slow_counter_));

  // Collections go on at their pace until the request runs out of time and fails.
  std::string reason;
  for (int pass = 0; pass < 20 && reason.find("timed out") == std::string::npos; ++pass) {
    EXPECT_EQ(query_->Collect(), perf::kOk);
    EXPECT_TRUE(HasValue(fast_counter_)) << "pass " << pass;
    EXPECT_FALSE(HasValue(slow_counter_)) << "pass " << pass;
    reason = query_->CounterError(slow_counter_);
  }
  EXPECT_EQ(reason, Url(slow_) + ": timed out after 0.6 s");
  EXPECT_EQ(provider_.MachineError(slow_.Machine()), reason);

  slow_.SetHangAfter(-1);
  bool back = false;
  for (int pass = 0; pass < 5 && !back; ++pass) {
    query_->Collect();
    back = HasValue(slow_counter_);
  }
  EXPECT_TRUE(back) << query_->CounterError(slow_counter_);
  EXPECT_EQ(provider_.MachineError(slow_.Machine()), "");
}

TEST(HangingMachines, EightAreConnectedSideBySide) {
  auto held = std::make_shared<HeldRequests>();
  std::vector<std::unique_ptr<FakeExporter>> exporters;
  std::vector<std::string> machines;
  for (int i = 0; i < 8; ++i) {
    exporters.push_back(std::make_unique<FakeExporter>());
    exporters.back()->SetSilent(true);
    exporters.back()->ShareHeld(held);
    machines.push_back(exporters.back()->Machine());
  }
  RemoteProvider provider(ShortTimeouts());
  std::vector<perf::Status> statuses(machines.size(), perf::kOk);
  provider.ConnectMachines(machines, statuses);
  for (std::size_t i = 0; i < machines.size(); ++i) {
    EXPECT_EQ(statuses[i], perf::kCannotConnectMachine) << machines[i];
    EXPECT_NE(provider.MachineError(machines[i]).find("timed out"), std::string::npos);
  }
  // One after another, each request would have ended before the next began.
  EXPECT_EQ(held->peak(), 8) << "all eight requests were waiting at the same time";
}

// What a watcher heard, in order.
class RecordingWatcher : public perf::MachineWatcher {
 public:
  void MachineUnreachable(std::string_view machine, std::string_view reason) override {
    std::lock_guard lock(mutex_);
    events_.push_back("unreachable " + std::string(machine) + ": " + std::string(reason));
  }
  void MachineAnswersAgain(std::string_view machine) override {
    std::lock_guard lock(mutex_);
    events_.push_back("answers " + std::string(machine));
  }
  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

TEST(MachineWatcher, HearsOnceOfEachChange) {
  FakeExporter exporter;
  const std::string page = ReadExporterFixture("windows_exporter_0.31_a.prom");
  exporter.Serve(page);
  auto watcher = std::make_shared<RecordingWatcher>();
  RemoteProvider provider(ShortTimeouts());
  provider.SetMachineWatcher(watcher);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider.OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle = perf::kNullCounter;
  ASSERT_EQ(query->AddCounter(exporter.Machine() + kThreads, &handle), perf::kOk);
  query->Collect();
  EXPECT_TRUE(watcher->events().empty()) << "a machine that answers from the start is no news";

  exporter.Serve("busy\n", 503);
  for (int pass = 0; pass < 3; ++pass) query->Collect();
  exporter.Serve(page);
  for (int pass = 0; pass < 3; ++pass) query->Collect();
  EXPECT_EQ(watcher->events(),
            (std::vector<std::string>{
                "unreachable " + exporter.Machine() + ": " + Url(exporter) + ": HTTP status 503",
                "answers " + exporter.Machine()}));
}

TEST(MachineWatcher, HearsOfAMachineThatCannotBeConnected) {
  auto watcher = std::make_shared<RecordingWatcher>();
  RemoteProvider provider(ShortTimeouts());
  provider.SetMachineWatcher(watcher);
  const std::string machine = "\\\\127.0.0.1:" + std::to_string(RefusingPort());
  EXPECT_EQ(provider.ConnectMachine(machine), perf::kCannotConnectMachine);
  EXPECT_EQ(provider.ConnectMachine(machine), perf::kCannotConnectMachine);
  EXPECT_EQ(watcher->events(), (std::vector<std::string>{"unreachable " + machine + ": " +
                                                         provider.MachineError(machine)}))
      << "a second failure is no change";
}

}  // namespace
}  // namespace corvane::remote
