// Shared pieces of the recording tests: profiles written as files, a log written by a real
// engine with a clock the test moves, and the chart a recording is shown on.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/file_text.h"
#include "tests/support/temp_folder.h"

namespace corvane::testing_recording {

using testing_support::ReadFile;
using testing_support::WriteFile;

struct TestAxis {
  std::string name;
  double max = 100;
  double critical = 80;
  double multiplier = 1;
  bool inverse = false;
  std::string counter;
};

// A profile of the given settings lines ("Interval=1\r\n...") and axes.
inline std::string ProfileText(const std::string& settings, const std::vector<TestAxis>& axes) {
  std::string text = "\r\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\r\n\r\n" + settings;
  for (const TestAxis& axis : axes) {
    text += "\r\nBeginAxis\r\nName=" + axis.name +
            "\r\nMinValue=0\r\nMaxValue=" + std::to_string(axis.max) +
            "\r\nCriticalValue=" + std::to_string(axis.critical) +
            "\r\nMultiplier=" + std::to_string(axis.multiplier) +
            "\r\nInverse=" + (axis.inverse ? "1" : "0") + "\r\nCounter=" + axis.counter +
            "\r\nEndAxis\r\n";
  }
  return text;
}

// A clock for the engine's log: starts at `start` (local time) and moves when told.
class TestClock {
 public:
  explicit TestClock(std::tm start) {
    start.tm_isdst = -1;
    now_ = std::mktime(&start);
  }
  std::optional<std::tm> operator()() const {
    std::tm local{};
    localtime_r(&now_, &local);
    return local;
  }
  void Advance(int seconds) { now_ += seconds; }

 private:
  std::time_t now_;
};

inline std::tm LocalTm(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return t;
}

// What a chart shows on one axis: value and state of series 0, 1 and 2.
struct Shown {
  double value[3] = {0, 0, 0};
  chart::ValueState state[3] = {};
};

inline std::vector<Shown> ShownOn(const chart::WindRose& chart) {
  std::vector<Shown> shown(static_cast<std::size_t>(chart.GetAxisCount()));
  for (int i = 0; i < chart.GetAxisCount(); ++i) {
    for (int s = 0; s < 3; ++s) {
      chart.GetSeriesValue(i, &shown[static_cast<std::size_t>(i)].value[s], s);
      chart.GetValueState(i, &shown[static_cast<std::size_t>(i)].state[s], s);
    }
  }
  return shown;
}

}  // namespace corvane::testing_recording
