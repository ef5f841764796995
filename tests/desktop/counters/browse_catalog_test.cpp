// The counter browser over the scripted provider: the catalogue it reads, the paths a choice
// makes, the filter and the descriptions, clicking into the real dialog.
#include "desktop/counters/browse_catalog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/counter_descriptions.h"
#include "desktop/counters/counter_browser.h"
#include "tests/desktop/counters/dialog_test_support.h"

namespace corvane::desktop {
namespace {

using dialog_test::Find;
using Paths = std::vector<std::string>;

TEST(MachinePartTest, TypedNamesBecomeMachineParts) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"   ", ""},
      {"srv1", "\\\\srv1"},
      {" srv1:9100 ", "\\\\srv1:9100"},
      {"\\\\srv1", "\\\\srv1"},
      {"https://srv1:9100", "\\\\https://srv1:9100"},
  };
  for (const auto& [typed, part] : cases) EXPECT_EQ(MachinePartOf(typed), part) << typed;
}

TEST(ChosenPathsTest, CountersOuterInstancesInner) {
  BrowseObject cpu{"Processor", {"% Processor Time", "% User Time"}, {"0", "1", "_Total"}, true};
  EXPECT_EQ(ChosenPaths("", cpu, {"% Processor Time", "% User Time"}, {"0", "_Total"}),
            (Paths{"\\Processor(0)\\% Processor Time", "\\Processor(_Total)\\% Processor Time",
                   "\\Processor(0)\\% User Time", "\\Processor(_Total)\\% User Time"}));
  EXPECT_TRUE(ChosenPaths("", cpu, {"% User Time"}, {}).empty())
      << "an object with instances needs one chosen";
  BrowseObject memory{"Memory", {"Committed Bytes"}, {}, false};
  EXPECT_EQ(ChosenPaths("\\\\srv:9100", memory, {"Committed Bytes"}, {"ignored"}),
            (Paths{"\\\\srv:9100\\Memory\\Committed Bytes"}));
}

TEST(FilterTest, MatchesObjectsByNameOrByCounter) {
  BrowseObject disk{"PhysicalDisk", {"% Disk Time", "Disk Reads/sec"}, {"vda"}, true};
  EXPECT_TRUE(ObjectMatches("", disk));
  EXPECT_TRUE(ObjectMatches("physical", disk));
  EXPECT_TRUE(ObjectMatches(" READS ", disk));
  EXPECT_FALSE(ObjectMatches("bandwidth", disk));
}

TEST(DescriptionTest, EveryLocalCounterHasAMeaning) {
  fake::FakeProvider provider;
  const BrowseCatalog catalog = EnumerateMachine(provider, "", false);
  ASSERT_EQ(catalog.status, perf::kOk);
  ASSERT_FALSE(catalog.objects.empty());
  for (const BrowseObject& object : catalog.objects) {
    EXPECT_FALSE(ObjectDescription(object.name).empty()) << object.name;
    for (const std::string& counter : object.counters)
      EXPECT_FALSE(CounterDescription(object.name, counter).empty())
          << object.name << "\\" << counter;
  }
  EXPECT_EQ(CounterDescription("processor", "% PROCESSOR TIME"),
            CounterDescription("Processor", "% Processor Time"));
  EXPECT_TRUE(CounterDescription("Memory", "% Processor Time").empty());
}

TEST(EnumerateTest, FailuresCarryTheReasonAndCostlyObjectsNeedTheFlag) {
  fake::FakeProvider provider;
  provider.FailObjects("\\\\dead", perf::kCannotConnectMachine);
  const BrowseCatalog dead = EnumerateMachine(provider, "\\\\dead", false);
  EXPECT_EQ(dead.status, perf::kCannotConnectMachine);
  EXPECT_FALSE(dead.error.empty());

  provider.ScriptObjects("", {"Process", "Memory", "Broken"});
  provider.ScriptObjectItems("", "Process", {"% Processor Time"}, {"init"});
  provider.ScriptObjectItems("", "Memory", {"Committed Bytes"}, {});
  provider.FailObjectItems("", "Broken", perf::kNoObject);
  const auto names = [](const BrowseCatalog& catalog) {
    Paths names;
    for (const BrowseObject& object : catalog.objects) names.push_back(object.name);
    return names;
  };
  EXPECT_EQ(names(EnumerateMachine(provider, "", false)), (Paths{"Memory"}));
  EXPECT_EQ(names(EnumerateMachine(provider, "", true)), (Paths{"Process", "Memory"}));
}

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider_.ScriptObjects("", {"Processor", "Memory", "Network Interface"});
    provider_.ScriptObjectItems("", "Processor", {"% Processor Time", "% User Time"},
                                {"0", "1", "_Total"});
    provider_.ScriptObjectItems("", "Memory", {"Committed Bytes", "Available Bytes"}, {});
    provider_.ScriptObjectItems("", "Network Interface", {"Bytes Total/sec", "Current Bandwidth"},
                                {"eth0", "lo"});
  }
  void Open(int room = 100) {
    browser_ = std::make_unique<CCounterBrowser>(
        provider_,
        [this, room](const std::string& path) {
          if (static_cast<int>(added_.size()) >= room) return false;
          added_.push_back(path);
          return true;
        },
        false, nullptr);
    browser_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  }
  template <typename T>
  T* W(const char* name) {
    return Find<T>(browser_.get(), name);
  }
  void ClickRow(const char* list_name, int row, Qt::KeyboardModifiers modifiers = {}) {
    auto* list = W<QListWidget>(list_name);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(list->item(row)).center());
  }
  Paths Texts(const char* list_name) {
    Paths texts;
    auto* list = W<QListWidget>(list_name);
    for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
    return texts;
  }

  fake::FakeProvider provider_;
  DetachedWorkDrain drain_;
  std::unique_ptr<CCounterBrowser> browser_;
  Paths added_;
};

TEST_F(BrowserTest, OpensOnTheFirstObjectWithTotalChosen) {
  Open();
  EXPECT_EQ(browser_->windowTitle(), "Select Counters");
  EXPECT_EQ(Texts("list_objects"), (Paths{"Processor", "Memory", "Network Interface"}));
  EXPECT_EQ(Texts("list_instances"), (Paths{"0", "1", "_Total"}));
  EXPECT_EQ(browser_->ChosenPaths(), (Paths{"\\Processor(_Total)\\% Processor Time"}));
  EXPECT_TRUE(W<QLabel>("label_description")->text().contains("idle task"));
}

TEST_F(BrowserTest, SeveralCountersAndInstancesAtOnce) {
  Open();
  ClickRow("list_counters", 1, Qt::ControlModifier);
  ClickRow("list_instances", 0);
  ClickRow("list_instances", 1, Qt::ShiftModifier);
  QTest::mouseClick(W<QPushButton>("button_add"), Qt::LeftButton);
  EXPECT_EQ(added_, (Paths{"\\Processor(0)\\% Processor Time", "\\Processor(1)\\% Processor Time",
                           "\\Processor(0)\\% User Time", "\\Processor(1)\\% User Time"}));
  added_.clear();
  QTest::mouseClick(W<QRadioButton>("radio_all_instances"), Qt::LeftButton);
  EXPECT_FALSE(W<QListWidget>("list_instances")->isEnabled());
  ClickRow("list_counters", 0);
  QTest::mouseClick(W<QPushButton>("button_add"), Qt::LeftButton);
  EXPECT_EQ(added_.size(), 3u);
}

TEST_F(BrowserTest, AddStopsAtTheFirstRefusedPath) {
  Open(2);
  QTest::mouseClick(W<QRadioButton>("radio_all_instances"), Qt::LeftButton);
  ClickRow("list_counters", 1, Qt::ControlModifier);
  QTest::mouseClick(W<QPushButton>("button_add"), Qt::LeftButton);
  EXPECT_EQ(added_.size(), 2u);
  EXPECT_TRUE(W<QLabel>("label_message")->text().contains("2 of 6"));
}

TEST_F(BrowserTest, ObjectWithoutInstancesGivesPlainPaths) {
  Open();
  ClickRow("list_objects", 1);
  EXPECT_FALSE(W<QRadioButton>("radio_all_instances")->isEnabled());
  EXPECT_EQ(browser_->ChosenPaths(), (Paths{"\\Memory\\Committed Bytes"}));
}

TEST_F(BrowserTest, FilterNarrowsObjectsAndCountersAsTheUserTypes) {
  Open();
  auto* filter = W<QLineEdit>("edit_filter");
  QTest::keyClicks(filter, "band");
  EXPECT_EQ(Texts("list_objects"), (Paths{"Network Interface"}));
  EXPECT_EQ(Texts("list_counters"), (Paths{"Current Bandwidth"}));
  EXPECT_EQ(browser_->ChosenPaths(), (Paths{"\\Network Interface(eth0)\\Current Bandwidth"}));
  QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(filter, "memory");
  EXPECT_EQ(Texts("list_counters"), (Paths{"Committed Bytes", "Available Bytes"}))
      << "an object found by name shows all its counters";
  QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(filter, "nothing like it");
  EXPECT_TRUE(Texts("list_objects").empty());
  EXPECT_FALSE(W<QPushButton>("button_add")->isEnabled());
}

TEST_F(BrowserTest, UnknownMachineGivesItsMessage) {
  provider_.FailObjects("\\\\nowhere", perf::kCannotConnectMachine);
  Open();
  QTest::keyClicks(W<QLineEdit>("edit_computer"), "nowhere");
  QTest::keyClick(W<QLineEdit>("edit_computer"), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  EXPECT_TRUE(W<QLabel>("label_message")->text().contains("\\\\nowhere"))
      << W<QLabel>("label_message")->text().toStdString();
  EXPECT_EQ(Texts("list_objects").size(), 3u) << "the last good catalogue stays";
}

}  // namespace
}  // namespace corvane::desktop
