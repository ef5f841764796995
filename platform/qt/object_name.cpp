#include "platform/qt/object_name.h"

#include <QRegularExpression>
#include <array>
#include <utility>

namespace corvane::qt {
namespace {

constexpr std::array<std::pair<WidgetRole, const char*>, 10> kRoles = {{
    {WidgetRole::kBar, "bar"},
    {WidgetRole::kButton, "button"},
    {WidgetRole::kCheck, "check"},
    {WidgetRole::kCombo, "combo"},
    {WidgetRole::kDialog, "dialog"},
    {WidgetRole::kEdit, "edit"},
    {WidgetRole::kLabel, "label"},
    {WidgetRole::kList, "list"},
    {WidgetRole::kRadio, "radio"},
    {WidgetRole::kSlider, "slider"},
}};

QString RoleText(WidgetRole role) {
  for (const auto& [known, text] : kRoles) {
    if (known == role) return QLatin1String(text);
  }
  return QStringLiteral("widget");
}

}  // namespace

QString ObjectName(WidgetRole role, int resource_id) {
  return RoleText(role) + QLatin1Char('_') + QString::number(resource_id);
}

QString ObjectName(WidgetRole role, const char* name) {
  return RoleText(role) + QLatin1Char('_') + QLatin1String(name);
}

bool FollowsNameScheme(const QString& name) {
  static const QRegularExpression scheme(
      QStringLiteral("^(bar|button|check|combo|dialog|edit|label|list|radio|slider)_"
                     "([0-9]+|[a-z][a-z0-9]*(_[a-z0-9]+)*)$"));
  return scheme.match(name).hasMatch();
}

}  // namespace corvane::qt
