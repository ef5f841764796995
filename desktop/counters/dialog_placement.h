// Where the counters dialogs open: centred on the screen that holds the parent window (or the
// primary screen). GUI thread only.
#pragma once

class QWidget;

namespace corvane::desktop {

void CentreOnScreen(QWidget* dialog);

}  // namespace corvane::desktop
