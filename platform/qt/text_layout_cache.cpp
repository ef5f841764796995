#include "platform/qt/text_layout_cache.h"

#include <QTextOption>
#include <algorithm>
#include <utility>

namespace corvane::qt {

TextLayoutCache::FontTexts::FontTexts(const QFont& font)
    : font_(font), key_(font.key()), metrics_(font), height_(metrics_.height()) {}

const TextLayoutCache::Entry& TextLayoutCache::FontTexts::Get(std::string_view text) {
  const auto found = texts_.find(text);
  if (found != texts_.end()) return found->second;
  // Values change with every sample; rather than track which are stale, start again.
  if (texts_.size() >= kTextsPerFont) texts_.clear();
  const QString qt_text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  // One line that never wraps; QTextLayout takes no markup, so a name like "<b>" is text.
  Entry entry;
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
  if (line.isValid()) entry.width = qRound(line.horizontalAdvance());
  return texts_.emplace(std::string(text), std::move(entry)).first->second;
}

TextLayoutCache::FontTexts& TextLayoutCache::ForFont(const QFont& font) {
  const QString key = font.key();
  const auto found = std::find_if(fonts_.begin(), fonts_.end(),
                                  [&](const auto& texts) { return texts->key_ == key; });
  if (found != fonts_.end()) {
    std::rotate(found, found + 1, fonts_.end());
    return *fonts_.back();
  }
  if (fonts_.size() >= kFonts) fonts_.erase(fonts_.begin());
  fonts_.push_back(std::make_unique<FontTexts>(font));
  return *fonts_.back();
}

}  // namespace corvane::qt
