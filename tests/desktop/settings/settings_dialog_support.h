// A running engine over a scripted machine for the settings dialogs' tests: two processors,
// logical disks C: and D:, one physical disk, the interfaces a test names. Every counter reads
// a steady value, so the collector samples for real. Also a help recorder. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/catalogue.h"
#include "core/engine.h"
#include "desktop/help/help_request.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"
#include "tests/support/qt/message_box_answerer.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::test_support {

using desktop::HelpRequest;
using desktop::HelpTopicId;

class RunningEngine : public ::testing::Test {
 protected:
  void SetUp() override { ScriptMachine({{"eth0", 100'000'000.0}}); }
  void TearDown() override {
    fake_.ReleaseDelays();
    engine_.Stop();
  }

  void ScriptMachine(const std::vector<std::pair<std::string, double>>& interfaces) {
    fake_.ScriptObjectItems("", "Processor", {"% Processor Time"}, {"0", "1", "_Total"});
    fake_.ScriptObjectItems("", "LogicalDisk", {"% Free Space"}, {"C:", "_Total", "D:"});
    fake_.ScriptObjectItems("", "PhysicalDisk", {"% Disk Time"}, {"0 C: D:", "_Total"});
    std::vector<std::string> names;
    for (const auto& [name, bandwidth] : interfaces) {
      names.push_back(name);
      fake_.ScriptValue("\\Network Interface(" + name + ")\\Current Bandwidth", bandwidth);
    }
    fake_.ScriptObjectItems("", "Network Interface", {"Bytes Total/sec", "Current Bandwidth"},
                            names);
  }

  // The document's state when it opens a dialog: a new profile with the default counters,
  // sampling. Remembers the default axes.
  void StartDefaultProfile() {
    engine_.SetUpNewProfile();
    AddStandardCounters(true, SC_DEFAULT, engine_);
    default_axes_ = testing_support::Axes(engine_);
    ASSERT_TRUE(engine_.Start(&window_, false));
  }

  HelpRequest RecordHelp() {
    return [this](HelpTopicId topic) { help_topics_.push_back(topic); };
  }

  fake::FakeProvider fake_;
  Corvane engine_{fake_, true};
  testing_support::RecordingWindow window_;
  std::vector<HelpTopicId> help_topics_;
  std::vector<testing_support::AxisInfo> default_axes_;
};

}  // namespace corvane::test_support
