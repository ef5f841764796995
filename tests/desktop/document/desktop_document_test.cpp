// The program as a user meets it: start-up, the profile document's commands, the save check.
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include "core/counter_item.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "platform/server_settings.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using DocumentTest = DesktopFixture;

QStringList CounterPaths(Corvane& engine) {
  QStringList paths;
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    paths.append(QString::fromStdString(engine.GetCounterPath(i)));
  }
  return paths;
}

// A profile saved by one run of the program, with a window rectangle of its own.
QString SaveProfileWithRectangle(DocumentTest& test, CCorvaneApp& app, int left, int top, int right,
                                 int bottom) {
  (void)test;
  CorvaneSettings settings = app.document().engine().GetSettings();
  settings.WndLeft = left;
  settings.WndTop = top;
  settings.WndRight = right;
  settings.WndBottom = bottom;
  app.document().engine().SetSettings(settings);
  EXPECT_TRUE(app.frame().document_ui().OnFileSave());
  return app.document().PathName();
}

TEST_F(DocumentTest, FirstStartMakesMyProfileWithTheDefaultCountersAndRunsTheWizard) {
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(doc().PathName(), InFolder("MyProfile.crvn"));
  EXPECT_EQ(frame().windowTitle(), QStringLiteral("MyProfile.crvn - Corvane"));
  EXPECT_GT(engine().GetAxisCount(), 0);
  EXPECT_EQ(dialogs_.wizard_runs, 1);
  EXPECT_TRUE(app().flags().show_wizard);
  EXPECT_FALSE(frame().statusBar()->isVisible());
  // The new name is not a recent file until it is saved.
  ASSERT_TRUE(app().machine().Flush());
  EXPECT_FALSE(Machine().LastProfile().has_value());
  EXPECT_EQ(host::SettingsStore(RegistryFile()).QueryValue(kSettingsKey, "NewFileNum").value, "1");
}

TEST_F(DocumentTest, AStartWhoseLastProfileWasDeletedRunsTheWizardOnANewProfile) {
  host::SettingsStore store(RegistryFile());
  ASSERT_TRUE(store.CreateKey(kRecentFileListKey).ok());
  ASSERT_TRUE(store.SetValue(kRecentFileListKey, "File1", (temp_ / "gone.crvn").string()).ok());
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(doc().PathName(), InFolder("MyProfile.crvn"));
  EXPECT_EQ(dialogs_.wizard_runs, 1);
}

TEST_F(DocumentTest, AStartWithAReadableLastProfileOpensItAtItsRectangleWithoutTheWizard) {
  ASSERT_TRUE(StartProgram());
  const QString path = SaveProfileWithRectangle(*this, app(), 100, 80, 500, 380);
  StopProgram();
  dialogs_.wizard_runs = 0;

  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(doc().PathName(), path);
  EXPECT_EQ(dialogs_.wizard_runs, 0);
  EXPECT_FALSE(app().flags().show_wizard);
  EXPECT_EQ(frame().pos(), QPoint(100, 80));
  EXPECT_EQ(frame().size(), QSize(400, 300));
}

TEST_F(DocumentTest, AProfileOnTheCommandLineOpensWithoutTheWizard) {
  ASSERT_TRUE(StartProgram());
  const QString path = SaveProfileWithRectangle(*this, app(), 20, 30, 320, 230);
  StopProgram();
  host::SettingsStore(RegistryFile()).DeleteValue(kRecentFileListKey, "File1");
  dialogs_.wizard_runs = 0;

  ASSERT_TRUE(StartProgram({path}));
  EXPECT_EQ(doc().PathName(), path);
  EXPECT_EQ(dialogs_.wizard_runs, 0);
  ASSERT_TRUE(app().machine().Flush());
  EXPECT_EQ(Machine().LastProfile(), path);
  EXPECT_FALSE(StartProgram({QStringLiteral("--bogus")}));
}

TEST_F(DocumentTest, NewAfterTheFirstDocumentTakesTheNextNameAndItsWizardMayLeadToCounters) {
  ASSERT_TRUE(StartProgram());
  MessageBoxAnswerer discard({}, QMessageBox::Discard);
  dialogs_.wizard_result = kWizardCountersResult;
  frame().action(cmd::kFileNew)->trigger();
  WaitForStops();
  EXPECT_EQ(doc().PathName(), InFolder("MyProfile2.crvn"));
  EXPECT_EQ(dialogs_.wizard_runs, 2);
  EXPECT_EQ(dialogs_.counters_runs, 1);

  dialogs_.wizard_result = QDialog::Accepted;
  frame().action(cmd::kFileNew)->trigger();
  WaitForStops();
  EXPECT_EQ(doc().PathName(), InFolder("MyProfile3.crvn"));
  EXPECT_EQ(dialogs_.counters_runs, 1);
}

// The server kept in the user's settings is the PrometheusServer of every new profile, written
// into its file; an opened profile keeps its own (none when it has none).
TEST_F(DocumentTest, NewProfilesReadThroughTheServerInTheSettings) {
  const std::string server = "http://127.0.0.1:9";
  const auto saved_text = [](const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromLatin1(file.readAll()).toStdString();
  };
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(engine().GetRemoteServer(), "");
  ASSERT_TRUE(ui().OnFileSave());
  const QString direct = doc().PathName();
  EXPECT_EQ(saved_text(direct).find("PrometheusServer"), std::string::npos);
  StopProgram();

  host::SettingsStore store(RegistryFile());
  ASSERT_TRUE(store.CreateKey(kServerSettingsKey).ok());
  ASSERT_TRUE(store.SetValue(kServerSettingsKey, "DefaultServer", server).ok());
  ASSERT_TRUE(store.DeleteValue(kRecentFileListKey, "File1").ok());
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(doc().PathName(), InFolder("MyProfile2.crvn"));
  EXPECT_EQ(engine().GetRemoteServer(), server);
  ASSERT_TRUE(ui().OnFileSave());
  const QString fleet = doc().PathName();
  EXPECT_NE(saved_text(fleet).find("\r\nPrometheusServer=" + server + "\r\n"), std::string::npos)
      << saved_text(fleet);

  for (const auto& [path, expected] :
       {std::pair{direct, std::string()}, std::pair{fleet, server}}) {
    dialogs_.open_path = path;
    frame().action(cmd::kFileOpen)->trigger();
    WaitForStops();
    EXPECT_EQ(doc().PathName(), path);
    EXPECT_EQ(engine().GetRemoteServer(), expected) << path.toStdString();
  }
}

TEST_F(DocumentTest, AnUnreadableProfileShowsAnEmptyDiagramUnderItsNameAndExitAsksNothing) {
  // A folder opens but cannot be read, the way a profile on a failing disk cannot.
  const QString bad = QString::fromStdString((temp_ / "bad.crvn").string());
  std::filesystem::create_directory(temp_ / "bad.crvn");
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(ui().OnFileSave());
  {
    MessageBoxAnswerer ok({}, QMessageBox::Ok);
    ui().OpenFiles({bad});
    WaitForStops();
    ASSERT_EQ(ok.texts().size(), 1);
    EXPECT_EQ(ok.texts()[0], QStringLiteral("Cannot read file: ") + bad);
    EXPECT_EQ(ok.titles()[0], QStringLiteral("Corvane"));
  }
  EXPECT_EQ(engine().GetAxisCount(), 0);
  EXPECT_EQ(doc().PathName(), bad);
  EXPECT_EQ(frame().windowTitle(), QStringLiteral("bad.crvn - Corvane"));
  ASSERT_TRUE(app().machine().Flush());
  EXPECT_NE(Machine().LastProfile(), bad);
  MessageBoxAnswerer none({}, QMessageBox::Cancel);
  EXPECT_TRUE(frame().close());
  EXPECT_TRUE(none.texts().isEmpty()) << none.texts().join('|').toStdString();
}

TEST_F(DocumentTest, ADisplayToggleIsSavedSilentlyOnExit) {
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  const QString path = doc().PathName();
  const bool max_shown = engine().GetSettings().ShowMax != 0;
  frame().action(cmd::kShowMax)->trigger();
  frame().action(cmd::kShowNames)->trigger();
  MessageBoxAnswerer any({}, QMessageBox::Cancel);
  EXPECT_TRUE(frame().close());
  EXPECT_TRUE(any.texts().isEmpty()) << any.texts().join('|').toStdString();
  EXPECT_EQ(SettingsInFile(path).ShowMax != 0, !max_shown);
}

TEST_F(DocumentTest, AnAddedCounterMakesExitAskAndCancelKeepsTheWindow) {
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  const int axes = engine().GetAxisCount();
  ASSERT_TRUE(engine().AddAxis("Extra", "", false, 0, 100, 80, 1, new CounterItem("\\X\\Y")));
  {
    MessageBoxAnswerer cancel({}, QMessageBox::Cancel);
    EXPECT_FALSE(frame().close());
    ASSERT_EQ(cancel.texts().size(), 1);
    EXPECT_EQ(cancel.texts()[0], QStringLiteral("Save changes to MyProfile.crvn?"));
  }
  MessageBoxAnswerer discard({}, QMessageBox::Discard);
  EXPECT_TRUE(frame().close());
  EXPECT_EQ(discard.texts().size(), 1);
  Corvane probe(provider_, false);
  probe.SetUpNewProfile();
  probe.RemoveAllAxes();
  ASSERT_TRUE(probe.chart::WindRose::Load(doc().PathName().toStdString()));
  EXPECT_EQ(probe.GetAxisCount(), axes);
}

struct ConnectCase {
  const char* name;
  std::optional<QString> computer;
  QStringList before;
  QStringList after;
};

class ConnectTest : public DesktopFixture, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectTest, RewritesEveryCounterPathsMachine) {
  ASSERT_TRUE(StartProgram());
  // A collector still connecting refuses to stop ("cannot stop" message): on a slow machine
  // (sanitizers, a busy CI) Connect would otherwise meet it there.
  QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
  engine().RemoveAllAxes();
  for (const QString& path : GetParam().before) {
    ASSERT_TRUE(
        engine().AddAxis("a", "", false, 0, 100, 80, 1, new CounterItem(path.toStdString())));
  }
  dialogs_.computer = GetParam().computer;
  frame().action(cmd::kConnect)->trigger();
  WaitForStops();
  EXPECT_EQ(dialogs_.computer_asks, 1);
  // The dialog lists instances through the provider of the engine being connected.
  EXPECT_EQ(dialogs_.computer_engine, &engine());
  EXPECT_EQ(CounterPaths(engine()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ConnectTest,
    ::testing::Values(ConnectCase{"EmptyNameMakesPathsLocal",
                                  QString(),
                                  {"\\\\srv\\Memory\\Pages/sec",
                                   "\\Processor(_Total)\\% Processor Time"},
                                  {"\\Memory\\Pages/sec", "\\Processor(_Total)\\% Processor Time"}},
                      ConnectCase{"NamePutInFrontOfLocalPaths",
                                  QStringLiteral("srv1"),
                                  {"\\Memory\\Pages/sec", "\\\\old:9100\\System\\Processes"},
                                  {"\\\\srv1\\Memory\\Pages/sec", "\\\\srv1\\System\\Processes"}},
                      ConnectCase{"CancelChangesNothing",
                                  std::nullopt,
                                  {"\\\\srv\\Memory\\Pages/sec"},
                                  {"\\\\srv\\Memory\\Pages/sec"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A message box with a help id gets a Help button that asks for the message's own topic.
TEST_F(DocumentTest, AMessagesHelpButtonAsksForTheMessagesTopic) {
  ASSERT_TRUE(StartProgram());
  qt::QtMessageSink& sink = app().messages();
  QMessageBox* shown = nullptr;
  QObject::connect(&sink, &qt::QtMessageSink::messageShown, &sink,
                   [&](QMessageBox* box) { shown = box; });
  EngineMessage message;
  message.text = "Connection failed";
  message.icon = MessageIcon::kError;
  message.help_context = static_cast<int>(ContextNumber(HelpTopicId::kConnectionFailed));
  sink.ShowMessage(message);
  QTRY_VERIFY_WITH_TIMEOUT(shown != nullptr, 5000);
  ASSERT_NE(shown->button(QMessageBox::Help), nullptr);
  QTest::mouseClick(shown->button(QMessageBox::Help), Qt::LeftButton);
  EXPECT_EQ(dialogs_.help_topics, QList<HelpTopicId>{HelpTopicId::kConnectionFailed});
}

TEST_F(DocumentTest, ConnectMakesTheProfileModified) {
  ASSERT_TRUE(StartProgram());
  QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  dialogs_.computer = QStringLiteral("srv1");
  frame().action(cmd::kConnect)->trigger();
  WaitForStops();
  EXPECT_TRUE(engine().IsModified());
}

TEST_F(DocumentTest, RestartSamplesAgainAndResetMaxTakesTheCurrentValues) {
  provider_.ScriptReadings("\\Test\\Load",
                           {fake::Value(90.0), fake::Value(90.0), fake::Value(40.0)},
                           fake::AfterScript::kHoldLast);
  ASSERT_TRUE(StartProgram());
  // A collector still starting refuses to stop; it is asked again until it has started.
  QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  engine().RemoveAllAxes();
  ASSERT_TRUE(engine().AddAxis("Load", "", false, 0, 100, 80, 1, new CounterItem("\\Test\\Load")));
  CorvaneSettings settings = engine().GetSettings();
  settings.Interval = 1;
  engine().SetSettings(settings);
  frame().action(cmd::kRestart)->trigger();
  WaitForStops();
  double max = 0;
  const auto current = [&] {
    double value = 0;
    engine().GetSeriesValue(0, &value, Corvane::kCurrentSeries);
    return value;
  };
  QTRY_COMPARE_WITH_TIMEOUT(current(), 40.0, 8000);
  engine().GetSeriesValue(0, &max, Corvane::kMaxSeries);
  EXPECT_DOUBLE_EQ(max, 90.0);
  frame().action(cmd::kResetMax)->trigger();
  engine().GetSeriesValue(0, &max, Corvane::kMaxSeries);
  EXPECT_DOUBLE_EQ(max, 40.0);
}

TEST_F(DocumentTest, TheCollectorsRepaintReachesTheViewFromItsThread) {
  provider_.ScriptValue("\\Test\\Load", 55.0);
  ASSERT_TRUE(StartProgram());
  // A collector still starting refuses to stop; it is asked again until it has started.
  QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  engine().RemoveAllAxes();
  ASSERT_TRUE(engine().AddAxis("Load", "", false, 0, 100, 80, 1, new CounterItem("\\Test\\Load")));
  CorvaneSettings settings = engine().GetSettings();
  settings.Interval = 1;
  engine().SetSettings(settings);
  const int delivered = frame().view()->engine_window().DeliveredRequests();
  ASSERT_TRUE(doc().Start(false));
  EXPECT_EQ(engine().GetStatusText(), "Loading...");
  QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
  QTRY_VERIFY_WITH_TIMEOUT(frame().view()->engine_window().DeliveredRequests() > delivered, 3000);
  EXPECT_EQ(engine().GetStatusText(), "");
}

TEST_F(DocumentTest, DroppedProfilesOpenInTurnAndTheLastStaysOpen) {
  ASSERT_TRUE(StartProgram());
  const QString first = QString::fromStdString((temp_ / "one.crvn").string());
  const QString second = QString::fromStdString((temp_ / "two.crvn").string());
  ASSERT_TRUE(Saved(doc().SaveDocument(first)));
  ASSERT_TRUE(Saved(doc().SaveDocument(second)));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frame(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  MessageBoxAnswerer discard({}, QMessageBox::Discard);
  QApplication::sendEvent(&frame(), &drop);
  QTRY_COMPARE(doc().PathName(), second);
  ASSERT_TRUE(app().machine().Flush());
  EXPECT_EQ(Machine().RecentFiles(), QStringList({second, first}));
}

TEST_F(DocumentTest, LineColourDialogOffersItsShadesAndChangesNoCounter) {
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  dialogs_.colour = QColor(0x12, 0x34, 0x56);
  frame().action(cmd::kAverageColour)->trigger();
  EXPECT_EQ(engine().GetSettings().AvgColor, 0x563412);
  ASSERT_EQ(dialogs_.colour_custom.size(), 16);
  EXPECT_EQ(dialogs_.colour_custom[0], QColor(0, 255, 0));
  EXPECT_EQ(dialogs_.colour_custom[15], QColor(0, 195, 0));
  EXPECT_FALSE(doc().IsModified());

  dialogs_.colour.reset();
  frame().action(cmd::kBackColour)->trigger();
  EXPECT_EQ(dialogs_.colour_initial, QColor(0, 0, 0));
  EXPECT_FALSE(dialogs_.colour_custom[0].isValid());
}

TEST_F(DocumentTest, ViewLogAsksWhileLoggingIsOffAndOpensTheLogOnceItIsOn) {
  ASSERT_TRUE(StartProgram());
  CorvaneSettings settings = engine().GetSettings();
  settings.LogMode = log_mode::kOff;
  engine().SetSettings(settings);
  {
    MessageBoxAnswerer no({}, QMessageBox::No);
    frame().action(cmd::kViewLog)->trigger();
    ASSERT_EQ(no.texts().size(), 1);
    EXPECT_EQ(no.texts()[0],
              QStringLiteral("Logging is turned off. Would you like to change log options?"));
  }
  EXPECT_EQ(dialogs_.log_settings_runs, 0);
  EXPECT_TRUE(dialogs_.opened_urls.isEmpty());

  dialogs_.log_settings_change = [](Corvane& engine) {
    CorvaneSettings s = engine.GetSettings();
    s.LogMode = log_mode::kEveryUpdate;
    engine.SetSettings(s);
  };
  MessageBoxAnswerer yes({}, QMessageBox::Yes);
  frame().action(cmd::kViewLog)->trigger();
  EXPECT_EQ(dialogs_.log_settings_runs, 1);
  ASSERT_EQ(dialogs_.opened_urls.size(), 1);
  EXPECT_EQ(dialogs_.opened_urls[0].toLocalFile().toStdString(), engine().GetLogPath());
}

TEST_F(DocumentTest, CountersOkMarksTheDocumentModified) {
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  dialogs_.counters_ok = true;
  dialogs_.counters_change = [](Corvane& engine) { engine.SetAxisName(0, "Renamed"); };
  frame().action(cmd::kCounters)->trigger();
  EXPECT_TRUE(doc().IsModified());
}

}  // namespace
}  // namespace corvane::desktop::testing
