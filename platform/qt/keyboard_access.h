// Keyboard access to a dialog's controls: every label bound to a field, check box, radio
// button, group box and push button gets a mnemonic (Alt + letter) that no other control of
// the dialog uses. Letters already marked with "&" are kept; the others take the first letter
// of a word that is still free, else any free letter of their text. Enter, Escape and the
// dialog's own default button are not affected. Header only, so that every dialog library
// can use it without linking more. GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QWidget>

namespace corvane::qt {
namespace keyboard_access_detail {

// The marked letter of a text ("&Save" gives 's'), or a null character.
inline QChar MarkedLetter(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

// The position in `text` that takes a mnemonic: the first free letter or digit that begins a
// word, else the first free one anywhere; -1 when none is free.
inline qsizetype FreePosition(const QString& text, const QSet<QChar>& used) {
  for (int pass = 0; pass < 2; ++pass) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      if (!c.isLetterOrNumber() || used.contains(c.toLower())) continue;
      const bool word_start = i == 0 || !text[i - 1].isLetterOrNumber();
      if (pass == 1 || word_start) return i;
    }
  }
  return -1;
}

struct Control {
  QWidget* widget;
  QString text;
};

inline QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  return {};
}

inline void SetTextOf(QWidget* widget, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->setText(text);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->setText(text);
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->setTitle(text);
}

inline bool TakesMnemonic(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->buddy() != nullptr && label->textFormat() != Qt::RichText;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    // OK and Cancel are Enter and Escape; the rest (Apply, Help, Browse...) get a letter.
    const QString text = button->text();
    return !text.isEmpty() && text != QLatin1String("OK") && text != QLatin1String("Cancel");
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return !group->title().trimmed().isEmpty();
  return false;
}

}  // namespace keyboard_access_detail

inline void AssignMnemonics(QWidget* dialog) {
  using namespace keyboard_access_detail;
  QList<Control> controls;
  QSet<QChar> used;
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!TakesMnemonic(widget)) continue;
    const QString text = TextOf(widget);
    const QChar marked = MarkedLetter(text);
    if (!marked.isNull()) {
      used.insert(marked);
      continue;
    }
    controls.append({widget, text});
  }
  for (const Control& control : controls) {
    const qsizetype position = FreePosition(control.text, used);
    if (position < 0) continue;
    used.insert(control.text[position].toLower());
    QString text = control.text;
    text.insert(position, QLatin1Char('&'));
    SetTextOf(control.widget, text);
  }
}

}  // namespace corvane::qt
