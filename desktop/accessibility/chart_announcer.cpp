#include "desktop/accessibility/chart_announcer.h"

#include <QAccessible>

#include "core/engine.h"

namespace corvane::desktop {

static_assert(Corvane::kAxisCapacity <= 32, "the announcer keeps 32 axes");

ChartAnnouncer::ChartAnnouncer(const Corvane& engine, QObject* view)
    : engine_(engine), view_(view), listening_(&QAccessible::isActive) {}

void ChartAnnouncer::Send(QAccessibleEvent& event) {
  ++events_sent_;
  QAccessible::updateAccessibility(&event);
}

void ChartAnnouncer::Announce() {
  if (!listening_()) {
    known_ = false;
    return;
  }
  // Everything is read under one hold of the chart lock, and the events are sent after it is
  // released: an assistive technology that asks for texts meanwhile must not stall the
  // collector.
  std::array<AxisFingerprint, kCapacity> prints;
  int axes = 0;
  bool numbers = false;
  bool status_changed = false;
  {
    chart::ChartLock lock(engine_);
    axes = std::min(engine_.GetAxisCount(), kCapacity);
    numbers = engine_.GetShowNumbers() != 0;
    for (int i = 0; i < axes; ++i) prints[static_cast<std::size_t>(i)] = FingerprintOf(engine_, i);
    std::string status = engine_.GetStatusText();
    if (status != status_) {
      status_changed = known_;
      status_ = std::move(status);
    }
  }
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(view_);
  if (chart == nullptr) return;
  if (!known_ || axes != axes_) {
    if (known_) {
      QAccessibleEvent reorder(chart, QAccessible::ObjectReorder);
      Send(reorder);
    }
    known_ = true;
    axes_ = axes;
    numbers_ = numbers;
    prints_ = prints;
    critical_ = 0;
    for (int i = 0; i < axes; ++i) {
      critical_ += prints[static_cast<std::size_t>(i)].state == chart::ValueState::kCritical;
    }
    return;
  }
  if (status_changed) {
    QAccessibleEvent description(chart, QAccessible::DescriptionChanged);
    Send(description);
  }
  const bool names_changed = numbers != numbers_;
  numbers_ = numbers;
  int critical = 0;
  for (int i = 0; i < axes; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const AxisFingerprint& now = prints[slot];
    AxisFingerprint& before = prints_[slot];
    critical += now.state == chart::ValueState::kCritical ? 1 : 0;
    if (now == before && !names_changed) continue;
    const bool was_critical = before.state == chart::ValueState::kCritical;
    const bool is_critical = now.state == chart::ValueState::kCritical;
    // Only the focused axis's value is spoken as it changes; the others are read when asked.
    const bool value_changed = i == focused_ && now != before;
    before = now;
    if (!names_changed && !value_changed && was_critical == is_critical) continue;
    QAccessibleInterface* axis = chart->child(i);
    if (axis == nullptr) continue;
    if (names_changed) {
      QAccessibleEvent name(axis, QAccessible::NameChanged);
      Send(name);
    }
    if (value_changed) {
      // The value the fingerprint holds, so that no second read of the chart is needed.
      const QVariant current = now.state == chart::ValueState::kNotAvailable
                                   ? QVariant()
                                   : QVariant(static_cast<double>(now.current) / 100.0);
      QAccessibleValueChangeEvent value(axis, current);
      Send(value);
    }
    if (was_critical != is_critical) {
      QAccessibleEvent alert(axis, QAccessible::Alert);
      Send(alert);
      QAccessibleEvent description(axis, QAccessible::DescriptionChanged);
      Send(description);
    }
  }
  // The chart's summary: how many axes are critical.
  if (critical != critical_ && !status_changed) {
    QAccessibleEvent description(chart, QAccessible::DescriptionChanged);
    Send(description);
  }
  critical_ = critical;
}

void ChartAnnouncer::SetFocusedAxis(int axis) { focused_ = axis; }

}  // namespace corvane::desktop
