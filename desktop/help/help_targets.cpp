#include "desktop/help/help_targets.h"

#include "desktop/help/help_operation.h"
#include "desktop/help/help_topics.h"

namespace corvane::desktop {

QUrl WebsiteTarget() { return HelpPageUrl(HelpFolder() / kHelpStartPage, {}); }

QUrl ContactTarget() { return HelpPageUrl(HelpFolder() / "report.html", {}); }

}  // namespace corvane::desktop
