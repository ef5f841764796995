// The file dialogs for a profile (and for an activity log to play back), the same in the desktop
// program and the screen saver: Open and Save As with the profiles' filter, and the browser that
// the service and screen-saver options use to pick an existing profile (profiles, then all files).
// Each runs modally and answers the chosen path, or nothing when cancelled. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace corvane::qt {

// "Corvane Profiles (*.crvn)" then "All Files (*)", translated.
QStringList ProfileBrowseFilters();

std::optional<QString> AskOpenProfile(QWidget* parent);
// `proposed` is the path first shown; a name typed without the extension gets it.
std::optional<QString> AskSaveProfile(const QString& proposed, QWidget* parent);
// "Browse Corvane Profiles": an existing file, starting in `start` (a folder, or a file that
// is then selected).
std::optional<QString> BrowseForProfile(const QString& start, QWidget* parent);

// "Open Log": an existing activity log, "Corvane Logs (*.csv *.html)" then all files, in Qt's
// own dialog.
std::optional<QString> AskOpenActivityLog(QWidget* parent);

}  // namespace corvane::qt
