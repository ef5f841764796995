// The screen saver's runs: drawing into a host's or preview window, full-screen in a window of
// its own, and the dispatch of the whole command line. Main thread only.
#pragma once

#include <ostream>

#include "screensaver/saver_command_line.h"

namespace corvane::screensaver {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Draws the live wind rose until the host ends it (SIGTERM, SIGINT, its window gone) or, full
// screen, until the user's input. Runs Qt on its xcb platform whatever the session prefers:
// the pictures go to X windows. Must be called before any other thread starts.
int RunSaverWindow(const SaverCommand& command, int& argc, char** argv);

// The whole program: the command line of argv, then the run it asks for.
int RunCorvscreen(int& argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace corvane::screensaver
