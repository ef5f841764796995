// What the settings dialogs share: the framework's validation of an integer field (message box,
// focus on the field), and the collector-stop message. GUI thread only.
#pragma once

#include <QString>

#include "platform/qt/product_text.h"

class QWidget;
class QLineEdit;

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

using product::kAppTitle;
inline constexpr const char* kNotAnInteger = "Please enter an integer.";
inline constexpr const char* kIntegerOutOfRange = "Please enter an integer between %1 and %2.";

// Reads `field` as an integer in [low, high]. On failure shows "Please enter an integer." or
// the bounded message in an OK box titled "Corvane", selects the field's text, gives it the
// focus and returns false.
bool ReadIntegerField(QWidget* dialog, QLineEdit* field, int low, int high, int* value);

// Stops the engine's collector. A collector that is still starting (it opens its query and
// adds its counters first) refuses a stop at once, so the stop is asked again until the
// collector's 5-second limit has passed. False when it did not stop.
bool StopCollector(Corvane& engine);

// Message 61210, shown when the collector did not stop within its limit.
void ShowCannotStopCollector(QWidget* parent);

}  // namespace corvane::desktop
