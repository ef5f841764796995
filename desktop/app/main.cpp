// Corvane: the desktop program.
#include <QApplication>

#include "desktop/app/corvane_app.h"
#include "desktop/dialogs/corvane_dialogs.h"
#include "platform/qt/product_text.h"
#include "platform/system_provider.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(corvane::product::kAppTitle));
  QApplication::setOrganizationName(QString::fromLatin1(corvane::product::kOrganisation));
  QApplication::setDesktopFileName(QStringLiteral("corvane"));
  const auto provider = corvane::MakeSystemProvider();
  corvane::desktop::CorvaneDialogs dialogs;
  corvane::desktop::CCorvaneApp corvane(*provider, dialogs,
                                        corvane::desktop::MachineSettingsForThisProgram());
  if (!corvane.InitInstance(QApplication::arguments().mid(1))) return 1;
  return QApplication::exec();
}
