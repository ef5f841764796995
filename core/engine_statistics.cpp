#include "core/engine_statistics.h"

#include <algorithm>
#include <limits>

namespace corvane {

int EngineStatistics::Depth(int history) { return std::clamp(history, 1, kRingLength); }

void EngineStatistics::Prepare(int counters) {
  const auto n = static_cast<std::size_t>(std::max(counters, 0));
  ring_.assign(n * kRingLength, 0.0);
  maximum_.assign(n, 0.0);
  current_.assign(n, 0.0);
  position_ = 0;
  samples_ = 0;
}

void EngineStatistics::Release() {
  ring_ = {};
  maximum_ = {};
  current_ = {};
  position_ = 0;
  samples_ = 0;
}

EngineStatistics::Stored EngineStatistics::Store(int counter, double x, int history) {
  const auto c = static_cast<std::size_t>(counter);
  double* ring = ring_.data() + c * kRingLength;
  current_[c] = x;
  ring[position_] = x;

  const int depth = Depth(history);
  // Until the ring has filled, only the slots written so far take part; a slot skipped by an
  // unavailable reading keeps what it held before (0 before the ring first wraps).
  const int n = samples_ >= depth ? depth : samples_ + 1;
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += ring[i];

  if (x > maximum_[c]) maximum_[c] = x;
  return Stored{maximum_[c], sum / n};
}

int EngineStatistics::Seed(const std::vector<std::vector<double>>& values,
                           const std::vector<bool>& counted, int history) {
  std::size_t k = static_cast<std::size_t>(Depth(history) - 1);
  bool any = false;
  for (std::size_t c = 0; c < current_.size() && c < values.size() && c < counted.size(); ++c) {
    if (!counted[c]) continue;
    any = true;
    k = std::min(k, values[c].size());
  }
  if (!any || k == 0) return 0;
  for (std::size_t c = 0; c < current_.size() && c < values.size(); ++c) {
    double* ring = ring_.data() + c * kRingLength;
    const std::vector<double>& mine = values[c];
    if (mine.size() < k) continue;  // a counter that could not be added keeps its zeros
    for (std::size_t i = 0; i < k; ++i) {
      ring[i] = mine[mine.size() - k + i];
      maximum_[c] = std::max(maximum_[c], ring[i]);
    }
  }
  samples_ = static_cast<int>(k);
  position_ = samples_ % Depth(history);
  return samples_;
}

double EngineStatistics::Average(int counter, int slots) const {
  if (slots <= 0) return 0.0;
  const double* ring = ring_.data() + static_cast<std::size_t>(counter) * kRingLength;
  double sum = 0.0;
  for (int i = 0; i < slots; ++i) sum += ring[i];
  return sum / slots;
}

void EngineStatistics::MarkUnavailable(int counter) {
  current_[static_cast<std::size_t>(counter)] = kUnavailableValue;
}

void EngineStatistics::Advance(int history) {
  ++position_;
  if (position_ >= Depth(history)) position_ = 0;
  if (samples_ < std::numeric_limits<int>::max()) ++samples_;
}

void EngineStatistics::RestartAveraging() {
  position_ = 0;
  samples_ = 0;
}

void EngineStatistics::ResetMaxima() { std::fill(maximum_.begin(), maximum_.end(), 0.0); }

}  // namespace corvane
