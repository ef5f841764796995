#include "platform/linux/host/status_reporter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux/host/event_log.h"
#include "tests/platform/linux/host/test_support.h"

namespace corvane::host {
namespace {

using testing_support::NotifySocket;
using testing_support::ScopedEnv;
using testing_support::TempFolder;

struct Recorded {
  std::vector<std::string> lines;
  EventLog::Sink sink() {
    return [this](std::string_view source, std::string_view first, std::string_view message) {
      lines.push_back(std::string(source) + "|" + std::string(first) + "|" + std::string(message));
    };
  }
};

TEST(NotifyMessage, SaysWhatSystemdExpectsForEachState) {
  struct Case {
    ServiceStatus status;
    const char* text;
  };
  const Case cases[] = {
      {{ServiceState::kStartPending, 0, 1, 3000},
       "STATUS=Starting (check point 1)\nEXTEND_TIMEOUT_USEC=3000000"},
      {{ServiceState::kStartPending, 0, 7, 0}, "STATUS=Starting (check point 7)"},
      {{ServiceState::kRunning, 0, 0, 0}, "READY=1\nSTATUS=Running"},
      {{ServiceState::kStopPending, 0, 8, 0}, "STOPPING=1\nSTATUS=Stopping (check point 8)"},
      {{ServiceState::kStopPending, 0, 9, 6000},
       "STOPPING=1\nSTATUS=Stopping (check point 9)\nEXTEND_TIMEOUT_USEC=6000000"},
      {{ServiceState::kStopped, 0, 0, 0}, "STATUS=Stopped"},
      {{ServiceState::kStopped, 13, 0, 0}, "STATUS=Stopped\nERRNO=13"},
  };
  for (const Case& c : cases) EXPECT_EQ(NotifyMessage(c.status), c.text);
}

class StatusReporterTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  NotifySocket socket_{folder_ / "notify"};
  ScopedEnv notify_{"NOTIFY_SOCKET", socket_.path()};
  Recorded recorded_;
};

TEST_F(StatusReporterTest, CheckPointsCountPendingReportsOnly) {
  EventLog events("Corvane", false, recorded_.sink());
  StatusReporter reporter(false, &events);
  ASSERT_TRUE(reporter.Report(ServiceState::kStartPending, 0, 3000));
  ASSERT_TRUE(reporter.Report(ServiceState::kStartPending, 0, 3000));
  ASSERT_TRUE(reporter.Report(ServiceState::kRunning, 0, 0));
  EXPECT_EQ(reporter.current().check_point, 0u);
  ASSERT_TRUE(reporter.Report(ServiceState::kStopPending, 0, 0));
  EXPECT_EQ(reporter.current().check_point, 3u);
  ASSERT_TRUE(reporter.ReportCurrent());
  ASSERT_TRUE(reporter.Report(ServiceState::kStopped, 5, 0));

  const std::vector<std::string> expected = {
      "STATUS=Starting (check point 1)\nEXTEND_TIMEOUT_USEC=3000000",
      "STATUS=Starting (check point 2)\nEXTEND_TIMEOUT_USEC=3000000",
      "READY=1\nSTATUS=Running",
      "STOPPING=1\nSTATUS=Stopping (check point 3)",
      "STOPPING=1\nSTATUS=Stopping (check point 3)",
      "STATUS=Stopped\nERRNO=5",
  };
  for (const std::string& message : expected) EXPECT_EQ(socket_.Receive(2000), message);
  EXPECT_TRUE(recorded_.lines.empty());
}

TEST_F(StatusReporterTest, ConsoleReportsSucceedWithoutReachingSystemd) {
  EventLog events("Corvane", true, recorded_.sink());
  StatusReporter reporter(true, &events);
  EXPECT_TRUE(reporter.Report(ServiceState::kStartPending, 0, 3000));
  EXPECT_TRUE(reporter.Report(ServiceState::kRunning, 0, 0));
  EXPECT_EQ(socket_.Receive(100), std::nullopt);
}

TEST_F(StatusReporterTest, AnUndeliveredReportFailsAndIsRecorded) {
  ScopedEnv nowhere("NOTIFY_SOCKET", folder_ / "nobody-listens");
  EventLog events("Corvane", false, recorded_.sink());
  StatusReporter reporter(false, &events);
  EXPECT_FALSE(reporter.Report(ServiceState::kStartPending, 0, 3000));
  ASSERT_EQ(recorded_.lines.size(), 1u);
  EXPECT_EQ(recorded_.lines[0],
            "Corvane|Corvane error: " + std::to_string(ENOENT) + "|failed to report status");
  EXPECT_EQ(events.saved_code(), ENOENT);
}

TEST_F(StatusReporterTest, WithoutANotifySocketThereIsNobodyToTell) {
  ScopedEnv none("NOTIFY_SOCKET", std::nullopt);
  EventLog events("Corvane", false, recorded_.sink());
  StatusReporter reporter(false, &events);
  EXPECT_TRUE(reporter.Report(ServiceState::kRunning, 0, 0));
  EXPECT_TRUE(recorded_.lines.empty());
}

TEST(EventLog, RecordsTheCodeAndTheMessageOutsideTheConsole) {
  Recorded recorded;
  EventLog events("Corvane", false, recorded.sink());
  EXPECT_EQ(events.saved_code(), 0);
  errno = EACCES;
  events.Report("failed to start");
  EXPECT_EQ(events.saved_code(), EACCES);
  ASSERT_EQ(recorded.lines.size(), 1u);
  EXPECT_EQ(recorded.lines[0], "Corvane|Corvane error: 13|failed to start");

  Recorded console_lines;
  EventLog console("Corvane", true, console_lines.sink());
  errno = EACCES;
  console.Report("failed to start");
  EXPECT_TRUE(console_lines.lines.empty());
  EXPECT_EQ(console.saved_code(), 0);
}

}  // namespace
}  // namespace corvane::host
