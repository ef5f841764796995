// TextLayoutCache: texts laid out for QPainter, kept per font: each text's width (what
// QFontMetrics::horizontalAdvance gives, as the chart's layout measures it) and its glyphs at
// their positions (what is drawn). Laying out text is what a frame costs most, and a chart
// draws the same labels and mostly the same values frame after frame, so a window keeps one
// cache for its whole life and lends it to the PainterSurface of every paint event. A new
// text is shaped once, when it is first measured or drawn: its width and its glyphs come from
// that one layout. A plain text (printable ASCII the font lays out character by character,
// as the values are) is not shaped at all: its width is its characters' advances and it is
// drawn as one image put together from their pictures (GlyphTiles), kept for the next paint.
// Bounded: a font's texts start afresh once there are too many, the images of its texts
// once there are more than a few, and fonts beyond a few replace the oldest.
//
// Owned by one thread (the GUI thread); one surface at a time may use it.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <QTextLayout>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/qt/glyph_tiles.h"

namespace corvane::qt {

class TextLayoutCache {
 public:
  struct Entry {
    // Text on one line whose top left is the origin; keeps its shaped glyphs. Made on first
    // use for a plain text (Layout).
    std::unique_ptr<QTextLayout> layout;
    int width = 0;  // pixels, the line's advance rounded as QFontMetrics rounds it
    bool plain = false;
    // A plain text's picture as last drawn, for a device of `scale` at `phase`, in `colour`;
    // null for one of only spaces.
    bool composed = false;
    std::uint64_t drawn = 0;  // the count of plain texts drawn when this one last was
    QImage image;
    QPoint origin;
    qreal scale = 0;
    int phase = -1;
    QRgb colour = 0;
  };

  // The texts of one font.
  class FontTexts {
   public:
    explicit FontTexts(const QFont& font);
    // The entry for a UTF-8 text (malformed bytes show as U+FFFD), made on first use. The
    // reference stays valid until the next call.
    Entry& Get(std::string_view text);
    // The entry's layout, made now when it has none.
    const QTextLayout& Layout(std::string_view text, Entry& entry);
    // Draws a plain entry's text with its top left at `top_left` (logical pixels) in
    // `colour` and returns true; returns false, drawing nothing, for a text that is not plain
    // or a painter that rotates, shears or scales unevenly.
    bool DrawPlain(QPainter& painter, QPointF top_left, Entry& entry, std::string_view text,
                   QRgb colour);
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
    QFontMetrics metrics_;
    int height_;
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> texts_;
    GlyphTiles tiles_;
    std::vector<Entry*> imaged_;  // the entries holding an image
    std::uint64_t drawn_ = 0;     // plain texts drawn

    friend class TextLayoutCache;
  };

  // The texts of a font, made on first use. The reference stays valid until kFonts other
  // fonts have been asked for since.
  FontTexts& ForFont(const QFont& font);

  static constexpr std::size_t kTextsPerFont = 512;
  // Room for the images of two paints of every value of 64 axes.
  static constexpr std::size_t kImagesPerFont = 256;
  static constexpr std::size_t kFonts = 4;

 private:
  std::vector<std::unique_ptr<FontTexts>> fonts_;  // the most recently asked for last
};

}  // namespace corvane::qt
