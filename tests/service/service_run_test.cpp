#include "service/service_run.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/platform/linux/host/test_support.h"
#include "tests/support/http_client.h"

namespace corvane::service {
namespace {

using host::EventLog;
using host::StatusReporter;
using host::StopEvent;
using testing_support::NotifySocket;
using testing_support::ScopedEnv;
using testing_support::TempFolder;

// What the fake engine was asked, kept apart from the engine so that it outlives it.
struct EngineRecord {
  std::vector<std::string> calls;
  bool load_result = true;
  bool start_result = true;
  int stop_failures = 0;               // Stop answers false this many times first; -1: always
  StopEvent* stop_on_start = nullptr;  // set once the collector "runs"
  int counters = 3;                    // what GetCounterCount answers
  std::shared_ptr<perf::MachineWatcher> watcher;  // what the run handed the provider
  std::uint16_t scrape_port = 0;                  // Start scrapes /metrics there first, when set
  int scrape_status = 0;
  std::string scrape_body;
  std::atomic<int> copies{0};  // CopyMetrics calls, on the metrics server's thread
  class FakeEngine* alive = nullptr;
};

class FakeEngine : public MonitorEngine {
 public:
  explicit FakeEngine(std::shared_ptr<EngineRecord> record) : record_(std::move(record)) {
    record_->alive = this;
  }
  ~FakeEngine() override {
    record_->calls.push_back("~");
    record_->alive = nullptr;
  }
  void SetUpNewProfile() override { record_->calls.push_back("SetUpNewProfile"); }
  void RemoveAllAxes() override { record_->calls.push_back("RemoveAllAxes"); }
  int GetCounterCount() override { return record_->counters; }
  void SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) override {
    record_->watcher = std::move(watcher);
  }
  bool Load(const std::string& path) override {
    record_->calls.push_back("Load " + path);
    return record_->load_result;
  }
  void SetInterval(int seconds) override {
    record_->calls.push_back("SetInterval " + std::to_string(seconds));
  }
  void SetLogLocation(const std::string& path, bool banner) override {
    log_path_ = std::filesystem::path(path).replace_extension().string() + "-log.html";
    record_->calls.push_back("SetLogLocation " + path + (banner ? " banner" : " quiet"));
  }
  bool IsLogging() override { return true; }
  std::string GetLogPath() override { return log_path_; }
  bool Start() override {
    record_->calls.push_back("Start");
    if (record_->scrape_port != 0) {
      const test_support::HttpAnswer answer =
          test_support::HttpGet(record_->scrape_port, "/metrics");
      record_->scrape_status = answer.status;
      record_->scrape_body = answer.body;
    }
    if (record_->start_result && record_->stop_on_start != nullptr) record_->stop_on_start->Set();
    return record_->start_result;
  }
  bool Stop() override {
    record_->calls.push_back("Stop");
    if (record_->stop_failures == 0) return true;
    if (record_->stop_failures > 0) --record_->stop_failures;
    return false;
  }
  void CopyMetrics(MetricsSnapshot* snapshot) override {
    ++record_->copies;
    snapshot->timing = {};
    snapshot->timing.NoteSampleEnd(1700000000);
  }

 private:
  std::shared_ptr<EngineRecord> record_;
  std::string log_path_ = "/profiles/Logs/x-log.html";
};

std::string ReadStream(std::FILE* stream) {
  std::string text;
  std::rewind(stream);
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  return text;
}

class ServiceRunTest : public ::testing::Test {
 protected:
  ServiceRunTest() { record_->stop_on_start = &stop_; }
  ~ServiceRunTest() override {
    delete record_->alive;  // an engine left to a stuck collector
    std::fclose(out_);
    std::fclose(err_);
  }

  ServiceRunContext Context(bool console) {
    ServiceRunContext context;
    context.console = console;
    context.status = console ? &console_status_ : &service_status_;
    context.events = console ? &console_events_ : &service_events_;
    context.stop = &stop_;
    context.make_engine = [record = record_] { return std::make_unique<FakeEngine>(record); };
    context.read_profile_setting = [this] { return setting_; };
    context.fallback_log_base = [this] { return fallback_base_; };
    context.out = out_;
    context.err = err_;
    return context;
  }

  std::vector<std::string> Calls() const { return record_->calls; }

  TempFolder folder_;
  NotifySocket socket_{folder_ / "notify"};
  ScopedEnv notify_{"NOTIFY_SOCKET", socket_.path()};
  std::shared_ptr<EngineRecord> record_ = std::make_shared<EngineRecord>();
  std::vector<std::string> events_;
  std::vector<std::string> notes_;  // "<warning|notice>: <text>"
  EventLog service_events_{
      "Corvane", false,
      [this](std::string_view, std::string_view first, std::string_view text) {
        events_.push_back(std::string(first) + ": " + std::string(text));
      },
      [this](std::string_view, EventLog::Severity severity, std::string_view text) {
        notes_.push_back((severity == EventLog::Severity::kWarning ? "warning: " : "notice: ") +
                         std::string(text));
      }};
  EventLog console_events_{"Corvane", true};
  StatusReporter service_status_{false, &service_events_};
  StatusReporter console_status_{true, &console_events_};
  StopEvent stop_;
  std::string setting_ = "/profiles/x.crvn";
  std::string fallback_base_ = folder_ / "state/corvane";
  std::FILE* out_ = std::tmpfile();
  std::FILE* err_ = std::tmpfile();
};

TEST_F(ServiceRunTest, RunsTheProfileOfTheSettingUntilStopped) {
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetUpNewProfile", "RemoveAllAxes",
                                               "Load /profiles/x.crvn", "Start", "Stop", "~"}));
  EXPECT_EQ(ReadStream(out_), "Activity log: /profiles/Logs/x-log.html\n");
}

TEST_F(ServiceRunTest, TheThirdArgumentWinsAndIsMadeAbsolute) {
  ServiceRunContext context = Context(true);
  context.args = {"corvservice", "-run", "sub/../mine.crvn"};
  RunService(context);
  const std::string expected = (std::filesystem::current_path() / "mine.crvn").string();
  EXPECT_EQ(Calls().at(2), "Load " + expected);
}

TEST_F(ServiceRunTest, WithoutArgumentOrSettingTheLoadIsTriedWithAnEmptyPath) {
  setting_.clear();
  ServiceRunContext context = Context(true);
  context.args = {"corvservice", "-run"};
  RunService(context);
  EXPECT_EQ(Calls().at(2), "Load ");
}

TEST_F(ServiceRunTest, AnUnreadableProfileFallsBackOnTheDefaultCounters) {
  record_->load_result = false;
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  const std::string fallback = fallback_base_ + "/ServiceDefault.crvn";
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{
                "SetUpNewProfile", "RemoveAllAxes", "Load /profiles/x.crvn", "SetUpNewProfile",
                "SetInterval 10", "SetLogLocation " + fallback + " quiet", "Start", "Stop", "~"}));
  EXPECT_TRUE(std::filesystem::is_directory(fallback_base_)) << "the base folder is created";
  EXPECT_EQ(ReadStream(out_),
            "Cannot read the profile \"/profiles/x.crvn\"; using the default counters.\n"
            "Activity log: " +
                fallback_base_ + "/ServiceDefault-log.html\n");
}

TEST_F(ServiceRunTest, WithNoProfileConfiguredTheConsoleSaysSo) {
  setting_.clear();
  record_->load_result = false;
  ServiceRunContext context = Context(true);
  context.args = {"corvservice", "-run"};
  EXPECT_EQ(RunService(context), RunOutcome::kStopped);
  EXPECT_EQ(ReadStream(out_),
            "No profile is configured; using the default counters.\n"
            "Activity log: " +
                fallback_base_ + "/ServiceDefault-log.html\n");
}

TEST_F(ServiceRunTest, ReportsEveryStartStepThenRunning) {
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  for (int check_point = 1; check_point <= 5; ++check_point) {
    EXPECT_EQ(socket_.Receive(2000), "STATUS=Starting (check point " + std::to_string(check_point) +
                                         ")\nEXTEND_TIMEOUT_USEC=3000000");
  }
  EXPECT_EQ(socket_.Receive(2000), "READY=1\nSTATUS=Running");
  EXPECT_EQ(ReadStream(out_), "") << "the service prints nothing";
  EXPECT_TRUE(events_.empty());
}

TEST_F(ServiceRunTest, AFailedReportSkipsToTheEnd) {
  ScopedEnv nowhere("NOTIFY_SOCKET", folder_ / "nobody-listens");
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"~"})) << "nothing loaded, nothing started";
  EXPECT_EQ(events_, (std::vector<std::string>{"Corvane error: " + std::to_string(ENOENT) +
                                               ": failed to report status"}));
}

TEST_F(ServiceRunTest, AnInterruptBeforeTheWaitIsNotLost) {
  record_->stop_on_start = nullptr;
  stop_.Set();  // Control-C while the profile was loading
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  EXPECT_EQ(Calls().back(), "~");
}

TEST_F(ServiceRunTest, AStopThatGivesUpIsTriedAgain) {
  record_->stop_failures = 2;
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Stop"), 3);
  EXPECT_EQ(calls.back(), "~");
  const std::vector<std::string> messages = socket_.ReceiveUntil("STOPPING=1", 2000);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(),
            "STOPPING=1\nSTATUS=Stopping (check point 6)\nEXTEND_TIMEOUT_USEC=6000000")
      << "systemd is asked to wait for each further attempt";
}

TEST_F(ServiceRunTest, ACollectorThatNeverStopsKeepsItsEngine) {
  record_->stop_failures = -1;
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kCollectorStuck);
  EXPECT_NE(record_->alive, nullptr) << "never destroyed under a running collector";
  EXPECT_EQ(Calls().back(), "Stop");
  EXPECT_EQ(events_, (std::vector<std::string>{"Corvane error: " + std::to_string(ETIMEDOUT) +
                                               ": failed to stop the collector"}));
}

TEST_F(ServiceRunTest, ACollectorThatCannotStartIsNotWaitedFor) {
  record_->start_result = false;
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(calls.back(), "~");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Stop"), 0);
  EXPECT_EQ(ReadStream(err_), "failed to start the collector\n");
}

// A socket listening on 127.0.0.1 at a port the system chose.
class Listener {
 public:
  Listener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 1) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen";
    }
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  std::uint16_t port() const { return port_; }
  http::ListenAddress Address() const {
    std::string error;
    return *http::ParseListenAddress("127.0.0.1:" + std::to_string(port_), &error);
  }

 private:
  int fd_;
  std::uint16_t port_ = 0;
};

// An address on a port that was free a moment ago.
std::optional<http::ListenAddress> FreeAddress() {
  const Listener probe;
  return probe.Address();
}

std::uint16_t PortOf(const http::ListenAddress& address) {
  return ntohs(reinterpret_cast<const sockaddr_in*>(&address.socket_address)->sin_port);
}

TEST_F(ServiceRunTest, AMetricsAddressInUseRefusesTheRunBeforeTheProfileLoads) {
  const Listener busy;
  for (const bool console : {false, true}) {
    record_->calls.clear();
    ServiceRunContext context = Context(console);
    context.metrics_address = busy.Address();
    EXPECT_EQ(RunService(context), RunOutcome::kMetricsRefused);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"~"})) << "nothing loaded, nothing started";
  }
  const std::string why =
      "cannot listen on 127.0.0.1:" + std::to_string(busy.port()) + ": Address already in use";
  EXPECT_EQ(events_, (std::vector<std::string>{"Corvane error: " + std::to_string(EADDRINUSE) +
                                               ": " + why}));
  EXPECT_EQ(ReadStream(err_), why + "\n");
  EXPECT_EQ(record_->copies, 0);
}

TEST_F(ServiceRunTest, TheMetricsAreServedFromTheEngineWhileItRunsAndNotAfter) {
  const std::optional<http::ListenAddress> address = FreeAddress();
  const std::uint16_t port = PortOf(*address);
  record_->scrape_port = port;
  ServiceRunContext context = Context(true);
  context.metrics_address = address;
  EXPECT_EQ(RunService(context), RunOutcome::kStopped);
  EXPECT_EQ(record_->scrape_status, 200);
  EXPECT_NE(record_->scrape_body.find("\ncorvane_samples_total 1\n"), std::string::npos)
      << record_->scrape_body;
  EXPECT_EQ(record_->copies, 1);
  EXPECT_EQ(ReadStream(out_), "Metrics: http://127.0.0.1:" + std::to_string(port) +
                                  "/metrics\nActivity log: /profiles/Logs/x-log.html\n");
  EXPECT_EQ(test_support::HttpGet(port, "/metrics").status, 0) << "the listener is gone";
}

TEST_F(ServiceRunTest, AWebConfigThatCannotBeServedRefusesTheRunWithItsReason) {
  const std::string path = (folder_ / "web.yml").string();
  std::ofstream(path) << "tls_server_config:\n  cert_file: a.crt\n  key_file: a.key\n"
                      << "  cipher_suites: [TLS_AES_128_GCM_SHA256]\n";
  const std::optional<http::ListenAddress> address = FreeAddress();
  for (const bool console : {false, true}) {
    record_->calls.clear();
    ServiceRunContext context = Context(console);
    context.metrics_address = address;
    context.web_config = path;
    EXPECT_EQ(RunService(context), RunOutcome::kMetricsRefused);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"~"})) << "nothing loaded, nothing started";
  }
  const std::string why = "cannot serve metrics: " + path +
                          ": line 4: tls_server_config: cipher_suites is not supported";
  EXPECT_EQ(events_,
            (std::vector<std::string>{"Corvane error: " + std::to_string(EINVAL) + ": " + why}));
  EXPECT_EQ(ReadStream(err_), why + "\n");
}

TEST_F(ServiceRunTest, AWebConfigWithUsersKeepsThePageFromAScrapeWithoutThem) {
  const std::string path = (folder_ / "web.yml").string();
  std::ofstream(path) << "basic_auth_users:\n  scraper: $2b$04$" << std::string(53, 'a') << "\n";
  const std::optional<http::ListenAddress> address = FreeAddress();
  const std::uint16_t port = PortOf(*address);
  record_->scrape_port = port;
  ServiceRunContext context = Context(true);
  context.metrics_address = address;
  context.web_config = path;
  EXPECT_EQ(RunService(context), RunOutcome::kStopped);
  EXPECT_EQ(record_->scrape_status, 401);
  EXPECT_EQ(record_->copies, 0);
  EXPECT_EQ(ReadStream(out_).rfind("Metrics: http://127.0.0.1:" + std::to_string(port), 0), 0u);
}

TEST_F(ServiceRunTest, NoEngineNoRun) {
  ServiceRunContext context = Context(true);
  context.make_engine = [] { return std::unique_ptr<MonitorEngine>(); };
  EXPECT_EQ(RunService(context), RunOutcome::kStopped);
  EXPECT_EQ(ReadStream(err_), "failed to build the monitoring engine\n");
}

// A file that reads as a profile without counters runs as it is, but is told of: on the
// console in a console run, in the system log as a service.
TEST_F(ServiceRunTest, AProfileWithoutCountersIsReportedAndStillRuns) {
  record_->counters = 0;
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetUpNewProfile", "RemoveAllAxes",
                                               "Load /profiles/x.crvn", "Start", "Stop", "~"}));
  EXPECT_EQ(ReadStream(err_),
            "The profile \"/profiles/x.crvn\" has no counters; nothing is sampled.\n");

  record_->calls.clear();
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  EXPECT_EQ(notes_, (std::vector<std::string>{"warning: The profile \"/profiles/x.crvn\" has no "
                                              "counters; nothing is sampled."}));
  EXPECT_TRUE(events_.empty()) << "no error event: the service runs";
}

TEST_F(ServiceRunTest, AProfileWithCountersSaysNothingMore) {
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  EXPECT_TRUE(notes_.empty());
}

// The run hands the provider a watcher that tells of remote machines where the service's
// notices go: the reason when one stops answering, a notice when it answers again.
TEST_F(ServiceRunTest, RemoteMachinesThatStopAndStartAnsweringAreToldOfOnce) {
  EXPECT_EQ(RunService(Context(false)), RunOutcome::kStopped);
  ASSERT_NE(record_->watcher, nullptr);
  record_->watcher->MachineUnreachable("\\\\db1:9100",
                                       "http://db1:9100/metrics: connection refused");
  record_->watcher->MachineAnswersAgain("\\\\db1:9100");
  EXPECT_EQ(notes_, (std::vector<std::string>{
                        "warning: Remote machine \\\\db1:9100 does not answer: "
                        "http://db1:9100/metrics: connection refused; its counters are not "
                        "available until it answers again",
                        "notice: Remote machine \\\\db1:9100 answers again"}));
  EXPECT_EQ(ReadStream(err_), "");
  // The server the machines are read through is named as a server, not as a machine.
  notes_.clear();
  record_->watcher->ServerUnreachable("http://prom:9090", "http://prom:9090: connection refused");
  record_->watcher->ServerAnswersAgain("http://prom:9090");
  EXPECT_EQ(notes_, (std::vector<std::string>{
                        "warning: Prometheus server at http://prom:9090 does not answer: "
                        "http://prom:9090: connection refused; the counters read through it "
                        "are not available until it answers again",
                        "notice: Prometheus server at http://prom:9090 answers again"}));

  record_->watcher.reset();
  notes_.clear();
  EXPECT_EQ(RunService(Context(true)), RunOutcome::kStopped);
  ASSERT_NE(record_->watcher, nullptr);
  record_->watcher->MachineUnreachable("\\\\db1", "");
  EXPECT_EQ(ReadStream(err_),
            "Remote machine \\\\db1 does not answer; its counters are not available until it "
            "answers again\n");
  EXPECT_TRUE(notes_.empty()) << "a console run writes nothing to the system log";
}

}  // namespace
}  // namespace corvane::service
