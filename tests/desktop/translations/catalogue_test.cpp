// The program's texts as a translator reaches them: every text the windows ask to have
// translated is in the catalogue lupdate extracts from the sources, under the context it is
// asked in; the German translation covers the whole catalogue and shows German menus; and the
// profile a German program writes is byte for byte the English one.
#include <QAccessible>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSlider>
#include <QTranslator>
#include <QXmlStreamReader>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counters_dlg.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "desktop/frame/playback_session.h"
#include "desktop/help/about_dlg.h"
#include "desktop/settings/log_settings.h"
#include "desktop/settings/options_dlg.h"
#include "desktop/settings/service_config_dlg.h"
#include "desktop/settings/wizard_add_dlg.h"
#include "platform/qt/product_text.h"
#include "platform/qt/translations.h"
#include "screensaver/options_dialog.h"
#include "tests/core/recording/recording_test_support.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using Key = std::pair<QString, QString>;  // context, source text

struct Message {
  QString translation;
  bool finished = false;
};

// The messages of a Qt Linguist file, by context and source text.
std::map<Key, Message> ReadCatalogue(const QString& path) {
  std::map<Key, Message> messages;
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  QXmlStreamReader xml(&file);
  QString context, source;
  Message message;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) {
      if (xml.isEndElement() && xml.name() == QLatin1String("message"))
        messages[{context, source}] = message;
      continue;
    }
    if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("message")) {
      source.clear();
      message = {};
    } else if (xml.name() == QLatin1String("source")) {
      source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      const QStringView type = xml.attributes().value(QLatin1String("type"));
      message.finished = type.isEmpty();
      message.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    } else if (xml.name() == QLatin1String("numerusform")) {
      message.translation += xml.readElementText();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

// Answers no text and remembers every one it was asked for.
class RecordingTranslator final : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char*, int) const override {
    if (source != nullptr && *source != '\0')
      asked_.insert({QString::fromUtf8(context), QString::fromUtf8(source)});
    return QString();
  }
  bool isEmpty() const override { return false; }
  const std::set<Key>& asked() const { return asked_; }

 private:
  mutable std::set<Key> asked_;
};

// Qt's own classes have their texts from Qt's translations; QObject's context is the program's.
bool IsQtContext(const QString& context) {
  return context.size() > 1 && context[0] == QLatin1Char('Q') && context[1].isUpper() &&
         context != QLatin1String("QObject");
}

// The placeholders a text has (%1 .. %9, %n), each once.
QStringList Placeholders(const QString& text) {
  QStringList found;
  for (const char* mark : {"%1", "%2", "%3", "%4", "%5", "%6", "%7", "%8", "%9", "%n"}) {
    if (text.contains(QLatin1String(mark))) found << QLatin1String(mark);
  }
  return found;
}

class TranslationTest : public DesktopFixture {
 protected:
  void TearDown() override {
    DesktopFixture::TearDown();
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) delete translator;
  }
  // A log of two samples beside the profile that wrote it; its path.
  QString WriteRecording() {
    const std::filesystem::path folder = temp_ / "night";
    testing_recording::WriteFile(
        folder / "Night.crvn",
        testing_recording::ProfileText("Interval=1\r\nLogMode=1\r\nLogFormat=1\r\n",
                                       {{"Load", 100, 80, 1, false, "\\Test\\Load"}}));
    const std::filesystem::path log = folder / "Logs" / "Night-log.csv";
    testing_recording::WriteFile(log,
                                 "Corvane Log: Night\n\nStarted on Sunday 03/01/2026 at 09:59:59\n"
                                 "Date,Time,Load\n03/01,10:00:00,1.00\n03/01,10:00:01,2.00\n");
    return QString::fromStdString(log.string());
  }
  // Shows the log at `path` on the chart, as File > Open Log... does.
  void Play(const QString& path) {
    frame().OpenLog(path);
    WaitForStops();
    QTRY_VERIFY_WITH_TIMEOUT(frame().playback().IsActive(), 8000);
  }
  static std::string Bytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(TranslationTest, EveryTextTheWindowsAskForIsInTheExtractedCatalogue) {
  const std::map<Key, Message> catalogue =
      ReadCatalogue(QStringLiteral(CORVANE_EXTRACTED_CATALOGUE));
  ASSERT_GT(catalogue.size(), 100u);
  auto* recorder = new RecordingTranslator;
  recorder->setParent(qApp);
  QCoreApplication::installTranslator(recorder);

  // The window with its menus, tray menu, status bar and playback bar, and every dialog of the
  // program.
  ASSERT_TRUE(StartProgram());
  EngineWindow* view = &frame().view()->engine_window();
  const HelpRequest no_help = [](HelpTopicId) {};
  { CAboutDlg about(&frame(), &frame()); }
  { COptionsDlg options(engine(), view, no_help, &frame()); }
  { CLogSettings log(engine(), no_help, &frame()); }
  { CWizardAddDlg wizard(engine(), view, no_help, &frame()); }
  { CCountersDlg counters(engine(), view, no_help, &frame()); }
  { CComputerDlg computer(no_help, &frame()); }
  { CServiceConfigDlg service(QStringLiteral("/tmp/p.crvn"), true, true, &frame()); }
  // A recording played back, and the moment it shows.
  Play(WriteRecording());
  QTest::keyClick(frame().playback().bar()->slider(), Qt::Key_End);
  QTest::keyClick(frame().playback().bar()->slider(), Qt::Key_Escape);
  // What a screen reader says of the chart and of its axes.
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(frame().view());
  ASSERT_NE(chart, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
  for (QAccessibleInterface* node : {chart, chart->child(0)}) {
    for (const QAccessible::Text text :
         {QAccessible::Name, QAccessible::Value, QAccessible::Description})
      node->text(text);
  }
  // And the screen saver's options.
  host::SettingsStore user((temp_ / "user.ini").string());
  host::SettingsStore default_user((temp_ / "default.ini").string());
  { screensaver::ScreensaverOptionsDialog saver(user, default_user, {}, &frame()); }

  int own = 0;
  for (const Key& key : recorder->asked()) {
    // The product's name is the same in every language.
    if (IsQtContext(key.first) || key.second == QLatin1String(product::kAppTitle)) continue;
    ++own;
    EXPECT_TRUE(catalogue.count(key) == 1)
        << "\"" << key.second.toStdString() << "\" is asked for in the context "
        << key.first.toStdString() << " but lupdate does not extract it there";
  }
  EXPECT_GT(own, 150);
}

TEST_F(TranslationTest, TheGermanTranslationCoversTheCatalogueAndShowsGermanMenus) {
  const std::map<Key, Message> catalogue =
      ReadCatalogue(QStringLiteral(CORVANE_EXTRACTED_CATALOGUE));
  const std::map<Key, Message> german = ReadCatalogue(QStringLiteral(CORVANE_GERMAN_TS));
  for (const auto& [key, unused] : catalogue) {
    const auto found = german.find(key);
    if (found == german.end()) {
      ADD_FAILURE() << key.first.toStdString() << ": \"" << key.second.toStdString()
                    << "\" has no German";
      continue;
    }
    EXPECT_TRUE(found->second.finished && !found->second.translation.isEmpty())
        << key.first.toStdString() << ": \"" << key.second.toStdString() << "\" is unfinished";
    EXPECT_EQ(Placeholders(found->second.translation), Placeholders(key.second))
        << key.first.toStdString() << ": \"" << key.second.toStdString() << "\" -> \""
        << found->second.translation.toStdString() << "\"";
  }

  const std::filesystem::path folder = CORVANE_TRANSLATIONS_DIR;
  EXPECT_FALSE(qt::InstallTranslations(*qApp, QLocale(QStringLiteral("fr_FR")), folder));
  ASSERT_TRUE(qt::InstallTranslations(*qApp, QLocale(QStringLiteral("de_DE")), folder));
  ASSERT_TRUE(StartProgram());
  QStringList titles;
  for (QAction* menu : frame().menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"&Datei", "&Optionen", "&Hilfe"}));
  EXPECT_EQ(frame().action(cmd::kFileOpenLog)->text(), QStringLiteral("&Protokoll öffnen..."));
  // Every item of every menu, and every text of the playback bar, reads in German: a text that
  // bypasses the translation would show in English here.
  QSet<QString> translations;
  for (const auto& [key, message] : german) translations.insert(message.translation);
  QList<QMenu*> menus{frame().context_menu(), frame().tray_menu()};
  for (QAction* top : frame().menuBar()->actions()) menus << top->menu();
  int items = 0;
  for (int i = 0; i < menus.size(); ++i) {
    for (QAction* item : menus[i]->actions()) {
      if (item->menu() != nullptr) menus << item->menu();
      if (item->isSeparator() || !item->isVisible() || item->data().toInt() == cmd::kFileMru1)
        continue;
      ++items;
      EXPECT_TRUE(translations.contains(item->text())) << item->text().toStdString();
      if (!item->statusTip().isEmpty()) {
        EXPECT_TRUE(translations.contains(item->statusTip())) << item->statusTip().toStdString();
      }
    }
  }
  EXPECT_GT(items, 50);
  for (QWidget* widget : frame().playback().bar()->findChildren<QWidget*>()) {
    for (const QString& text : {widget->accessibleName(), widget->toolTip()}) {
      if (!text.isEmpty()) {
        EXPECT_TRUE(translations.contains(text)) << text.toStdString();
      }
    }
  }
  Play(WriteRecording());
  EXPECT_EQ(frame().windowTitle(),
            QStringLiteral("Night-log.csv (Aufgezeichnet 2026-03-01 10:00:00) - Corvane"));
  EXPECT_EQ(frame().playback().bar()->leaveButton()->text(), QStringLiteral("Live-Diagramm"));
}

TEST_F(TranslationTest, TheProfileAGermanProgramWritesIsByteForByteTheEnglishOne) {
  // Two new profiles, each from a program started afresh: one in English, one in German.
  const auto write_new_profile = [&](const char* name) {
    std::filesystem::remove(RegistryFile());
    EXPECT_TRUE(StartProgram());
    EXPECT_TRUE(Saved(doc().SaveAs(InFolder(name))));
    StopProgram();
    return Bytes(InFolder(name));
  };
  const std::string english = write_new_profile("english.crvn");
  ASSERT_TRUE(qt::InstallTranslations(*qApp, QLocale(QStringLiteral("de_DE")),
                                      std::filesystem::path(CORVANE_TRANSLATIONS_DIR)));
  const std::string german = write_new_profile("german.crvn");
  ASSERT_FALSE(english.empty());
  EXPECT_EQ(german, english);
}

}  // namespace
}  // namespace corvane::desktop::testing
