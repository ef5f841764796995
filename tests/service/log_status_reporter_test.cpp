// Where the service tells of a failing activity log: as notes in the system log, or as lines on
// the console's error stream, never both.
#include "service/log_status_reporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace corvane::service {
namespace {

using host::EventLog;

struct Recorded {
  std::vector<std::string> notes;  // "<severity> <source>: <message>"
  std::vector<std::string> events;

  EventLog Log(bool console) {
    return EventLog(
        "Corvane", console,
        [this](std::string_view, std::string_view first, std::string_view message) {
          events.push_back(std::string(first) + " " + std::string(message));
        },
        [this](std::string_view source, EventLog::Severity severity, std::string_view message) {
          notes.push_back(
              std::string(severity == EventLog::Severity::kWarning ? "warning " : "notice ") +
              std::string(source) + ": " + std::string(message));
        });
  }
};

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(LogStatusReporter, TheServiceWritesAWarningAndANoticeToTheSystemLog) {
  Recorded recorded;
  EventLog events = recorded.Log(false);
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  LogStatusReporter reporter(false, &events, err);
  reporter.LogFailing("/srv/Logs/web-log.html", "No space left on device");
  reporter.LogRecovered("/srv/Logs/web-log.html");
  EXPECT_EQ(recorded.notes,
            (std::vector<std::string>{
                "warning Corvane: Activity log: cannot write /srv/Logs/web-log.html: No space "
                "left on device",
                "notice Corvane: Activity log: writing /srv/Logs/web-log.html again"}));
  EXPECT_TRUE(recorded.events.empty()) << "a failing log is no error event of the service";
  EXPECT_EQ(events.saved_code(), 0) << "nor does it change the service's exit status";
  EXPECT_EQ(Contents(err), "");
  std::fclose(err);
}

TEST(LogStatusReporter, AConsoleRunPrintsTheSameLinesOnItsErrorStream) {
  Recorded recorded;
  EventLog events = recorded.Log(true);
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  LogStatusReporter reporter(true, &events, err);
  reporter.LogFailing("Logs/P-log.csv", "Permission denied");
  reporter.LogRecovered("Logs/P-log.csv");
  EXPECT_EQ(Contents(err),
            "Activity log: cannot write Logs/P-log.csv: Permission denied\n"
            "Activity log: writing Logs/P-log.csv again\n");
  EXPECT_TRUE(recorded.notes.empty());
  std::fclose(err);
}

}  // namespace
}  // namespace corvane::service
