// Arithmetic between two collections of cumulative counters: the change of a counter, its
// rate per second, the share of an interval a time counter covers, raw fractions, and the
// sums and means of "_Total" instances.
//
// A counter that goes backwards (a 32-bit field wrapping, an interface or disk re-created, an
// exporter restarted) or that has no earlier reading (first collection, an instance that was
// missing) has no change: its later reading becomes the new first sample, and the caller
// reports "no valid value" instead of a made-up one.
//
// Value types and pure functions over the standard library; any thread.
#pragma once

#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>

namespace corvane::perf {

// The change of one cumulative counter between two collections, in the counter's own unit.
// Empty when there is no change to report.
template <typename T>
class CounterDelta {
  static_assert(std::is_arithmetic_v<T>, "counters are numbers");

 public:
  constexpr CounterDelta() = default;

  // later − earlier, or empty when the counter went backwards. For floating-point counters a
  // NaN or infinite reading also gives an empty change.
  static constexpr CounterDelta Between(T earlier, T later) {
    if (!(earlier <= later)) return {};
    const T change = later - earlier;
    if constexpr (std::is_floating_point_v<T>) {
      if (!(change <= std::numeric_limits<T>::max())) return {};
    }
    return CounterDelta(change);
  }

  // As above; empty when either reading is missing (the instance did not exist then).
  static constexpr CounterDelta Between(const std::optional<T>& earlier,
                                        const std::optional<T>& later) {
    if (!earlier || !later) return {};
    return Between(*earlier, *later);
  }

  constexpr bool has_value() const { return valid_; }
  constexpr explicit operator bool() const { return valid_; }
  // Only meaningful when has_value().
  constexpr T value() const { return value_; }

  // The change of a sum of counters; empty when either part is. Each part is checked on its
  // own, so one field going backwards cannot hide behind another moving forwards.
  constexpr CounterDelta operator+(const CounterDelta& other) const {
    if (!valid_ || !other.valid_) return {};
    return CounterDelta(static_cast<T>(value_ + other.value_));
  }

 private:
  constexpr explicit CounterDelta(T value) : value_(value), valid_(true) {}

  T value_{};
  bool valid_ = false;
};

// delta / seconds: a rate per second. Empty when the change is empty or the interval is not
// positive (two collections within one clock step).
template <typename T>
constexpr std::optional<double> PerSecond(const CounterDelta<T>& delta, double seconds) {
  if (!delta || !(seconds > 0)) return std::nullopt;
  return static_cast<double>(delta.value()) / seconds;
}

// 100 × part / whole, clamped to 0..100: the share of an interval that a time counter covers
// (CPU ticks of one kind over all ticks, a disk's busy milliseconds over elapsed milliseconds).
// Clamping absorbs the jitter between a kernel counter and the clock it is compared with.
// Empty when either is empty or the whole did not advance.
template <typename T>
constexpr std::optional<double> PercentOfInterval(const CounterDelta<T>& part, double whole) {
  if (!part || !(whole > 0)) return std::nullopt;
  const double percent = 100.0 * static_cast<double>(part.value()) / whole;
  return std::clamp(percent, 0.0, 100.0);
}

template <typename T, typename U>
constexpr std::optional<double> PercentOfInterval(const CounterDelta<T>& part,
                                                  const CounterDelta<U>& whole) {
  if (!whole) return std::nullopt;
  return PercentOfInterval(part, static_cast<double>(whole.value()));
}

// 100 − PercentOfInterval: the busy share when the counter measures idle time.
template <typename T, typename U>
constexpr std::optional<double> InversePercentOfInterval(const CounterDelta<T>& idle,
                                                         const CounterDelta<U>& whole) {
  const auto idle_percent = PercentOfInterval(idle, whole);
  if (!idle_percent) return std::nullopt;
  return 100.0 - *idle_percent;
}

// 100 × numerator / base for a counter that is a ratio of two current values (space used of
// a volume, committed memory of the limit). Not clamped: a value above 100 is shown as it is.
// Empty when the base is 0.
constexpr std::optional<double> RawFraction(double numerator, double base) {
  if (!(base > 0) && !(base < 0)) return std::nullopt;
  return 100.0 * numerator / base;
}

// Sums and means over the instances of an object for its "_Total": instances without a value
// are left out; the total is empty when no instance has one.
class InstanceTotal {
 public:
  constexpr void Add(const std::optional<double>& value) {
    if (!value) return;
    sum_ += *value;
    ++count_;
  }
  constexpr std::optional<double> Sum() const {
    if (count_ == 0) return std::nullopt;
    return sum_;
  }
  constexpr std::optional<double> Mean() const {
    if (count_ == 0) return std::nullopt;
    return sum_ / count_;
  }
  constexpr unsigned count() const { return count_; }

 private:
  double sum_ = 0;
  unsigned count_ = 0;
};

}  // namespace corvane::perf
