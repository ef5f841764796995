#include "platform/linux/privileged/privileged_store_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/linux/host/child_process.h"
#include "tests/platform/linux/privileged/privileged_test_support.h"
#include "tests/support/lock_holder.h"

namespace corvane::host {
namespace {

using test_support::BlockedDefaultHive;
using test_support::ReadText;

const std::string kService = "Software\\Quillfen\\Corvane\\Service";
const std::string kDesktop = "Control Panel\\Desktop";
const std::string kSaver = "Software\\Quillfen\\Corvane\\Screen Saver";

struct AllowCase {
  const char* label;
  StoreWrite write;
  bool allowed;
};

class MayWriteElevatedTest : public ::testing::TestWithParam<AllowCase> {};

TEST_P(MayWriteElevatedTest, TakesOnlyTheDefaultUsersOwnValues) {
  EXPECT_EQ(MayWriteElevated(GetParam().write), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MayWriteElevatedTest,
    ::testing::Values(
        AllowCase{"ServiceProfile", {Hive::kDefaultUser, kService, "Profile", "/srv/a.crvn"}, true},
        AllowCase{"ServiceProfileEmpty", {Hive::kDefaultUser, kService, "Profile", ""}, true},
        AllowCase{"ServiceKeyNeverCreated",
                  {Hive::kDefaultUser, kService, "Profile", "/a.crvn", true},
                  false},
        AllowCase{"ProfileWithLineBreak",
                  {Hive::kDefaultUser, kService, "Profile", "/a\n[Other]\nx=1"},
                  false},
        AllowCase{
            "LogonSaverOn", {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"}, true},
        AllowCase{
            "LogonSaverOff", {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "logon.scr"}, true},
        AllowCase{"LogonSaverOtherProgram",
                  {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "/usr/bin/evil"},
                  false},
        AllowCase{"ScreenSaveActive",
                  {Hive::kDefaultUser, kDesktop, "ScreenSaveActive", "1", true},
                  true},
        AllowCase{"ScreenSaveActiveOther",
                  {Hive::kDefaultUser, kDesktop, "ScreenSaveActive", "yes"},
                  false},
        AllowCase{"OtherDesktopValue", {Hive::kDefaultUser, kDesktop, "Wallpaper", "x.png"}, false},
        AllowCase{"SaverAreaSize", {Hive::kDefaultUser, kSaver, "AreaSize", "050", true}, true},
        AllowCase{"SaverTimeoutTooLong",
                  {Hive::kDefaultUser, kSaver, "Timeout", std::string(24, '1'), true},
                  false},
        AllowCase{"SaverProfile", {Hive::kDefaultUser, kSaver, "Profile", "/p.crvn", true}, true},
        AllowCase{"CaseOfNamesIgnored",
                  {Hive::kDefaultUser, "control panel\\DESKTOP", "scrnsave.exe", "logon.scr"},
                  true},
        AllowCase{"CurrentUserNever",
                  {Hive::kCurrentUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"},
                  false},
        AllowCase{"OtherKey", {Hive::kDefaultUser, "Software\\Other", "Profile", "/a"}, false}),
    [](const auto& info) { return std::string(info.param.label); });

struct ExitCase {
  const char* label;
  int status;
  const char* output;
  ElevatedOutcome outcome;
  const char* detail;
};

class InterpretElevatedExitTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(InterpretElevatedExitTest, TellsWrittenRefusedAndFailedApart) {
  const ElevatedWriteResult result = InterpretElevatedExit(GetParam().status, GetParam().output);
  EXPECT_EQ(result.outcome, GetParam().outcome);
  EXPECT_EQ(result.detail, GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, InterpretElevatedExitTest,
    ::testing::Values(ExitCase{"Written", 0, "", ElevatedOutcome::kWritten, ""},
                      ExitCase{"DialogDismissed", 126, "", ElevatedOutcome::kRefused, ""},
                      ExitCase{"NotAuthorised", 127, "", ElevatedOutcome::kRefused, ""},
                      ExitCase{"WriterReason", 3, "rename x: Read-only file system (0x1e)\n",
                               ElevatedOutcome::kFailed, "rename x: Read-only file system (0x1e)"},
                      ExitCase{"WriterSilent", 3, "", ElevatedOutcome::kFailed,
                               "the store writer ended with status 3"},
                      ExitCase{"KilledBySignal", 137, "", ElevatedOutcome::kFailed,
                               "the store writer ended with status 137"}),
    [](const auto& info) { return std::string(info.param.label); });

constexpr LockWait kShortWait{3, std::chrono::milliseconds(1)};

TEST(StoreWriterTest, WritesTheValuesItMayAndSkipsKeysThatDoNotExist) {
  test_support::TempFolder temp;
  const std::string file = (temp / "registry.ini").string();
  std::string message;
  const std::vector<std::string> args = {
      "--default-user-values", "--set", kDesktop,  "SCRNSAVE.EXE",
      "corvscreen.scr",        "--set", kService,  "Profile",
      "/srv/p.crvn",  // no service key yet: skipped
      "--set-create",          kSaver,  "Timeout", "7"};
  ASSERT_EQ(RunStoreWriter(args, file, kShortWait, &message), kWriterDone) << message;
  SettingsStore store(file);
  EXPECT_EQ(store.QueryValue(kDesktop, "SCRNSAVE.EXE").value, "corvscreen.scr");
  EXPECT_EQ(store.QueryValue(kSaver, "Timeout").value, "7");
  EXPECT_EQ(store.OpenKey(kService).code(), ENOENT);
}

TEST(StoreWriterTest, MakesTheMachineFoldersReadableToUsersWhateverTheUmask) {
  for (const mode_t mask : {mode_t{077}, mode_t{022}}) {
    test_support::TempFolder temp;
    const std::string file = (temp / "etc/Quillfen/Corvane/registry.ini").string();
    const mode_t old_mask = ::umask(mask);
    std::string message;
    const std::vector<std::string> args = {"--default-user-values", "--set-create", kSaver,
                                           "Timeout", "7"};
    const int status = RunStoreWriter(args, file, kShortWait, &message);
    ::umask(old_mask);
    ASSERT_EQ(status, kWriterDone) << message;
    for (const char* folder : {"etc", "etc/Quillfen", "etc/Quillfen/Corvane"}) {
      struct stat info {};
      ASSERT_EQ(::stat((temp / folder).c_str(), &info), 0) << folder;
      EXPECT_EQ(info.st_mode & 07777, 0755u) << folder << " under umask 0" << std::oct << mask;
    }
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u) << "under umask 0" << std::oct << mask;
  }
}

TEST(StoreWriterTest, GivesUpOnALockHeldByAnotherProcessAndSaysSo) {
  test_support::TempFolder temp;
  const std::string file = (temp / "registry.ini").string();
  std::string message;
  const std::vector<std::string> args = {"--default-user-values", "--set-create", kSaver, "Timeout",
                                         "7"};
  ASSERT_EQ(RunStoreWriter(args, file, kShortWait, &message), kWriterDone) << message;
  test_support::LockHolder holder(LockFileOf(file));
  ASSERT_TRUE(holder.held());
  const std::vector<std::string> change = {"--default-user-values", "--set", kSaver, "Timeout",
                                           "9"};
  EXPECT_EQ(RunStoreWriter(change, file, kShortWait, &message), kWriterFailed);
  EXPECT_NE(message.find(LockFileOf(file) + ": another process held it"), std::string::npos)
      << message;
  EXPECT_EQ(SettingsStore(file).QueryValue(kSaver, "Timeout").value, "7");
}

struct RefusalCase {
  const char* label;
  std::vector<std::string> args;
};

class StoreWriterRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(StoreWriterRefusalTest, WritesNothingForABadRequest) {
  test_support::TempFolder temp;
  const std::string file = (temp / "registry.ini").string();
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "OTHER") arg = (temp / "other.ini").string();
  }
  std::string message;
  EXPECT_EQ(RunStoreWriter(args, file, kShortWait, &message), kWriterBadRequest);
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(temp.Names().empty()) << "the writer wrote although it refused";
}

INSTANTIATE_TEST_SUITE_P(
    Requests, StoreWriterRefusalTest,
    ::testing::Values(RefusalCase{"NoArguments", {}},
                      RefusalCase{"OtherSwitch",
                                  {"--write", "--set", kDesktop, "SCRNSAVE.EXE", "logon.scr"}},
                      RefusalCase{"NoValues", {"--default-user-values"}},
                      RefusalCase{"IncompleteGroup",
                                  {"--default-user-values", "--set", kDesktop, "SCRNSAVE.EXE"}},
                      RefusalCase{"ValueNotAllowed",
                                  {"--default-user-values", "--set", kDesktop, "SCRNSAVE.EXE",
                                   "logon.scr", "--set", kDesktop, "Shell", "/bin/sh"}},
                      RefusalCase{"TargetOfTheCaller",
                                  {"--default-user-values", "OTHER", "--set", kDesktop,
                                   "SCRNSAVE.EXE", "logon.scr"}},
                      RefusalCase{"RelativeTarget",
                                  {"--default-user-values", "registry.ini", "--set", kDesktop,
                                   "SCRNSAVE.EXE", "logon.scr"}},
                      RefusalCase{"TheMachineStoreNamed",
                                  {"--default-user-values", "/etc/Quillfen/Corvane/registry.ini",
                                   "--set", kDesktop, "SCRNSAVE.EXE", "logon.scr"}},
                      RefusalCase{"TargetAfterTheValues",
                                  {"--default-user-values", "--set", kDesktop, "SCRNSAVE.EXE",
                                   "logon.scr", "OTHER"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StoreWriterTest, ARelativeStoreFileIsRefused) {
  std::string message;
  const std::vector<std::string> args = {"--default-user-values", "--set", kDesktop, "SCRNSAVE.EXE",
                                         "logon.scr"};
  EXPECT_EQ(RunStoreWriter(args, "registry.ini", kShortWait, &message), kWriterBadRequest);
  EXPECT_NE(message.find("full path"), std::string::npos) << message;
}

// The installed program, started as root would start it (the tests may run as root): a file
// on its command line, and the variable that moves the default hive for the other programs,
// never aim it anywhere but the machine-wide store.
TEST(StoreWriterProgramTest, RefusesAFileOfTheCallersWhateverItsEnvironment) {
  test_support::TempFolder temp;
  const std::string file = (temp / "registry.ini").string();
  ::setenv("CORVANE_DEFAULT_REGISTRY", file.c_str(), 1);
  ::setenv("PKEXEC_UID", "1000", 1);
  std::string output;
  const HostResult<int> exit =
      RunProgram({CORVANE_INSTALLED_STORE_WRITER_PATH, "--default-user-values", file, "--set",
                  kDesktop, "SCRNSAVE.EXE", "logon.scr"},
                 &output);
  ::unsetenv("CORVANE_DEFAULT_REGISTRY");
  ::unsetenv("PKEXEC_UID");
  ASSERT_TRUE(exit.ok()) << exit.status.Message();
  EXPECT_EQ(exit.value, kWriterBadRequest);
  EXPECT_NE(output.find("only /etc/Quillfen/Corvane/registry.ini is written"), std::string::npos)
      << output;
  EXPECT_TRUE(temp.Names().empty());
}

TEST(PrivilegedWriteTest, ReportsTheFileAndTheSystemsReason) {
  BlockedDefaultHive hive;
  const std::vector<StoreWrite> writes = {
      {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"},
      {Hive::kCurrentUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"}};
  const StoreWriteReport report = WriteStoreValues(writes);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0], writes[0]);
  EXPECT_EQ(report.file, hive.hive());
  EXPECT_EQ(report.first_failure.code(), ENOTDIR);
  EXPECT_NE(report.first_failure.Message().find("Not a directory"), std::string::npos);
  EXPECT_TRUE(report.Elevatable());
  // The user's own hive was written all the same.
  EXPECT_EQ(SettingsStore(Hive::kCurrentUser).QueryValue(kDesktop, "SCRNSAVE.EXE").value,
            "corvscreen.scr");
}

TEST(PrivilegedWriteTest, AFailedCurrentUserWriteCannotBeElevated) {
  BlockedDefaultHive hive;
  ::setenv("CORVANE_USER_REGISTRY", hive.hive().c_str(), 1);  // behind the blocker too
  const std::vector<StoreWrite> writes = {
      {Hive::kCurrentUser, kDesktop, "SCRNSAVE.EXE", "scrnsave.scr"}};
  const StoreWriteReport report = WriteStoreValues(writes);
  ASSERT_FALSE(report.ok());
  EXPECT_FALSE(report.Elevatable());
  EXPECT_EQ(ElevatedWriteCommand(report.failed).status.code(), EINVAL);
}

TEST(PrivilegedWriteTest, GrantedElevationWritesExactlyTheFailedValues) {
  BlockedDefaultHive hive;
  hive.Grant();
  const std::vector<StoreWrite> writes = {
      {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "corvscreen.scr"},
      {Hive::kDefaultUser, kDesktop, "ScreenSaveActive", "1"},
      {Hive::kDefaultUser, kSaver, "Profile", "/home/ann/with space.crvn", true}};
  const StoreWriteReport report = WriteStoreValues(writes);
  ASSERT_EQ(report.failed.size(), 3u);

  const ElevatedWriteResult result = WriteStoreValuesElevated(report.failed);
  ASSERT_EQ(result.outcome, ElevatedOutcome::kWritten) << result.detail;
  EXPECT_NE(hive.ElevatedArgv().find(std::string(CORVANE_STORE_WRITER_PATH) +
                                     " --default-user-values --set "),
            std::string::npos)
      << hive.ElevatedArgv();
  SettingsStore store(hive.hive());
  EXPECT_EQ(store.QueryValue(kDesktop, "SCRNSAVE.EXE").value, "corvscreen.scr");
  EXPECT_EQ(store.QueryValue(kDesktop, "ScreenSaveActive").value, "1");
  EXPECT_EQ(store.QueryValue(kSaver, "Profile").value, "/home/ann/with space.crvn");
}

TEST(PrivilegedWriteTest, RefusedOrDeniedElevationWritesNothing) {
  for (const bool dismissed : {true, false}) {
    BlockedDefaultHive hive;
    dismissed ? hive.Refuse() : hive.Deny();
    const std::vector<StoreWrite> writes = {
        {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "logon.scr"}};
    EXPECT_EQ(WriteStoreValuesElevated(writes).outcome, ElevatedOutcome::kRefused);
    EXPECT_TRUE(std::filesystem::is_regular_file(hive.blocker()));
  }
}

TEST(PrivilegedWriteTest, AMissingElevationCommandIsAFailureNotARefusal) {
  BlockedDefaultHive hive;
  hive.UseElevation(hive.temp() / "no-such-pkexec");
  const std::vector<StoreWrite> writes = {
      {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "logon.scr"}};
  const ElevatedWriteResult result = WriteStoreValuesElevated(writes);
  EXPECT_EQ(result.outcome, ElevatedOutcome::kFailed);
  EXPECT_NE(result.detail.find("no-such-pkexec"), std::string::npos) << result.detail;
}

TEST(PrivilegedWriteTest, AWriterThatStillCannotWriteSaysWhy) {
  BlockedDefaultHive hive;
  // An "administrator" who runs the writer without clearing the blockage.
  hive.UseElevation("/usr/bin/env");
  const std::vector<StoreWrite> writes = {
      {Hive::kDefaultUser, kDesktop, "SCRNSAVE.EXE", "logon.scr"}};
  const ElevatedWriteResult result = WriteStoreValuesElevated(writes);
  EXPECT_EQ(result.outcome, ElevatedOutcome::kFailed);
  EXPECT_NE(result.detail.find("Not a directory"), std::string::npos) << result.detail;
}

}  // namespace
}  // namespace corvane::host
