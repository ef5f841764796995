// The counters dialog's field rules on their own: each rule, its boundaries, the order the
// fields are read in, and values kept exactly while their text is untouched.
#include "desktop/counters/counter_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::desktop {
namespace {

constexpr char kNotANumber[] = "Please enter a number.";
constexpr char kNegative[] = "All range values must be positive numbers.";
constexpr char kMaxBelowMin[] = "Maximal value should be more than minimal value.";
constexpr char kOutside[] = "Critical value should be in between of minimal and maximal values.";

struct FaultCase {
  const char* name;
  const char* min;
  const char* max;
  const char* critical;
  const char* scale;
  CounterField field;
  const char* message;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FieldFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FieldFaultTest, NamesTheFirstFaultyField) {
  const FaultCase& c = GetParam();
  const FieldCheck check = CheckCounterFields({"label", c.min, c.max, c.critical, c.scale}, {});
  ASSERT_TRUE(check.fault.has_value());
  EXPECT_EQ(check.fault->field, c.field);
  EXPECT_STREQ(check.fault->message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FieldFaultTest,
    ::testing::Values(
        FaultCase{"MinText", "abc", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinEmpty", "", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinBlank", "  ", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinInfinite", "inf", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinNaN", "nan", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinTrailingText", "5x", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinDecimalComma", "0,5", "100", "80", "1", CounterField::kMin, kNotANumber},
        FaultCase{"MinNegative", "-1", "100", "80", "1", CounterField::kMin, kNegative},
        FaultCase{"MinJustBelowZero", "-1e-9", "100", "80", "1", CounterField::kMin, kNegative},
        FaultCase{"MaxText", "0", "lots", "80", "1", CounterField::kMax, kNotANumber},
        // Below 0 and below the minimum: the sign is named first.
        FaultCase{"MaxNegative", "0", "-5", "0", "1", CounterField::kMax, kNegative},
        FaultCase{"MaxBelowMin", "50", "20", "30", "1", CounterField::kMax, kMaxBelowMin},
        FaultCase{"MaxJustBelowMin", "10", "9.999", "10", "1", CounterField::kMax, kMaxBelowMin},
        FaultCase{"CriticalText", "0", "100", "hot", "1", CounterField::kCritical, kNotANumber},
        FaultCase{"CriticalNegative", "0", "100", "-1", "1", CounterField::kCritical, kNegative},
        FaultCase{"CriticalAboveMax", "0", "100", "120", "1", CounterField::kCritical, kOutside},
        FaultCase{"CriticalJustAboveMax", "0", "100", "100.001", "1", CounterField::kCritical,
                  kOutside},
        FaultCase{"CriticalBelowMin", "10", "100", "5", "1", CounterField::kCritical, kOutside},
        FaultCase{"ScaleText", "0", "100", "80", "x", CounterField::kScale, kNotANumber},
        FaultCase{"ScaleZero", "0", "100", "80", "0", CounterField::kScale, kNegative},
        FaultCase{"ScaleNegative", "0", "100", "80", "-2", CounterField::kScale, kNegative},
        // Several faults: the one met first in reading order is the one reported.
        FaultCase{"MinBeforeMax", "x", "y", "z", "w", CounterField::kMin, kNotANumber},
        FaultCase{"MaxBeforeCritical", "0", "y", "z", "w", CounterField::kMax, kNotANumber},
        FaultCase{"CriticalBeforeScale", "0", "100", "200", "0", CounterField::kCritical,
                  kOutside}),
    [](const auto& info) { return std::string(info.param.name); });

struct AcceptCase {
  const char* name;
  const char* min;
  const char* max;
  const char* critical;
  const char* scale;
  CounterEntry expected;
};

void PrintTo(const AcceptCase& c, std::ostream* out) { *out << c.name; }

class FieldAcceptTest : public ::testing::TestWithParam<AcceptCase> {};

CounterEntry Values(double min, double max, double critical, double multiplier) {
  CounterEntry entry;
  entry.label = "label";
  entry.min = min;
  entry.max = max;
  entry.critical = critical;
  entry.multiplier = multiplier;
  return entry;
}

TEST_P(FieldAcceptTest, GivesTheValues) {
  const AcceptCase& c = GetParam();
  const FieldCheck check = CheckCounterFields({"label", c.min, c.max, c.critical, c.scale}, {});
  ASSERT_FALSE(check.fault.has_value()) << check.fault->message;
  EXPECT_EQ(check.values, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FieldAcceptTest,
    ::testing::Values(AcceptCase{"AllEqual", "10", "10", "10", "1", Values(10, 10, 10, 1)},
                      AcceptCase{"AllZeroButScale", "0", "0", "0", "1", Values(0, 0, 0, 1)},
                      AcceptCase{"CriticalAtMin", "5", "50", "5", "1", Values(5, 50, 5, 1)},
                      AcceptCase{"CriticalAtMax", "5", "50", "50", "1", Values(5, 50, 50, 1)},
                      AcceptCase{"BlanksAround", " 1 ", "\t20 ", " 3", "2 ", Values(1, 20, 3, 2)},
                      AcceptCase{"Exponent", "1e2", "1E3", "5e2", "1e-3",
                                 Values(100, 1000, 500, 0.001)},
                      AcceptCase{"NegativeZero", "-0", "1", "0", "0.5", Values(0, 1, 0, 0.5)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CounterFieldsTest, LabelInverseAndPathPassThrough) {
  CounterEntry shown;
  shown.path = "\\Memory\\Available Bytes";
  const FieldCheck check = CheckCounterFields({"", "0", "100", "80", "1", true}, shown);
  ASSERT_FALSE(check.fault.has_value());
  EXPECT_EQ(check.values.path, shown.path);
  EXPECT_EQ(check.values.label, "");
  EXPECT_TRUE(check.values.inverse);
  EXPECT_EQ(CheckCounterFields({"Bytes ä", "0", "100", "80", "1", false}, shown).values.label,
            "Bytes ä");
}

TEST(CounterFieldsTest, UntouchedTextsKeepTheirExactValuesAndEditsReplaceThem) {
  // A hand-edited profile holds more digits than a field shows: 0.30000000000000004 is shown
  // as "0.3", and reading "0.3" back must not round it.
  CounterEntry shown;
  shown.min = 1e-17;
  shown.max = 0.1 + 0.2;
  shown.critical = 0.1 * 3 - 1e-17;
  shown.multiplier = 123456.78901234567;
  ASSERT_EQ(shown.max == 0.3, false);
  const FieldCheck kept =
      CheckCounterFields({"", "1e-17", "0.3", "0.3", "123456.789012346"}, shown);
  ASSERT_FALSE(kept.fault.has_value()) << kept.fault->message;
  EXPECT_EQ(kept.values.min, shown.min);
  EXPECT_EQ(kept.values.max, shown.max);
  EXPECT_EQ(kept.values.critical, shown.critical);
  EXPECT_EQ(kept.values.multiplier, shown.multiplier);

  // The same number typed differently is an edit, and takes the typed value.
  const FieldCheck edited = CheckCounterFields({"", "1e-17", "0.300", "0.30", "2"}, shown);
  ASSERT_FALSE(edited.fault.has_value()) << edited.fault->message;
  EXPECT_EQ(edited.values.max, 0.3);
  EXPECT_EQ(edited.values.critical, 0.3);
  EXPECT_EQ(edited.values.multiplier, 2);
  EXPECT_EQ(edited.values.min, shown.min) << "an untouched field stays as it was";
}

TEST(CounterFieldsTest, AnUntouchedValueIsStillCheckedAgainstTheEditedOnes) {
  CounterEntry shown;  // 0, 100, 80, 1
  const FieldCheck check = CheckCounterFields({"", "90", "100", "80", "1"}, shown);
  ASSERT_TRUE(check.fault.has_value());
  EXPECT_EQ(check.fault->field, CounterField::kCritical);
  EXPECT_STREQ(check.fault->message, kOutside);
}

}  // namespace
}  // namespace corvane::desktop
