#include "platform/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace corvane::qt {

std::filesystem::path TranslationsFolder(const std::filesystem::path& program_folder) {
  return (program_folder / ".." / "share" / "corvane" / "translations").lexically_normal();
}

bool InstallTranslations(QCoreApplication& application, const QLocale& locale,
                         const std::filesystem::path& folder) {
  auto* own = new QTranslator(&application);
  if (!own->load(locale, QStringLiteral("corvane"), QStringLiteral("_"),
                 QString::fromStdString(folder.string()))) {
    delete own;
    return false;
  }
  // Qt's own buttons (Save, Discard, Cancel) in the same language, when Qt has them.
  auto* qt = new QTranslator(&application);
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
  QCoreApplication::installTranslator(own);
  return true;
}

}  // namespace corvane::qt
