#include "desktop/alerts/notification_markup.h"

namespace corvane::desktop {

QString EscapeNotificationMarkup(const QString& text) {
  // Qt's own escape covers & < > and "; the markup also takes ' as a quote.
  return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;"));
}

}  // namespace corvane::desktop
