// Centring a window on a screen: its frame's centre on the centre of the screen's available
// area. GUI thread only.
#pragma once

class QScreen;
class QWidget;

namespace corvane::qt {

// `screen` nullptr: the screen of the window's parent, else the window's own, else the primary.
void CentreOnScreen(QWidget* window, const QScreen* screen = nullptr);

}  // namespace corvane::qt
