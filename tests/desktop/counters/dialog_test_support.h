// Helpers for the counters dialog tests: the QApplication on the offscreen platform, an engine
// over the scripted provider with counters, a driver that answers the modal windows a click
// opens (message boxes, the remote host dialog, the counter browser) and records what they
// said. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"

namespace corvane::dialog_test {

inline void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "counters_dialog_test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's own globals may be gone by the time statics are torn down at exit.
  new QApplication(argc, argv);
}

template <typename T>
T* Find(QWidget* root, const char* name) {
  T* widget = root->findChild<T*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Runs `act` on the next modal window that opens (within 5 s), from inside its event loop.
inline void OnNextModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto started = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, started] {
    // The dialog under test is shown, not exec'd: the first modal window is the nested one.
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->isVisible() && top->isModal() && qobject_cast<QMessageBox*>(top) == nullptr &&
          top->property("seen").isNull()) {
        top->setProperty("seen", true);
        timer->stop();
        timer->deleteLater();
        act(top);
        return;
      }
    }
    if (++*started > 500) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal window opened";
    }
  });
  timer->start(10);
}

// Answers every message box with OK and keeps its text, while it lives.
class MessageBoxes {
 public:
  MessageBoxes() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (box == nullptr || !box->isVisible()) continue;
        texts_.push_back(box->text().toStdString());
        titles_.push_back(box->windowTitle().toStdString());
        box->button(QMessageBox::Ok) != nullptr ? box->button(QMessageBox::Ok)->click()
                                                : box->accept();
      }
    });
    timer_.start(5);
  }
  const std::vector<std::string>& texts() const { return texts_; }
  const std::vector<std::string>& titles() const { return titles_; }
  void clear() {
    texts_.clear();
    titles_.clear();
  }

 private:
  QTimer timer_;
  std::vector<std::string> texts_;
  std::vector<std::string> titles_;
};

// Replaces a field's text the way a user does: select all, type.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

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
