// GlyphTiles: one font's plain texts drawn from the coverage of their characters, each drawn
// once by Qt. The chart's value texts change with every sample, and shaping a new text and
// blending its glyphs one by one into the window costs far more than the rest of a sample;
// a text of printable ASCII in which the font neither kerns nor joins neighbouring characters
// is the sum of its characters, so its width is the sum of their advances and its picture
// can be put together from their coverage, then blended into the window as one image.
// Which neighbours the font kerns or joins is learnt once per pair, by shaping the pair.
//
// Owned by one thread (the GUI thread).
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <QTextLayout>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvane::qt {

class GlyphTiles {
 public:
  explicit GlyphTiles(const QFont& font);
  GlyphTiles(const GlyphTiles&) = delete;
  GlyphTiles& operator=(const GlyphTiles&) = delete;

  // The advance of `text` in logical pixels, exactly as a QTextLayout of it measures, when
  // the text is plain (printable ASCII that the font lays out character by character);
  // nothing otherwise.
  std::optional<qreal> PlainAdvance(std::string_view text);

  // The picture of a plain `text` in `colour` for a device of `scale` device pixels per
  // logical pixel, with the text's top left at the fraction `phase` (0 <= phase < 1) of a
  // device pixel right of a whole device pixel. The image is premultiplied ARGB at device
  // resolution with the device pixel ratio `scale`, only as large as the ink; `*origin` is
  // where, in device pixels relative to that whole pixel, its top left goes. A text without
  // ink (spaces) gives a null image.
  QImage Compose(std::string_view text, qreal scale, qreal phase, QRgb colour, QPoint* origin);

  // Positions between whole device pixels that a character's picture is drawn at.
  static constexpr int kPhases = 4;

 private:
  static constexpr int kFirst = 0x20;  // space
  static constexpr int kLast = 0x7E;   // tilde
  static constexpr int kCount = kLast - kFirst + 1;
  enum class Known : std::uint8_t { kUnknown, kYes, kNo };

  struct Character {
    Known plain = Known::kUnknown;  // one glyph of the font itself
    qreal advance = 0;
    quint32 glyph = 0;
    std::unique_ptr<QTextLayout> layout;
  };
  // A character's coverage drawn at one phase: the box of its ink, from the character's
  // top left at the whole device pixel left of where it starts.
  struct Tile {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
  };

  Character& CharacterOf(int code);
  bool PairIsPlain(int first, int second);
  const Tile& TileOf(int code, int phase);

  QFont font_;
  QString primary_family_;  // a glyph from another family stands in for a missing character
  int height_;
  std::array<Character, kCount> characters_;
  std::array<Known, kCount * kCount> pairs_{};
  // Tiles at one scale; another scale starts afresh.
  qreal tile_scale_ = 0;
  int pad_ = 0;
  std::unordered_map<int, Tile> tiles_;  // by code * kPhases + phase
  std::vector<std::pair<const Tile*, int>> placed_;
  // A text colour at every coverage, premultiplied; the chart's few text colours are kept.
  struct Shades {
    QRgb colour = 0;
    std::array<QRgb, 256> shade{};
  };
  const Shades& ShadesOf(QRgb colour);
  std::vector<Shades> shades_;  // the most recently used last
};

}  // namespace corvane::qt
