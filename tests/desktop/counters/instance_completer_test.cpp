// The server's instances offered in the remote host dialog and the counter browser: typed
// into on Qt's offscreen platform, with 3,000 instances from a provider that lists them; and
// the dialog closed while the server is slow to list them.
#include "desktop/counters/instance_completer.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counter_browser.h"
#include "tests/desktop/counters/dialog_test_support.h"

namespace corvane::desktop {
namespace {

using dialog_test::BlockingProvider;
using dialog_test::ClosesWithoutWaiting;
using dialog_test::Field;
using dialog_test::Find;
using dialog_test::ReleaseAndSettle;

// Lists web-0:9100 ... web-2999:9100 (every seventh down), and nothing else.
class ListingProvider final : public perf::Provider {
 public:
  perf::Status OpenQuery(std::unique_ptr<perf::Query>*) override { return perf::kNoData; }
  perf::Status ConnectMachine(std::string_view) override { return perf::kNoMachine; }
  perf::Status LookupNameByIndex(std::string_view, std::uint32_t, std::string*) override {
    return perf::kStringNotFound;
  }
  perf::Status EnumObjects(std::string_view, std::vector<std::string>*) override {
    return perf::kNoMachine;
  }
  perf::Status EnumObjectItems(std::string_view, std::string_view, std::vector<std::string>*,
                               std::vector<std::string>*) override {
    return perf::kNoMachine;
  }
  perf::Status EnumMachines(std::vector<perf::MachineListing>* machines) override {
    machines->clear();
    for (int i = 0; i < 3000; ++i)
      machines->push_back({"web-" + std::to_string(i) + ":9100", "node", i % 7 != 0});
    return perf::kOk;
  }
};

QStringList Shown(QCompleter* completer) {
  QStringList rows;
  for (int i = 0; i < completer->completionModel()->rowCount(); ++i)
    rows << completer->completionModel()->index(i, 0).data().toString();
  return rows;
}

TEST(InstanceCompleterTest, TheRemoteHostDialogOffersTheServersInstancesAsTyped) {
  ListingProvider provider;
  DetachedWorkDrain drain;
  CComputerDlg dialog({}, nullptr);
  dialog.OfferInstancesOf(provider);
  dialog.show();
  auto* edit = Field(&dialog, "Computer");
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->completer() != nullptr; }, 5000));
  auto* completer = static_cast<InstanceCompleter*>(edit->completer());
  EXPECT_EQ(completer->InstanceCount(), 3000);

  edit->setFocus();
  QTest::keyClicks(edit, "WEB-299");
  EXPECT_EQ(
      Shown(completer).join('|').toStdString(),
      (QStringList{
           "web-299:9100 (node, up)", "web-2990:9100 (node, up)", "web-2991:9100 (node, up)",
           "web-2992:9100 (node, up)", "web-2993:9100 (node, up)", "web-2994:9100 (node, up)",
           "web-2995:9100 (node, up)", "web-2996:9100 (node, down)", "web-2997:9100 (node, up)",
           "web-2998:9100 (node, up)", "web-2999:9100 (node, up)"})
          .join('|')
          .toStdString());
  // Every instance matches "node": the popup keeps to its bound.
  edit->clear();
  QTest::keyClicks(edit, "node");
  EXPECT_EQ(completer->ShownCount(), InstanceCompleter::kShown);

  // Picking a row completes the field to the instance itself.
  edit->clear();
  QTest::keyClicks(edit, "web-2994");
  ASSERT_TRUE(completer->popup()->isVisible());
  QTest::keyClick(completer->popup(), Qt::Key_Down);
  QTest::keyClick(completer->popup(), Qt::Key_Return);
  EXPECT_EQ(edit->text(), "web-2994:9100");
  dialog.accept();
  EXPECT_EQ(dialog.ComputerName(), "web-2994:9100");
}

TEST(InstanceCompleterTest, DirectScrapesOfferNothingAndTheFieldStaysAsItWas) {
  fake::FakeProvider provider;
  DetachedWorkDrain drain;
  CCounterBrowser browser(
      provider, [](const std::string&) { return true; }, false, nullptr);
  auto* edit = Find<QLineEdit>(&browser, "edit_computer");
  auto* completer = edit->findChild<InstanceCompleter*>();
  ASSERT_NE(completer, nullptr);
  QSignalSpy listed(completer, &InstanceCompleter::Listed);
  ASSERT_TRUE(listed.wait(5000));
  EXPECT_EQ(listed.front().front().toInt(), 0);
  EXPECT_EQ(edit->completer(), nullptr);
  EXPECT_EQ(edit->placeholderText(), "this computer (or host, host:port, https://host:port)");
}

TEST(InstanceCompleterTest, ClosingTheRemoteHostDialogWhileTheServerIsSlowReturnsAtOnce) {
  BlockingProvider provider;
  DetachedWorkDrain drain;
  auto dialog = std::make_unique<CComputerDlg>(HelpRequest{}, nullptr);
  dialog->OfferInstancesOf(provider, "http://prom:9090");
  dialog->show();
  ASSERT_TRUE(provider.WaitUntilHeld(1));
  EXPECT_TRUE(ClosesWithoutWaiting(provider, 1, [&] { dialog.reset(); }));
  ReleaseAndSettle(provider);
}

TEST(InstanceCompleterTest, AnInstanceListThatComesInTimeIsStillOffered) {
  BlockingProvider provider;
  DetachedWorkDrain drain;
  CComputerDlg dialog(HelpRequest{}, nullptr);
  dialog.OfferInstancesOf(provider, "http://prom:9090");
  auto* edit = Field(&dialog, "Computer");
  ASSERT_TRUE(provider.WaitUntilHeld(1));
  provider.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->completer() != nullptr; }, 60000));
  EXPECT_EQ(static_cast<InstanceCompleter*>(edit->completer())->InstanceCount(), 1);
}

}  // namespace
}  // namespace corvane::desktop
