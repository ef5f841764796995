#include "platform/linux/host/unit_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/host/child_process.h"
#include "platform/linux/host/program_path.h"
#include "tests/platform/linux/host/test_support.h"

namespace corvane::host {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& candidate : Lines(text)) {
    if (candidate == line) return true;
  }
  return false;
}

TEST(MakeUnitFile, RunsTheProgramAsAHardenedNotifyService) {
  UnitFileOptions options;
  options.program = "/usr/bin/corvservice";
  options.read_write_paths = {"/home/ann/profiles/Logs"};
  const HostResult<std::string> unit = MakeUnitFile(options);
  ASSERT_TRUE(unit.ok());
  for (const char* line : {
           "[Service]",
           "Type=notify",
           "ExecStart=\"/usr/bin/corvservice\"",
           "StateDirectory=corvane",
           "NoNewPrivileges=yes",
           "ProtectSystem=strict",
           "ProtectHome=read-only",
           "PrivateTmp=yes",
           "ReadWritePaths=\"/home/ann/profiles/Logs\"",
           "User=corvservice",
           "Group=corvservice",
           "CapabilityBoundingSet=",
           "AmbientCapabilities=",
           "[Install]",
       }) {
    EXPECT_TRUE(HasLine(unit.value, line)) << line << "\n" << unit.value;
  }
  // No arguments after the program, and no privilege granted on any line.
  for (const std::string& line : Lines(unit.value)) {
    EXPECT_EQ(line.find("CAP_"), std::string::npos) << line;
    EXPECT_NE(line.rfind("ProtectProc=", 0), 0u) << "process counts list every process";
    if (line.rfind("ExecStart=", 0) == 0) {
      EXPECT_EQ(line, "ExecStart=\"/usr/bin/corvservice\"");
    }
  }
}

TEST(MakeUnitFile, QuotesWhatSystemdWouldOtherwiseSplitOrExpand) {
  UnitFileOptions options;
  options.program = "/opt/Corvane 2/100% \"fast\"\\corvservice";
  options.read_write_paths = {"/home/ann/My Profiles/Logs", "/srv/a%b/Logs"};
  options.environment = {{"CORVANE_DEFAULT_REGISTRY", "/home/ann/x y/registry.ini"}};
  const HostResult<std::string> unit = MakeUnitFile(options);
  ASSERT_TRUE(unit.ok());
  EXPECT_TRUE(HasLine(unit.value, "ExecStart=\"/opt/Corvane 2/100%% \\\"fast\\\"\\\\corvservice\""))
      << unit.value;
  EXPECT_TRUE(
      HasLine(unit.value, "ReadWritePaths=\"/home/ann/My Profiles/Logs\" \"/srv/a%%b/Logs\""))
      << unit.value;
  EXPECT_TRUE(
      HasLine(unit.value, "Environment=\"CORVANE_DEFAULT_REGISTRY=/home/ann/x y/registry.ini\""))
      << unit.value;
}

TEST(MakeUnitFile, FillsInTheTemplatesPlaceholders) {
  const std::string unit_template =
      "## a note for the template's reader\n"
      "[Service]\n"
      "ExecStart=@PROGRAM@\n"
      "@ENVIRONMENT@\n"
      "@READ_WRITE_PATHS@\n"
      "ExecStopPost=@PROGRAM@ @PROGRAM@\n"
      "User=@USER@\n";
  UnitFileOptions bare;
  bare.program = "/p";
  EXPECT_EQ(MakeUnitFile(unit_template, bare).value,
            "[Service]\nExecStart=\"/p\"\nExecStopPost=\"/p\" \"/p\"\nUser=corvservice\n");

  UnitFileOptions full = bare;
  full.environment = {{"A", "1"}, {"B", "2"}};
  full.read_write_paths = {"/x", "/y"};
  EXPECT_EQ(MakeUnitFile(unit_template, full).value,
            "[Service]\nExecStart=\"/p\"\nEnvironment=\"A=1\"\nEnvironment=\"B=2\"\n"
            "ReadWritePaths=\"/x\" \"/y\"\nExecStopPost=\"/p\" \"/p\"\nUser=corvservice\n");

  // The built-in template leaves no placeholder and no note behind.
  const std::string unit = MakeUnitFile(bare).value;
  EXPECT_EQ(unit.find("@PROGRAM@"), std::string::npos) << unit;
  EXPECT_EQ(unit.find("@USER@"), std::string::npos) << unit;
  EXPECT_EQ(unit.find("\n@"), std::string::npos) << unit;
  EXPECT_EQ(unit.find("##"), std::string::npos) << unit;
  EXPECT_EQ(unit.find("ReadWritePaths"), std::string::npos) << unit;
  EXPECT_NE(unit.find("SystemCallFilter=@system-service\n"), std::string::npos) << unit;
}

// systemd's own reading of the unit: every directive known, every value well-formed.
TEST(MakeUnitFile, SystemdAcceptsTheUnitWithoutAWarning) {
  if (access("/usr/bin/systemd-analyze", X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  testing_support::TempFolder folder;
  UnitFileOptions options;
  options.program = ProgramPath().value;  // verify wants a program that exists
  options.read_write_paths = {folder / "Logs", "/home/ann/My Profiles/Logs"};
  options.environment = {{"CORVANE_DEFAULT_REGISTRY", folder / "registry.ini"}};
  const std::string unit = folder / "corvane.service";
  testing_support::WriteFile(unit, MakeUnitFile(options).value);
  std::string output;
  const HostResult<int> status =
      RunProgram({"sh", "-c", "systemd-analyze verify \"$1\" 2>&1", "sh", unit}, &output);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(status.value, 0) << output;
  EXPECT_EQ(output, "");
}

TEST(MakeUnitFile, RefusesWhatWouldInjectDirectives) {
  const auto refused = [](UnitFileOptions options) {
    return MakeUnitFile(options).status.code() == EINVAL;
  };
  EXPECT_TRUE(refused({"/usr/bin/corvservice\nExecStartPre=/bin/rm -rf /", {}, {}}));
  EXPECT_TRUE(refused({"relative/corvservice", {}, {}}));
  EXPECT_TRUE(refused({"", {}, {}}));
  EXPECT_TRUE(refused({"/usr/bin/corvservice", {"/a\n[Service]"}, {}}));
  EXPECT_TRUE(refused({"/usr/bin/corvservice", {}, {{"A=B", "c"}}}));
  EXPECT_TRUE(refused({"/usr/bin/corvservice", {}, {{"A", "c\rd"}}}));
  EXPECT_FALSE(refused({"/usr/bin/corvservice", {}, {}}));
}

}  // namespace
}  // namespace corvane::host
