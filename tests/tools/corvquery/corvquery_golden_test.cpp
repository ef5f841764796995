// The real corvquery over captured /proc and /sys trees (CORVANE_SYSTEM_ROOT), compared with
// golden files; CORVANE_UPDATE_GOLDEN=1 rewrites them. Only the time of each row varies.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/case_name.h"
#include "tests/support/golden_file.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace corvane::corvquery {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Standard output, then "exit N", of corvquery over the tree `tree` below the fixtures.
std::string RunOverTree(const std::string& tree, std::vector<std::string> args) {
  test_support::TempFolder folder;
  args.insert(args.begin(), CORVQUERY_PROGRAM);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_texts = {
      "CORVANE_SYSTEM_ROOT=" + std::string(CORVANE_FIXTURES_DIR) + "/proc/" + tree, "TZ=UTC",
      "LC_ALL=C"};
  std::vector<char*> envp;
  for (auto& text : env_texts) envp.push_back(text.data());
  envp.push_back(nullptr);

  const std::string out = (folder / "out").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, CORVQUERY_PROGRAM, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return "cannot start corvquery";
  int status = 0;
  waitpid(pid, &status, 0);
  std::string text = ReadAll(out);
  // Rows start with the local time they were taken; the golden file keeps the rest.
  const std::regex time("^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]+,");
  std::istringstream lines(text);
  text.clear();
  for (std::string line; std::getline(lines, line);) {
    text += std::regex_replace(line, time, "<time>,") + "\n";
  }
  return text + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "\n";
}

struct GoldenCase {
  const char* name;  // also the golden file's name
  const char* tree;
  std::vector<std::string> args;
};

class CorvqueryGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(CorvqueryGolden, PrintsWhatTheGoldenFileHolds) {
  const GoldenCase& c = GetParam();
  test_support::ExpectMatchesGolden(std::string("corvquery/") + c.name + ".txt",
                                    RunOverTree(c.tree, c.args));
}

const std::vector<std::string> kSteadyCounters = {"\\Memory\\Available Bytes",
                                                  "\\Memory\\% Committed Bytes In Use",
                                                  "\\Objects\\Processes",
                                                  "\\Objects\\Threads",
                                                  "\\Paging File(_Total)\\% Usage",
                                                  "\\Processor(_Total)\\% Processor Time",
                                                  "\\System\\Processor Queue Length",
                                                  "\\PhysicalDisk(_Total)\\% Disk Time",
                                                  "\\Network Interface(eth0)\\Bytes Total/sec"};

std::vector<std::string> Sample(std::vector<std::string> counters) {
  counters.insert(counters.begin(), {"--samples", "2", "--interval", "0.1"});
  return counters;
}

INSTANTIATE_TEST_SUITE_P(
    Trees, CorvqueryGolden,
    testing::Values(
        GoldenCase{"snapshot_a_objects", "snapshot_a", {"--list"}},
        GoldenCase{"snapshot_a_processor", "snapshot_a", {"--list", "Processor"}},
        GoldenCase{"snapshot_a_physical_disk", "snapshot_a", {"--list", "PhysicalDisk"}},
        GoldenCase{"snapshot_a_network", "snapshot_a", {"--list", "Network Interface"}},
        GoldenCase{"snapshot_a_paging_file", "snapshot_a", {"--list", "Paging File"}},
        GoldenCase{"snapshot_a_samples", "snapshot_a", Sample(kSteadyCounters)},
        GoldenCase{"many_devices_processor", "many_devices", {"--list", "Processor"}},
        GoldenCase{"many_devices_physical_disk", "many_devices", {"--list", "PhysicalDisk"}},
        GoldenCase{"many_devices_logical_disk", "many_devices", {"--list", "LogicalDisk"}},
        GoldenCase{"many_devices_network", "many_devices", {"--list", "Network Interface"}},
        GoldenCase{"many_devices_paging_file", "many_devices", {"--list", "Paging File"}},
        GoldenCase{"many_devices_samples", "many_devices",
                   Sample({"\\Memory\\Available Bytes", "\\Paging File(_Total)\\% Usage",
                           "\\Paging File(/swapfile)\\% Usage", "\\Objects\\Processes",
                           "\\Processor(_Total)\\% Processor Time",
                           "\\Network Interface(bond0)\\Current Bandwidth",
                           "\\Network Interface(wlan0)\\Current Bandwidth"})}),
    [](const testing::TestParamInfo<GoldenCase>& info) {
      return test_support::CaseName(info.param.name);
    });

}  // namespace
}  // namespace corvane::corvquery
