// The counters dialog as a user meets it: typing into its fields and clicking its buttons, over
// an engine with the scripted provider.
#include "desktop/counters/counters_dlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counter_browser.h"
#include "desktop/counters/hscroll_list_box.h"
#include "tests/desktop/counters/dialog_test_support.h"

namespace corvane::desktop {
namespace {

using dialog_test::Button;
using dialog_test::EngineFixture;
using dialog_test::Field;
using dialog_test::MessageBoxAnswerer;
using dialog_test::PathOf;
using dialog_test::TypeInto;

class CountersDlgTest : public ::testing::Test {
 protected:
  void Open(int counters) {
    fixture_ = std::make_unique<EngineFixture>(counters);
    dialog_ = std::make_unique<CCountersDlg>(
        fixture_->engine, nullptr, [this](HelpTopicId topic) { help_.push_back(topic); }, nullptr);
    dialog_->show();
  }
  Corvane& engine() { return fixture_->engine; }
  QPushButton* W(const char* caption) { return Button(dialog_.get(), caption); }
  QLineEdit* E(const char* name) { return Field(dialog_.get(), name); }
  QCheckBox* Check(const char* name) {
    return qt_test::FindAccessible<QCheckBox>(dialog_.get(), QAccessible::CheckBox, name);
  }
  CHScrollListBox* List() {
    return qobject_cast<CHScrollListBox*>(
        qt_test::FindAccessible(dialog_.get(), QAccessible::List, "List of monitoring counters"));
  }
  void Click(const char* name) { QTest::mouseClick(W(name), Qt::LeftButton); }
  void SelectRow(int row) {
    QListWidget* list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < List()->count(); ++i)
      lines.push_back(List()->item(i)->text().toStdString());
    return lines;
  }
  std::vector<std::string> ChartPaths() {
    std::vector<std::string> paths;
    for (int i = 0; i < engine().GetAxisCount(); ++i) paths.push_back(engine().GetCounterPath(i));
    return paths;
  }
  std::vector<std::string> Fields() {
    return {
        E("Axis label")->text().toStdString(), E("Min value")->text().toStdString(),
        E("Max value")->text().toStdString(),  E("Critical value")->text().toStdString(),
        E("Scale")->text().toStdString(),      Check("Inverse")->isChecked() ? "inverse" : "plain"};
  }

  MessageBoxAnswerer boxes_;
  std::unique_ptr<EngineFixture> fixture_;
  std::unique_ptr<CCountersDlg> dialog_;
  std::vector<HelpTopicId> help_;
};

TEST_F(CountersDlgTest, EmptyProfileShowsDefaultsAndDisablesListButtons) {
  Open(0);
  EXPECT_EQ(Fields(), (std::vector<std::string>{"", "0", "100", "80", "1", "plain"}));
  for (const char* name : {"Delete", "Clear All", "Computer...", "Up", "Down", "Apply"})
    EXPECT_FALSE(W(name)->isEnabled()) << name;
  EXPECT_TRUE(W("Add...")->isEnabled());
  EXPECT_EQ(dialog_->windowTitle(), "Performance Counters - Corvane");
}

TEST_F(CountersDlgTest, OpensOnTheFirstCounterWithNumberedLines) {
  Open(3);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{"1. " + PathOf(0), "2. " + PathOf(1), "3. " + PathOf(2)}));
  EXPECT_EQ(Fields(), (std::vector<std::string>{"c1", "0", "100", "80", "1", "plain"}));
  EXPECT_FALSE(W("Up")->isEnabled());
  EXPECT_TRUE(W("Down")->isEnabled());
  EXPECT_FALSE(W("Apply")->isEnabled());
  SelectRow(2);
  EXPECT_TRUE(W("Up")->isEnabled());
  EXPECT_FALSE(W("Down")->isEnabled());
  EXPECT_EQ(Fields()[0], "c3");
}

TEST_F(CountersDlgTest, DescriptionIsShownAsLabelAndAppliedAsName) {
  Open(0);
  dialog_.reset();
  engine().AddAxis("name", "Described axis", false, 0, 100, 80, 1, new CounterItem(PathOf(0)));
  fixture_->provider.ScriptValue(PathOf(0), 1);
  dialog_ = std::make_unique<CCountersDlg>(engine(), nullptr, HelpRequest{}, nullptr);
  dialog_->show();
  EXPECT_EQ(Fields()[0], "Described axis");
  TypeInto(E("Min value"), "5");
  Click("OK");
  chart::Text name;
  engine().GetAxisName(0, &name);
  EXPECT_EQ(name.value_or(""), "Described axis");
}

struct RangeCase {
  const char* name;
  const char* min;
  const char* max;
  const char* critical;
  const char* scale;
  const char* message;  // "" when accepted
  const char* focused;  // the field that gets the focus on failure
};

void PrintTo(const RangeCase& c, std::ostream* out) { *out << c.name; }

class RangeTest : public CountersDlgTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeTest, ApplyAndOkWarnOnceAndKeepTheDialogOpen) {
  const RangeCase& c = GetParam();
  Open(1);
  TypeInto(E("Min value"), c.min);
  TypeInto(E("Max value"), c.max);
  TypeInto(E("Critical value"), c.critical);
  TypeInto(E("Scale"), c.scale);
  Click("Apply");
  if (*c.message == 0) {
    EXPECT_TRUE(boxes_.texts().empty());
    double min = -1, max = -1, critical = -1;
    engine().GetAxisMin(0, &min);
    engine().GetAxisMax(0, &max);
    engine().GetAxisCritical(0, &critical);
    EXPECT_EQ(min, std::stod(c.min));
    EXPECT_EQ(max, std::stod(c.max));
    EXPECT_EQ(critical, std::stod(c.critical));
    Click("OK");
    EXPECT_TRUE(boxes_.texts().empty());
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    return;
  }
  const QStringList once{QString::fromStdString(c.message)};
  EXPECT_EQ(boxes_.texts(), once);
  EXPECT_EQ(boxes_.titles().front().toStdString(), "Corvane");
  EXPECT_EQ(dialog_->focusWidget(), E(c.focused));
  boxes_.Clear();
  Click("OK");
  EXPECT_EQ(boxes_.texts(), once) << "OK warns once";
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_NE(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->focusWidget(), E(c.focused));
  double min = -1;
  engine().GetAxisMin(0, &min);
  EXPECT_EQ(min, 0) << "a refused field must not touch the chart";
  EXPECT_FALSE(engine().IsModified());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RangeTest,
    ::testing::Values(
        RangeCase{"AllEqual", "10", "10", "10", "1", "", ""},
        RangeCase{"WholeRangeAboveOld", "200", "500", "300", "2", "", ""},
        RangeCase{"NegativeMin", "-1", "100", "80", "1",
                  "All range values must be positive numbers.", "Min value"},
        RangeCase{"MaxBelowMin", "50", "20", "30", "1",
                  "Maximal value should be more than minimal value.", "Max value"},
        RangeCase{"CriticalAboveMax", "0", "100", "120", "1",
                  "Critical value should be in between of minimal and maximal values.",
                  "Critical value"},
        RangeCase{"CriticalBelowMin", "10", "100", "5", "1",
                  "Critical value should be in between of minimal and maximal values.",
                  "Critical value"},
        RangeCase{"NotANumber", "abc", "100", "80", "1", "Please enter a number.", "Min value"},
        RangeCase{"ScaleZero", "0", "100", "80", "0", "All range values must be positive numbers.",
                  "Scale"},
        RangeCase{"ScaleText", "0", "100", "80", "x", "Please enter a number.", "Scale"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CountersDlgTest, OkWithNoCounterStillChecksTheFieldsOnce) {
  Open(0);
  TypeInto(E("Max value"), "-3");
  Click("OK");
  EXPECT_EQ(boxes_.texts(), QStringList{"All range values must be positive numbers."});
  EXPECT_TRUE(dialog_->isVisible());
  TypeInto(E("Max value"), "100");
  Click("OK");
  EXPECT_EQ(boxes_.texts().size(), 1);
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
}

TEST_F(CountersDlgTest, OkWithoutEditsKeepsNumbersFinerThanTheFieldsShow) {
  // Values from a hand-edited profile with more digits than the fields show: OK without an
  // edit leaves each exactly as stored and the profile unmodified, also after moving between
  // the counters (which stores the fields of the one left).
  Open(0);
  dialog_.reset();
  const double max = 0.1 + 0.2;  // 0.30000000000000004, shown as 0.3
  const double critical = 0.1 * 3 - 1e-17;
  fixture_->AddCounter("fine", PathOf(0), max, critical);
  fixture_->AddCounter("finer", PathOf(1), 123456.78901234567, 100000.00000000001);
  engine().SetModified(false);
  dialog_ = std::make_unique<CCountersDlg>(engine(), nullptr, HelpRequest{}, nullptr);
  dialog_->show();
  SelectRow(1);
  SelectRow(0);
  Click("OK");
  EXPECT_TRUE(boxes_.texts().empty());
  EXPECT_FALSE(engine().IsModified());
  double stored_max = -1, stored_critical = -1;
  engine().GetAxisMax(0, &stored_max);
  engine().GetAxisCritical(0, &stored_critical);
  EXPECT_EQ(stored_max, max);
  EXPECT_EQ(stored_critical, critical);
  engine().GetAxisMax(1, &stored_max);
  EXPECT_EQ(stored_max, 123456.78901234567);
}

TEST_F(CountersDlgTest, BadNumberIsReportedAndTheSelectionStillMoves) {
  Open(2);
  TypeInto(E("Min value"), "abc");
  SelectRow(1);
  EXPECT_EQ(boxes_.texts(), QStringList{"Please enter a number."});
  EXPECT_EQ(Fields()[0], "c2");
  SelectRow(0);
  EXPECT_EQ(Fields()[1], "0") << "the invalid edit is dropped";
}

TEST_F(CountersDlgTest, ThirtyCountersTakeTwoOfFiveThenAddIsRefused) {
  Open(30);
  int accepted = 0;
  for (int i = 100; i < 105; ++i) {
    if (!dialog_->AddCounter(PathOf(i))) break;
    ++accepted;
  }
  EXPECT_EQ(accepted, 2);
  EXPECT_EQ(List()->count(), 32);
  EXPECT_EQ(List()->currentRow(), 31);
  EXPECT_EQ(Fields()[0], PathOf(101)) << "a new counter is labelled with its path";
  Click("Add...");
  EXPECT_EQ(boxes_.texts(), QStringList{"Exceeded maximal number of counters."});
}

TEST_F(CountersDlgTest, AddingAnEmptyPathIsRefused) {
  Open(1);
  EXPECT_FALSE(dialog_->AddCounter(""));
  EXPECT_EQ(List()->count(), 1);
}

struct DeleteCase {
  const char* name;
  int counters;
  int row;
  int selected_after;
  const char* label_after;
};

void PrintTo(const DeleteCase& c, std::ostream* out) { *out << c.name; }

class DeleteTest : public CountersDlgTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, SelectsTheRightNeighbour) {
  const DeleteCase& c = GetParam();
  Open(c.counters);
  SelectRow(c.row);
  Click("Delete");
  EXPECT_EQ(List()->count(), c.counters - 1);
  EXPECT_EQ(List()->currentRow(), c.selected_after);
  EXPECT_EQ(Fields()[0], c.label_after);
  EXPECT_EQ(W("Delete")->isEnabled(), c.counters > 1);
  if (List()->count() > 0) {
    EXPECT_EQ(List()->item(0)->text().left(3), "1. ");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteTest,
                         ::testing::Values(DeleteCase{"LastOfThree", 3, 2, 1, "c2"},
                                           DeleteCase{"FirstOfThree", 3, 0, 0, "c2"},
                                           DeleteCase{"OnlyOne", 1, 0, -1, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CountersDlgTest, ClearAllEmptiesTheListAndShowsDefaults) {
  Open(3);
  Click("Clear All");
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(List()->HorizontalExtent(), 0);
  EXPECT_EQ(Fields(), (std::vector<std::string>{"", "0", "100", "80", "1", "plain"}));
}

TEST_F(CountersDlgTest, UpThenCancelLeavesTheChartAsItWas) {
  Open(3);
  const std::vector<std::string> before = ChartPaths();
  SelectRow(1);
  Click("Up");
  EXPECT_EQ(Lines()[0], "1. " + PathOf(1));
  Click("Cancel");
  EXPECT_EQ(ChartPaths(), before);
  EXPECT_FALSE(engine().IsModified());
}

TEST_F(CountersDlgTest, UpThenOkRebuildsAndRestartsMonitoring) {
  Open(3);
  ASSERT_TRUE(engine().Start(nullptr, false));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return fixture_->provider.Counts().open_query_calls == 1; }, 5000));
  SelectRow(2);
  Click("Up");
  Click("OK");
  QTRY_COMPARE_WITH_TIMEOUT(dialog_->result(), int(QDialog::Accepted), 5000);
  EXPECT_EQ(ChartPaths(), (std::vector<std::string>{PathOf(0), PathOf(2), PathOf(1)}));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return fixture_->provider.Counts().open_query_calls == 2; }, 5000));
  EXPECT_TRUE(engine().IsModified());
  engine().Stop();
}

TEST_F(CountersDlgTest, LabelOnlyChangeRenamesWithoutRestart) {
  Open(2);
  ASSERT_TRUE(engine().Start(nullptr, false));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return fixture_->provider.Counts().open_query_calls == 1; }, 5000));
  TypeInto(E("Axis label"), "CPU zero");
  EXPECT_TRUE(W("Apply")->isEnabled());
  Click("OK");
  chart::Text name;
  engine().GetAxisName(0, &name);
  EXPECT_EQ(name.value_or(""), "CPU zero");
  EXPECT_EQ(fixture_->provider.Counts().open_query_calls, 1);
  EXPECT_EQ(fixture_->provider.Counts().queries_closed, 0);
  EXPECT_TRUE(engine().IsModified());
  engine().Stop();
}

TEST_F(CountersDlgTest, ApplyThenCancelKeepsTheAppliedChange) {
  Open(2);
  TypeInto(E("Max value"), "250");
  Click("Apply");
  EXPECT_FALSE(W("Apply")->isEnabled());
  Click("Cancel");
  double max = 0;
  engine().GetAxisMax(0, &max);
  EXPECT_EQ(max, 250);
  EXPECT_TRUE(engine().IsModified());
}

TEST_F(CountersDlgTest, StructuralApplyReportsACollectorThatDoesNotStop) {
  Open(2);
  // A collector still connecting its machine cannot be stopped at once.
  const std::string remote = "\\\\slowhost\\Memory\\Committed Bytes";
  fixture_->AddCounter("remote", remote);
  fixture_->provider.ScriptConnect("\\\\slowhost", perf::kOk, std::chrono::seconds(30));
  dialog_ = std::make_unique<CCountersDlg>(engine(), nullptr, HelpRequest{}, nullptr);
  dialog_->show();
  engine().SetStopLimit(std::chrono::milliseconds(500));  // the stop gives up sooner
  ASSERT_TRUE(engine().Start(nullptr, false));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return fixture_->provider.Counts().calls_in_delay == 1; }, 5000));
  Click("Delete");
  Click("Apply");
  QTRY_VERIFY_WITH_TIMEOUT(!boxes_.texts().empty(), 10000);
  ASSERT_EQ(boxes_.texts().size(), 1u);
  EXPECT_TRUE(boxes_.texts()[0].startsWith("Cannot stop counter collecting process."))
      << boxes_.texts()[0].toStdString();
  EXPECT_EQ(engine().GetAxisCount(), 3) << "the chart stays as it was";
  fixture_->provider.ReleaseDelays();
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine().Stop(); }, 5000));
  boxes_.Clear();
  Click("Apply");
  EXPECT_TRUE(boxes_.texts().empty());
  EXPECT_EQ(engine().GetAxisCount(), 2) << "the working copy kept its change for a later Apply";
  engine().Stop();
}

TEST_F(CountersDlgTest, ComputerRewritesEveryPathAndCancelChangesNothing) {
  Open(2);
  qt_test::OnNextModal([](QWidget* modal) {
    QTest::keyClicks(Field(modal, "Computer"), "srv1");
    QTest::mouseClick(Button(modal, "OK"), Qt::LeftButton);
  });
  Click("Computer...");
  EXPECT_EQ(Lines()[1], "2. \\\\srv1" + PathOf(1));
  qt_test::OnNextModal([](QWidget* modal) {
    QTest::keyClicks(Field(modal, "Computer"), "other");
    QTest::mouseClick(Button(modal, "Cancel"), Qt::LeftButton);
  });
  Click("Computer...");
  EXPECT_EQ(Lines()[1], "2. \\\\srv1" + PathOf(1));
  EXPECT_EQ(ChartPaths()[1], PathOf(1)) << "the chart waits for Apply or OK";
  qt_test::OnNextModal(
      [](QWidget* modal) { QTest::mouseClick(Button(modal, "OK"), Qt::LeftButton); });
  Click("Computer...");
  EXPECT_EQ(Lines()[1], "2. " + PathOf(1)) << "an empty name points back at this machine";
}

TEST_F(CountersDlgTest, HelpButtonsAskForTheirPages) {
  Open(1);
  Click("Help");
  CComputerDlg computer([this](HelpTopicId topic) { help_.push_back(topic); }, nullptr);
  computer.show();
  QTest::mouseClick(Button(&computer, "Help"), Qt::LeftButton);
  EXPECT_EQ(help_, (std::vector<HelpTopicId>{HelpTopicId::kCounters, HelpTopicId::kRemoteHost}));
}

TEST_F(CountersDlgTest, ComputerDialogStartsEmptyAndKeepsTheTextAsTyped) {
  CComputerDlg computer(HelpRequest{}, nullptr);
  computer.show();
  auto* edit = Field(&computer, "Computer");
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_EQ(computer.windowTitle(), "Monitor Remote Host - Corvane");
  QTest::keyClicks(edit, " \\\\srv2 ");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(computer.result(), QDialog::Accepted);
  EXPECT_EQ(computer.ComputerName(), " \\\\srv2 ");
}

TEST_F(CountersDlgTest, BrowserAddAppendsEveryChosenPath) {
  Open(0);
  qt_test::OnNextModal([](QWidget* modal) {
    auto* browser = qobject_cast<CCounterBrowser*>(modal);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser->Busy(); }, 5000));
    QTest::mouseClick(Button(modal, "Add"), Qt::LeftButton);
    QTest::mouseClick(Button(modal, "Close"), Qt::LeftButton);
  });
  Click("Add...");
  ASSERT_EQ(List()->count(), 1);
  EXPECT_EQ(List()->item(0)->text().left(3), "1. ");
  EXPECT_TRUE(W("Delete")->isEnabled());
}

TEST(HScrollListBoxTest, ExtentFollowsTheWidestLine) {
  CHScrollListBox list;
  list.resize(120, 200);
  list.show();
  const QString wide(200, QLatin1Char('W'));
  const int wide_width = list.fontMetrics().horizontalAdvance(wide) + 3;
  EXPECT_EQ(list.AddString("short"), 0);
  const int short_width = list.HorizontalExtent();
  EXPECT_EQ(short_width, list.fontMetrics().horizontalAdvance("short") + 3);
  EXPECT_EQ(list.InsertString(0, wide), 0);
  EXPECT_EQ(list.HorizontalExtent(), wide_width);
  EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(list.InsertString(5, "out of range"), -1);
  EXPECT_EQ(list.DeleteString(0), 1);
  EXPECT_EQ(list.HorizontalExtent(), short_width) << "the widest line went: measure again";
  EXPECT_EQ(list.DeleteString(3), -1);
  EXPECT_EQ(list.DeleteString(0), 0);
  EXPECT_EQ(list.HorizontalExtent(), 0);
  list.AddString(wide);
  list.ResetContent();
  EXPECT_EQ(list.HorizontalExtent(), 0);
}

}  // namespace
}  // namespace corvane::desktop
