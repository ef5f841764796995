// The engine's Qt services: repaint requests from another thread and messages as boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <thread>

#include "platform/qt/qt_engine_window.h"
#include "platform/qt/qt_message_sink.h"

namespace corvane::qt {
namespace {

class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(QtEngineWindowTest, ABurstOfRequestsFromAnotherThreadCostsOnePaint) {
  PaintCounter widget;
  widget.resize(100, 100);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  QTest::qWait(20);
  const int before = widget.paints;
  auto* window = new QtEngineWindow(&widget);
  std::thread collector([&] {
    for (int i = 0; i < 500; ++i) window->Invalidate(true);
  });
  collector.join();
  QTRY_COMPARE(window->DeliveredRequests(), 1);
  QTRY_COMPARE(widget.paints, before + 1);
  // A later request is not swallowed.
  std::thread([&] { window->Invalidate(true); }).join();
  QTRY_COMPARE(window->DeliveredRequests(), 2);
}

TEST(QtEngineWindowTest, AHeldWindowPostsNothingAndItsReleaseDeliversWhatWasHeldBackOnce) {
  PaintCounter widget;
  auto* window = new QtEngineWindow(&widget);
  const auto from_collector = [window](int requests) {
    std::thread([window, requests] {
      for (int i = 0; i < requests; ++i) window->Invalidate(true);
    }).join();
  };
  window->SetHeld(true);
  from_collector(50);
  QTest::qWait(20);
  EXPECT_EQ(window->PostedRequests(), 0) << "no event wakes the widget's thread";
  EXPECT_EQ(window->DeliveredRequests(), 0);

  window->SetHeld(false);
  QTRY_COMPARE(window->DeliveredRequests(), 1);
  EXPECT_EQ(window->PostedRequests(), 1);

  // Held and released with nothing held back meanwhile: no delivery.
  window->SetHeld(true);
  window->SetHeld(false);
  QTest::qWait(20);
  EXPECT_EQ(window->PostedRequests(), 1);

  // Released, requests reach the widget again, each burst once.
  from_collector(10);
  QTRY_COMPARE(window->DeliveredRequests(), 2);
  EXPECT_EQ(window->PostedRequests(), 2);
}

// The collector's requests while the window is held and released over and over (a run under
// TSan sees the two threads meet): once the window is released for good, what the collector
// asked for has been delivered, each posted request once.
TEST(QtEngineWindowTest, HoldingRacesTheCollectorWithoutLosingARequest) {
  PaintCounter widget;
  auto* window = new QtEngineWindow(&widget);
  std::atomic<bool> done{false};
  std::atomic<int> made{0};
  std::thread collector([&] {
    while (!done.load()) {
      window->Invalidate(true);
      made.fetch_add(1);
    }
  });
  for (int i = 0; i < 2000 || made.load() < 1000; ++i) {
    window->SetHeld(i % 2 == 0);
    if (i % 100 == 0) QCoreApplication::processEvents();
  }
  window->SetHeld(false);
  done.store(true);
  collector.join();
  QTRY_COMPARE(window->DeliveredRequests(), window->PostedRequests());
  EXPECT_GE(window->PostedRequests(), 1);
}

TEST(QtMessageSinkTest, MessagesFromAnotherThreadBecomeBoxesAndHelpReachesTheHandler) {
  QWidget main_window;
  main_window.show();
  QtMessageSink sink;
  sink.SetParentWindow(&main_window);
  std::vector<std::uint32_t> contexts;
  sink.SetHelpHandler([&](std::uint32_t context, QWidget*) { contexts.push_back(context); });
  QList<QMessageBox*> boxes;
  QObject::connect(&sink, &QtMessageSink::messageShown,
                   [&](QMessageBox* box) { boxes.append(box); });

  EngineMessage failed;
  failed.string_id = string_id::kConnectionFailed;
  failed.text = "Connection failed.\nsrv9";
  failed.icon = MessageIcon::kError;
  failed.system_modal = true;
  failed.help_context = kConnectionHelpContext;
  std::thread collector([&] {
    sink.ShowMessage(failed);
    sink.ShowMessage(EngineMessage{0, "Plain"});
  });
  collector.join();
  QTRY_COMPARE(boxes.size(), 2);

  QMessageBox* box = boxes[0];
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Corvane"));
  EXPECT_EQ(box->text(), QStringLiteral("Connection failed.\nsrv9"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
  ASSERT_NE(box->button(QMessageBox::Help), nullptr);
  box->button(QMessageBox::Help)->click();
  EXPECT_EQ(contexts, std::vector<std::uint32_t>{200});

  EXPECT_EQ(boxes[1]->button(QMessageBox::Help), nullptr);
  EXPECT_EQ(boxes[1]->windowModality(), Qt::WindowModal);
  boxes[1]->button(QMessageBox::Ok)->click();
}

}  // namespace
}  // namespace corvane::qt
