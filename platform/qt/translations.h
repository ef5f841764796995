// A program's translation for the user's language, one catalogue for the desktop program and
// the screen saver: the compiled corvane_<language> found in the translations folder beside
// the program (share/corvane/translations above its own folder, as installed and as in the
// build tree), and Qt's own texts (the standard buttons) when Qt's translations are installed.
// The translators are children of the application. GUI thread only, before the first window.
#pragma once

#include <QLocale>
#include <QString>
#include <filesystem>

class QCoreApplication;

namespace corvane::qt {

// The folder the compiled translations are looked for in, for a program in `program_folder`.
std::filesystem::path TranslationsFolder(const std::filesystem::path& program_folder);

// Installs the translation of `locale` from `folder` into `application`; false when the
// program has none for that language (it then speaks English).
bool InstallTranslations(QCoreApplication& application, const QLocale& locale,
                         const std::filesystem::path& folder);

}  // namespace corvane::qt
