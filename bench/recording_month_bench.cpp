// Playback of a month-long activity log: 32 counters, a sample a second, every sample logged
// (2 592 000 rows), as CSV and as HTML, generated once into the temporary folder (or
// CORVANE_BENCH_DIR) with the log's own texts and removed afterwards.
//   OpenFirstChart: opening the log and drawing the chart of its first moment (goal: 1 s, and
//                   under 100 MB beyond the program's own memory).
//   IndexWhole:     the one pass that indexes every row and the statistics' checkpoints.
//   FarMoment:      one step of the slider to a far moment of the indexed log: the moment
//                   rebuilt, put on the chart and the chart drawn (goal: 16 ms).
// Memory is reported as resident kilobytes gained (rss_gain_kb) and the index's own size.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "chart/svg_surface.h"
#include "core/engine.h"
#include "core/log_format.h"
#include "core/recording/moment_chart.h"
#include "core/recording/recording.h"
#include "platform/fake/fake_provider.h"

namespace {

namespace fs = std::filesystem;
using corvane::recording::Moment;
using corvane::recording::Recording;
using corvane::recording::RecordingSettings;

constexpr int kCounters = 32;
constexpr int kDays = 30;
constexpr int kRows = kDays * 86400;

long ResidentKb() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

struct MonthLog {
  fs::path folder;
  std::string csv;
  std::string html;
  std::vector<std::string> names;

  MonthLog() {
    const char* base = std::getenv("CORVANE_BENCH_DIR");
    std::string pattern =
        ((base != nullptr ? fs::path(base) : fs::temp_directory_path()) / "corvane-month-XXXXXX")
            .string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    fs::create_directories(folder / "Logs");
    for (int i = 0; i < kCounters; ++i) names.push_back("Processor " + std::to_string(i));
    csv = (folder / "Logs/Month-log.csv").string();
    html = (folder / "Logs/Month-log.html").string();
    Write(csv, false);
    Write(html, true);
    std::printf("generated %s (%.0f MB) and %s (%.0f MB)\n", csv.c_str(),
                static_cast<double>(fs::file_size(csv)) / 1e6, html.c_str(),
                static_cast<double>(fs::file_size(html)) / 1e6);
  }
  ~MonthLog() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  void Write(const std::string& path, bool html_format) const {
    std::vector<corvane::LogAxis> axes;
    for (const std::string& name : names) axes.push_back({name, 1.0, 100.0, 80.0, false});
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::string out;
    namespace text = corvane::logtext;
    if (html_format) {
      text::AppendHtmlHeader(out, "Month", "Month-log.html", "");
      out.resize(out.size() - text::kHtmlEnd.size());
      text::AppendHtmlBanner(out, "on Monday, November 02, 2026 at 00:00:00", 1, axes);
      out.resize(out.size() - text::kHtmlTableEnd.size());
    } else {
      text::AppendCsvHeader(out, "Month");
      text::AppendCsvBanner(out, "Monday 11/02/2026 at 00:00:00", axes);
    }
    char value[text::kValueBufferSize];
    std::uint32_t seed = 1;
    for (int row = 0; row < kRows; ++row) {
      const int seconds = row + 1;
      const int day = 2 + seconds / 86400;  // November 2 to December 2
      const int month = day > 30 ? 12 : 11;
      char date[8];
      char time[12];
      std::snprintf(date, sizeof date, "%02d/%02d", month, day > 30 ? day - 30 : day);
      std::snprintf(time, sizeof time, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                    seconds % 60);
      if (html_format) {
        text::AppendHtmlRowStart(out, row % 2 == 0, date, time);
      } else {
        text::AppendCsvRowStart(out, date, time);
      }
      for (int c = 0; c < kCounters; ++c) {
        seed = seed * 1664525u + 1013904223u;
        const double v = static_cast<double>(seed >> 8 & 0x3FFF) / 163.84;  // 0..100
        const std::string_view shown = text::FormatValue(v, value);
        if (html_format) {
          text::AppendHtmlCell(out, shown, v >= 80.0, text::Arrow::kNone);
        } else {
          text::AppendCsvCell(out, shown);
        }
      }
      if (html_format) {
        text::AppendHtmlRowEnd(out);
        if (row + 1 < kRows) out.resize(out.size() - text::kHtmlTableEnd.size());
      } else {
        text::AppendCsvRowEnd(out);
      }
      if (out.size() > (8u << 20)) {
        std::fwrite(out.data(), 1, out.size(), file);
        out.clear();
      }
    }
    std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
  }

  RecordingSettings Settings() const {
    RecordingSettings settings;
    for (const std::string& name : names) settings.axes.push_back({name, 0, 100, 80, 1, false});
    settings.interval = 1;
    settings.history = 30;
    settings.mode = 1;
    settings.from_profile = true;
    return settings;
  }
};

const MonthLog& Month() {
  static const MonthLog log;
  return log;
}

// The chart the moments go on, as the window has it.
struct Chart {
  corvane::fake::FakeProvider provider;
  corvane::Corvane engine{provider, false};
  Chart() {
    engine.SetUpNewProfile();
    engine.RemoveAllAxes();
    for (const std::string& name : Month().names)
      engine.AddAxis(name, std::string_view(), false, 0, 100, 80, 1, nullptr);
  }
  void Draw(const Moment& moment) {
    corvane::recording::ShowMoment(engine, moment);
    corvane::chart::SvgSurface surface(800, 600);
    engine.DrawChart(surface, corvane::chart::Rect{0, 0, 800, 600});
    benchmark::DoNotOptimize(surface.Document().size());
  }
};

const std::string& LogOf(const benchmark::State& state) {
  return state.range(0) == 0 ? Month().csv : Month().html;
}

void OpenFirstChart(benchmark::State& state) {
  const std::string& log = LogOf(state);
  Chart chart;
  long gained = 0;
  for (auto _ : state) {
    const long before = ResidentKb();
    std::string error;
    std::unique_ptr<Recording> recording = Recording::Open(log, Month().Settings(), &error);
    if (!recording) {
      state.SkipWithError(error.c_str());
      return;
    }
    Moment moment;
    recording->MomentAt(recording->StartTime(), &moment, &error);
    chart.Draw(moment);
    gained = std::max(gained, ResidentKb() - before);
  }
  state.counters["rss_gain_kb"] = static_cast<double>(gained);
}
BENCHMARK(OpenFirstChart)->ArgName("html")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void IndexWhole(benchmark::State& state) {
  const std::string& log = LogOf(state);
  long gained = 0;
  std::size_t index = 0;
  std::size_t rows = 0;
  for (auto _ : state) {
    const long before = ResidentKb();
    std::string error;
    std::unique_ptr<Recording> recording = Recording::Open(log, Month().Settings(), &error);
    recording->IndexAll();
    gained = ResidentKb() - before;
    index = recording->IndexBytes();
    rows = recording->RowCount();
  }
  state.counters["rss_gain_kb"] = static_cast<double>(gained);
  state.counters["index_kb"] = static_cast<double>(index / 1024);
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(IndexWhole)
    ->ArgName("html")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void FarMoment(benchmark::State& state) {
  const std::string& log = LogOf(state);
  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(log, Month().Settings(), &error);
  recording->IndexAll();
  Chart chart;
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int64_t> pick(recording->StartTime(), recording->EndTime());
  for (auto _ : state) {
    Moment moment;
    if (!recording->MomentAt(pick(random), &moment, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    chart.Draw(moment);
  }
}
BENCHMARK(FarMoment)->ArgName("html")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
