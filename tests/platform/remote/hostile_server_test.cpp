// The server provider against a stand-in server (the fake exporter answering JSON): errors of
// the API, answers too large, truncated, of the wrong types, with NaN and infinities, with a
// million series, a server that does not answer or is not there. Each ends with a reason the
// user can read, within the query's time limit, and with bounded memory.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/server_provider.h"
#include "platform/remote/server_query.h"
#include "tests/platform/remote/fake_exporter.h"

namespace corvane::remote {
namespace {

using testing::FakeExporter;
using namespace std::chrono_literals;

constexpr const char* kMemory = "\\\\web-03:9100\\Memory\\Available Bytes";

// An instant-query answer holding the series of instance web-03:9100 that the Memory object
// needs, with the given value for the available bytes.
std::string NodeAnswer(const std::string& available = "1048576") {
  return R"({"status":"success","data":{"resultType":"vector","result":[)"
         R"({"metric":{"__name__":"up","instance":"web-03:9100","job":"node"},"value":[1700000000,"1"]},)"
         R"({"metric":{"__name__":"node_exporter_build_info","instance":"web-03:9100","version":"1.5.0"},"value":[1700000000,"1"]},)"
         R"({"metric":{"__name__":"node_memory_MemAvailable_bytes","instance":"web-03:9100"},"value":[1700000000,")" +
         available + R"("]}]}})";
}

ServerOptions Options(const FakeExporter& server) {
  ServerOptions options;
  options.url = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
  options.connect_timeout = 1000ms;
  options.total_timeout = 2000ms;
  return options;
}

struct Opened {
  std::unique_ptr<perf::Query> query;
  perf::CounterHandle handle = perf::kNullCounter;
};

Opened OpenMemory(ServerProvider& provider) {
  Opened opened;
  EXPECT_EQ(provider.OpenQuery(&opened.query), perf::kOk);
  EXPECT_EQ(opened.query->AddCounter(kMemory, &opened.handle), perf::kOk)
      << opened.query->LastError();
  return opened;
}

TEST(HostileServer, ReadsAValueAndPostsTheSelector) {
  FakeExporter server;
  server.Serve(NodeAnswer());
  ServerProvider provider(Options(server));
  Opened opened = OpenMemory(provider);
  ASSERT_EQ(opened.query->Collect(), perf::kOk) << opened.query->LastError();
  double value = 0;
  ASSERT_EQ(opened.query->GetFormattedDouble(opened.handle, &value), perf::kOk);
  EXPECT_EQ(value, 1048576.0);
  EXPECT_NE(server.LastRequest().find("POST /api/v1/query "), std::string::npos)
      << server.LastRequest();
  const std::string selector = static_cast<ServerQuery*>(opened.query.get())->Selector();
  EXPECT_EQ(selector,
            R"({__name__=~"node_memory_MemAvailable_bytes|node_time_seconds|up",)"
            R"(instance=~"web-03:9100"} or label_replace(timestamp(up{instance=~"web-03:9100"}), )"
            R"("corvane_scrape", "time", "", ""))");
}

// Each bad answer after a good connection: the counter has no value and says why.
TEST(HostileServer, EveryBadAnswerGivesItsReason) {
  std::string million = R"({"status":"success","data":{"resultType":"vector","result":[)";
  million.reserve(32u << 20);
  for (int i = 0; i < 1000000; ++i)
    million += std::string(i > 0 ? "," : "") + R"({"metric":{},"value":[1,"1"]})";
  million += "]}}";
  const struct {
    std::string body;
    int status;
    const char* reason;
  } cases[] = {
      {R"({"status":"error","errorType":"bad_data","error":"invalid parameter \"query\""})", 400,
       "the server answered an error: bad_data: invalid parameter \"query\" (HTTP status 400)"},
      {R"({"status":"error","errorType":"timeout","error":"query timed out"})", 200,
       "the server answered an error: timeout: query timed out"},
      {"<html>Bad Gateway</html>", 502, "HTTP status 502"},
      {NodeAnswer().substr(0, 200), 200, "the answer is not understood: not JSON"},
      {R"({"status":"success","data":{"resultType":"vector","result":[{"metric":{"instance":7}}]}})",
       200, "a label's value is not a text"},
      {std::string(3u << 20, ' '), 200, "answer larger than 2 MB"},
      {million, 200, "more than 200000 series"},
      {NodeAnswer("NaN"), 200, "web-03:9100: the server's series give no valid value"},
      {NodeAnswer("+Inf"), 200, "web-03:9100: the server's series give no valid value"},
  };
  for (const auto& c : cases) {
    FakeExporter server;
    server.Serve(NodeAnswer());
    ServerOptions options = Options(server);
    // None of these answers is about time: the limit is generous, so that a million series
    // read under a sanitizer meet the bound of series and not the clock.
    options.total_timeout = 120s;
    // A bound of 2 MB for the answer too large; the million series fit under 64 MB and meet
    // the bound of series.
    options.max_answer_bytes =
        c.body.size() > (2u << 20) && c.body.size() < (16u << 20) ? (2u << 20) : (64u << 20);
    ServerProvider provider(options);
    Opened opened = OpenMemory(provider);
    server.Serve(c.body, c.status);
    // The server answered with the series, but their value is no number.
    const bool answered = std::string(c.reason).find("no valid value") != std::string::npos;
    EXPECT_EQ(opened.query->Collect(), answered ? perf::kOk : perf::kNoData)
        << opened.query->LastError();
    double value = 0;
    EXPECT_NE(opened.query->GetFormattedDouble(opened.handle, &value), perf::kOk)
        << c.body.substr(0, 80);
    const std::string reason = opened.query->CounterError(opened.handle);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    if (!answered) {
      EXPECT_EQ(reason.rfind(options.url.substr(0, options.url.size() - 1), 0), 0u) << reason;
      EXPECT_EQ(provider.MachineError(kMemory), reason);
    }
  }
}

TEST(HostileServer, AHangingServerCostsTheTimeLimitAndNoMore) {
  FakeExporter server;
  server.Serve(NodeAnswer());
  server.SetHangAfter(1);  // the connection's answer, then nothing
  ServerProvider provider(Options(server));
  Opened opened = OpenMemory(provider);
  opened.query->SetCollectTimeLimit(300ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(opened.query->Collect(), perf::kNoData);
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_GE(spent, 300ms);
  EXPECT_LT(spent, 1500ms);
  EXPECT_NE(opened.query->CounterError(opened.handle).find("no answer yet after 300 ms"),
            std::string::npos)
      << opened.query->CounterError(opened.handle);
  // Closing the query ends the request at once.
  const auto closing = std::chrono::steady_clock::now();
  opened.query.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - closing, 500ms);
}

TEST(HostileServer, ConnectingNamesTheServerOrTheInstance) {
  {
    ServerOptions options;
    options.url = "http://127.0.0.1:" + std::to_string(testing::RefusingPort());
    ServerProvider provider(options);
    EXPECT_EQ(provider.ConnectMachine("\\\\web-03:9100"), perf::kCannotConnectMachine);
    EXPECT_EQ(provider.MachineError("\\\\web-03:9100"), options.url + ": connection refused");
    std::vector<perf::MachineListing> machines;
    EXPECT_EQ(provider.EnumMachines(&machines), perf::kNoMachine);
    EXPECT_EQ(provider.MachineError(options.url), options.url + ": connection refused");
  }
  FakeExporter server;
  server.Serve(NodeAnswer());
  ServerProvider provider(Options(server));
  EXPECT_EQ(provider.ConnectMachine("\\\\db-01:9100"), perf::kCannotConnectMachine);
  EXPECT_NE(provider.MachineError("\\\\db-01:9100").find("db-01:9100: unknown to the server"),
            std::string::npos);
  std::vector<perf::MachineListing> machines;
  ASSERT_EQ(provider.EnumMachines(&machines), perf::kOk);
  ASSERT_EQ(machines.size(), 1u);
  EXPECT_EQ(machines[0].name, "web-03:9100");
  EXPECT_EQ(machines[0].job, "node");
  EXPECT_TRUE(machines[0].up);
}

// What a watcher heard, in order, the server's changes told apart from its machines'.
class RecordingWatcher final : public perf::MachineWatcher {
 public:
  void MachineUnreachable(std::string_view machine, std::string_view reason) override {
    Add("machine unreachable " + std::string(machine) + ": " + std::string(reason));
  }
  void MachineAnswersAgain(std::string_view machine) override {
    Add("machine answers " + std::string(machine));
  }
  void ServerUnreachable(std::string_view server, std::string_view reason) override {
    Add("server unreachable " + std::string(server) + ": " + std::string(reason));
  }
  void ServerAnswersAgain(std::string_view server) override {
    Add("server answers " + std::string(server));
  }
  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  void Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

// A server that stops answering is told of as the server, once, and once when it is back; its
// instances are not told of one by one meanwhile.
TEST(HostileServer, TheWatcherHearsOfTheServerAsTheServer) {
  FakeExporter server;
  server.Serve(NodeAnswer());
  ServerProvider provider(Options(server));
  auto watcher = std::make_shared<RecordingWatcher>();
  provider.SetMachineWatcher(watcher);
  Opened opened = OpenMemory(provider);
  ASSERT_EQ(opened.query->Collect(), perf::kOk) << opened.query->LastError();
  EXPECT_TRUE(watcher->events().empty()) << "a server that answers from the start is no news";

  server.Serve("busy", 503);
  for (int pass = 0; pass < 3; ++pass) opened.query->Collect();
  server.Serve(NodeAnswer());
  for (int pass = 0; pass < 3; ++pass) opened.query->Collect();
  const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
  const std::vector<std::string> events = watcher->events();
  ASSERT_EQ(events.size(), 2u) << ::testing::PrintToString(events);
  EXPECT_EQ(events[0].rfind("server unreachable " + base + ": " + base, 0), 0u) << events[0];
  EXPECT_NE(events[0].find("503"), std::string::npos) << events[0];
  EXPECT_EQ(events[1], "server answers " + base);
}

}  // namespace
}  // namespace corvane::remote
