// Text metrics of DejaVu Sans (the font Debian answers for "sans-serif"), from a table of its
// advance widths, so that text can be measured deterministically without a font library.
// Pure functions over constant data; any thread.
#pragma once

#include <string_view>

namespace corvane::chart::dejavu_sans {

// The advance of one character in font units (2048 to the em). Characters outside the table
// (controls, scripts beyond Latin) measure as U+FFFD, which a viewer shows in their place or
// which is about as wide as a glyph from a fallback font.
int AdvanceUnits(char32_t code);

// The advance width of UTF-8 text in font units; malformed bytes count as U+FFFD.
long TextUnits(std::string_view text);

// Pixel metrics at an em size of `pixel_size` pixels.
int TextWidth(std::string_view text, int pixel_size);  // pixels, rounded to nearest
int Ascent(int pixel_size);                            // pixels above the baseline, rounded
int LineHeight(int pixel_size);                        // pixels, ascent + descent, rounded

}  // namespace corvane::chart::dejavu_sans
