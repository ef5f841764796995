// The System options command: reads the service's "Profile" (default user's hive) and the two
// "SCRNSAVE.EXE" values (default user and current user), runs CServiceConfigDlg and, on OK,
// writes only what changed, through the privileged write where the machine-wide store cannot
// be written. Keys that do not exist are neither read nor written. GUI thread only.
#pragma once

#include <string_view>

#include "desktop/help/help_request.h"

class QWidget;

namespace corvane::desktop {

inline constexpr std::string_view kSaverFile = "corvscreen.scr";

// Whether a "SCRNSAVE.EXE" value names corvscreen: its tail equals "corvscreen.scr" byte for
// byte (a full path counts, capitals do not).
bool NamesCorvscreen(std::string_view value);

void RunSystemOptions(QWidget* parent, HelpRequest help);

}  // namespace corvane::desktop
