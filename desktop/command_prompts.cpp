#include <array>
#include <utility>

#include "desktop/command_ids.h"

namespace corvane::desktop {

const char* CommandPrompt(int id) {
  static constexpr std::array<std::pair<int, const char*>, 46> kPrompts{{
      {cmd::kShowNames, "Display axes names on the diagram"},
      {cmd::kShowValues, "Display current values on the diagram"},
      {cmd::kShowNumbers, "Assign numbers to each axis"},
      {cmd::kShowCurrent, "Draw current values on the graph"},
      {cmd::kBoldCurrent, "Draw current values in bold"},
      {cmd::kShowAverage, "Draw average values on the graph"},
      {cmd::kBoldAverage, "Draw average values in bold"},
      {cmd::kShowMax, "Draw max values on the graph"},
      {cmd::kBoldMax, "Draw max values in bold"},
      {cmd::kBoldCritical, "Make critical border line bold"},
      {cmd::kAlwaysOnTop, "Make this window on top of the others"},
      {cmd::kEnableTray, "Creates an icon in the system tray"},
      {cmd::kNotifyCritical, "Show a desktop notification when a counter stays critical"},
      {cmd::kCaption, "Display window title"},
      {cmd::kCounters, "Add/update/delete counters"},
      {cmd::kPreferences, "Specify diagram charcteristics like grid step, etc."},
      {cmd::kRestart, "Bounce counters"},
      {cmd::kResetMax, "Set to zero all max values"},
      {cmd::kCurrentColour, "Select color for current values"},
      {cmd::kAverageColour, "Select color for average values"},
      {cmd::kMaxColour, "Select color for max values"},
      {cmd::kConnect, "Connect to remote computer"},
      {cmd::kLogSettings, "Set logging options"},
      {cmd::kViewLog, "Display logging data"},
      {cmd::kCleanLog, "Reset logging data"},
      {cmd::kTextColour, "Change text color"},
      {cmd::kBackColour, "Change background color"},
      {cmd::kLinesColour, "Change color of axis lines"},
      {cmd::kCriticalColour, "Change color of critical border line"},
      {cmd::kSystemOptions, "Screensaver and service options"},
      {cmd::kWebsite, "Go to product's website"},
      {cmd::kContactUs, "Send questions, comments, or bug reports"},
      {cmd::kFileNew, "Create a new document"},
      {cmd::kFileOpen, "Open an existing document"},
      {cmd::kFileSave, "Save the active document"},
      {cmd::kFileSaveAs, "Save the active document with a new name"},
      {cmd::kAppExit, "Quit the application"},
      {cmd::kHelpContents, "Show help topics"},
      {cmd::kStatusBar, "Show or hide the status bar"},
      {cmd::kFileMru1, "Open this document"},
      {cmd::kFileMru1 + 1, "Open this document"},
      {cmd::kFileMru1 + 2, "Open this document"},
      {cmd::kFileMru1 + 3, "Open this document"},
      {cmd::kAbout, "Display program information, version number and copyright"},
      {cmd::kContextMinimize, "Minimize the window"},
      {cmd::kTrayRestore, "Restore the window"},
  }};
  for (const auto& [command, prompt] : kPrompts) {
    if (command == id) return prompt;
  }
  return "";
}

}  // namespace corvane::desktop
