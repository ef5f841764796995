// The one scheme of object names by which tests and tools find the programs' widgets:
// "<role>_<resource id>" for a control that has a resource id, "<role>_<name>" otherwise, the
// name in lower-case words joined by '_' ("edit_1005", "button_connect", "dialog_130").
// Widgets are named only through these functions. Pure functions; any thread.
#pragma once

#include <QObject>
#include <QString>

namespace corvane::qt {

// What a widget is to the user, the first part of its name.
enum class WidgetRole {
  kBar,     // a tool or control bar
  kButton,  // a push or tool button
  kCheck,   // a check box
  kCombo,   // a drop-down list
  kDialog,  // a dialog or top-level window
  kEdit,    // a text field, a spin field
  kLabel,   // a static text
  kList,    // a list or tree
  kRadio,   // a radio button
  kSlider,  // a slider
};

// "<role>_<resource id>".
QString ObjectName(WidgetRole role, int resource_id);
// "<role>_<name>"; `name` is lower-case words joined by '_'.
QString ObjectName(WidgetRole role, const char* name);

// Names `object` in the scheme and returns it, so a widget is named where it is made.
template <typename T>
T* Named(T* object, WidgetRole role, int resource_id) {
  object->setObjectName(ObjectName(role, resource_id));
  return object;
}
template <typename T>
T* Named(T* object, WidgetRole role, const char* name) {
  object->setObjectName(ObjectName(role, name));
  return object;
}

// Whether `name` follows the scheme (for tests that walk a window's widgets).
bool FollowsNameScheme(const QString& name);

}  // namespace corvane::qt
