// Window flags changed on a live window: the staying-on-top state and the frame's decorations
// are told to the window as it stands (on X11 the window manager gets the state change, such as
// _NET_WM_STATE_ABOVE), so the window is neither re-created, hidden nor moved. A widget that
// has no native window yet keeps the flags for when it gets one. GUI thread only.
#pragma once

#include <Qt>

class QWidget;

namespace corvane::qt {

void ApplyWindowFlags(QWidget* window, Qt::WindowFlags flags);
// Puts a window above the others or takes it out of that state, where it stands.
void SetStaysOnTop(QWidget* window, bool on_top);

}  // namespace corvane::qt
