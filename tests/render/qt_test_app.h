// The QGuiApplication that Qt's fonts need, made once per test program on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise. Test thread only.
#pragma once

#include <QGuiApplication>
#include <cstdlib>

namespace corvane::render_test {

inline void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "render_qt_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

}  // namespace corvane::render_test
