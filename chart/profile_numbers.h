// The number grammar of profile values, independent of the locale. Pure functions; any
// thread.
//
// Integers: optional white space (" \t\n\v\f\r"), an optional sign, then decimal digits up to
// the first other character; text without digits reads 0. A value beyond the 32-bit range
// is clamped to INT32_MIN or INT32_MAX (the C library's atoi leaves that undefined).
//
// Reals: optional white space, an optional sign, then the usual decimal notation: digits with
// an optional point (".5", "5." and "5" all count) and an optional exponent ("e" or "E", an
// optional sign, digits), up to the first character that does not fit; text that is no
// number reads 0. "inf", "nan" and hexadecimal forms are no numbers here. A number too small
// for a double reads 0; one too large for a double has no value at all (std::nullopt), as no
// scale can use an infinity.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::chart {

std::int32_t ParseProfileInteger(std::string_view text);
std::optional<double> ParseProfileReal(std::string_view text);

}  // namespace corvane::chart
