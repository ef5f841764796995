#include "platform/remote/counter_formula.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "tests/support/case_name.h"

namespace corvane::remote {
namespace {

constexpr double kNoClock = std::numeric_limits<double>::quiet_NaN();

Reading At(double time, double a, double b = 0, double host_time = kNoClock) {
  return Reading{RawFigures{a, b}, time, host_time};
}

struct FormulaCase {
  const char* what;
  Formula formula;
  std::optional<Reading> previous;
  Reading current;
  std::optional<double> expected;  // empty: no valid value
};

class EvaluateFormula : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(EvaluateFormula, GivesTheValueOrNone) {
  const FormulaCase& c = GetParam();
  double value = -1;
  const perf::Status status =
      Evaluate(c.formula, c.previous ? &*c.previous : nullptr, c.current, &value);
  if (c.expected) {
    ASSERT_EQ(status, perf::kOk) << c.what;
    EXPECT_DOUBLE_EQ(value, *c.expected) << c.what;
  } else {
    EXPECT_EQ(status, perf::kInvalidData) << c.what;
    EXPECT_EQ(value, -1) << c.what << ": no value is written";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, EvaluateFormula,
    ::testing::Values(
        FormulaCase{"a gauge is valid on the first scrape", Formula::kValue, std::nullopt,
                    At(0, 42), 42},
        FormulaCase{"a NaN gauge has no value", Formula::kValue, std::nullopt,
                    At(0, std::numeric_limits<double>::quiet_NaN()), std::nullopt},
        FormulaCase{"fraction", Formula::kFraction, std::nullopt, At(0, 1, 4), 25},
        FormulaCase{"a fraction above 100 is not clamped", Formula::kFraction, std::nullopt,
                    At(0, 5, 4), 125},
        FormulaCase{"fraction of a zero base", Formula::kFraction, std::nullopt, At(0, 0, 0),
                    std::nullopt},
        FormulaCase{"no paging file: nothing of it is used", Formula::kUsageFraction, std::nullopt,
                    At(0, 0, 0), 0},
        FormulaCase{"usage", Formula::kUsageFraction, std::nullopt, At(0, 1, 4), 25},
        FormulaCase{"a rate needs two scrapes", Formula::kRate, std::nullopt, At(0, 100),
                    std::nullopt},
        FormulaCase{"rate", Formula::kRate, At(10, 100), At(12, 300), 100},
        FormulaCase{"a counter gone backwards (exporter restarted)", Formula::kRate, At(10, 300),
                    At(12, 100), std::nullopt},
        FormulaCase{"two scrapes at one instant", Formula::kRate, At(10, 100), At(10, 200),
                    std::nullopt},
        FormulaCase{"time share", Formula::kTimeShare, At(0, 10, 40), At(1, 15, 60), 25},
        FormulaCase{"time share without elapsed time", Formula::kTimeShare, At(0, 10, 40),
                    At(1, 10, 40), std::nullopt},
        FormulaCase{"time share whose total went backwards", Formula::kTimeShare, At(0, 10, 40),
                    At(1, 15, 30), std::nullopt},
        FormulaCase{"busy seconds over elapsed seconds", Formula::kShareOfTime, At(0, 5, 1),
                    At(2, 5.5, 1), 25},
        FormulaCase{"mean over two disks", Formula::kShareOfTime, At(0, 5, 2), At(2, 6, 2), 25},
        FormulaCase{"jitter above 100 % is clamped", Formula::kShareOfTime, At(0, 0, 1),
                    At(1, 1.02, 1), 100},
        FormulaCase{"the rest of the time", Formula::kRestOfTime, At(0, 5, 1), At(2, 5.5, 1), 75},
        FormulaCase{"a disk appeared between the scrapes", Formula::kShareOfTime, At(0, 5, 1),
                    At(2, 6, 2), std::nullopt}),
    [](const ::testing::TestParamInfo<FormulaCase>& info) {
      return test_support::CaseName(info.param.what);
    });

TEST(SecondsBetween, PrefersTheHostsClockWhenItAgrees) {
  // The exporter read its sources 1.0 s apart by its own clock; network delays made this
  // machine see 1.2 s.
  EXPECT_DOUBLE_EQ(SecondsBetween(At(100.0, 0, 0, 5000.0), At(101.2, 0, 0, 5001.0)), 1.0);
}

TEST(SecondsBetween, FallsBackToThisMachinesClock) {
  EXPECT_DOUBLE_EQ(SecondsBetween(At(100.0, 0), At(101.5, 0)), 1.5) << "no host clock";
  EXPECT_DOUBLE_EQ(SecondsBetween(At(100.0, 0, 0, 5000.0), At(101.5, 0)), 1.5)
      << "one page without the clock";
  EXPECT_DOUBLE_EQ(SecondsBetween(At(100.0, 0, 0, 5000.0), At(101.0, 0, 0, 4000.0)), 1.0)
      << "host clock stepped back";
  EXPECT_DOUBLE_EQ(SecondsBetween(At(100.0, 0, 0, 5000.0), At(101.0, 0, 0, 5060.0)), 1.0)
      << "host clock stepped forward";
}

}  // namespace
}  // namespace corvane::remote
