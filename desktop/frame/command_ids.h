// The desktop program's command ids: the numbers its command table (CMainFrame::Commands),
// status-bar prompts and help contexts are keyed by. Plain constants; any thread.
#pragma once

#include "platform/qt/product_text.h"

namespace corvane::desktop {

namespace cmd {
// File
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFileOpenLog = 32851;
inline constexpr int kFileMru1 = 57616;  // the recent files are kFileMru1 .. kFileMru1 + 3
inline constexpr int kAppExit = 57665;
inline constexpr int kViewLog = 32805;
inline constexpr int kCleanLog = 32806;
inline constexpr int kLogSettings = 32801;
inline constexpr int kResetMax = 32786;
inline constexpr int kRestart = 32777;
// Options
inline constexpr int kCaption = 32795;
inline constexpr int kEnableTray = 32842;
inline constexpr int kAlwaysOnTop = 32771;
inline constexpr int kStatusBar = 59393;
inline constexpr int kNotifyCritical = 32850;
inline constexpr int kShowNames = 32772;
inline constexpr int kShowValues = 32773;
inline constexpr int kShowNumbers = 32818;
inline constexpr int kShowCurrent = 32778;
inline constexpr int kBoldCurrent = 32783;
inline constexpr int kCurrentColour = 32790;
inline constexpr int kShowAverage = 32780;
inline constexpr int kBoldAverage = 32784;
inline constexpr int kAverageColour = 32791;
inline constexpr int kShowMax = 32781;
inline constexpr int kBoldMax = 32785;
inline constexpr int kMaxColour = 32793;
inline constexpr int kBackColour = 32813;
inline constexpr int kTextColour = 32812;
inline constexpr int kLinesColour = 32814;
inline constexpr int kCriticalColour = 32815;
inline constexpr int kBoldCritical = 32816;
inline constexpr int kConnect = 32797;
inline constexpr int kCounters = 32774;
inline constexpr int kPreferences = 32775;
inline constexpr int kSystemOptions = 32823;
// Help
inline constexpr int kHelpContents = 57670;
inline constexpr int kWebsite = 32848;
inline constexpr int kContactUs = 32849;
inline constexpr int kAbout = 57664;
// Context and tray menus
inline constexpr int kContextMinimize = 32845;
inline constexpr int kTrayRestore = 32836;
inline constexpr int kTrayMinimize = 32840;
}  // namespace cmd

// The product's name, for the tray's title and tip.
namespace text {
using product::kAppTitle;
}  // namespace text

}  // namespace corvane::desktop
