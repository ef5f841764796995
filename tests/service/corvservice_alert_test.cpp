// The real service reporting alerts in the system log. It runs over a copy of a captured /proc
// tree whose process count the test moves above and below the axis's critical value, in a mount
// namespace of its own whose /dev/log and journal socket are the test's: with a journal the
// entry and the exit arrive as native journal messages with their fields, without one as
// syslog lines. Needs root for the namespace; one sample a second, so labelled slow.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/platform/linux/host/test_support.h"
#include "tests/service/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing_support::NotifySocket;
using testing_support::PlaceProgram;
using testing_support::ProgramRun;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

const fs::path kCapturedTree = fs::path(CORVANE_FIXTURES_DIR) / "proc/snapshot_a";

// $1 the folder, $2 the syslog socket, $3 the journal socket or empty for none; then the
// program. /dev gets the few devices the program opens and the test's /dev/log; /run becomes
// an empty tmpfs, with the test's socket where journald's would be.
constexpr const char* kPrivateLogs = R"(set -e
dev=$1/dev
mkdir -p "$dev"
for node in null zero random urandom; do : > "$dev/$node"; mount --bind "/dev/$node" "$dev/$node"; done
: > "$dev/log"
mount --bind "$2" "$dev/log"
mount --rbind "$dev" /dev
mount -t tmpfs tmpfs /run
if [ -n "$3" ]; then
  mkdir -p /run/systemd/journal
  : > /run/systemd/journal/socket
  mount --bind "$3" /run/systemd/journal/socket
fi
shift 3
exec "$@"
)";

int ProcessCount(const fs::path& proc) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(proc)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) ++count;
  }
  return count;
}

std::map<std::string, std::string> JournalFields(const std::string& message) {
  std::map<std::string, std::string> fields;
  std::size_t start = 0;
  while (start < message.size()) {
    std::size_t end = message.find('\n', start);
    if (end == std::string::npos) end = message.size();
    const std::string line = message.substr(start, end - start);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return fields;
}

class CorvserviceAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "needs root to give the service its own /dev/log and journal socket";
    }
    fs::copy(kCapturedTree, folder_ / "root",
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    processes_ = ProcessCount(folder_ / "root/proc");
    fs::create_directories(folder_ / "etc");
    fs::create_directories(folder_ / "mon");
    // Critical just above today's count; the default rule (3 samples in, 2 out).
    WriteFile(folder_ / "mon/alerts.crvn",
              "Interval=1\r\nLogMode=0\r\n\r\nBeginAxis\r\nName=Processes\r\nMinValue=0\r\n"
              "MaxValue=1000\r\nCriticalValue=" +
                  std::to_string(processes_ + 2) +
                  "\r\nMultiplier=1\r\nCounter=\\Objects\\Processes\r\nEndAxis\r\n");
    WriteFile(folder_ / "etc/registry.ini", "[Software\\Quillfen\\Corvane\\Service]\nProfile=" +
                                                (folder_ / "mon/alerts.crvn").string() + "\n");
    WriteFile(folder_ / "private-logs.sh", kPrivateLogs);
  }

  // Starts the service; waits for it to be ready.
  std::unique_ptr<ProgramRun> Start(const std::string& journal) {
    const std::string program = PlaceProgram(CORVSERVICE_PATH, folder_.path());
    auto env = testing_support::IsolatedServiceEnv(folder_.path());
    env["CORVANE_SYSTEM_ROOT"] = (folder_ / "root").string();
    env["NOTIFY_SOCKET"] = notify_.path();
    auto run = std::make_unique<ProgramRun>(
        "/usr/bin/unshare",
        std::vector<std::string>{"--mount", "--propagation", "private", "/bin/sh",
                                 (folder_ / "private-logs.sh").string(), folder_.path().string(),
                                 syslog_.path(), journal, program},
        env, folder_.path());
    EXPECT_FALSE(notify_.ReceiveUntil("READY=1", 30000).empty()) << ReadFile(run->err_file());
    return run;
  }

  // Five more processes: above the critical value.
  void AddProcesses() {
    for (int pid = 99991; pid <= 99995; ++pid)
      fs::create_directory(folder_ / "root/proc" / std::to_string(pid));
  }
  void RemoveProcesses() {
    for (int pid = 99991; pid <= 99995; ++pid)
      fs::remove(folder_ / "root/proc" / std::to_string(pid));
  }

  TempFolder folder_;
  NotifySocket syslog_{(folder_ / "log.sock").string()};
  NotifySocket notify_{(folder_ / "notify").string()};
  int processes_ = 0;
};

TEST_F(CorvserviceAlertTest, JournalGetsEntryAndExitWithTheirFields) {
  NotifySocket journal((folder_ / "journal.sock").string());
  std::unique_ptr<ProgramRun> run = Start(journal.path());
  EXPECT_FALSE(journal.Receive(2500).has_value()) << "at the critical value less 2: no alert";

  AddProcesses();
  const std::vector<std::string> entry = journal.ReceiveUntil("CORVANE_ALERT=", 15000);
  ASSERT_FALSE(entry.empty()) << "no alert reached the journal: " << ReadFile(run->err_file());
  std::map<std::string, std::string> fields = JournalFields(entry.back());
  EXPECT_EQ(fields["SYSLOG_IDENTIFIER"], "Corvane");
  EXPECT_EQ(fields["PRIORITY"], "4") << "warning";
  EXPECT_EQ(fields["CORVANE_ALERT"], "entered");
  EXPECT_EQ(fields["CORVANE_COUNTER"], "\\Objects\\Processes");
  EXPECT_EQ(fields["CORVANE_AXIS"], "Processes");
  EXPECT_EQ(fields["CORVANE_VALUE"], std::to_string(processes_ + 5));
  EXPECT_EQ(fields["CORVANE_CRITICAL"], std::to_string(processes_ + 2));
  EXPECT_EQ(fields["MESSAGE"], "Alert: Processes (\\Objects\\Processes) is " +
                                   std::to_string(processes_ + 5) + ", above its critical value " +
                                   std::to_string(processes_ + 2));

  RemoveProcesses();
  const std::vector<std::string> exit = journal.ReceiveUntil("CORVANE_ALERT=", 15000);
  ASSERT_FALSE(exit.empty());
  fields = JournalFields(exit.back());
  EXPECT_EQ(fields["PRIORITY"], "5") << "notice";
  EXPECT_EQ(fields["CORVANE_ALERT"], "left");
  EXPECT_EQ(fields["CORVANE_VALUE"], std::to_string(processes_));

  run->Signal(SIGTERM);
  ASSERT_TRUE(run->Wait().has_value());
  EXPECT_FALSE(journal.Receive(200).has_value()) << "one line per change";
  EXPECT_FALSE(syslog_.Receive(0).has_value()) << "the journal took everything";
}

TEST_F(CorvserviceAlertTest, WithoutAJournalSyslogGetsTheLines) {
  std::unique_ptr<ProgramRun> run = Start("");
  AddProcesses();
  const std::vector<std::string> entry = syslog_.ReceiveUntil("Alert", 15000);
  ASSERT_FALSE(entry.empty()) << ReadFile(run->err_file());
  EXPECT_NE(entry.back().find("<28>"), std::string::npos) << "daemon warning: " << entry.back();
  EXPECT_NE(entry.back().find("Corvane["), std::string::npos) << entry.back();
  EXPECT_NE(entry.back().find("Alert: Processes (\\Objects\\Processes) is " +
                              std::to_string(processes_ + 5)),
            std::string::npos)
      << entry.back();

  RemoveProcesses();
  const std::vector<std::string> exit = syslog_.ReceiveUntil("Alert over", 15000);
  ASSERT_FALSE(exit.empty());
  EXPECT_NE(exit.back().find("<29>"), std::string::npos) << "daemon notice: " << exit.back();
  run->Signal(SIGTERM);
  ASSERT_TRUE(run->Wait().has_value());
}

}  // namespace
}  // namespace corvane
