// AccessibilityActivation: says when an assistive technology starts or stops listening to the
// program (Qt's accessibility switched on or off), so that what only a listener needs can stop
// and start without asking at every sample.
//
// GUI thread only; one of Qt's accessibility activation observers while it lives.
#pragma once

#include <QAccessible>
#include <QObject>

namespace corvane::desktop {

class AccessibilityActivation final : public QObject, public QAccessible::ActivationObserver {
  Q_OBJECT

 public:
  explicit AccessibilityActivation(QObject* parent = nullptr);
  ~AccessibilityActivation() override;
  AccessibilityActivation(const AccessibilityActivation&) = delete;
  AccessibilityActivation& operator=(const AccessibilityActivation&) = delete;

  void accessibilityActiveChanged(bool active) override;

 Q_SIGNALS:
  void changed(bool active);
};

}  // namespace corvane::desktop
