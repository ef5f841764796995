#include "desktop/collector/collector_stopper.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <chrono>

#include "core/engine.h"
#include "core/engine_host.h"

namespace corvane::desktop {
namespace {

constexpr int kPollInterval = 10;  // milliseconds between two looks at the collector

}  // namespace

CollectorStopper::CollectorStopper(Corvane& engine, QObject* parent)
    : QObject(parent), engine_(engine) {
  timer_.setInterval(kPollInterval);
  connect(&timer_, &QTimer::timeout, this, &CollectorStopper::Poll);
}

CollectorStopper::~CollectorStopper() {
  if (IsPending()) QApplication::restoreOverrideCursor();
}

bool CollectorStopper::Stop(Then then) {
  if (IsPending()) return false;
  then_ = std::move(then);
  if (engine_.PollStop()) {
    Finish(true);
    return true;
  }
  elapsed_.start();
  timer_.start();
  if (waiting_) waiting_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  return true;
}

void CollectorStopper::Poll() {
  if (engine_.PollStop()) return Finish(true);
  if (elapsed_.elapsed() > engine_.GetStopLimit().count()) Finish(false);
}

void CollectorStopper::Finish(bool ended) {
  if (timer_.isActive()) {
    timer_.stop();
    QApplication::restoreOverrideCursor();
    if (waiting_) waiting_->setEnabled(true);
  }
  Then then = std::move(then_);
  then_ = nullptr;
  if (ended) {
    Q_EMIT stopped();
  } else {
    Q_EMIT gaveUp();
  }
  if (then) then(ended);
}

void ShowCannotStopCollector(QWidget* parent) {
  QMessageBox::warning(parent, QObject::tr("Corvane"),
                       QString::fromUtf8(kCannotStopCollectorText.data(),
                                         static_cast<qsizetype>(kCannotStopCollectorText.size())));
}

}  // namespace corvane::desktop
