// The link label, the about box and the help operation's message, as a user meets them: real
// widgets on Qt's offscreen platform, clicked and typed into with QTest.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "desktop/help/about_dlg.h"
#include "desktop/help/help_operation.h"
#include "desktop/help/help_targets.h"
#include "desktop/help/help_topics.h"
#include "desktop/help/static_link.h"
#include "tests/desktop/help/help_test_support.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::desktop {
namespace {

using help_test::RecordingOpener;

// The QApplication comes from the test program's main.
class HelpWidgetsTest : public ::testing::Test {};

struct LinkRecorder {
  std::vector<QUrl> urls;
  CStaticLink::Opener opener() {
    return [this](const QUrl& url) {
      urls.push_back(url);
      return true;
    };
  }
};

TEST_F(HelpWidgetsTest, LinkLooksLikeALink) {
  CStaticLink link("corvane.example");
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_TRUE(link.font().underline());
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(link.url().isEmpty());
}

TEST_F(HelpWidgetsTest, FirstClickTakesTheUrlFromTheTextAndKeepsIt) {
  CStaticLink link("corvane.example/updates");
  LinkRecorder recorder;
  link.setOpener(recorder.opener());
  link.show();
  QTest::mouseClick(&link, Qt::LeftButton);
  EXPECT_EQ(link.url(), "http://corvane.example/updates");
  link.setText("other.example");
  QTest::mouseClick(&link, Qt::LeftButton);
  ASSERT_EQ(recorder.urls.size(), 2u);
  EXPECT_EQ(recorder.urls[0], QUrl("http://corvane.example/updates"));
  EXPECT_EQ(recorder.urls[1], QUrl("http://corvane.example/updates"));
}

TEST_F(HelpWidgetsTest, OnlyALeftClickInsideOrAKeyOpensTheLink) {
  CStaticLink link("corvane.example");
  LinkRecorder recorder;
  link.setOpener(recorder.opener());
  link.resize(120, 20);
  link.show();
  QTest::mouseClick(&link, Qt::RightButton);
  QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(300, 5));  // dragged off the link
  EXPECT_TRUE(recorder.urls.empty());
  link.setFocus();
  QTest::keyClick(&link, Qt::Key_Space);
  QTest::keyClick(&link, Qt::Key_Return);
  EXPECT_EQ(recorder.urls.size(), 2u);
}

TEST_F(HelpWidgetsTest, LinkTakesTheMainWindowOutOfAlwaysOnTop) {
  struct Case {
    const char* name;
    bool on_top, visible;
  };
  for (const Case c : {Case{"on top, shown", true, true}, Case{"on top, in the tray", true, false},
                       Case{"normal", false, true}}) {
    SCOPED_TRACE(c.name);
    QWidget main_window;
    main_window.setWindowFlag(Qt::WindowStaysOnTopHint, c.on_top);
    main_window.setGeometry(40, 30, 300, 200);
    if (c.visible) main_window.show();
    const QRect before = main_window.geometry();
    // The window is told the new state as it stands: its native window is kept, never hidden
    // and shown again (under a window manager that would move it or take its focus).
    const QPointer<QWindow> native = main_window.windowHandle();
    int hides = 0;
    if (native != nullptr) {
      QObject::connect(native, &QWindow::visibleChanged, [&hides](bool shown) { hides += !shown; });
    }
    CStaticLink link("corvane.example");
    LinkRecorder recorder;
    link.setOpener(recorder.opener());
    link.setMainWindow(&main_window);
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_FALSE(main_window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(main_window.isVisible(), c.visible);
    EXPECT_EQ(main_window.geometry(), before);
    if (c.visible) {
      EXPECT_FALSE(native.isNull());
      EXPECT_EQ(main_window.windowHandle(), native.data());
      EXPECT_FALSE(native.isNull() || native->flags().testFlag(Qt::WindowStaysOnTopHint));
      EXPECT_EQ(hides, 0);
    }
    EXPECT_EQ(recorder.urls.size(), 1u);
  }
}

QLabel* LabelWithText(QWidget* parent, const QString& text) {
  for (QLabel* label : parent->findChildren<QLabel*>())
    if (label->text() == text) return label;
  return nullptr;
}

TEST_F(HelpWidgetsTest, AboutBoxShowsNameVersionAndTheLink) {
  CAboutDlg about(nullptr);
  about.show();
  EXPECT_EQ(about.windowTitle(), "About Corvane");
  EXPECT_NE(LabelWithText(&about, "Corvane Version 1.6.1"), nullptr);
  QLabel* visit = LabelWithText(&about, "For latest updates and more information visit");
  ASSERT_NE(visit, nullptr);
  bool has_icon = false;
  for (QLabel* label : about.findChildren<QLabel*>())
    has_icon = has_icon || !label->pixmap().isNull();
  EXPECT_TRUE(has_icon);
  ASSERT_NE(about.link(), nullptr);
  EXPECT_TRUE(about.link()->isVisible());
  EXPECT_GT(about.link()->geometry().top(), visit->geometry().top()) << "the link follows the line";
  EXPECT_EQ(QUrl(about.link()->url()), WebsiteTarget());
  EXPECT_EQ(QUrl(about.link()->url()).fileName(), "help.html");
}

TEST_F(HelpWidgetsTest, AboutBoxLinkOpensItsAddressAfterLeavingAlwaysOnTop) {
  QWidget main_window;
  main_window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  main_window.show();
  RecordingOpener opener;
  ScopedHtmlOpener scoped(&opener);
  CAboutDlg about(&main_window);
  bool was_on_top_when_opened = true;
  QObject::connect(about.link(), &CStaticLink::followed, [&] {
    was_on_top_when_opened = main_window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  });
  about.show();
  QTest::mouseClick(about.link(), Qt::LeftButton);
  ASSERT_EQ(opener.urls.size(), 1u);
  EXPECT_EQ(opener.urls[0], WebsiteTarget());
  EXPECT_FALSE(was_on_top_when_opened);
  EXPECT_TRUE(main_window.isVisible());
  EXPECT_TRUE(about.isVisible()) << "following the link leaves the about box open";
}

TEST_F(HelpWidgetsTest, AboutBoxClosesWithOkAndWithEnter) {
  for (bool by_key : {false, true}) {
    CAboutDlg about(nullptr);
    qt_test::OnNextModal<CAboutDlg>([by_key](CAboutDlg* dialog) {
      if (by_key) {
        QTest::keyClick(dialog, Qt::Key_Return);
        return;
      }
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted) << (by_key ? "Enter" : "OK");
  }
}

// The test program has no Help folder beside it or under ../share/corvane.
TEST_F(HelpWidgetsTest, MissingPageIsReportedInABoxTitledCorvane) {
  struct Case {
    std::function<void(QWidget*)> request;
    const char* page;
  };
  const Case cases[] = {
      {[](QWidget* parent) { ShowHelp(HelpTopicId::kContents, parent); }, "help.html"},
      {[](QWidget* parent) { HelpRequestFor(parent)(HelpTopicId::kLogSettings); }, "log.html"},
      {[](QWidget* parent) { ShowHelp(HelpTopicId::kConnectionFailed, parent); }, "troubles.html"},
  };
  for (const Case& c : cases) {
    QWidget parent;
    parent.show();
    QString title, text;
    qt_test::OnNextModal<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    RecordingOpener opener;
    ScopedHtmlOpener scoped(&opener);
    c.request(&parent);
    EXPECT_EQ(title, "Corvane");
    EXPECT_EQ(text.toStdString(),
              "Cannot read file: " + (ProgramFolder() / "Help" / c.page).string());
    EXPECT_TRUE(opener.urls.empty());
  }
}

}  // namespace
}  // namespace corvane::desktop
