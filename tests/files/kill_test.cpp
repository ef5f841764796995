// Saving processes killed with SIGKILL at random moments: the target always reads back as the
// old or the new version, and what a killed writer left is gone after the next write.
// CORVANE_KILLS sets the kills per case (30 by default; scripts may ask for thousands).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/atomic_file.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace corvane::files {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::string Read(const fs::path& path) { return test_support::ReadWholeFile(path); }

pid_t Spawn(std::vector<std::string> args) {
  args.insert(args.begin(), ATOMIC_SAVER);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, ATOMIC_SAVER, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

int KillsPerCase() {
  const char* text = std::getenv("CORVANE_KILLS");
  const int kills = text != nullptr ? std::atoi(text) : 0;
  return kills > 0 ? kills : 30;
}

struct KillCase {
  const char* kind;  // what atomic_saver saves
  bool named;        // the named temporary file forced
};

class SaverKilled : public testing::TestWithParam<KillCase> {};

TEST_P(SaverKilled, LeavesTheOldOrTheNewFileAndNothingThatStays) {
  const KillCase& c = GetParam();
  TempFolder reference;
  const pid_t writer = Spawn({"reference", c.kind, reference.path().string()});
  ASSERT_GT(writer, 0);
  const int written = WaitFor(writer);
  ASSERT_TRUE(WIFEXITED(written) && WEXITSTATUS(written) == 0);
  const std::string versions[] = {Read(reference / "a"), Read(reference / "b")};
  ASSERT_NE(versions[0], versions[1]);

  TempFolder folder;
  const fs::path target = folder / "p.crvn";
  fs::copy_file(reference / "a", target);
  std::mt19937 random(20261208);
  // Kills land anywhere in the first `window` of a saver's life. Each saver starts with the
  // version the file does not hold, so a finished save shows; when three kills in a row came
  // before any finished save (a loaded machine starts programs slowly), the window grows.
  int window_us = 30000;
  int unchanged_in_a_row = 0;
  int current = 0;
  int changes = 0;
  int left_behind = 0;
  const int kills = KillsPerCase();
  for (int kill = 0; kill < kills; ++kill) {
    std::vector<std::string> args = {c.kind, target.string(), current == 0 ? "1" : "0"};
    if (c.named) args.emplace_back("named");
    const pid_t saver = Spawn(args);
    ASSERT_GT(saver, 0);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, window_us)(random)));
    ::kill(saver, SIGKILL);
    const int status = WaitFor(saver);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself: " << status;

    const std::string now = Read(target);
    ASSERT_TRUE(now == versions[0] || now == versions[1])
        << "kill " << kill << ": a torn file of " << now.size() << " bytes";
    const int version = now == versions[0] ? 0 : 1;
    if (version != current) {
      ++changes;
      unchanged_in_a_row = 0;
    } else if (++unchanged_in_a_row >= 3 && window_us < 2'000'000) {
      window_us *= 2;
      unchanged_in_a_row = 0;
    }
    current = version;
    // A killed writer leaves at most its own temporary file; the next one removes it first.
    const auto names = folder.Names();
    ASSERT_LE(names.size(), 2U) << "kill " << kill << ": temporary files pile up";
    for (const auto& name : names) {
      if (name == "p.crvn") continue;
      EXPECT_TRUE(name.starts_with(".p.crvn.") && name.ends_with(".tmp")) << name;
      ++left_behind;
    }
  }
  EXPECT_GT(changes, 0) << "no kill came after a finished save; the test proves nothing";

  // The next write, here in this process, leaves the folder as clean as it found it.
  AtomicFile::ForceNamedTemporaries(c.named);
  std::string error;
  EXPECT_TRUE(WriteFileAtomically(target, versions[current], {}, &error)) << error;
  AtomicFile::ForceNamedTemporaries(false);
  EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
  RecordProperty("kills", kills);
  RecordProperty("kills_that_left_a_temporary_file", left_behind);
  RecordProperty("kills_after_a_finished_save", changes);
}

INSTANTIATE_TEST_SUITE_P(Savers, SaverKilled,
                         testing::Values(KillCase{"profile", false}, KillCase{"profile", true},
                                         KillCase{"bytes", false}, KillCase{"bytes", true}),
                         [](const testing::TestParamInfo<KillCase>& info) {
                           return std::string(info.param.kind) +
                                  (info.param.named ? "_NamedTemporary" : "_UnnamedTemporary");
                         });

}  // namespace
}  // namespace corvane::files
