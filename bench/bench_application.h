// The one QApplication of a benchmark program that shows widgets, made on first use: on the
// offscreen platform, unless the caller keeps the platform its environment names (a measuring
// script that asks for xcb).
//
// Threads: the benchmark's main thread only.
#pragma once

#include <QApplication>
#include <cstdlib>

namespace corvane::bench {

inline QApplication& Application(bool keep_named_platform = false) {
  static int argc = 1;
  static char name[] = "corvane_bench";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", keep_named_platform ? 0 : 1);
  static QApplication application(argc, argv);
  return application;
}

}  // namespace corvane::bench
