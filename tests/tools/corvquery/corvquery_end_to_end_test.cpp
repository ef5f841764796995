// Runs the real corvquery program against this machine's counters.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/counter_path.h"

extern char** environ;

namespace corvane::corvquery {
namespace {

using testing::Contains;
using testing::HasSubstr;

struct Outcome {
  int exit_status = -1;  // -1: did not exit normally
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program with an argument vector (no shell), its output going to files in a fresh
// temporary folder.
Outcome RunCorvquery(const std::vector<std::string>& args) {
  Outcome outcome;
  std::string folder_template =
      (std::filesystem::temp_directory_path() / "corvquery-e2e-XXXXXX").string();
  if (mkdtemp(folder_template.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
    return outcome;
  }
  const std::filesystem::path folder = folder_template;
  const std::string out_path = (folder / "out").string();
  const std::string err_path = (folder / "err").string();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  std::string program = CORVQUERY_PROGRAM;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "posix_spawn " << program << ": " << std::strerror(spawned);
  } else {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) outcome.exit_status = WEXITSTATUS(status);
    outcome.out = ReadFile(out_path);
    outcome.err = ReadFile(err_path);
  }
  std::filesystem::remove_all(folder);
  return outcome;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Splits a CSV row whose cells hold no quotes (true of the standard counters' rows).
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const auto comma = row.find(',', start);
    cells.push_back(row.substr(start, comma - start));
    if (comma == std::string::npos) return cells;
    start = comma + 1;
  }
}

bool ParseNumber(const std::string& text, double* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The processor instances the kernel lists now: "cpuN" lines of /proc/stat (proc(5)).
std::set<std::string> KernelProcessors() {
  std::set<std::string> names;
  std::istringstream stat(ReadFile("/proc/stat"));
  for (std::string line; std::getline(stat, line);) {
    if (line.size() > 3 && line.starts_with("cpu") && line[3] != ' ')
      names.insert(line.substr(3, line.find(' ') - 3));
  }
  return names;
}

TEST(CorvqueryEndToEnd, ARefusedMachineIsNamedWithItsAddressAndReason) {
  // A socket bound on 127.0.0.1 but not listening: connections to its port are refused.
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string port = std::to_string(ntohs(address.sin_port));
  const Outcome outcome = RunCorvquery({"\\\\127.0.0.1:" + port + "\\Objects\\Threads"});
  ::close(fd);
  EXPECT_EQ(outcome.exit_status, 2);
  EXPECT_THAT(outcome.err,
              HasSubstr("corvquery: cannot connect to \\\\127.0.0.1:" + port +
                        ": http://127.0.0.1:" + port + "/metrics: connection refused"));
}

TEST(CorvqueryEndToEnd, HelpAndBadOptions) {
  Outcome outcome = RunCorvquery({"--help"});
  EXPECT_EQ(outcome.exit_status, 0);
  EXPECT_THAT(outcome.out, HasSubstr("Usage: corvquery"));

  outcome = RunCorvquery({"--samples", "0", "\\Objects\\Processes"});
  EXPECT_EQ(outcome.exit_status, 2);
  EXPECT_THAT(outcome.err, HasSubstr("--samples"));
  EXPECT_EQ(outcome.out, "");
}

TEST(CorvqueryEndToEnd, ListsTheLocalObjects) {
  const Outcome outcome = RunCorvquery({"--list"});
  ASSERT_EQ(outcome.exit_status, 0) << outcome.err;
  const std::vector<std::string> objects = Lines(outcome.out);
  for (const char* object : {"Processor", "Memory", "Objects", "System", "Paging File",
                             "LogicalDisk", "PhysicalDisk", "Network Interface"}) {
    EXPECT_THAT(objects, Contains(object));
  }
}

TEST(CorvqueryEndToEnd, ListsEveryProcessorCounterForEveryProcessor) {
  const Outcome outcome = RunCorvquery({"--list", "Processor"});
  ASSERT_EQ(outcome.exit_status, 0) << outcome.err;
  const std::vector<std::string> lines = Lines(outcome.out);
  ASSERT_FALSE(lines.empty());

  std::set<std::string> counters;
  std::set<std::string> instances;
  for (const std::string& line : lines) {
    const auto path = ParseCounterPath(line);
    ASSERT_TRUE(path.has_value()) << line;
    EXPECT_EQ(path->machine, "") << line;
    EXPECT_EQ(path->object, "Processor") << line;
    EXPECT_TRUE(path->has_instance) << line;
    counters.insert(path->counter);
    instances.insert(path->instance);
  }
  std::set<std::string> expected = KernelProcessors();
  expected.insert("_Total");
  EXPECT_EQ(instances, expected);
  EXPECT_THAT(counters, Contains("% Processor Time"));
  EXPECT_EQ(lines.size(), counters.size() * instances.size()) << "every counter x every instance";
  EXPECT_THAT(lines, Contains("\\Processor(_Total)\\% Processor Time"));
}

TEST(CorvqueryEndToEnd, SamplesTheSevenStandardCounters) {
  const std::vector<std::string> paths = {
      "\\Processor(_Total)\\% Processor Time",
      "\\Objects\\Processes",
      "\\Objects\\Threads",
      "\\Memory\\% Committed Bytes In Use",
      "\\Paging File(_Total)\\% Usage",
      "\\LogicalDisk(_Total)\\% Free Space",
      "\\PhysicalDisk(_Total)\\% Disk Time",
  };
  std::vector<std::string> args = {"--samples", "3", "--interval", "0.5"};
  args.insert(args.end(), paths.begin(), paths.end());
  const Outcome outcome = RunCorvquery(args);
  ASSERT_EQ(outcome.exit_status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");

  const std::vector<std::string> lines = Lines(outcome.out);
  ASSERT_EQ(lines.size(), 4u) << outcome.out;
  std::string header = "Time";
  for (const std::string& path : paths) header += "," + path;
  EXPECT_EQ(lines[0], header);

  const std::regex time_stamp(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
  for (std::size_t row = 1; row < lines.size(); ++row) {
    const std::vector<std::string> cells = Cells(lines[row]);
    ASSERT_EQ(cells.size(), paths.size() + 1) << lines[row];
    EXPECT_TRUE(std::regex_match(cells[0], time_stamp)) << cells[0];
    double values[7] = {};
    for (std::size_t i = 0; i < paths.size(); ++i) {
      // Every row has a value, the first too: rate counters were collected once beforehand.
      ASSERT_TRUE(ParseNumber(cells[i + 1], &values[i]))
          << paths[i] << " in row " << row << ": \"" << cells[i + 1] << '"';
    }
    const auto [cpu, processes, threads, committed, paging, free_space, disk_time] =
        std::to_array(values);
    EXPECT_GE(cpu, 0);
    EXPECT_LE(cpu, 100);
    EXPECT_GE(processes, 1);
    EXPECT_EQ(processes, static_cast<long long>(processes)) << "a count";
    EXPECT_GE(threads, processes) << "every process has a thread";
    EXPECT_GT(committed, 0) << "not clamped, so it may exceed 100";
    EXPECT_GE(paging, 0);
    EXPECT_LE(paging, 100);
    EXPECT_GE(free_space, 0);
    EXPECT_LE(free_space, 100);
    EXPECT_GE(disk_time, 0);
    EXPECT_LE(disk_time, 100) << "utilisation, not the weighted queue time";
  }
}

}  // namespace
}  // namespace corvane::corvquery
