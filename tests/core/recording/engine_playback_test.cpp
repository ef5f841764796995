// Logs written by a real engine, read back: every sample rebuilt from the log shows on the
// chart as the engine showed it when it took the sample, in both formats and all three modes,
// across rotations of the file.
#include <gtest/gtest.h>

#include <cmath>

#include "core/recording/local_seconds.h"
#include "core/recording/moment_chart.h"
#include "core/recording/recording.h"
#include "tests/core/recording/recording_test_support.h"

namespace corvane::recording {
namespace {

using testing_recording::LocalTm;
using testing_recording::ProfileText;
using testing_recording::Shown;
using testing_recording::ShownOn;
using testing_recording::TestAxis;
using testing_recording::TestClock;
using testing_recording::WriteFile;

struct Case {
  const char* name;
  int format;  // LogFormat
  int mode;    // LogMode
  int size_kb;
  bool rotates;
  int samples = 150;
  int every = 1;  // compare every n-th sample
};

class EnginePlaybackTest : public ::testing::TestWithParam<Case> {};

const std::vector<TestAxis> kAxes = {
    {"Load", 100, 80, 1, false, "\\Test\\A"},
    {"Bytes, sent", 1000, 500, 10, false, "\\Test\\B"},
    // No reading shows exactly at a critical value: the log counts that value as critical and
    // the chart does not, so a change of state there writes no row in mode 3.
    {"Free", 100, 45, 1, true, "\\Test\\C"},
};

// The readings of sample k: each holds for three samples, so that the change modes skip rows.
// A is unavailable now and then.
std::vector<double> Readings(int k) {
  const int j = k / 3;
  const double a = (j % 11 == 10) ? -1.0 : (j % 7) * 15.0;
  return {a, ((j * 3) % 7) * 125.0, (j % 5) * 20.0 + 10.0};
}

std::int64_t LocalNow(const TestClock& clock) {
  const std::tm t = *clock();
  return LocalSeconds(
      LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec});
}

TEST_P(EnginePlaybackTest, EverySampleShowsAsTheEngineShowedIt) {
  const Case c = GetParam();
  test_support::TempFolder folder;
  const std::filesystem::path profile = folder / "Night.crvn";
  WriteFile(profile, ProfileText("Interval=1\r\nHistory=5\r\nLogMode=" + std::to_string(c.mode) +
                                     "\r\nLogFormat=" + std::to_string(c.format) +
                                     "\r\nLogFileSize=" + std::to_string(c.size_kb) + "\r\n",
                                 kAxes));
  fake::FakeProvider provider;
  // The last night of the year: the rows' dates go back from 12/31 to 01/01.
  TestClock clock(LocalTm(2025, 12, 31, 23, 59, 0));
  const int kSamples = c.samples;
  std::vector<std::int64_t> times;
  std::vector<std::vector<Shown>> drawn;
  {
    Corvane engine(provider, false, {}, [&clock] { return clock(); });
    engine.SetUpNewProfile();
    engine.RemoveAllAxes();
    ASSERT_TRUE(engine.Load(profile));
    ASSERT_EQ(engine.PrepareStatistics(), 3);
    for (int k = 0; k < kSamples; ++k) {
      clock.Advance(1);
      const std::vector<double> readings = Readings(k);
      for (int i = 0; i < 3; ++i) {
        if (readings[static_cast<std::size_t>(i)] < 0) {
          engine.SetUnavailable(i);
        } else {
          engine.SetValue(i, readings[static_cast<std::size_t>(i)]);
        }
      }
      engine.EndSample();
      times.push_back(LocalNow(clock));
      drawn.push_back(ShownOn(engine));
    }
  }

  Corvane view(provider, false);
  view.SetUpNewProfile();
  view.RemoveAllAxes();
  ASSERT_TRUE(view.chart::WindRose::Load(profile));
  const std::string log =
      (folder / "Logs" / (c.format == 1 ? "Night-log.csv" : "Night-log.html")).string();
  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(log, SettingsFromEngine(view), &error);
  ASSERT_NE(recording, nullptr) << error;
  recording->IndexAll();
  ASSERT_EQ(recording->damage(), "");
  EXPECT_EQ(recording->files().size(), c.rotates ? 2u : 1u);
  EXPECT_EQ(recording->mode(), c.mode);
  EXPECT_EQ(recording->states_only(), c.mode == 3);
  // A log that writes only changes ends with its last change; the samples after it are not
  // known to the recording.
  if (c.mode == 1) {
    EXPECT_EQ(recording->EndTime(), times.back());
  }
  if (!c.rotates) {
    EXPECT_EQ(recording->StartTime(), times.front());
  }

  int first = 0;
  while (times[static_cast<std::size_t>(first)] < recording->StartTime()) ++first;
  ASSERT_LT(first, kSamples - 30) << "the recording keeps too little to compare";
  // Where the log began after a rotation, the statistics of earlier samples are gone: the
  // maxima and averages are compared from one period of the readings on.
  const int statistics_from = c.rotates ? first + 21 : 0;
  int compared = 0;
  for (int k = first; k < kSamples && times[static_cast<std::size_t>(k)] <= recording->EndTime();
       k += c.every) {
    const std::int64_t time = times[static_cast<std::size_t>(k)];
    Moment moment;
    ASSERT_TRUE(recording->MomentAt(time, &moment, &error)) << error;
    EXPECT_EQ(moment.time, time);
    ShowMoment(view, moment);
    const std::vector<Shown> shown = ShownOn(view);
    const std::vector<Shown>& expected = drawn[static_cast<std::size_t>(k)];
    // In mode 3 only the rows themselves hold the values; between them the states hold.
    const bool at_row = recording->RowTime(moment.row) == time;
    const bool values_known = c.mode != 3 || at_row;
    for (std::size_t i = 0; i < 3; ++i) {
      for (int s = 0; s < 3; ++s) {
        if (s != 2 && (k < statistics_from || c.mode == 3)) continue;
        if (s == 2 || values_known) {
          EXPECT_EQ(shown[i].state[s], expected[i].state[s])
              << "sample " << k << " axis " << i << " series " << s;
        }
        if (values_known) {
          EXPECT_NEAR(shown[i].value[s], expected[i].value[s], 1e-9)
              << "sample " << k << " axis " << i << " series " << s;
        }
      }
    }
    ++compared;
  }
  EXPECT_GE(compared, 30);
  if (c.samples > 4096) {
    EXPECT_GT(recording->IndexBytes(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    FormatsModesAndRotation, EnginePlaybackTest,
    ::testing::Values(
        Case{"CsvEveryUpdate", 1, 1, 64, false}, Case{"CsvValueChanges", 1, 2, 64, false},
        Case{"CsvStateChanges", 1, 3, 64, false}, Case{"HtmlEveryUpdate", 0, 1, 64, false},
        Case{"HtmlValueChanges", 0, 2, 64, false}, Case{"HtmlStateChanges", 0, 3, 64, false},
        Case{"CsvEveryUpdateRotated", 1, 1, 1, true},
        Case{"HtmlValueChangesRotated", 0, 2, 6, true},
        Case{"HtmlEveryUpdateRotated", 0, 1, 8, true},
        // Far moments are rebuilt from the statistics' checkpoints.
        Case{"CsvEveryUpdateLong", 1, 1, 1024, false, 5000, 97},
        Case{"CsvValueChangesLong", 1, 2, 1024, false, 5000, 97}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::recording
