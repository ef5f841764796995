// Helpers for the counters dialog tests: an engine over the scripted provider with counters,
// finding the dialogs' widgets by name, and the shared drivers for the modal windows a click
// opens (message boxes, the remote host dialog, the counter browser). Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <string>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/qt/message_box_answerer.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::dialog_test {

template <typename T>
T* Find(QWidget* root, const char* name) {
  T* widget = root->findChild<T*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

using qt_test::MessageBoxAnswerer;
using qt_test::TypeInto;

inline std::string PathOf(int i) {
  return "\\Processor(" + std::to_string(i) + ")\\% Processor Time";
}

// An interactive engine over the fake provider with n counters "c1".."cn" on PathOf(0..n-1).
struct EngineFixture {
  explicit EngineFixture(int n = 3) : engine(provider, true) {
    engine.RemoveAllAxes();
    for (int i = 0; i < n; ++i) AddCounter("c" + std::to_string(i + 1), PathOf(i));
    engine.SetModified(false);
  }
  void AddCounter(const std::string& name, const std::string& path, double max = 100,
                  double critical = 80) {
    provider.ScriptValue(path, 1.0);
    engine.AddAxis(name, "", false, 0, max, critical, 1, new CounterItem(path));
  }
  fake::FakeProvider provider;
  Corvane engine;
};

}  // namespace corvane::dialog_test
