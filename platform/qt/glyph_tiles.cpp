#include "platform/qt/glyph_tiles.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace corvane::qt {
namespace {

std::unique_ptr<QTextLayout> LayOut(const QString& text, const QFont& font) {
  auto layout = std::make_unique<QTextLayout>(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout->setTextOption(option);
  layout->setCacheEnabled(true);
  layout->beginLayout();
  QTextLine line = layout->createLine();
  if (line.isValid()) line.setPosition(QPointF(0.0, 0.0));
  layout->endLayout();
  return layout;
}

// The glyphs of a one-line layout when they all come from one font, as one run.
std::optional<QGlyphRun> OnlyRun(const QTextLayout& layout) {
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.size() != 1) return std::nullopt;
  return runs.front();
}

}  // namespace

GlyphTiles::GlyphTiles(const QFont& font)
    : font_(font),
      primary_family_(QRawFont::fromFont(font).familyName()),
      height_(QFontMetrics(font).height()) {}

GlyphTiles::Character& GlyphTiles::CharacterOf(int code) {
  Character& character = characters_[static_cast<std::size_t>(code - kFirst)];
  if (character.plain != Known::kUnknown) return character;
  character.layout = LayOut(QString(QChar(code)), font_);
  character.plain = Known::kNo;
  const QTextLine line = character.layout->lineAt(0);
  const std::optional<QGlyphRun> run = OnlyRun(*character.layout);
  if (line.isValid() && run && run->glyphIndexes().size() == 1 &&
      run->rawFont().familyName() == primary_family_) {
    character.plain = Known::kYes;
    character.advance = line.horizontalAdvance();
    character.glyph = run->glyphIndexes().front();
  } else if (code == ' ' && line.isValid()) {
    // A space draws no glyph of its own.
    character.plain = Known::kYes;
    character.advance = line.horizontalAdvance();
  }
  return character;
}

bool GlyphTiles::PairIsPlain(int first, int second) {
  Known& known = pairs_[static_cast<std::size_t>((first - kFirst) * kCount + (second - kFirst))];
  if (known != Known::kUnknown) return known == Known::kYes;
  known = Known::kNo;
  const Character& a = CharacterOf(first);
  const Character& b = CharacterOf(second);
  if (a.plain != Known::kYes || b.plain != Known::kYes) return false;
  const QChar pair[] = {QChar(first), QChar(second)};
  const std::unique_ptr<QTextLayout> layout = LayOut(QString(pair, 2), font_);
  const QTextLine line = layout->lineAt(0);
  if (!line.isValid() || line.horizontalAdvance() != a.advance + b.advance) return false;
  // Spaces draw nothing: the width is all there is to compare.
  if (first == ' ' || second == ' ') {
    known = Known::kYes;
    return true;
  }
  const std::optional<QGlyphRun> run = OnlyRun(*layout);
  if (!run || run->glyphIndexes().size() != 2) return false;
  const QList<QPointF> at = run->positions();
  if (run->glyphIndexes()[0] != a.glyph || run->glyphIndexes()[1] != b.glyph ||
      at[1].x() - at[0].x() != a.advance || at[1].y() != at[0].y()) {
    return false;
  }
  known = Known::kYes;
  return true;
}

std::optional<qreal> GlyphTiles::PlainAdvance(std::string_view text) {
  qreal advance = 0;
  int previous = -1;
  for (const char byte : text) {
    const int code = static_cast<unsigned char>(byte);
    if (code < kFirst || code > kLast) return std::nullopt;
    const Character& character = CharacterOf(code);
    if (character.plain != Known::kYes) return std::nullopt;
    if (previous >= 0 && !PairIsPlain(previous, code)) return std::nullopt;
    advance += character.advance;
    previous = code;
  }
  return advance;
}

const GlyphTiles::Tile& GlyphTiles::TileOf(int code, int phase) {
  const int key = code * kPhases + phase;
  const auto found = tiles_.find(key);
  if (found != tiles_.end()) return found->second;
  const Character& character = CharacterOf(code);
  Tile tile;
  tile.width = static_cast<int>(std::ceil(character.advance * tile_scale_)) + 2 * pad_ + 1;
  tile.height = static_cast<int>(std::ceil(height_ * tile_scale_)) + 2 * pad_;
  tile.coverage.assign(static_cast<std::size_t>(tile.width) * tile.height, 0);
  if (code != ' ') {
    // Qt draws the character as it would in the window, in white on nothing; its alpha is
    // the coverage.
    QImage image(tile.width, tile.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(tile_scale_);
    {
      QPainter painter(&image);
      painter.setPen(Qt::white);
      character.layout->draw(
          &painter,
          QPointF((pad_ + static_cast<qreal>(phase) / kPhases) / tile_scale_, pad_ / tile_scale_));
    }
    for (int y = 0; y < tile.height; ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      std::uint8_t* out = tile.coverage.data() + static_cast<std::size_t>(y) * tile.width;
      for (int x = 0; x < tile.width; ++x) out[x] = static_cast<std::uint8_t>(qAlpha(row[x]));
    }
  }
  return tiles_.emplace(key, std::move(tile)).first->second;
}

QImage GlyphTiles::Compose(std::string_view text, qreal scale, qreal phase, QRgb colour,
                           QPoint* origin) {
  if (scale != tile_scale_) {
    tiles_.clear();
    tile_scale_ = scale;
    pad_ = std::max(2, static_cast<int>(std::ceil(height_ * scale / 4.0)));
  }
  // Where each character's tile goes, in device pixels from the image's left edge.
  int width = 0;
  const int height = static_cast<int>(std::ceil(height_ * scale)) + 2 * pad_;
  qreal x = phase;
  for (const char byte : text) {
    const int code = static_cast<unsigned char>(byte);
    const int column = static_cast<int>(std::floor(x));
    const int tile_width =
        static_cast<int>(std::ceil(CharacterOf(code).advance * scale)) + 2 * pad_ + 1;
    width = std::max(width, column + tile_width);
    x += CharacterOf(code).advance * scale;
  }
  coverage_.assign(static_cast<std::size_t>(width) * height, 0);
  x = phase;
  for (const char byte : text) {
    const int code = static_cast<unsigned char>(byte);
    const int column = static_cast<int>(std::floor(x));
    const int part = std::min(kPhases - 1, static_cast<int>((x - column) * kPhases));
    x += CharacterOf(code).advance * scale;
    if (code == ' ') continue;
    const Tile& tile = TileOf(code, part);
    for (int y = 0; y < tile.height; ++y) {
      const std::uint8_t* in = tile.coverage.data() + static_cast<std::size_t>(y) * tile.width;
      std::uint8_t* out =
          coverage_.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(column);
      for (int i = 0; i < tile.width; ++i) {
        // Overlapping glyphs cover as two layers of paint do.
        const int a = out[i];
        const int b = in[i];
        out[i] = static_cast<std::uint8_t>(a + b - (a * b + 127) / 255);
      }
    }
  }
  // The text colour at every coverage, premultiplied.
  std::array<QRgb, 256> shades;
  for (int a = 0; a < 256; ++a) {
    shades[static_cast<std::size_t>(a)] =
        qPremultiply(qRgba(qRed(colour), qGreen(colour), qBlue(colour), a));
  }
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::uint8_t* in = coverage_.data() + static_cast<std::size_t>(y) * width;
    for (int i = 0; i < width; ++i) row[i] = shades[in[i]];
  }
  image.setDevicePixelRatio(scale);
  *origin = QPoint(-pad_, -pad_);
  return image;
}

}  // namespace corvane::qt
