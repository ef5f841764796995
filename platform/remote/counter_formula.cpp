#include "platform/remote/counter_formula.h"

#include <cmath>
#include <optional>

#include "core/counter_math.h"

namespace corvane::remote {

double SecondsBetween(const Reading& earlier, const Reading& later) {
  const double local = later.time - earlier.time;
  const double host = later.host_time - earlier.host_time;  // NaN when either has none
  if (host > 0 && local > 0 && host <= 2 * local && local <= 2 * host) return host;
  return local;
}

perf::Status Evaluate(Formula formula, const Reading* previous, const Reading& current,
                      double* value) {
  using perf::CounterDelta;
  const RawFigures& now = current.figures;
  std::optional<double> result;
  switch (formula) {
    case Formula::kValue:
      if (std::isfinite(now.a)) result = now.a;
      break;
    case Formula::kFraction:
      result = perf::RawFraction(now.a, now.b);
      break;
    case Formula::kUsageFraction:
      result = now.b == 0 ? std::optional<double>(0.0) : perf::RawFraction(now.a, now.b);
      break;
    case Formula::kRate:
    case Formula::kTimeShare:
    case Formula::kShareOfTime:
    case Formula::kRestOfTime: {
      if (previous == nullptr) break;
      const RawFigures& then = previous->figures;
      const double seconds = SecondsBetween(*previous, current);
      const auto delta_a = CounterDelta<double>::Between(then.a, now.a);
      if (formula == Formula::kRate) {
        result = perf::PerSecond(delta_a, seconds);
      } else if (formula == Formula::kTimeShare) {
        result = perf::PercentOfInterval(delta_a, CounterDelta<double>::Between(then.b, now.b));
      } else {
        // An instance appearing or vanishing between the scrapes changes what the sum covers.
        if (then.b != now.b || !(now.b > 0)) break;
        const auto share = perf::PercentOfInterval(delta_a, seconds * now.b);
        if (share) result = formula == Formula::kShareOfTime ? *share : 100.0 - *share;
      }
      break;
    }
  }
  if (!result || !std::isfinite(*result)) return perf::kInvalidData;
  *value = *result;
  return perf::kOk;
}

}  // namespace corvane::remote
