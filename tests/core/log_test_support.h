// Shared pieces of the activity-log tests: a temporary folder that is removed afterwards, whole
// file reads and writes, a clock the test sets, and a log fixture over real files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/activity_log.h"
#include "tests/core/file_text.h"
#include "tests/support/temp_folder.h"

namespace corvane::testing_log {

using TempFolder = test_support::TempFolder;

using testing_support::ReadFile;
using testing_support::WriteFile;

// Saturday, December 07, 2024 at 20:35:09.
inline std::tm TestTime() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 20;
  t.tm_min = 35;
  t.tm_sec = 9;
  t.tm_wday = 6;
  t.tm_yday = 341;
  return t;
}

// An activity log beside "<temp>/MyProfile.crvn" with a clock the test moves and a message
// sink that records what an interactive engine would show.
class LogTest : public ::testing::Test {
 protected:
  LogTest()
      : log_([this] { return now_; },
             [this](const std::string& text) { messages_.push_back(text); }) {
    log_.SetLocation((folder_.path() / "MyProfile.crvn").string());
  }

  std::filesystem::path Logs() const { return folder_.path() / "Logs"; }
  std::filesystem::path HtmlPath() const { return Logs() / "MyProfile-log.html"; }
  std::filesystem::path HtmlBackup() const { return Logs() / "MyProfile-log-bkup.html"; }
  std::filesystem::path CsvPath() const { return Logs() / "MyProfile-log.csv"; }
  std::filesystem::path CsvBackup() const { return Logs() / "MyProfile-log-bkup.csv"; }

  // Opens the log for `settings` with the given axes, counters reset, and writes the banner.
  void Start(std::vector<LogAxis> axes) {
    axes_ = std::move(axes);
    ASSERT_TRUE(log_.Open(settings_, false)) << log_.last_error();
    log_.ResetCounters(axes_.size());
    ASSERT_TRUE(log_.WriteBanner(settings_, axes_)) << log_.last_error();
  }

  bool Row(std::initializer_list<double> currents) {
    const std::vector<double> values(currents);
    now_.tm_sec += 2;  // every sample two seconds later (tests stay within the hour)
    if (now_.tm_sec >= 60) {
      now_.tm_sec -= 60;
      ++now_.tm_min;
    }
    return log_.WriteRow(settings_, axes_, values);
  }

  static LogAxis Axis(std::string_view name, double max = 100.0, double critical = 80.0,
                      double multiplier = 1.0, bool inverse = false) {
    return LogAxis{name, multiplier, max, critical, inverse};
  }

  TempFolder folder_;
  std::tm now_ = TestTime();
  std::vector<std::string> messages_;
  ActivityLog log_;
  LogSettings settings_{1, 0, 64};
  std::vector<LogAxis> axes_;
};

inline int Count(const std::string& text, std::string_view what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace corvane::testing_log
