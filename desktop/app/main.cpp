// Corvane: the desktop program.
#include <QApplication>
#include <cstdio>

#include "core/product_version.h"
#include "desktop/app/command_line.h"
#include "desktop/app/corvane_app.h"
#include "desktop/dialogs/corvane_dialogs.h"
#include "platform/qt/product_text.h"
#include "platform/qt/translations.h"
#include "platform/system_provider.h"

int main(int argc, char** argv) {
  // Answered without a display, as every program's --help and --version are.
  switch (corvane::desktop::FindInfoRequest(argc, argv)) {
    case corvane::desktop::InfoRequest::kHelp:
      std::fwrite(corvane::desktop::kDesktopUsage.data(), 1, corvane::desktop::kDesktopUsage.size(),
                  stdout);
      return 0;
    case corvane::desktop::InfoRequest::kVersion:
      std::fputs(corvane::VersionLine("Corvane").c_str(), stdout);
      return 0;
    case corvane::desktop::InfoRequest::kNone:
      break;
  }
  // On X11 the window's backing store goes to the server through the socket, not through shared
  // memory: with shared memory a paint over the last one waits for a round trip to the server,
  // which wakes Qt's event thread and then this one a second time for each sample, while a
  // sample paints only the part of the chart it changed.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(corvane::product::kAppTitle));
  QApplication::setOrganizationName(QString::fromLatin1(corvane::product::kOrganisation));
  QApplication::setDesktopFileName(QStringLiteral("corvane"));
  // The menus and dialogs in the user's language (LANG), when there is a translation for it.
  corvane::qt::InstallTranslations(
      application, QLocale(),
      corvane::qt::TranslationsFolder(QCoreApplication::applicationDirPath().toStdString()));
  const auto provider = corvane::MakeSystemProvider();
  corvane::desktop::CorvaneDialogs dialogs;
  corvane::desktop::CCorvaneApp corvane(*provider, dialogs,
                                        corvane::desktop::MachineSettingsForThisProgram());
  // A command line it cannot follow: the reason and the usage are on the standard error.
  if (!corvane.InitInstance(QApplication::arguments().mid(1))) return 2;
  return QApplication::exec();
}
