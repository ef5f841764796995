// The real corvservice program, run from a copy in a temporary folder.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/engine.h"
#include "platform/system_provider.h"
#include "service/command_line.h"
#include "tests/platform/linux/host/test_support.h"
#include "tests/service/program_run.h"

namespace corvane {
namespace {

using testing_support::NotifySocket;
using testing_support::PlaceProgram;
using testing_support::ProgramRun;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WaitFor;
using testing_support::WriteFile;

const std::string kProfileFixture = std::string(CORVANE_FIXTURES_DIR) + "/service/objects.crvn";

bool ExitedWith(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

bool ExitedWithZero(const std::optional<int>& status) { return ExitedWith(status, 0); }

bool HasRows(const std::string& log) {
  return ReadFile(log).find("<tr bgcolor=") != std::string::npos;
}

class CorvserviceTest : public ::testing::Test {
 protected:
  // Nothing of the test machine's own settings, units or systemd reaches the program.
  std::map<std::string, std::optional<std::string>> Env() const {
    return testing_support::IsolatedServiceEnv(folder_.path());
  }

  // The program's output; its exit status must be `exit_code`.
  std::string Run(const std::vector<std::string>& args, int exit_code = 0) {
    ProgramRun run(program_, args, Env(), folder_.path());
    EXPECT_TRUE(ExitedWith(run.Wait(), exit_code))
        << "corvservice " << testing::PrintToString(args);
    return ReadFile(run.out_file());
  }

  void SetServiceProfile(const std::string& profile) {
    std::filesystem::create_directories(folder_ / "etc");
    WriteFile(folder_ / "etc/registry.ini",
              "[Software\\Quillfen\\Corvane\\Service]\nProfile=" + profile + "\n");
  }

  TempFolder folder_;
  std::string program_ = PlaceProgram(CORVSERVICE_PATH, folder_.path());
  std::string units_ = folder_ / "units";
};

TEST_F(CorvserviceTest, APlainStartPrintsTheUsageAndReturnsZero) {
  EXPECT_EQ(Run({}), service::UsageText());
  EXPECT_EQ(Run({"-unknown"}), service::UsageText());
}

TEST_F(CorvserviceTest, InstallsAndRemovesItsUnit) {
  std::filesystem::create_directory(units_);
  // The log folder beside the program's profile is made only for a service user this machine
  // has (the package makes it; a machine without it gets the unit alone).
  const std::string made_folder =
      ::getpwnam("corvservice") != nullptr
          ? "Created log folder " + (folder_ / "Logs").string() + " for user corvservice.\n"
          : "";
  EXPECT_EQ(Run({"/INSTALL"}), made_folder + "Service Corvane has been installed.\n");
  const std::string unit = ReadFile(units_ + "/corvane.service");
  EXPECT_NE(unit.find("\nExecStart=\"" + program_ + "\"\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nType=notify\n"), std::string::npos) << unit;
  EXPECT_NE(ReadFile(folder_ / "etc/registry.ini").find("[Software\\Quillfen\\Corvane\\Service]"),
            std::string::npos);

  // A failure is printed and seen by scripts in the exit status.
  EXPECT_EQ(Run({"-install"}, 1), "CreateService failed:\n  File exists (0x11)\n");
  EXPECT_EQ(Run({"-Remove"}), "Service Corvane removed.\n");
  EXPECT_FALSE(std::filesystem::exists(units_ + "/corvane.service"));
  EXPECT_EQ(Run({"/remove"}, 1), "OpenService failed:\n  No such file or directory (0x2)\n");

  std::filesystem::remove(units_);
  EXPECT_EQ(Run({"-install"}, 1), "OpenSCManager failed:\n  No such file or directory (0x2)\n");
}

// Control-C and Control-Break stop the console run the same way.
TEST_F(CorvserviceTest, RunLogsTheProfilesCountersUntilInterrupted) {
  for (const int signal : {SIGINT, SIGQUIT}) {
    SCOPED_TRACE(signal);
    const std::string profile = folder_ / "objects.crvn";
    std::filesystem::copy_file(kProfileFixture, profile,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string log = folder_ / "Logs/objects-log.html";
    std::filesystem::remove_all(folder_ / "Logs");

    ProgramRun run(program_, {"-run", profile}, Env(), folder_.path());
    ASSERT_TRUE(WaitFor([&] { return HasRows(log); })) << ReadFile(run.err_file());
    run.Signal(signal);
    EXPECT_TRUE(ExitedWithZero(run.Wait()));

    EXPECT_EQ(ReadFile(run.out_file()),
              "Starting Corvane service as a console application.\n"
              "Use Control-C to interrupt the program.\n"
              "Activity log: " +
                  log +
                  "\n"
                  "Stopping service Corvane.\n");
    const std::string text = ReadFile(log);
    EXPECT_NE(text.find("<th>Process Count</th>\n  <th>Thread Count</th>"), std::string::npos)
        << text;
    const std::string end = "</table><a name=end></body></html>";
    EXPECT_EQ(text.substr(text.size() - end.size()), end) << "the log is whole after the stop";
  }
}

TEST_F(CorvserviceTest, RunTakesTheProfileFromTheSettingsStore) {
  const std::string profile = folder_ / "from-settings.crvn";
  std::filesystem::copy_file(kProfileFixture, profile);
  SetServiceProfile(profile);
  ProgramRun run(program_, {"-run"}, Env(), folder_.path());
  ASSERT_TRUE(WaitFor([&] { return HasRows(folder_ / "Logs/from-settings-log.html"); }));
  run.Signal(SIGINT);
  EXPECT_TRUE(ExitedWithZero(run.Wait()));
}

TEST_F(CorvserviceTest, AnUnreadableProfileLogsTheDefaultCountersBesideTheProgram) {
  SetServiceProfile(folder_ / "objects.crvn");  // the argument wins over it
  ProgramRun run(program_, {"-run", folder_ / "missing.crvn"}, Env(), folder_.path());
  const std::string log = folder_ / "Logs/ServiceDefault-log.html";
  ASSERT_TRUE(WaitFor([&] { return HasRows(log); })) << ReadFile(run.out_file());
  run.Signal(SIGINT);
  EXPECT_TRUE(ExitedWithZero(run.Wait()));

  // The headings are the default counters' names, as a fresh engine sets them up.
  const auto provider = MakeSystemProvider();
  Corvane engine(*provider, false);
  engine.SetUpNewProfile();
  std::string headings = " <tr>\n  <th>Date</th>\n  <th>Time</th>\n";
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    chart::Text name;
    ASSERT_TRUE(engine.GetAxisName(i, &name));
    headings += "  <th>" + std::string(name.value_or("")) + "</th>\n";
  }
  const std::string text = ReadFile(log);
  EXPECT_NE(text.find("<h1>Corvane Log: ServiceDefault</h1>"), std::string::npos) << text;
  EXPECT_NE(text.find(headings + " </tr>"), std::string::npos) << headings << "\n" << text;
  EXPECT_NE(ReadFile(run.out_file()).find("Activity log: " + log + "\n"), std::string::npos);
}

TEST_F(CorvserviceTest, UnderSystemdItReportsReadyAndStopsOnSigterm) {
  const std::string profile = folder_ / "objects.crvn";
  std::filesystem::copy_file(kProfileFixture, profile);
  SetServiceProfile(profile);
  NotifySocket socket(folder_ / "notify");
  auto env = Env();
  env["NOTIFY_SOCKET"] = socket.path();

  ProgramRun run(program_, {}, env, folder_.path());
  const std::vector<std::string> starting = socket.ReceiveUntil("READY=1", 30000);
  ASSERT_FALSE(starting.empty());
  EXPECT_EQ(starting.back(), "READY=1\nSTATUS=Running");
  EXPECT_EQ(starting.front(), "STATUS=Starting (check point 1)\nEXTEND_TIMEOUT_USEC=3000000");

  const std::string log = folder_ / "Logs/objects-log.html";
  EXPECT_TRUE(WaitFor([&] { return HasRows(log); })) << "the service logs like the console";

  run.Signal(SIGTERM);
  const std::vector<std::string> stopping = socket.ReceiveUntil("STATUS=Stopped", 30000);
  ASSERT_FALSE(stopping.empty());
  EXPECT_EQ(stopping.front().rfind("STOPPING=1\n", 0), 0u) << stopping.front();
  EXPECT_EQ(stopping.back(), "STATUS=Stopped");
  EXPECT_TRUE(ExitedWithZero(run.Wait()));
  EXPECT_EQ(ReadFile(run.out_file()), service::UsageText());
}

}  // namespace
}  // namespace corvane
