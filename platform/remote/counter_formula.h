// How a remote counter's value comes from the raw figures of one or two scrapes: the counter
// types of the performance system (raw values, raw fractions, rates, time shares) expressed
// over the cumulative metrics that exporters write. The arithmetic itself, with its handling
// of counters going backwards, is core/counter_math.h.
//
// Value types and pure functions; any thread.
#pragma once

#include <cstdint>

#include "core/perf_data.h"

namespace corvane::remote {

enum class Formula : std::uint8_t {
  kValue,          // a, as it is; valid on the first scrape
  kFraction,       // 100 × a / b of the same scrape; none when b is 0
  kUsageFraction,  // as kFraction, but 0 when b is 0 (no paging file: nothing of it is used)
  kRate,           // Δa / Δt, per second
  kTimeShare,      // 100 × Δa / Δb: a time of one kind over all time (processor modes)
  kShareOfTime,    // 100 × Δa / (Δt × b): seconds of activity over elapsed seconds, b instances
  kRestOfTime,     // 100 − kShareOfTime: busy share from an idle-time counter, and the reverse
};

// The figures a counter takes from one scrape. Units are the metrics' own (bytes, seconds,
// counts); b is a base, a second time or an instance count, as the formula says.
struct RawFigures {
  double a = 0;
  double b = 0;
};

struct Reading {
  RawFigures figures;
  double time = 0;       // seconds on this machine's monotonic clock, when the exporter read
  double host_time = 0;  // seconds on the host's clock from the same page; NaN when it has none
};

// The seconds between two readings. The host's own clock, written in the same page as the
// counters, is free of network delays; it is taken when both pages have it and it agrees with
// this machine's clock to within a factor of two (a host clock stepped by NTP between the two
// scrapes falls outside and this machine's clock is used).
double SecondsBetween(const Reading& earlier, const Reading& later);

// The counter's value from the current reading and, for formulas over two scrapes, the
// previous one (null when there is none). kInvalidData when there is no valid value: the first
// scrape of a rate, a counter gone backwards (exporter restarted), a zero base.
perf::Status Evaluate(Formula formula, const Reading* previous, const Reading& current,
                      double* value);

}  // namespace corvane::remote
