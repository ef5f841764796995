// Driving widgets as a user does, for the GUI tests: finding a widget by the role and name a
// screen reader gives it, pressing a button by the caption the user reads, replacing a field's
// text by typing, acting on the next modal window that opens.
// GUI (test) thread only.
#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>
#include <functional>
#include <type_traits>

class QLineEdit;
class QPushButton;

namespace corvane::qt_test {

// The push button under `root` whose caption, without its mnemonic marks ("&Apply"), is
// `caption`; null when there is none.
QPushButton* FindButton(QWidget* root, const QString& caption);

// The one widget under `root` that assistive technology knows by `role` and `name` (the
// accessible name a screen reader speaks, blanks around it ignored); null, and a test failure,
// when no widget or more than one has them.
QWidget* FindAccessible(QWidget* root, QAccessible::Role role, const QString& name);
template <typename T>
T* FindAccessible(QWidget* root, QAccessible::Role role, const QString& name) {
  return qobject_cast<T*>(FindAccessible(root, role, name));
}

// Clicks that button with the mouse; false (and a test failure) when there is none.
bool PressButton(QWidget* root, const QString& caption);

// Replaces a field's text the way a user does: focus, select all, delete, type.
void TypeInto(QLineEdit* edit, const QString& text);

bool IsMessageBox(const QWidget* widget);

// Offers `take` the active modal window (each not taken before) until it answers true (within 5 s;
// a test failure otherwise), from inside that window's event loop.
void OnNextModalWindow(std::function<bool(QWidget*)> take);

// Runs `act` on the next modal window of type Window that opens (any window but a message box
// when Window is QWidget): a dialog the test's next modal call shows.
template <typename Window = QWidget>
void OnNextModal(std::type_identity_t<std::function<void(Window*)>> act) {
  OnNextModalWindow([act = std::move(act)](QWidget* modal) {
    Window* window = qobject_cast<Window*>(modal);
    if (window == nullptr) return false;
    if constexpr (std::is_same_v<Window, QWidget>) {
      if (IsMessageBox(modal)) return false;
    }
    act(window);
    return true;
  });
}

}  // namespace corvane::qt_test
