#include "platform/qt/text_layout_cache.h"

#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace corvane::qt {

TextLayoutCache::FontTexts::FontTexts(const QFont& font)
    : font_(font), metrics_(font), height_(metrics_.height()), tiles_(font) {}

TextLayoutCache::Entry& TextLayoutCache::FontTexts::Get(std::string_view text) {
  const auto found = texts_.find(text);
  if (found != texts_.end()) return found->second;
  // Values change with every sample; rather than track which are stale, start again.
  if (texts_.size() >= kTextsPerFont) {
    texts_.clear();
    imaged_.clear();
  }
  Entry entry;
  if (const std::optional<qreal> advance = tiles_.PlainAdvance(text)) {
    entry.plain = true;
    entry.width = qRound(*advance);
    return texts_.emplace(std::string(text), std::move(entry)).first->second;
  }
  Entry& added = texts_.emplace(std::string(text), std::move(entry)).first->second;
  const QTextLayout& layout = Layout(text, added);
  const QTextLine line = layout.lineAt(0);
  if (line.isValid()) added.width = qRound(line.horizontalAdvance());
  return added;
}

const QTextLayout& TextLayoutCache::FontTexts::Layout(std::string_view text, Entry& entry) {
  if (entry.layout) return *entry.layout;
  const QString qt_text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  // One line that never wraps; QTextLayout takes no markup, so a name like "<b>" is text.
  entry.layout = std::make_unique<QTextLayout>(qt_text, font_);
  QTextLayout& layout = *entry.layout;
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);  // the glyphs shaped here are the ones drawn
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setPosition(QPointF(0.0, 0.0));
  layout.endLayout();
  return layout;
}

bool TextLayoutCache::FontTexts::DrawPlain(QPainter& painter, QPointF top_left, Entry& entry,
                                           std::string_view text, QRgb colour) {
  if (!entry.plain) return false;
  const QTransform& to_device = painter.deviceTransform();
  if (to_device.type() > QTransform::TxScale || to_device.m11() != to_device.m22() ||
      to_device.m11() <= 0) {
    return false;
  }
  const qreal scale = to_device.m11();
  const QPointF at = to_device.map(top_left);
  const qreal left = std::floor(at.x());
  const qreal top = std::round(at.y());
  // The text's start between whole device pixels, as the characters' pictures are drawn.
  const int phase =
      std::min(GlyphTiles::kPhases - 1, static_cast<int>((at.x() - left) * GlyphTiles::kPhases));
  if (!entry.composed || entry.scale != scale || entry.phase != phase || entry.colour != colour) {
    if (!entry.composed) {
      if (imaged_.size() >= kImagesPerFont) {
        // The images of texts not among the last half that many drawn go; a text drawn
        // again is put together again.
        const std::uint64_t recent = drawn_ - kImagesPerFont / 2;
        std::erase_if(imaged_, [recent](Entry* other) {
          if (other->drawn >= recent) return false;
          other->image = QImage();
          other->composed = false;
          return true;
        });
      }
      imaged_.push_back(&entry);
    }
    entry.composed = true;
    entry.image = tiles_.Compose(text, scale, static_cast<qreal>(phase) / GlyphTiles::kPhases,
                                 colour, &entry.origin);
    entry.scale = scale;
    entry.phase = phase;
    entry.colour = colour;
  }
  entry.drawn = ++drawn_;
  if (entry.image.isNull()) return true;  // nothing but spaces
  const QPointF corner(left + entry.origin.x(), top + entry.origin.y());
  painter.drawImage(to_device.inverted().map(corner), entry.image);
  return true;
}

TextLayoutCache::FontTexts& TextLayoutCache::ForFont(const QFont& font) {
  // Compared attribute by attribute: QFont::key would build a string at every change of font
  // while a chart is recorded and painted.
  const auto found = std::find_if(fonts_.begin(), fonts_.end(),
                                  [&](const auto& texts) { return texts->font_ == font; });
  if (found != fonts_.end()) {
    std::rotate(found, found + 1, fonts_.end());
    return *fonts_.back();
  }
  if (fonts_.size() >= kFonts) fonts_.erase(fonts_.begin());
  fonts_.push_back(std::make_unique<FontTexts>(font));
  return *fonts_.back();
}

}  // namespace corvane::qt
