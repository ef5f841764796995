#include "desktop/accessibility/chart_accessible.h"

#include <QCoreApplication>
#include <QWindow>

#include "core/engine.h"
#include "desktop/accessibility/chart_speech.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/frame/corvane_view.h"

namespace corvane::desktop {
namespace {

QAccessibleInterface* CreateChartAccessible(const QString& /*class_name*/, QObject* object) {
  if (auto* view = qobject_cast<CCorvaneView*>(object)) return new ChartAccessible(view);
  return nullptr;
}

// The axes whose current value lies above their critical value.
int CriticalAxes(const Corvane& engine) {
  chart::ChartLock lock(engine);
  int critical = 0;
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    critical += FingerprintOf(engine, i).state == chart::ValueState::kCritical ? 1 : 0;
  }
  return critical;
}

// Half the side of the box an axis occupies around its value point.
constexpr int kAxisBoxHalf = 8;  // pixels

}  // namespace

void InstallChartAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&CreateChartAccessible);
    return true;
  }();
  (void)installed;
}

// ---- ChartAccessible. ----

ChartAccessible::ChartAccessible(CCorvaneView* view)
    : QAccessibleWidget(view, QAccessible::Chart) {}

ChartAccessible::~ChartAccessible() { Trim(0); }

CCorvaneView* ChartAccessible::view() const { return static_cast<CCorvaneView*>(widget()); }

QString ChartAccessible::text(QAccessible::Text t) const {
  switch (t) {
    case QAccessible::Name:
      return view()->document().Title();
    case QAccessible::Description: {
      const std::string status = view()->document().engine().GetStatusText();
      if (!status.empty()) return QString::fromStdString(status);
      const QString counters = QCoreApplication::translate(
          "ChartAccessible", "Wind rose of %n counters", nullptr, childCount());
      const int critical = CriticalAxes(view()->document().engine());
      if (critical == 0) return counters;
      return counters +
             QCoreApplication::translate("ChartAccessible", ", %n critical", nullptr, critical);
    }
    default:
      return QAccessibleWidget::text(t);
  }
}

int ChartAccessible::childCount() const {
  const int count = view()->document().engine().GetAxisCount();
  if (static_cast<int>(children_.size()) > count) Trim(count);
  return count;
}

QAccessibleInterface* ChartAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  if (children_.size() <= static_cast<std::size_t>(index)) children_.resize(index + 1, 0);
  QAccessible::Id& id = children_[static_cast<std::size_t>(index)];
  if (id == 0) id = QAccessible::registerAccessibleInterface(new AxisAccessible(view(), index));
  return QAccessible::accessibleInterface(id);
}

int ChartAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* axis = dynamic_cast<const AxisAccessible*>(child);
  if (axis == nullptr || axis->parent() != this) return -1;
  return axis->index() < childCount() ? axis->index() : -1;
}

QAccessibleInterface* ChartAccessible::childAt(int x, int y) const {
  for (int i = 0; i < childCount(); ++i) {
    QAccessibleInterface* axis = child(i);
    if (axis != nullptr && axis->rect().contains(x, y)) return axis;
  }
  return nullptr;
}

void ChartAccessible::Trim(int count) const {
  while (static_cast<int>(children_.size()) > count) {
    if (children_.back() != 0) QAccessible::deleteAccessibleInterface(children_.back());
    children_.pop_back();
  }
}

// ---- AxisAccessible. ----

AxisAccessible::AxisAccessible(CCorvaneView* view, int index) : view_(view), index_(index) {}

bool AxisAccessible::isValid() const {
  return view_ != nullptr && index_ < view_->document().engine().GetAxisCount();
}

QWindow* AxisAccessible::window() const {
  return view_ != nullptr ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* AxisAccessible::parent() const {
  return QAccessible::queryAccessibleInterface(view_.data());
}

QString AxisAccessible::text(QAccessible::Text t) const {
  if (!isValid()) return {};
  const AxisSpeech speech = ReadAxis(view_->document().engine(), index_);
  switch (t) {
    case QAccessible::Name:
      return speech.name;
    case QAccessible::Description:
    case QAccessible::Value:
      return speech.description;
    default:
      return {};
  }
}

QRect AxisAccessible::rect() const {
  if (!isValid()) return {};
  const QRect view_rect(view_->mapToGlobal(QPoint(0, 0)), view_->size());
  Corvane& engine = view_->document().engine();
  chart::ChartLock lock(engine);
  const auto points = engine.GetSeriesPoints(Corvane::kCurrentSeries);
  if (static_cast<std::size_t>(index_) + 1 >= points.size()) return view_rect;
  const chart::Point point = points[static_cast<std::size_t>(index_)];
  const QPoint centre = view_->mapToGlobal(QPoint(point.x, point.y));
  return QRect(centre - QPoint(kAxisBoxHalf, kAxisBoxHalf),
               QSize(2 * kAxisBoxHalf + 1, 2 * kAxisBoxHalf + 1));
}

QAccessible::State AxisAccessible::state() const {
  QAccessible::State state;
  state.readOnly = true;
  if (!isValid()) {
    state.invalid = true;
    return state;
  }
  state.invisible = !view_->isVisible();
  state.focusable = true;
  state.focused = view_->hasFocus() && view_->announcer().focused_axis() == index_;
  return state;
}

void* AxisAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return nullptr;
}

QVariant AxisAccessible::currentValue() const {
  if (!isValid()) return {};
  const AxisSpeech speech = ReadAxis(view_->document().engine(), index_);
  return speech.available ? QVariant(speech.current) : QVariant();
}

QVariant AxisAccessible::maximumValue() const {
  if (!isValid()) return {};
  double value = 0.0;
  view_->document().engine().GetAxisMax(index_, &value);
  return value;
}

QVariant AxisAccessible::minimumValue() const {
  if (!isValid()) return {};
  double value = 0.0;
  view_->document().engine().GetAxisMin(index_, &value);
  return value;
}

}  // namespace corvane::desktop
