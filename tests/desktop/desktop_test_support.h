// Helpers for the desktop tests: scripted dialogs that answer at once and record what they
// were asked, a program under test (fake provider, settings in a temporary folder), and the
// shared answerer for the program's own message boxes. GUI (test) thread only.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

#include "core/engine.h"
#include "desktop/app/corvane_app.h"
#include "desktop/counters/detached_work.h"
#include "desktop/dialogs/document_dialogs.h"
#include "desktop/frame/document_ui.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/qt/message_box_answerer.h"
#include "tests/support/temp_folder.h"

namespace corvane::desktop::testing {

struct ScriptedDialogs final : DocumentDialogs {
  int wizard_result = QDialog::Rejected;
  int wizard_runs = 0;
  bool counters_ok = false;
  int counters_runs = 0;
  std::function<void(Corvane&)> counters_change;  // what "OK" in the counters dialog does
  std::optional<QString> computer;
  int computer_asks = 0;
  Corvane* computer_engine = nullptr;  // the engine the last AskComputer was given
  std::optional<QString> open_path;
  std::optional<QString> open_log_path;
  std::optional<QString> save_path;
  std::optional<QColor> colour;
  QColor colour_initial;
  QList<QColor> colour_custom;
  std::function<void(Corvane&)> log_settings_change;
  int log_settings_runs = 0;
  QList<QUrl> opened_urls;
  QList<HelpTopicId> help_topics;

  int RunWizard(Corvane&, EngineWindow*, QWidget*) override {
    ++wizard_runs;
    return wizard_result;
  }
  bool RunCounters(Corvane& engine, EngineWindow*, QWidget*) override {
    ++counters_runs;
    if (counters_ok && counters_change) counters_change(engine);
    return counters_ok;
  }
  std::optional<QString> AskComputer(Corvane& engine, QWidget*) override {
    ++computer_asks;
    computer_engine = &engine;
    return computer;
  }
  bool RunPreferences(Corvane&, EngineWindow*, QWidget*) override { return false; }
  bool RunLogSettings(Corvane& engine, QWidget*) override {
    ++log_settings_runs;
    if (log_settings_change) log_settings_change(engine);
    return static_cast<bool>(log_settings_change);
  }
  void RunSystemOptions(QWidget*) override {}
  void ShowAbout(QWidget*) override {}
  void ShowHelp(HelpTopicId topic, QWidget*) override { help_topics.append(topic); }
  std::optional<QString> AskOpenPath(QWidget*) override { return open_path; }
  std::optional<QString> AskOpenLogPath(QWidget*) override { return open_log_path; }
  std::optional<QString> AskSavePath(const QString&, QWidget*) override { return save_path; }
  std::optional<QColor> ChooseColour(const QColor& initial, const QList<QColor>& custom,
                                     QWidget*) override {
    colour_initial = initial;
    colour_custom = custom;
    return colour;
  }
  bool OpenUrl(const QUrl& url) override {
    opened_urls.append(url);
    return true;
  }
};

using qt_test::MessageBoxAnswerer;

// One program: a fake provider, scripted dialogs, the user's settings and new profiles in a
// temporary folder.
class DesktopFixture : public ::testing::Test {
 protected:
  std::filesystem::path ProfileFolder() const { return temp_ / "profiles"; }
  std::string RegistryFile() const { return (temp_ / "registry.ini").string(); }
  MachineSettings Machine() const {
    return MachineSettings(host::SettingsStore(RegistryFile()), ProfileFolder());
  }
  QString InFolder(const char* name) const {
    return QString::fromStdString((ProfileFolder() / name).string());
  }

  // Starts the program; false when its start-up failed.
  bool StartProgram(const QStringList& arguments = {}) {
    app_ = std::make_unique<CCorvaneApp>(provider_, dialogs_, Machine());
    return app_->InitInstance(arguments);
  }
  void StopProgram() { app_.reset(); }

  CCorvaneApp& app() { return *app_; }
  CMainFrame& frame() { return app_->frame(); }
  CCorvaneDoc& doc() { return app_->document(); }
  DocumentUi& ui() { return app_->frame().document_ui(); }
  static bool Saved(SaveOutcome outcome) { return outcome == SaveOutcome::kSaved; }
  // Waits until no collector stop is pending (New, Open, Restart and Connect wait for one).
  void WaitForStops() {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ui().stopper().IsPending(); }, 10000));
  }
  Corvane& engine() { return app_->document().engine(); }

  // The settings of a profile file, read by an engine of its own.
  CorvaneSettings SettingsInFile(const QString& path) {
    Corvane probe(provider_, false);
    probe.SetUpNewProfile();
    EXPECT_TRUE(probe.chart::WindRose::Load(path.toStdString())) << path.toStdString();
    return probe.GetSettings();
  }

  void TearDown() override {
    provider_.ReleaseDelays();
    app_.reset();
  }

  test_support::TempFolder temp_;
  fake::FakeProvider provider_;
  desktop::DetachedWorkDrain drain_;  // the dialogs' workers end before the provider goes
  ScriptedDialogs dialogs_;
  std::unique_ptr<CCorvaneApp> app_;
};

}  // namespace corvane::desktop::testing
