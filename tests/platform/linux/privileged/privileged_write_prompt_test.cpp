#include "platform/linux/privileged/privileged_write_prompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/linux/privileged/privileged_test_support.h"
#include "tests/support/lock_holder.h"
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

// Watches for the note a lasting wait shows: records its text and, when told to, cancels it.
class NoteWatcher {
 public:
  explicit NoteWatcher(bool cancel) {
    QObject::connect(&timer_, &QTimer::timeout, [this, cancel] {
      auto* note = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
      if (note == nullptr || !note->isVisible()) return;
      if (texts_.isEmpty() || texts_.back() != note->labelText()) texts_ << note->labelText();
      // Clicked as the user would: the button, not the slot, tells the waiting code.
      if (auto* button = note->findChild<QPushButton*>(); cancel && button != nullptr) {
        button->click();
      }
    });
    timer_.start(20);
  }
  const QStringList& texts() const { return texts_; }

 private:
  QTimer timer_;
  QStringList texts_;
};

TEST(PrivilegedPromptTest, WaitingForRightsShowsANoteWhoseCancelEndsTheWait) {
  BlockedDefaultHive hive;
  // An elevation that never ends by itself, as pkexec while its dialog waits for a password.
  const auto waiting = hive.temp() / "waiting-elevation";
  test_support::WriteExecutable(waiting, "#!/bin/sh\nexec sleep 600\n");
  hive.UseElevation(waiting);
  MessageBoxAnswerer answerer({QMessageBox::Yes});
  NoteWatcher watcher(/*cancel=*/true);
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kDeclined);
  ASSERT_EQ(watcher.texts().size(), 1u);
  EXPECT_EQ(watcher.texts()[0], "Waiting for administrator rights to save the settings in " +
                                    QString::fromStdString(hive.hive()) + "...");
  EXPECT_EQ(answerer.texts().size(), 1u) << "a cancelled wait needs no further message";
  EXPECT_TRUE(std::filesystem::is_regular_file(hive.blocker()));
}

TEST(PrivilegedPromptTest, AWriteHeldBackByAnotherWriterShowsANoteAndThenWhy) {
  BlockedDefaultHive hive;
  std::filesystem::remove(hive.blocker());
  std::filesystem::create_directories(hive.blocker());
  std::ofstream(LockFileOf(hive.hive())).flush();
  test_support::LockHolder holder(LockFileOf(hive.hive()));
  ASSERT_TRUE(holder.held());
  MessageBoxAnswerer answerer({QMessageBox::No});
  NoteWatcher watcher(/*cancel=*/false);
  EXPECT_EQ(WriteStoreValuesAsking(nullptr, "Corvane", LogonWrites()), PromptedWrite::kDeclined);
  EXPECT_EQ(watcher.texts(), QStringList{"Saving the settings..."});
  ASSERT_EQ(answerer.texts().size(), 1u);
  EXPECT_TRUE(answerer.texts()[0].contains(
      QString::fromStdString(LockFileOf(hive.hive()) + ": another process held it for 3 s")))
      << answerer.texts()[0].toStdString();
}

}  // namespace
}  // namespace corvane::host
