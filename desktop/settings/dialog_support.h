// What the settings dialogs share: the framework's validation of an integer field (message box,
// focus on the field). GUI thread only.
#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/qt/product_text.h"

class QWidget;
class QLineEdit;

namespace corvane::desktop {

using product::kAppTitle;
// Shown through QCoreApplication::translate in the "DialogSupport" context.
inline constexpr const char* kNotAnInteger =
    QT_TRANSLATE_NOOP("DialogSupport", "Please enter an integer.");
inline constexpr const char* kIntegerOutOfRange =
    QT_TRANSLATE_NOOP("DialogSupport", "Please enter an integer between %1 and %2.");

// Reads `field` as an integer in [low, high]. On failure shows "Please enter an integer." or
// the bounded message in an OK box titled "Corvane", selects the field's text, gives it the
// focus and returns false.
bool ReadIntegerField(QWidget* dialog, QLineEdit* field, int low, int high, int* value);

}  // namespace corvane::desktop
