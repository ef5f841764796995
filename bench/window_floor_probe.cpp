// The least a Qt window that shows one changing value pays: a thread posts to it once a
// second, as the collector posts a sample, and the window repaints one small rectangle with
// the new number; with "--no-paint" it only takes the posted event. bench/window_cost_measure.sh
// runs it beside the desktop program, so the desktop's GUI thread can be read against the
// floor of the toolkit and the display server on the same machine at the same moment.
#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr QRect kValueArea(100, 100, 60, 20);

class ValueWindow final : public QWidget {
 public:
  explicit ValueWindow(bool paint) : paint_(paint) { setWindowTitle("Window floor probe"); }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QWidget::event(event);
    ++samples_;
    if (paint_) update(kValueArea);
    return true;
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(kValueArea, Qt::white);
    painter.drawText(kValueArea, Qt::AlignCenter, QString::number(samples_));
  }

 private:
  const bool paint_;
  int samples_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ValueWindow window(!(argc > 1 && std::strcmp(argv[1], "--no-paint") == 0));
  window.resize(400, 400);
  window.show();
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
    }
  });
  const int status = QApplication::exec();
  stop = true;
  poster.join();
  return status;
}
