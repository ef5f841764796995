// EngineStatistics: the per-counter numbers behind the engine's three series: a history ring of
// the last readings, the maximum and the current reading of every counter, the ring position
// and the sample count. Sized once when collecting starts, so storing a sample never allocates.
//
// Threads: none of its own. The engine owns one and uses it only while holding its lock.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/log_types.h"

namespace corvane {

class EngineStatistics {
 public:
  static constexpr int kRingLength = 120;  // samples; the largest History

  struct Stored {
    double maximum = 0.0;  // counter units
    double average = 0.0;  // counter units
  };

  // Room for `counters` counters, every number 0, ring position and sample count 0.
  void Prepare(int counters);
  // Frees everything; CounterCount() is 0 afterwards.
  void Release();

  int CounterCount() const { return static_cast<int>(current_.size()); }
  bool Has(int counter) const { return counter >= 0 && counter < CounterCount(); }

  // Stores reading x of a counter at the ring position and returns the new maximum and the
  // average over min(sample count + 1, history) ring slots. `history` is clamped to
  // 1..kRingLength. The counter must exist (Has).
  Stored Store(int counter, double x, int history);
  // The counter's current value becomes kUnavailableValue; ring and maximum stay as they are.
  void MarkUnavailable(int counter);
  // Ends a sample: the ring position moves on (back to 0 once it reaches `history`) and the
  // sample count grows by one.
  void Advance(int history);
  // Fills the rings with past readings before the first sample, as if they had been stored:
  // `values[c]` holds counter c's readings, oldest first. The same number of slots, k, is
  // filled for every counter: the fewest readings any counter that `counted` marks has, at
  // most history - 1, so that the first stored sample completes the averaging depth. Only the
  // last k readings of each counter are taken. Ring position and sample count become k; each
  // maximum the largest reading taken (0 at least). Returns k; 0 changes nothing.
  int Seed(const std::vector<std::vector<double>>& values, const std::vector<bool>& counted,
           int history);
  // The average of a counter's first `slots` ring slots.
  double Average(int counter, int slots) const;
  // Ring position and sample count back to 0 (the averaging depth changed).
  void RestartAveraging();
  // Every maximum back to 0.
  void ResetMaxima();

  double Current(int counter) const { return current_[static_cast<std::size_t>(counter)]; }
  double Maximum(int counter) const { return maximum_[static_cast<std::size_t>(counter)]; }
  // Every counter's current value, for the activity log.
  std::span<const double> Currents() const { return current_; }
  int Position() const { return position_; }
  int SampleCount() const { return samples_; }

 private:
  static int Depth(int history);

  std::vector<double> ring_;     // kRingLength readings per counter, counter after counter
  std::vector<double> maximum_;  // counter units; starts at 0
  std::vector<double> current_;  // counter units, or kUnavailableValue
  int position_ = 0;             // ring slot the next reading goes to
  int samples_ = 0;              // samples ended since Prepare (or the last restart)
};

}  // namespace corvane
