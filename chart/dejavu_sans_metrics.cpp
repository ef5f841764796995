#include "chart/dejavu_sans_metrics.h"

#include <cstddef>
#include <cstdint>

#include "chart/utf8.h"

namespace corvane::chart::dejavu_sans {
namespace {

struct AdvanceRange {
  char32_t first;               // code point
  char32_t last;                // code point, inclusive
  const std::uint16_t* widths;  // font units, one per code point from first to last
};

#include "chart/dejavu_sans_metrics_table.inc"

// Rounds a non-negative ratio of font units to whole pixels, halves up.
int UnitsToPixels(long units, int pixel_size) {
  const long long scaled = static_cast<long long>(units) * pixel_size;
  return static_cast<int>((2 * scaled + kUnitsPerEm) / (2 * kUnitsPerEm));
}

}  // namespace

int AdvanceUnits(char32_t code) {
  for (const AdvanceRange& range : kRanges) {
    if (code >= range.first && code <= range.last) return range.widths[code - range.first];
  }
  if (code != utf8::kReplacement) return AdvanceUnits(utf8::kReplacement);
  return kUnitsPerEm;
}

long TextUnits(std::string_view text) {
  long units = 0;
  std::size_t pos = 0;
  while (pos < text.size()) units += AdvanceUnits(utf8::Decode(text, &pos));
  return units;
}

int TextWidth(std::string_view text, int pixel_size) {
  return UnitsToPixels(TextUnits(text), pixel_size);
}

int Ascent(int pixel_size) { return UnitsToPixels(kAscender, pixel_size); }

int LineHeight(int pixel_size) { return UnitsToPixels(kAscender + kDescender, pixel_size); }

}  // namespace corvane::chart::dejavu_sans
