// Text for the body of a desktop notification. Notification servers read the body as a small
// markup language (<b>, <i>, <a href>, entities), so text that comes from a profile (axis
// names, machines) must reach them escaped: a name such as "<a href=...>" would otherwise
// become a link, and a stray "&" could make a server drop the whole body.
//
// Pure function; any thread.
#pragma once

#include <QString>

namespace corvane::desktop {

// `text` with &, <, >, " and ' as the entities &amp; &lt; &gt; &quot; &apos;.
QString EscapeNotificationMarkup(const QString& text);

}  // namespace corvane::desktop
