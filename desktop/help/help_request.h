// How a dialog asks for the application's help: a call with the topic of its page. The
// application binds it to its help operation; tests pass a recorder.
// GUI thread only.
#pragma once

#include <functional>

#include "desktop/help/help_topics.h"

namespace corvane::desktop {

using HelpRequest = std::function<void(HelpTopicId topic)>;

}  // namespace corvane::desktop
