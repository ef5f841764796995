#include <QStatusBar>
#include <vector>

#include "desktop/dialogs/document_dialogs.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/document/document_ui.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/main_frame.h"
#include "desktop/frame/tray_controller.h"
#include "desktop/help/help_targets.h"

namespace corvane::desktop {

// The command table: one row per command of the menu bar, the context menu and the tray
// menu, in the order the actions are made.
const std::vector<Command>& CMainFrame::Commands() {
  static const std::vector<Command> kCommands{
      {cmd::kFileNew, "file.new", QT_TR_NOOP("&New..."), QKeySequence::New,
       QT_TR_NOOP("Create a new document"), false, [](CMainFrame& f) { f.ui_->OnFileNew(); },
       nullptr},
      {cmd::kFileOpen, "file.open", QT_TR_NOOP("&Open..."), QKeySequence::Open,
       QT_TR_NOOP("Open an existing document"), false, [](CMainFrame& f) { f.ui_->OnFileOpen(); },
       nullptr},
      {cmd::kFileOpenLog, "file.open_log", QT_TR_NOOP("Open Lo&g..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Play an activity log back on the chart"), false,
       [](CMainFrame& f) { f.OnFileOpenLog(); }, nullptr},
      {cmd::kFileSave, "file.save", QT_TR_NOOP("&Save"), QKeySequence::Save,
       QT_TR_NOOP("Save the active document"), false, [](CMainFrame& f) { f.ui_->OnFileSave(); },
       nullptr},
      {cmd::kFileSaveAs, "file.save_as", QT_TR_NOOP("Save &As..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Save the active document with a new name"), false,
       [](CMainFrame& f) { f.ui_->OnFileSaveAs(); }, nullptr},
      {cmd::kViewLog, "file.view_log", QT_TR_NOOP("&View Log..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Display logging data"), false, [](CMainFrame& f) { f.ui_->OnViewLog(); },
       nullptr},
      {cmd::kCleanLog, "file.clean_log", QT_TR_NOOP("&Clean Log"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Reset logging data"), false, [](CMainFrame& f) { f.document_.CleanLog(); },
       nullptr},
      {cmd::kLogSettings, "file.log_settings", QT_TR_NOOP("&Log Settings..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Set logging options"), false,
       [](CMainFrame& f) { f.ui_->OnLogSettings(); }, nullptr},
      {cmd::kResetMax, "file.reset_max", QT_TR_NOOP("Reset &Max"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Set to zero all max values"), false,
       [](CMainFrame& f) { f.document_.ResetMax(); }, nullptr},
      {cmd::kRestart, "file.restart", QT_TR_NOOP("&Restart"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Bounce counters"), false, [](CMainFrame& f) { f.ui_->OnRestart(); }, nullptr},
      {cmd::kFileMru1, "file.recent1", QT_TR_NOOP(""), QKeySequence::UnknownKey,
       QT_TR_NOOP("Open this document"), false, [](CMainFrame& f) { f.OpenRecent(0); }, nullptr},
      {cmd::kFileMru1 + 1, "file.recent2", QT_TR_NOOP(""), QKeySequence::UnknownKey,
       QT_TR_NOOP("Open this document"), false, [](CMainFrame& f) { f.OpenRecent(1); }, nullptr},
      {cmd::kFileMru1 + 2, "file.recent3", QT_TR_NOOP(""), QKeySequence::UnknownKey,
       QT_TR_NOOP("Open this document"), false, [](CMainFrame& f) { f.OpenRecent(2); }, nullptr},
      {cmd::kFileMru1 + 3, "file.recent4", QT_TR_NOOP(""), QKeySequence::UnknownKey,
       QT_TR_NOOP("Open this document"), false, [](CMainFrame& f) { f.OpenRecent(3); }, nullptr},
      {cmd::kAppExit, "file.exit", QT_TR_NOOP("E&xit"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Quit the application"), false, [](CMainFrame& f) { f.close(); }, nullptr},
      {cmd::kCaption, "options.caption", QT_TR_NOOP("Window &Caption"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Display window title"), true,
       [](CMainFrame& f) { f.SetCaptionShown(f.ToggleSetting(&CorvaneSettings::Caption)); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::Caption); }},
      {cmd::kEnableTray, "options.enable_tray", QT_TR_NOOP("Enable In &Tray"),
       QKeySequence::UnknownKey, QT_TR_NOOP("Creates an icon in the system tray"), true,
       [](CMainFrame& f) { f.tray_->SetEnabled(f.ToggleSetting(&CorvaneSettings::EnableTray)); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::EnableTray); }},
      {cmd::kAlwaysOnTop, "options.always_on_top", QT_TR_NOOP("Always On &Top"),
       QKeySequence::UnknownKey, QT_TR_NOOP("Make this window on top of the others"), true,
       [](CMainFrame& f) { f.SetOnTop(f.ToggleSetting(&CorvaneSettings::AlwaysOntop)); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::AlwaysOntop); }},
      {cmd::kStatusBar, "options.status_bar", QT_TR_NOOP("&Status Bar"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Show or hide the status bar"), true, [](CMainFrame& f) { f.ToggleStatusBar(); },
       [](const CMainFrame& f) { return !f.statusBar()->isHidden(); }},
      {cmd::kNotifyCritical, "options.notify_critical", QT_TR_NOOP("&Notify On Critical"),
       QKeySequence::UnknownKey,
       QT_TR_NOOP("Show a desktop notification when a counter stays critical"), true,
       [](CMainFrame& f) {
         f.document_.alert_notifier().SetEnabled(f.ToggleSetting(&CorvaneSettings::NotifyCritical));
       },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::NotifyCritical); }},
      {cmd::kShowNames, "labels.names", QT_TR_NOOP("&Names"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Display axes names on the diagram"), true,
       [](CMainFrame& f) { f.ToggleChartLabel(cmd::kShowNames); },
       [](const CMainFrame& f) { return f.document_.engine().GetShowNames() != 0; }},
      {cmd::kShowValues, "labels.values", QT_TR_NOOP("&Values"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Display current values on the diagram"), true,
       [](CMainFrame& f) { f.ToggleChartLabel(cmd::kShowValues); },
       [](const CMainFrame& f) { return f.document_.engine().GetShowValues() != 0; }},
      {cmd::kShowNumbers, "labels.numbers", QT_TR_NOOP("N&umbers"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Assign numbers to each axis"), true,
       [](CMainFrame& f) { f.ToggleChartLabel(cmd::kShowNumbers); },
       [](const CMainFrame& f) { return f.document_.engine().GetShowNumbers() != 0; }},
      {cmd::kShowCurrent, "current.show", QT_TR_NOOP("&Show"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw current values on the graph"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::ShowCurrent); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::ShowCurrent); }},
      {cmd::kBoldCurrent, "current.bold", QT_TR_NOOP("&Bold"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw current values in bold"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::BoldCur); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::BoldCur); }},
      {cmd::kCurrentColour, "current.colour", QT_TR_NOOP("&Color..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Select color for current values"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kCurrent); }, nullptr},
      {cmd::kShowAverage, "average.show", QT_TR_NOOP("&Show"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw average values on the graph"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::ShowAverage); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::ShowAverage); }},
      {cmd::kBoldAverage, "average.bold", QT_TR_NOOP("&Bold"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw average values in bold"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::BoldAvg); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::BoldAvg); }},
      {cmd::kAverageColour, "average.colour", QT_TR_NOOP("&Color..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Select color for average values"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kAverage); }, nullptr},
      {cmd::kShowMax, "max.show", QT_TR_NOOP("&Show"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw max values on the graph"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::ShowMax); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::ShowMax); }},
      {cmd::kBoldMax, "max.bold", QT_TR_NOOP("&Bold"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Draw max values in bold"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::BoldMax); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::BoldMax); }},
      {cmd::kMaxColour, "max.colour", QT_TR_NOOP("&Color..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Select color for max values"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kMax); }, nullptr},
      {cmd::kBackColour, "diagram.background", QT_TR_NOOP("&Background..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Change background color"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kBack); }, nullptr},
      {cmd::kTextColour, "diagram.text_colour", QT_TR_NOOP("&Text Color..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Change text color"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kText); }, nullptr},
      {cmd::kLinesColour, "diagram.lines_colour", QT_TR_NOOP("&Lines Color..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Change color of axis lines"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kLines); }, nullptr},
      {cmd::kCriticalColour, "diagram.critical_colour", QT_TR_NOOP("&Critical Color..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Change color of critical border line"), false,
       [](CMainFrame& f) { f.ui_->OnColour(ColourSetting::kCritical); }, nullptr},
      {cmd::kBoldCritical, "diagram.bold_critical", QT_TR_NOOP("Bold C&ritical Line"),
       QKeySequence::UnknownKey, QT_TR_NOOP("Make critical border line bold"), true,
       [](CMainFrame& f) { f.ToggleSetting(&CorvaneSettings::BoldCrit); },
       [](const CMainFrame& f) { return f.SettingOn(&CorvaneSettings::BoldCrit); }},
      {cmd::kConnect, "options.connect", QT_TR_NOOP("C&onnect to..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Connect to remote computer"), false, [](CMainFrame& f) { f.ui_->OnConnect(); },
       nullptr},
      {cmd::kCounters, "options.counters", QT_TR_NOOP("&Counters..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Add/update/delete counters"), false, [](CMainFrame& f) { f.ui_->OnCounters(); },
       nullptr},
      {cmd::kPreferences, "options.preferences", QT_TR_NOOP("&Preferences..."),
       QKeySequence::UnknownKey, QT_TR_NOOP("Specify diagram charcteristics like grid step, etc."),
       false, [](CMainFrame& f) { f.ui_->OnPreferences(); }, nullptr},
      {cmd::kSystemOptions, "options.system", QT_TR_NOOP("S&ystem..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Screensaver and service options"), false,
       [](CMainFrame& f) { f.ui_->OnSystemOptions(); }, nullptr},
      {cmd::kHelpContents, "help.contents", QT_TR_NOOP("&Contents"), QKeySequence::HelpContents,
       QT_TR_NOOP("Show help topics"), false,
       [](CMainFrame& f) { f.dialogs_.ShowHelp(HelpTopicId::kContents, &f); }, nullptr},
      {cmd::kWebsite, "help.website", QT_TR_NOOP("&Website..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Go to product's website"), false,
       [](CMainFrame& f) { f.OpenPage(WebsiteTarget()); }, nullptr},
      {cmd::kContactUs, "help.contact_us", QT_TR_NOOP("C&ontact Us..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Send questions, comments, or bug reports"), false,
       [](CMainFrame& f) { f.OpenPage(ContactTarget()); }, nullptr},
      {cmd::kAbout, "help.about", QT_TR_NOOP("&About..."), QKeySequence::UnknownKey,
       QT_TR_NOOP("Display program information, version number and copyright"), false,
       [](CMainFrame& f) { f.dialogs_.ShowAbout(&f); }, nullptr},
      {cmd::kContextMinimize, "window.minimize", QT_TR_NOOP("M&inimize"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Minimize the window"), false, [](CMainFrame& f) { f.showMinimized(); }, nullptr},
      {cmd::kTrayRestore, "tray.restore", QT_TR_NOOP("&Restore"), QKeySequence::UnknownKey,
       QT_TR_NOOP("Restore the window"), false, [](CMainFrame& f) { f.tray_->RestoreFromTray(); },
       nullptr},
      {cmd::kTrayMinimize, "tray.minimize", QT_TR_NOOP("&Minimize"), QKeySequence::UnknownKey,
       QT_TR_NOOP(""), false, [](CMainFrame& f) { f.tray_->HideToTray(); }, nullptr},
  };
  return kCommands;
}

// While a recording is shown the window options, the help and another log stay at hand; New,
// Open and the recent files first go back to the live chart (their save check is the live
// profile's). The rest act on the live profile or its collector and wait for it.
bool CMainFrame::KeptInPlayback(int id) {
  switch (id) {
    case cmd::kFileOpenLog:
    case cmd::kAppExit:
    case cmd::kCaption:
    case cmd::kEnableTray:
    case cmd::kAlwaysOnTop:
    case cmd::kStatusBar:
    case cmd::kNotifyCritical:
    case cmd::kSystemOptions:
    case cmd::kHelpContents:
    case cmd::kWebsite:
    case cmd::kContactUs:
    case cmd::kAbout:
    case cmd::kContextMinimize:
    case cmd::kTrayRestore:
    case cmd::kTrayMinimize:
      return true;
    default:
      return false;
  }
}

bool CMainFrame::LeavesPlayback(int id) {
  return id == cmd::kFileNew || id == cmd::kFileOpen ||
         (id >= cmd::kFileMru1 && id < cmd::kFileMru1 + kRecentFileCount);
}

}  // namespace corvane::desktop
