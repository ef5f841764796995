// The wind rose as assistive technologies see it. ChartAccessible stands for the chart view:
// role Chart, named after the profile, described by the status text while one shows ("Loading...",
// the connection notice), with one AxisAccessible child per axis. An axis is a read-only list
// item named by the axis name (with its number while Numbers is on) whose description and value
// text carry the current value with its unit, the average, the maximum, the critical value and
// "critical" while the value lies above it (see chart_speech.h); its value interface gives the
// current value on the axis's scale.
//
// ChartAccessible owns its children's registrations (Qt's accessibility cache owns the objects)
// and drops those of axes that are gone. Texts are read from the engine at every request.
// GUI thread only, as every QAccessibleInterface.
#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

namespace corvane::desktop {

class CCorvaneView;

// Registers the factory that gives CCorvaneView its interface; once per process, any number
// of calls.
void InstallChartAccessibility();

class ChartAccessible final : public QAccessibleWidget {
 public:
  explicit ChartAccessible(CCorvaneView* view);
  ~ChartAccessible() override;

  QString text(QAccessible::Text t) const override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

 private:
  CCorvaneView* view() const;
  // Forgets the registrations of children at `count` and beyond.
  void Trim(int count) const;

  mutable std::vector<QAccessible::Id> children_;  // 0: not created yet
};

class AxisAccessible final : public QAccessibleInterface, public QAccessibleValueInterface {
 public:
  AxisAccessible(CCorvaneView* view, int index);

  int index() const { return index_; }

  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  // Around the current value's point of the last drawing; the view while none was drawn.
  QRect rect() const override;
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override { return 0.0; }

 private:
  QPointer<CCorvaneView> view_;
  const int index_;
};

}  // namespace corvane::desktop
