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
  if (code != ' ') {
    // Qt draws the character as it would in the window, in white on nothing, with room
    // around it for what reaches past its advance and its line; the alpha is the coverage.
    const int width = static_cast<int>(std::ceil(character.advance * tile_scale_)) + 2 * pad_ + 1;
    const int height = static_cast<int>(std::ceil(height_ * tile_scale_)) + 2 * pad_;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(tile_scale_);
    {
      QPainter painter(&image);
      painter.setPen(Qt::white);
      character.layout->draw(
          &painter,
          QPointF((pad_ + static_cast<qreal>(phase) / kPhases) / tile_scale_, pad_ / tile_scale_));
    }
    // Only the box of the ink is kept.
    QRect ink;
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < width; ++x) {
        if (qAlpha(row[x]) != 0) ink |= QRect(x, y, 1, 1);
      }
    }
    if (!ink.isEmpty()) {
      tile.left = ink.left() - pad_;
      tile.top = ink.top() - pad_;
      tile.width = ink.width();
      tile.height = ink.height();
      tile.coverage.resize(static_cast<std::size_t>(tile.width) * tile.height);
      for (int y = 0; y < tile.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(ink.top() + y));
        std::uint8_t* out = tile.coverage.data() + static_cast<std::size_t>(y) * tile.width;
        for (int x = 0; x < tile.width; ++x) {
          out[x] = static_cast<std::uint8_t>(qAlpha(row[ink.left() + x]));
        }
      }
    }
  }
  return tiles_.emplace(key, std::move(tile)).first->second;
}

const GlyphTiles::Shades& GlyphTiles::ShadesOf(QRgb colour) {
  constexpr std::size_t kColours = 8;
  const auto found = std::find_if(shades_.begin(), shades_.end(),
                                  [&](const Shades& shades) { return shades.colour == colour; });
  if (found != shades_.end()) return *found;
  if (shades_.size() >= kColours) shades_.erase(shades_.begin());
  Shades& shades = shades_.emplace_back();
  shades.colour = colour;
  for (int a = 0; a < 256; ++a) {
    shades.shade[static_cast<std::size_t>(a)] =
        qPremultiply(qRgba(qRed(colour), qGreen(colour), qBlue(colour), a));
  }
  return shades;
}

QImage GlyphTiles::Compose(std::string_view text, qreal scale, qreal phase, QRgb colour,
                           QPoint* origin) {
  if (scale != tile_scale_) {
    tiles_.clear();
    tile_scale_ = scale;
    pad_ = std::max(2, static_cast<int>(std::ceil(height_ * scale / 4.0)));
  }
  // The tiles in text order, each with the column of the whole device pixel it starts at,
  // and the box of all their ink.
  placed_.clear();
  QRect box;
  qreal x = phase;
  for (const char byte : text) {
    const int code = static_cast<unsigned char>(byte);
    const int column = static_cast<int>(std::floor(x));
    const int part = std::min(kPhases - 1, static_cast<int>((x - column) * kPhases));
    x += CharacterOf(code).advance * scale;
    if (code == ' ') continue;
    const Tile& tile = TileOf(code, part);
    if (tile.width == 0) continue;
    placed_.emplace_back(&tile, column);
    box |= QRect(column + tile.left, tile.top, tile.width, tile.height);
  }
  if (box.isEmpty()) {
    *origin = QPoint(0, 0);
    return QImage();
  }
  // Each pixel's coverage is its alpha, so the tiles go straight into the image in the
  // text colour's shades.
  const std::array<QRgb, 256>& shade = ShadesOf(colour).shade;
  QImage image(box.width(), box.height(), QImage::Format_ARGB32_Premultiplied);
  image.fill(0);
  uchar* const bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (const auto& [placed, column] : placed_) {
    const Tile& tile = *placed;
    const int left = column + tile.left - box.left();
    const int top = tile.top - box.top();
    for (int y = 0; y < tile.height; ++y) {
      const std::uint8_t* in = tile.coverage.data() + static_cast<std::size_t>(y) * tile.width;
      auto* out = reinterpret_cast<QRgb*>(bits + (top + y) * stride) + left;
      for (int i = 0; i < tile.width; ++i) {
        const unsigned b = in[i];
        if (b == 0) continue;
        // Overlapping glyphs cover as two layers of paint do: a + b - a * b / 255, rounded.
        const unsigned a = qAlpha(out[i]);
        const unsigned product = a * b + 128;
        out[i] = shade[a + b - ((product + (product >> 8)) >> 8)];
      }
    }
  }
  image.setDevicePixelRatio(scale);
  *origin = box.topLeft();
  return image;
}

}  // namespace corvane::qt
