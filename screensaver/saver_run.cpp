#include "screensaver/saver_run.h"

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "core/collector_control.h"
#include "core/engine.h"
#include "core/product_version.h"
#include "platform/linux/host/settings_store.h"
#include "platform/linux/host/signal_watcher.h"
#include "platform/linux/x11/single_instance.h"
#include "platform/linux/x11/xcb_window.h"
#include "platform/qt/translations.h"
#include "platform/system_provider.h"
#include "screensaver/chart_placement.h"
#include "screensaver/exit_guard.h"
#include "screensaver/options_dialog.h"
#include "screensaver/saver_profile.h"
#include "screensaver/saver_view.h"
#include "screensaver/screensaver_settings.h"

namespace corvane::screensaver {
namespace {

// Hosts give a hack about a second before they complain; the user sees the desktop at once.
constexpr auto kExitDeadline = std::chrono::milliseconds(400);
// What the collector gets, of that, to end by itself so that the engine goes in good order.
constexpr auto kExitMargin = std::chrono::milliseconds(50);

std::atomic<ExitGuard*> g_exit_guard{nullptr};

std::string DisplayName() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr ? display : "";
}

}  // namespace

int RunSaverWindow(const SaverCommand& command, int& argc, char** argv) {
  // The host's SIGTERM may come at any moment, even before the window exists; the watcher
  // blocks the signals before any other thread starts, so that every thread inherits it.
  host::HostResult<std::unique_ptr<host::SignalWatcher>> watcher =
      host::SignalWatcher::Start({SIGTERM, SIGINT, SIGHUP}, [](int) {
        if (ExitGuard* guard = g_exit_guard.load()) {
          guard->RequestExit(kExitOk);
        } else {
          std::fflush(stderr);
          _exit(kExitOk);
        }
      });
  if (!watcher.ok()) {
    std::cerr << "corvscreen: " << watcher.status.Message() << '\n';
    return kExitFailure;
  }

  const bool full_screen = command.mode == SaverMode::kFullScreen;
  std::unique_ptr<x11::SingleInstance> instance;
  if (full_screen) {
    x11::SingleInstance::Claim claim =
        x11::SingleInstance::Take(x11::SingleInstance::LockFileFor(DisplayName()));
    if (!claim.held && claim.error.empty()) {
      // One full-screen screen saver at a time: bring the running one forward.
      if (claim.running_window != 0) x11::XcbWindow::RaiseOther(claim.running_window);
      return kExitOk;
    }
    if (!claim.error.empty()) std::cerr << "corvscreen: " << claim.error << '\n';
    instance = std::move(claim.held);
  }

  x11::XcbWindow::Opened opened = full_screen ? x11::XcbWindow::CreateFullScreen("Screen Saver")
                                              : x11::XcbWindow::Attach(command.window);
  if (!opened.window) {
    std::cerr << "corvscreen: " << opened.error << '\n';
    return kExitFailure;
  }
  x11::XcbWindow& window = *opened.window;
  if (instance) instance->Publish(window.id());

  // Fonts and painting need Qt's GUI application; its windows are never used.
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  QGuiApplication app(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  ExitGuard guard(
      kExitDeadline,
      [&app] { QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection); },
      [&window] { window.Flush(); });
  g_exit_guard = &guard;

  host::SettingsStore user(host::Hive::kCurrentUser);
  const ScreensaverSettings settings = ReadScreensaverSettings(user);
  const std::unique_ptr<perf::Provider> provider = MakeSystemProvider();
  Corvane engine(*provider, /*interactive=*/false);
  engine.SetUpNewProfile();
  LoadScreensaverProfile(engine, settings.profile_path);

  std::mt19937 random(
      static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  SaverView view(
      engine, window,
      ChartPlacement(settings.area_size, settings.timeout, [&random] { return random(); }),
      full_screen);
  QObject::connect(&view, &SaverView::finished, &app, [&guard] { guard.RequestExit(kExitOk); });
  view.Start();
  if (!engine.Start(&view, /*repaint_at_start=*/false)) {
    std::cerr << "corvscreen: cannot start collecting the counters\n";
  }

  if (!guard.requested()) app.exec();

  // The collector gets what is left of the deadline to finish its pass; when it is still
  // connecting to a slow machine the process ends without it (see exit_guard.h).
  engine.ClearWindow();
  CollectorControl& control = CollectorControl::Instance();
  control.ForceStop(&engine);
  const auto left = guard.Remaining() - kExitMargin;
  if (!control.WaitUntilStopped(&engine, std::max(left, std::chrono::milliseconds(0)))) {
    guard.ExitNow();
  }
  g_exit_guard = nullptr;
  return guard.code();
}

int RunCorvscreen(int& argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const SaverCommand command = ParseSaverCommandLine(args, std::getenv("XSCREENSAVER_WINDOW"));
  switch (command.mode) {
    case SaverMode::kHelp:
      out << kSaverUsage;
      return kExitOk;
    case SaverMode::kVersion:
      out << VersionLine("corvscreen");
      return kExitOk;
    case SaverMode::kError:
      err << "corvscreen: " << command.error << '\n' << kSaverUsage;
      return kExitUsage;
    case SaverMode::kPassword:
      out << "corvscreen: /a (the screen saver's password) has no meaning on Linux: the screen "
             "saver host locks the screen and asks for your login password itself.\n";
      return kExitOk;
    case SaverMode::kOptions: {
      QApplication app(argc, argv);
      // The options in the user's language (LANG), when there is a translation for it.
      qt::InstallTranslations(
          app, QLocale(),
          qt::TranslationsFolder(QCoreApplication::applicationDirPath().toStdString()));
      return RunOptionsDialog(command.owner);
    }
    case SaverMode::kFullScreen:
    case SaverMode::kPreview:
    case SaverMode::kHostWindow:
      return RunSaverWindow(command, argc, argv);
  }
  return kExitFailure;
}

}  // namespace corvane::screensaver
