// TextLayoutCache: texts laid out for QPainter, kept per font: each text's width (what
// QFontMetrics::horizontalAdvance gives, as the chart's layout measures it) and its glyphs at
// their positions (what is drawn). Laying out text is what a frame costs most, and a chart
// draws the same labels and mostly the same values frame after frame, so a window keeps one
// cache for its whole life and lends it to the PainterSurface of every paint event. A new
// text is shaped once, when it is first measured or drawn: its width and its glyphs come from
// that one layout. Bounded: a font's texts start afresh once there are too many, and fonts
// beyond a few replace the oldest.
//
// Owned by one thread (the GUI thread); one surface at a time may use it.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QTextLayout>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::qt {

class TextLayoutCache {
 public:
  struct Entry {
    // Plain text on one line whose top left is the origin; keeps its shaped glyphs.
    std::unique_ptr<QTextLayout> layout;
    int width = 0;  // pixels, the line's advance rounded as QFontMetrics rounds it
  };

  // The texts of one font.
  class FontTexts {
   public:
    explicit FontTexts(const QFont& font);
    // The entry for a UTF-8 text (malformed bytes show as U+FFFD), made on first use. The
    // reference stays valid until the next call.
    const Entry& Get(std::string_view text);
    const QFont& font() const { return font_; }
    const QFontMetrics& metrics() const { return metrics_; }
    // The height of a line, metrics().height() computed once.
    int height() const { return height_; }

   private:
    // Looked up by std::string_view without making a string.
    struct Hash {
      using is_transparent = void;
      std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>()(text);
      }
    };

    QFont font_;
    QString key_;  // QFont::key, to find the font again
    QFontMetrics metrics_;
    int height_;
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> texts_;

    friend class TextLayoutCache;
  };

  // The texts of a font, made on first use. The reference stays valid until kFonts other
  // fonts have been asked for since.
  FontTexts& ForFont(const QFont& font);

  static constexpr std::size_t kTextsPerFont = 512;
  static constexpr std::size_t kFonts = 4;

 private:
  std::vector<std::unique_ptr<FontTexts>> fonts_;  // the most recently asked for last
};

}  // namespace corvane::qt
