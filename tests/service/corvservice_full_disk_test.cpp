// The real service logging onto a small tmpfs that runs full and is freed again: the old rows
// and the profile survive, and the system log gets one line when the log starts failing (with
// the reason) and one when it is written again. Needs root to mount the tmpfs; the program
// runs in a mount namespace of its own whose /dev/log is the test's socket.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
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
using testing_support::WaitFor;
using testing_support::WriteFile;

const std::string kProfileFixture = std::string(CORVANE_FIXTURES_DIR) + "/service/objects.crvn";

// Gives the program a /dev of its own: the few devices it may open, and /dev/log bound to the
// test's socket, so its syslog lines reach the test whether or not this machine runs a syslog.
constexpr const char* kPrivateDev = R"(set -e
dev=$1/dev
mkdir -p "$dev"
for node in null zero random urandom; do : > "$dev/$node"; mount --bind "/dev/$node" "$dev/$node"; done
: > "$dev/log"
mount --bind "$2" "$dev/log"
mount --rbind "$dev" /dev
shift 2
exec "$@"
)";

// A tmpfs of `size` mounted at `path` for the life of the object.
class SmallTmpfs {
 public:
  SmallTmpfs(const fs::path& path, const std::string& size) : path_(path) {
    fs::create_directories(path);
    const std::string options = "size=" + size + ",mode=0755";
    if (::mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      error_ = std::strerror(errno);
    }
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }

 private:
  fs::path path_;
  bool mounted_ = false;
  std::string error_;
};

// Writes `path` until the file system is full.
void Fill(const fs::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string block(4096, 'f');
  while (std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
         std::fflush(file) == 0) {
  }
  std::fclose(file);
}

std::size_t RowCount(const std::string& log) {
  std::size_t rows = 0;
  for (std::size_t at = log.find("<tr bgcolor="); at != std::string::npos;
       at = log.find("<tr bgcolor=", at + 1)) {
    ++rows;
  }
  return rows;
}

TEST(CorvserviceFullDisk, TheSystemLogHearsOnceOfTheFailureAndOnceOfTheRecovery) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs root to mount a small tmpfs and give the service its own /dev/log; "
                    "run the suite as root for this check";
  }
  TempFolder folder;
  SmallTmpfs disk(folder / "disk", "512k");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();

  const std::string profile = folder / "disk/objects.crvn";
  fs::copy_file(kProfileFixture, profile);
  const std::string profile_bytes = ReadFile(profile);
  fs::create_directories(folder / "etc");
  WriteFile(folder / "etc/registry.ini",
            "[Software\\Quillfen\\Corvane\\Service]\nProfile=" + profile + "\n");
  NotifySocket syslog((folder / "log.sock").string());
  NotifySocket notify((folder / "notify").string());
  WriteFile(folder / "private-dev.sh", kPrivateDev);

  const std::string program = PlaceProgram(CORVSERVICE_PATH, folder.path());
  auto env = testing_support::IsolatedServiceEnv(folder.path());
  env["NOTIFY_SOCKET"] = notify.path();
  ProgramRun run(
      "/usr/bin/unshare",
      {"--mount", "--propagation", "private", "/bin/sh", (folder / "private-dev.sh").string(),
       folder.path().string(), syslog.path(), program},
      env, folder.path());
  ASSERT_FALSE(notify.ReceiveUntil("READY=1", 30000).empty()) << ReadFile(run.err_file());

  const std::string log = folder / "disk/Logs/objects-log.html";
  ASSERT_TRUE(WaitFor([&] { return RowCount(ReadFile(log)) >= 2; })) << ReadFile(log);
  const std::string before = ReadFile(log);
  // The rows so far, without the page's end that each new row moves down.
  const std::string old_rows = before.substr(0, before.rfind("</table>"));

  Fill(folder / "disk/filler");
  // tmpfs gives out whole pages: the rows that still fit into the log's last page go in first.
  std::vector<std::string> lines = syslog.ReceiveUntil("cannot write", 60000);
  ASSERT_FALSE(lines.empty()) << "nothing reached the system log";
  EXPECT_NE(lines.back().find("<28>"), std::string::npos) << "daemon warning: " << lines.back();
  EXPECT_NE(lines.back().find("Activity log: cannot write " + log + ": No space left on device"),
            std::string::npos)
      << lines.back();
  // Samples go on failing every second; none of them is news.
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));

  fs::remove(folder / "disk/filler");
  const std::vector<std::string> later = syslog.ReceiveUntil("again", 15000);
  ASSERT_FALSE(later.empty());
  EXPECT_EQ(later.size(), 1U) << "one line per change, not per sample: " << later.front();
  EXPECT_NE(later.back().find("<29>"), std::string::npos) << "daemon notice: " << later.back();
  EXPECT_NE(later.back().find("Activity log: writing " + log + " again"), std::string::npos)
      << later.back();
  const std::size_t rows = RowCount(ReadFile(log));
  EXPECT_TRUE(WaitFor([&] { return RowCount(ReadFile(log)) > rows; })) << "rows come again";

  run.Signal(SIGTERM);
  ASSERT_TRUE(run.Wait().has_value());
  const std::optional<std::string> more = syslog.Receive(200);
  EXPECT_FALSE(more.has_value()) << "nothing more to tell, yet heard: " << more.value_or("");
  const std::string after = ReadFile(log);
  EXPECT_EQ(after.compare(0, old_rows.size(), old_rows), 0) << "the old rows are kept";
  EXPECT_EQ(ReadFile(profile), profile_bytes);
}

}  // namespace
}  // namespace corvane
