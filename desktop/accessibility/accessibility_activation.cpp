#include "desktop/accessibility/accessibility_activation.h"

namespace corvane::desktop {

AccessibilityActivation::AccessibilityActivation(QObject* parent) : QObject(parent) {
  QAccessible::installActivationObserver(this);
}

AccessibilityActivation::~AccessibilityActivation() { QAccessible::removeActivationObserver(this); }

void AccessibilityActivation::accessibilityActiveChanged(bool active) { Q_EMIT changed(active); }

}  // namespace corvane::desktop
