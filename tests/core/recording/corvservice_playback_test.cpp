// Logs written by the real corvservice, read back: the service runs a profile over a captured
// system tree whose process count the test changes, its metrics page tells what the engine
// showed at each sample, and the moment rebuilt from the log at that sample's time shows the
// same, for both formats and the three modes, across rotations of a 1 KB log.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "core/recording/local_seconds.h"
#include "core/recording/moment_chart.h"
#include "core/recording/recording.h"
#include "tests/core/recording/recording_test_support.h"
#include "tests/service/program_run.h"
#include "tests/support/child_process.h"
#include "tests/support/http_client.h"

namespace corvane::recording {
namespace {

namespace fs = std::filesystem;
using testing_recording::ProfileText;
using testing_recording::ReadFile;
using testing_recording::Shown;
using testing_recording::ShownOn;
using testing_recording::TestAxis;
using testing_recording::WriteFile;
using testing_support::PlaceProgram;
using testing_support::ProgramRun;
using testing_support::WaitFor;

const fs::path kCapturedTree = fs::path(CORVANE_FIXTURES_DIR) / "proc/snapshot_a";

// What the page says of one sample: its time and, per axis, the three values and the current
// value's state.
struct PageSample {
  double timestamp = 0;
  std::map<std::string, double> value[3];  // maximum, average, current, by axis name
  std::map<std::string, std::string> state;
};

double PageNumber(const std::string& text) {
  return text == "NaN" ? std::nan("") : std::stod(text);
}

PageSample ReadPage(const std::string& page) {
  PageSample sample;
  static const std::regex value_line(
      R"re(^corvane_axis_(maximum|average|current)_value\{axis="([^"]*)"[^}]*\} (\S+)$)re");
  static const std::regex state_line(
      R"re(^corvane_axis_state\{axis="([^"]*)".*series="current",state="(\w+)"\} 1$)re");
  std::stringstream in(page);
  for (std::string line; std::getline(in, line);) {
    std::smatch match;
    if (std::regex_match(line, match, value_line)) {
      const int series = match[1] == "maximum" ? 0 : match[1] == "average" ? 1 : 2;
      sample.value[series][match[2]] = PageNumber(match[3]);
    } else if (std::regex_match(line, match, state_line)) {
      sample.state[match[1]] = match[2];
    } else if (line.rfind("corvane_last_sample_timestamp_seconds ", 0) == 0) {
      sample.timestamp = std::stod(line.substr(38));
    }
  }
  return sample;
}

std::int64_t LocalSecondsOf(double timestamp) {
  const auto seconds = static_cast<std::time_t>(std::floor(timestamp));
  std::tm t{};
  localtime_r(&seconds, &t);
  return LocalSeconds(
      LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec});
}

struct Case {
  const char* name;
  int format;
  int mode;
  int axes;  // CSV rows need many cells to fill 1 KB within seconds
};

class CorvservicePlaybackTest : public ::testing::TestWithParam<Case> {};

TEST_P(CorvservicePlaybackTest, EveryScrapedSampleIsRebuiltFromTheLog) {
  const Case c = GetParam();
  test_support::TempFolder folder;
  fs::copy(kCapturedTree, folder / "root",
           fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  int processes = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder / "root/proc")) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.find_first_not_of("0123456789") == std::string::npos)
      ++processes;
  }
  // Processes alternate across their critical value; threads stay.
  std::vector<TestAxis> axes;
  for (int i = 0; i < c.axes; ++i) {
    if (i % 2 == 0) {
      axes.push_back({"Processes " + std::to_string(i), 1000, static_cast<double>(processes + 2), 1,
                      false, "\\Objects\\Processes"});
    } else {
      axes.push_back(
          {"Threads " + std::to_string(i), 10000, 9000, 10, false, "\\Objects\\Threads"});
    }
  }
  const fs::path profile = folder / "mon/Night.crvn";
  WriteFile(profile,
            ProfileText("Interval=1\r\nHistory=3\r\nLogMode=" + std::to_string(c.mode) +
                            "\r\nLogFormat=" + std::to_string(c.format) + "\r\nLogFileSize=1\r\n",
                        axes));

  const std::uint16_t port = test_support::ChildProcess::FreePort();
  auto env = testing_support::IsolatedServiceEnv(folder.path());
  env["CORVANE_SYSTEM_ROOT"] = (folder / "root").string();
  ProgramRun run(PlaceProgram(CORVSERVICE_PATH, folder.path()),
                 {"-run", profile.string(), "--metrics", "127.0.0.1:" + std::to_string(port)}, env,
                 folder.path());
  ASSERT_TRUE(WaitFor([&] { return test_support::HttpGet(port, "/metrics").status == 200; }))
      << ReadFile(run.err_file());

  // Each page with a copy of the log files as they were just after it: every stage of the
  // rotating log is read back.
  std::vector<PageSample> scraped;
  std::vector<fs::path> copies;
  double last_timestamp = 0;
  for (int step = 0; step < 12; ++step) {
    for (int pid = 99991; pid <= 99995; ++pid) {
      const fs::path dir = folder / "root/proc" / std::to_string(pid);
      if (step % 4 < 2) {
        fs::create_directory(dir);
      } else {
        fs::remove(dir);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const test_support::HttpAnswer answer = test_support::HttpGet(port, "/metrics");
    ASSERT_EQ(answer.status, 200);
    PageSample sample = ReadPage(answer.body);
    if (sample.timestamp <= last_timestamp) continue;
    last_timestamp = sample.timestamp;
    scraped.push_back(std::move(sample));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the row after the page
    copies.push_back(folder / "copies" / std::to_string(step) / "Logs");
    fs::create_directories(copies.back());
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "mon/Logs"))
      fs::copy_file(entry.path(), copies.back() / entry.path().filename());
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  run.Signal(SIGINT);
  ASSERT_TRUE(run.Wait().has_value());

  fake::FakeProvider provider;
  Corvane view(provider, false);
  view.SetUpNewProfile();
  view.RemoveAllAxes();
  ASSERT_TRUE(view.chart::WindRose::Load(profile));
  int compared = 0;
  bool rotated = false;
  for (std::size_t n = 0; n < scraped.size(); ++n) {
    const PageSample& sample = scraped[n];
    const fs::path log = copies[n] / (c.format == 1 ? "Night-log.csv" : "Night-log.html");
    std::string error;
    std::unique_ptr<Recording> recording =
        Recording::Open(log.string(), SettingsFromEngine(view), &error);
    ASSERT_NE(recording, nullptr) << error;
    recording->IndexAll();
    ASSERT_EQ(recording->damage(), "");
    EXPECT_EQ(recording->mode(), c.mode);
    rotated = rotated || recording->files().size() == 2;
    const std::int64_t time = LocalSecondsOf(sample.timestamp);
    // The first rows of the recording lack the samples before them, which went with older
    // backups; and a change log ends with its last change.
    const bool lost_rows = recording->files().size() == 2 && n > 2;
    if ((lost_rows && time < recording->StartTime() + 4) || time > recording->EndTime()) continue;
    Moment moment;
    ASSERT_TRUE(recording->MomentAt(time, &moment, &error)) << error;
    ShowMoment(view, moment);
    const std::vector<Shown> shown = ShownOn(view);
    for (std::size_t i = 0; i < axes.size(); ++i) {
      const std::string& name = axes[i].name;
      const std::string state = shown[i].state[2] == chart::ValueState::kCritical ? "critical"
                                : shown[i].state[2] == chart::ValueState::kNormal ? "normal"
                                                                                  : "not_available";
      EXPECT_EQ(state, sample.state.at(name)) << name << " at " << FormatLocalSeconds(time);
      if (c.mode == 3 && recording->RowTime(moment.row) != time) continue;
      EXPECT_NEAR(shown[i].value[2], sample.value[2].at(name), 0.005)
          << name << " at " << FormatLocalSeconds(time);
      EXPECT_NEAR(shown[i].value[0], sample.value[0].at(name), 0.005)
          << name << " at " << FormatLocalSeconds(time);
      // Between the rows of a change log the number of samples is taken from the interval;
      // the service's own timing drifts from it, so only a log of every sample has them all.
      if (c.mode == 1) {
        EXPECT_NEAR(shown[i].value[1], sample.value[1].at(name), 0.005)
            << name << " at " << FormatLocalSeconds(time);
      }
    }
    ++compared;
  }
  EXPECT_TRUE(rotated) << "the 1 KB log rotated";
  EXPECT_GE(compared, 6) << scraped.size() << " pages scraped";
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndModes, CorvservicePlaybackTest,
    ::testing::Values(Case{"CsvEveryUpdate", 1, 1, 24}, Case{"CsvValueChanges", 1, 2, 24},
                      Case{"CsvStateChanges", 1, 3, 24}, Case{"HtmlEveryUpdate", 0, 1, 3},
                      Case{"HtmlValueChanges", 0, 2, 3}, Case{"HtmlStateChanges", 0, 3, 3}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::recording
