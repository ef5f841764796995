#include "platform/linux/privileged/privileged_write_prompt.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "tests/privileged/privileged_test_support.h"
#include "tests/support/qt/message_box_answerer.h"

namespace corvane::host {
namespace {

using qt_test::MessageBoxAnswerer;
using test_support::BlockedDefaultHive;

const std::string kDesktop = "Control Panel\\Desktop";
const std::string kService = "Software\\Quillfen\\Corvane\\Service";

std::vector<StoreWrite> LogonWrites() {
  return {{Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"}};
}

TEST(PrivilegedPromptTest, AWritableStoreAsksNothing) {
  BlockedDefaultHive hive;
  std::filesystem::remove(hive.blocker());
  MessageBoxAnswerer answerer;
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kWritten);
  EXPECT_TRUE(answerer.texts().empty());
  EXPECT_EQ(SettingsStore(hive.hive()).QueryValue(kDesktop, "SCRNSAVE.EXE").value,
            "corvscreen.scr");
}

TEST(PrivilegedPromptTest, GrantedRightsWriteTheValueAfterOneQuestion) {
  BlockedDefaultHive hive;
  hive.Grant();
  MessageBoxAnswerer answerer({QMessageBox::Yes});
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kWritten);
  ASSERT_EQ(answerer.texts().size(), 1u);
  const QString question = answerer.texts()[0];
  EXPECT_TRUE(question.startsWith("The settings could not be saved in " +
                                  QString::fromStdString(hive.hive()) + ":\n"))
      << question.toStdString();
  EXPECT_TRUE(question.contains("Not a directory")) << question.toStdString();
  EXPECT_TRUE(question.endsWith("Save them with administrator rights?"));
  EXPECT_EQ(answerer.titles()[0], "Corvane");
  EXPECT_EQ(SettingsStore(hive.hive()).QueryValue(kDesktop, "SCRNSAVE.EXE").value,
            "corvscreen.scr");
}

TEST(PrivilegedPromptTest, ARefusalIsReported) {
  BlockedDefaultHive hive;
  hive.Refuse();
  MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kRefused);
  ASSERT_EQ(answerer.texts().size(), 2u);
  EXPECT_EQ(answerer.texts()[1], "Administrator rights were refused. The settings in " +
                                     QString::fromStdString(hive.hive()) + " were not changed.");
}

TEST(PrivilegedPromptTest, DecliningLeavesTheStoreAlone) {
  BlockedDefaultHive hive;
  hive.Grant();
  MessageBoxAnswerer answerer({QMessageBox::No});
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kDeclined);
  EXPECT_EQ(answerer.texts().size(), 1u);
  EXPECT_TRUE(std::filesystem::is_regular_file(hive.blocker())) << "elevation ran";
}

TEST(PrivilegedPromptTest, AnUnwritableUserStoreIsReportedWithoutOfferingRights) {
  BlockedDefaultHive hive;
  ::setenv("CORVANE_USER_REGISTRY", hive.hive().c_str(), 1);
  hive.Grant();
  MessageBoxAnswerer answerer({QMessageBox::Ok});
  const std::vector<StoreWrite> writes = {
      {Hive::kCurrentUser, kDesktop, "SCRNSAVE.EXE", "scrnsave.scr"}};
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", writes), PromptedWrite::kFailed);
  ASSERT_EQ(answerer.texts().size(), 1u);
  EXPECT_FALSE(answerer.texts()[0].contains("administrator"));
  EXPECT_TRUE(answerer.texts()[0].contains("Not a directory"));
}

TEST(PrivilegedPromptTest, AFailedElevatedWriteSaysWhy) {
  BlockedDefaultHive hive;
  hive.UseElevation("/usr/bin/env");  // runs the writer, blockage still in place
  MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kFailed);
  ASSERT_EQ(answerer.texts().size(), 2u);
  EXPECT_TRUE(answerer.texts()[1].startsWith("The settings could not be saved in " +
                                             QString::fromStdString(hive.hive()) +
                                             " with administrator rights:\n"));
  EXPECT_TRUE(answerer.texts()[1].contains("Not a directory"));
}

}  // namespace
}  // namespace corvane::host
