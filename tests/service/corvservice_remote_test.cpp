// The real corvservice in a console run, watching a local counter and one on a machine that
// stops answering and later answers again: the activity log keeps its one-second cadence with
// the machine's counter not available, and the console hears once of each change, with the
// reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "tests/platform/linux/host/test_support.h"
#include "tests/platform/remote/fake_exporter.h"
#include "tests/platform/remote/remote_fixtures.h"
#include "tests/service/program_run.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using remote::testing::FakeExporter;
using remote::testing::ReadExporterFixture;
using testing_support::PlaceProgram;
using testing_support::ProgramRun;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WaitFor;
using testing_support::WriteFile;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// The last CSV row of the log, without its line end.
std::string LastRow(const std::string& log) {
  const std::size_t end = log.find_last_not_of('\n');
  if (end == std::string::npos) return {};
  const std::size_t start = log.rfind('\n', end);
  return log.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
}

bool RemoteValueShown(const std::string& log) {
  const std::string row = LastRow(log);
  return row.size() > 6 && row[2] == '/' && !row.ends_with(",N/A");
}

// CSV rows: every line that starts with the month and day ("12/08,").
std::size_t Rows(const std::string& log) {
  std::size_t rows = 0;
  std::size_t start = 0;
  while (start < log.size()) {
    const std::size_t end = log.find('\n', start);
    const std::string line = log.substr(start, end - start);
    if (line.size() > 6 && line[2] == '/' && line[5] == ',') ++rows;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return rows;
}

TEST(CorvserviceRemote, AMachineThatStopsAnsweringIsToldOfOnceAndHoldsNoRowBack) {
  TempFolder folder;
  FakeExporter exporter;
  exporter.Serve(ReadExporterFixture("node_exporter_1.5.0.prom"));
  const std::string profile = folder / "remote.crvn";
  WriteFile(profile,
            "Interval=1\nLogMode=1\nLogFormat=1\n"
            "BeginAxis\nName=local\nMaxValue=100000\nCriticalValue=90000\n"
            "Counter=\\Objects\\Processes\nEndAxis\n"
            "BeginAxis\nName=remote\nMaxValue=100000\nCriticalValue=90000\n"
            "Counter=" +
                exporter.Machine() + "\\Memory\\Available Bytes\nEndAxis\n");
  const std::string log = folder / "Logs/remote-log.csv";
  const std::string program = PlaceProgram(CORVSERVICE_PATH, folder.path());
  const auto env = testing_support::IsolatedServiceEnv(folder.path());

  ProgramRun run(program, {"-run", profile}, env, folder.path());
  ASSERT_TRUE(WaitFor([&] { return Rows(ReadFile(log)) >= 2 && RemoteValueShown(ReadFile(log)); }))
      << ReadFile(run.err_file()) << ReadFile(log);
  // From now on the machine holds every request without answering.
  exporter.SetHangAfter(exporter.requests());
  ASSERT_TRUE(WaitFor([&] {
    return ReadFile(run.err_file()).find("does not answer") != std::string::npos;
  })) << ReadFile(run.err_file());
  // Rows keep coming once a second (give or take a late wake-up), the remote counter N/A.
  const std::size_t before = Rows(ReadFile(log));
  std::this_thread::sleep_for(4500ms);
  const std::string while_down = ReadFile(log);
  EXPECT_GE(Rows(while_down), before + 3) << while_down;
  EXPECT_NE(while_down.rfind(",N/A\n"), std::string::npos) << while_down;

  exporter.SetHangAfter(-1);
  ASSERT_TRUE(WaitFor([&] {
    return ReadFile(run.err_file()).find("answers again") != std::string::npos;
  })) << ReadFile(run.err_file());
  EXPECT_TRUE(WaitFor([&] { return RemoteValueShown(ReadFile(log)); }, 5s)) << ReadFile(log);
  run.Signal(SIGINT);
  const std::optional<int> status = run.Wait();
  EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);

  const std::string err = ReadFile(run.err_file());
  const std::string machine = exporter.Machine();
  EXPECT_EQ(Count(err, "does not answer"), 1u) << err;
  EXPECT_NE(err.find("Remote machine " + machine + " does not answer: http://127.0.0.1:" +
                     std::to_string(exporter.port()) + "/metrics: timed out"),
            std::string::npos)
      << err;
  EXPECT_EQ(Count(err, "Remote machine " + machine + " answers again"), 1u) << err;
}

}  // namespace
}  // namespace corvane
