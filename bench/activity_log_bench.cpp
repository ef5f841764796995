// Cost of one activity-log sample for 32 counters on a real file in the temporary folder:
// an HTML row (goal: at most 20 us), a CSV row, and a sample that writes no row (mode 2).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/activity_log.h"

namespace {

constexpr int kCounters = 32;

class LogBench {
 public:
  LogBench(int mode, int format) : settings_{mode, format, 10240} {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corvane-log-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
    for (int i = 0; i < kCounters; ++i)
      names_.push_back("\\Processor(" + std::to_string(i) + ")\\% Processor Time");
    for (int i = 0; i < kCounters; ++i) {
      axes_.push_back(corvane::LogAxis{names_[i], 1.0, 100.0, 80.0, i % 4 == 3});
    }
    currents_.assign(kCounters, 0.0);
    // A fixed time: the clock is not what is measured.
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 20;
    t.tm_wday = 6;
    log_ = std::make_unique<corvane::ActivityLog>([t] { return t; });
    log_->SetLocation((folder_ / "Bench.crvn").string());
    log_->Open(settings_, false);
    log_->ResetCounters(kCounters);
    log_->WriteBanner(settings_, axes_);
  }
  ~LogBench() {
    log_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  bool Sample(bool change) {
    if (change) {
      for (int i = 0; i < kCounters; ++i) currents_[i] = (++step_ * 7 + i * 13) % 100 + 0.25;
    }
    return log_->WriteRow(settings_, axes_, currents_);
  }
  bool is_open() const { return log_->is_open(); }

 private:
  corvane::LogSettings settings_;
  std::filesystem::path folder_;
  std::vector<std::string> names_;
  std::vector<corvane::LogAxis> axes_;
  std::vector<double> currents_;
  std::unique_ptr<corvane::ActivityLog> log_;
  long step_ = 0;
};

void BM_HtmlRow32(benchmark::State& state) {
  LogBench bench(1, 0);
  if (!bench.is_open()) state.SkipWithError("cannot open the log");
  for (auto _ : state) {
    if (!bench.Sample(true)) state.SkipWithError("row not written");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HtmlRow32);

void BM_CsvRow32(benchmark::State& state) {
  LogBench bench(1, 1);
  if (!bench.is_open()) state.SkipWithError("cannot open the log");
  for (auto _ : state) {
    if (!bench.Sample(true)) state.SkipWithError("row not written");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CsvRow32);

// Mode 2 with steady values: the decision alone, no write.
void BM_UnchangedSample32(benchmark::State& state) {
  LogBench bench(2, 0);
  bench.Sample(true);
  for (auto _ : state) benchmark::DoNotOptimize(bench.Sample(false));
}
BENCHMARK(BM_UnchangedSample32);

}  // namespace
