#include "desktop/alerts/notification_markup.h"

namespace corvane::desktop {

QString EscapeNotificationMarkup(const QString& text) {
  QString escaped;
  escaped.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
      case u'&':
        escaped += QLatin1String("&amp;");
        break;
      case u'<':
        escaped += QLatin1String("&lt;");
        break;
      case u'>':
        escaped += QLatin1String("&gt;");
        break;
      case u'"':
        escaped += QLatin1String("&quot;");
        break;
      case u'\'':
        escaped += QLatin1String("&apos;");
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace corvane::desktop
