// The texts of numbers the user reads: a reading or a critical value (a whole number without
// decimals, any other with two), and a number put into an edit field for the user to change
// (up to 15 significant digits, the shortest text that shows it). GUI thread or any: pure.
#pragma once

#include <QString>

namespace corvane::qt {

// 42 -> "42", -3 -> "-3", 12.345 -> "12.35", 5e12 -> "5000000000000.00": whole numbers are
// written without decimals within the 32-bit range.
QString ValueText(double value);
// 0.1 + 0.2 -> "0.3", 1e-7 -> "1e-07", 100 -> "100".
QString FieldNumberText(double value);

}  // namespace corvane::qt
