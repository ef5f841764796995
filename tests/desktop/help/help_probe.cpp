// A stand-in for the desktop program in install and end-to-end tests.
//   help_probe CONTEXT  runs the help operation for the context, exactly as the program would
//                       from its folder; prints the message box's text when one shows (and
//                       closes it); exits 0 when the page went to the browser, 1 otherwise.
//   help_probe --about  shows an always-on-top main window and the about box over it, run
//                       modally; when it closes, prints whether the main window is still on
//                       top and exits 0.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "desktop/help/about_dlg.h"
#include "desktop/help/help_operation.h"
#include "tests/support/qt/message_box_answerer.h"

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) != "--about") setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc > 1 && std::string(argv[1]) == "--about") {
    QWidget main_window;
    main_window.setWindowTitle(QStringLiteral("Corvane probe main window"));
    main_window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    main_window.setGeometry(60, 60, 480, 360);
    main_window.show();
    corvane::desktop::CAboutDlg about(&main_window, &main_window);
    const int result = about.exec();
    std::printf("about result %d, main window on top %d\n", result,
                main_window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? 1 : 0);
    return 0;
  }
  const std::uint32_t context =
      argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0)) : 0;

  const corvane::qt_test::MessageBoxAnswerer answerer;
  corvane::desktop::ShowHelp(corvane::desktop::TopicOfContext(context), nullptr);
  if (answerer.texts().isEmpty()) return 0;
  const QString message = answerer.titles().front() + ": " + answerer.texts().front();
  std::printf("%s\n", message.toLocal8Bit().constData());
  return 1;
}
