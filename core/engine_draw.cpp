// Corvane::Draw: the status text ("Loading...", the connection notice) in place of the chart
// while there is one, else the chart. The text is laid out here, with the surface's own
// measurements, so that every surface wraps it the same way.
#include <cstddef>
#include <optional>
#include <string_view>

#include "chart/drawing_surface.h"
#include "chart/utf8.h"
#include "core/engine.h"

namespace corvane {
namespace {

struct LineBreak {
  std::string_view line;  // the text of the line, without the spaces it was broken at
  std::size_t next = 0;   // where the next line of the paragraph begins
};

std::size_t SkipSpaces(std::string_view text, std::size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

// The next line of a paragraph (text without line feeds) starting at `start`: as many whole
// words as fit in `width` pixels; a word wider than that on its own is broken between
// characters, so that no text runs outside the box. At least one character per line.
LineBreak NextLine(std::string_view paragraph, std::size_t start, int width,
                   chart::DrawingSurface& surface) {
  std::size_t end = start;  // end of the words that fit so far
  bool any_word = false;
  std::size_t pos = start;
  while (pos < paragraph.size()) {
    const std::size_t word_start = SkipSpaces(paragraph, pos);
    if (word_start == paragraph.size()) break;  // spaces at the end are not drawn
    std::size_t word_end = paragraph.find(' ', word_start);
    if (word_end == std::string_view::npos) word_end = paragraph.size();
    if (surface.MeasureText(paragraph.substr(start, word_end - start)).width > width) break;
    end = word_end;
    any_word = true;
    pos = word_end;
  }
  if (!any_word) {
    // Not even the first word fits: take the characters that do.
    std::size_t word_end = paragraph.find(' ', SkipSpaces(paragraph, start));
    if (word_end == std::string_view::npos) word_end = paragraph.size();
    std::size_t cut = start;
    std::size_t scan = start;
    while (scan < word_end) {
      chart::utf8::Decode(paragraph, &scan);
      if (cut > start && surface.MeasureText(paragraph.substr(start, scan - start)).width > width) {
        break;
      }
      cut = scan;
    }
    end = cut;
  }
  return LineBreak{paragraph.substr(start, end - start), SkipSpaces(paragraph, end)};
}

// Calls `line` for every line of the text wrapped to `width` pixels. Line feeds (LF or CR LF)
// end paragraphs; an empty paragraph is an empty line. Returns the number of lines.
template <typename LineFunction>
int ForEachLine(std::string_view text, int width, chart::DrawingSurface& surface,
                LineFunction line) {
  int count = 0;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    if (paragraph.empty()) {
      line(count++, paragraph);
    } else {
      std::size_t pos = 0;
      while (pos < paragraph.size()) {
        const LineBreak next = NextLine(paragraph, pos, width, surface);
        line(count++, next.line);
        pos = next.next;
      }
    }
    if (last) break;
    start = end + 1;
  }
  return count;
}

// Draws the text word-wrapped to 90 % of the rectangle's width, each line centred, the whole
// block centred in the rectangle, in the text colour on the background colour, in the chart
// font; the surface's font and colours are put back afterwards.
void DrawStatusText(chart::DrawingSurface& surface, const chart::Rect& rect, std::string_view text,
                    const chart::FontSpec* font, chart::Colour text_colour,
                    chart::Colour back_colour) {
  std::optional<chart::FontSpec> previous_font;
  if (font != nullptr) previous_font = surface.SelectFont(*font);
  const chart::Colour previous_text = surface.SetTextColour(text_colour);
  const chart::Colour previous_back = surface.SetBackColour(back_colour);

  const long long rect_width = static_cast<long long>(rect.right) - rect.left;  // pixels
  const int wrap_width = rect_width > 0 ? static_cast<int>(rect_width * 9 / 10) : 0;
  const int box_left = rect.left + static_cast<int>((rect_width - wrap_width) / 2);
  const int line_height = surface.MeasureText("").height;

  const int lines = ForEachLine(text, wrap_width, surface, [](int, std::string_view) {});
  const long long block_height = static_cast<long long>(lines) * line_height;
  const int top =
      rect.top +
      static_cast<int>((static_cast<long long>(rect.bottom) - rect.top - block_height) / 2);
  ForEachLine(text, wrap_width, surface, [&](int index, std::string_view line) {
    if (line.empty()) return;  // a blank line only takes its height
    const int width = surface.MeasureText(line).width;
    surface.DrawText(chart::Point{box_left + (wrap_width - width) / 2, top + index * line_height},
                     line);
  });

  surface.SetBackColour(previous_back);
  surface.SetTextColour(previous_text);
  if (previous_font) surface.SelectFont(*previous_font);
}

}  // namespace

bool Corvane::Draw(chart::DrawingSurface& surface, const chart::Rect& rect) {
  chart::ChartLock lock(*this);
  if (status_text_.empty()) return DrawChart(surface, rect);
  DrawStatusText(surface, rect, status_text_, GetFont(), settings_.TextColor, settings_.BackColor);
  return true;
}

}  // namespace corvane
