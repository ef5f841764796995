// Connect to... as the desktop program opens it: the remote host dialog over an engine whose
// profile reads through a Prometheus server (a stand-in server on the loopback that answers
// the "up" query late) offers that server's instances, says it is asking meanwhile and stays
// usable; a server that is not there and a profile without a server leave the field to typing.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "core/engine.h"
#include "desktop/counters/computer_dlg.h"
#include "desktop/dialogs/corvane_dialogs.h"
#include "platform/fake/fake_provider.h"
#include "platform/remote/remote_switch.h"
#include "platform/routing_provider.h"
#include "tests/desktop/counters/dialog_test_support.h"
#include "tests/platform/remote/fake_exporter.h"

namespace corvane::desktop {
namespace {

using dialog_test::Button;
using dialog_test::Field;
using qt_test::OnNextModal;
using namespace std::chrono_literals;

// The server's answer to "up": three targets, one of them down.
constexpr const char* kUpAnswer =
    R"({"status":"success","data":{"resultType":"vector","result":[)"
    R"({"metric":{"__name__":"up","instance":"db-02:9100","job":"node"},"value":[1700000000,"1"]},)"
    R"({"metric":{"__name__":"up","instance":"db-01:9100","job":"node"},"value":[1700000000,"0"]},)"
    R"({"metric":{"__name__":"up","instance":"web-03:9182","job":"windows"},"value":[1700000000,"1"]})"
    R"(]}})";

// The desktop's provider as the program makes it, with the scripted provider standing in for
// the local machine and for direct scrapes.
class ConnectDialogTest : public ::testing::Test {
 protected:
  ConnectDialogTest()
      : provider_(MakeRoutingProvider(
            std::make_shared<fake::FakeProvider>(),
            std::make_shared<remote::RemoteSwitch>(std::make_shared<fake::FakeProvider>(),
                                                   [](const std::string& url) {
                                                     remote::ServerOptions options;
                                                     options.url = url;
                                                     options.connect_timeout = 1000ms;
                                                     options.total_timeout = 3000ms;
                                                     return options;
                                                   }))),
        engine_(*provider_, true) {}

  // The profile reads through `url`, as a started collector has told the provider.
  void ReadThrough(const std::string& url) {
    engine_.SetRemoteServer(url);
    provider_->SetRemoteServer(url);
  }

  // Opens Connect to... and runs `act` on the dialog; the dialog's answer.
  std::optional<QString> Ask(std::function<void(CComputerDlg*)> act) {
    OnNextModal([act](QWidget* top) {
      auto* dialog = qobject_cast<CComputerDlg*>(top);
      ASSERT_NE(dialog, nullptr);
      act(dialog);
    });
    CorvaneDialogs dialogs;
    return dialogs.AskComputer(engine_, nullptr);
  }

  std::unique_ptr<perf::Provider> provider_;
  desktop::DetachedWorkDrain drain_;  // the dialog's listing ends before the provider goes
  Corvane engine_;
};

QStringList Offered(QCompleter* completer) {
  QStringList rows;
  for (int i = 0; i < completer->completionModel()->rowCount(); ++i)
    rows << completer->completionModel()->index(i, 0).data().toString();
  return rows;
}

TEST_F(ConnectDialogTest, OffersTheServersInstancesAndSaysItIsAskingMeanwhile) {
  remote::testing::FakeExporter server;
  server.Serve(kUpAnswer);
  server.SetDelay(800ms);
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
  ReadThrough(url);

  const std::optional<QString> picked = Ask([&](CComputerDlg* dialog) {
    auto* edit = Field(dialog, "Computer");
    QLabel* label = dialog->instances_label();
    // The list is not there yet: the dialog says whom it asks and is busy, but takes typing.
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text().toStdString(),
              "Asking the Prometheus server at " + url + " for its instances...");
    EXPECT_EQ(dialog->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(edit->completer(), nullptr);
    edit->setFocus();
    QTest::keyClicks(edit, "d");
    EXPECT_EQ(edit->text(), "d");

    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->completer() != nullptr; }, 5000));
    EXPECT_FALSE(label->isVisible());
    EXPECT_NE(dialog->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(edit->placeholderText(), "an instance of the server: type to search 3 instances");
    QTest::keyClicks(edit, "b");
    EXPECT_EQ(Offered(edit->completer()),
              (QStringList{"db-01:9100 (node, down)", "db-02:9100 (node, up)"}));
    ASSERT_TRUE(edit->completer()->popup()->isVisible());
    QTest::keyClick(edit->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(edit->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(edit->completer()->popup(), Qt::Key_Return);
    EXPECT_EQ(edit->text(), "db-02:9100");
    QTest::mouseClick(Button(dialog, "OK"), Qt::LeftButton);
  });
  ASSERT_TRUE(picked.has_value());
  EXPECT_EQ(*picked, "db-02:9100");
  EXPECT_EQ(server.requests(), 1);
  EXPECT_NE(server.LastRequest().find("POST /api/v1/query "), std::string::npos);
}

// Without a list the field is typed into as always; only a profile with a server says so.
TEST_F(ConnectDialogTest, WithoutTheServersListTheNameIsTyped) {
  const struct {
    const char* name;
    bool with_server;
    const char* said;  // the label's last text; nullptr: never shown
  } cases[] = {
      {"ServerNotThere", true,
       "The Prometheus server at http://127.0.0.1:%1 lists no instances: type the instance as "
       "the server names it."},
      {"DirectScrapes", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString port = QString::number(remote::testing::RefusingPort());
    ReadThrough(c.with_server ? "http://127.0.0.1:" + port.toStdString() : "");
    const std::optional<QString> typed = Ask([&](CComputerDlg* dialog) {
      auto* edit = Field(dialog, "Computer");
      QLabel* label = dialog->instances_label();
      if (c.said != nullptr) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return label->text().contains("lists no"); }, 5000));
        EXPECT_EQ(label->text(), QString::fromLatin1(c.said).arg(port));
        EXPECT_TRUE(label->isVisible());
      } else {
        QTest::qWait(100);
        EXPECT_FALSE(label->isVisible());
      }
      EXPECT_NE(dialog->cursor().shape(), Qt::BusyCursor);
      EXPECT_EQ(edit->completer(), nullptr);
      edit->setFocus();
      QTest::keyClicks(edit, "web-09:9100");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(*typed, "web-09:9100");
  }
}

}  // namespace
}  // namespace corvane::desktop
