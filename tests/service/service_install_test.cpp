#include "service/service_install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string_view>

#include "platform/linux/host/child_process.h"
#include "platform/linux/host/writer_lock.h"
#include "tests/platform/linux/host/test_support.h"
#include "tests/support/lock_holder.h"

namespace corvane::service {
namespace {

using host::HostResult;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

std::string ReadStream(std::FILE* stream) {
  std::string text;
  std::rewind(stream);
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  std::fseek(stream, 0, SEEK_END);  // writing may follow reading only after a seek
  return text;
}

class ServiceInstallTest : public ::testing::Test {
 protected:
  ServiceInstallTest() {
    std::filesystem::create_directory(units_);
    std::filesystem::create_directories(folder_ / "opt/corvane");
  }
  ~ServiceInstallTest() override {
    std::fclose(out_);
    std::fclose(err_);
  }

  InstallContext Context() {
    InstallContext context;
    context.manager = &manager_;
    context.default_hive = &hive_;
    context.program_path = [this] { return program_; };
    // The test's own user stands for the service's: only root may give a folder away.
    context.service_account = [this] { return account_; };
    context.stop_poll = std::chrono::milliseconds(50);
    context.out = out_;
    context.err = err_;
    return context;
  }

  // Output written since the last call. The stream itself stays: contexts hold it.
  std::string Out() {
    std::string text = ReadStream(out_);
    std::string fresh = text.substr(read_);
    read_ = text.size();
    return fresh;
  }

  TempFolder folder_;
  std::string units_ = folder_ / "units";
  std::string unit_file_ = units_ + "/corvane.service";
  host::ServiceManager manager_{{units_, ""}};
  host::SettingsStore hive_{folder_ / "etc/registry.ini"};
  std::string program_folder_ = folder_ / "opt/corvane";
  HostResult<std::string> program_{program_folder_ + "/corvservice", {}};
  HostResult<host::ServiceAccount> account_{{getuid(), getgid()}, {}};
  std::FILE* out_ = std::tmpfile();
  std::FILE* err_ = std::tmpfile();
  std::size_t read_ = 0;  // bytes of out_ already returned by Out()
};

TEST_F(ServiceInstallTest, InstallsOnceAndRemoves) {
  InstallService(Context());
  EXPECT_EQ(Out(), "Created log folder " + program_folder_ +
                       "/Logs for user corvservice.\nService Corvane has been installed.\n");
  const std::string unit = ReadFile(unit_file_);
  EXPECT_NE(unit.find("\nExecStart=\"" + program_folder_ + "/corvservice\"\n"), std::string::npos)
      << unit;
  EXPECT_NE(unit.find("\nReadWritePaths=\"" + program_folder_ + "/Logs\"\n"), std::string::npos)
      << unit;
  const std::string registry = (folder_ / "etc/registry.ini").string();
  EXPECT_NE(unit.find("Environment=\"CORVANE_DEFAULT_REGISTRY=" + registry), std::string::npos)
      << "the service reads the hive this install wrote";
  EXPECT_TRUE(hive_.OpenKey(kServiceKey).ok()) << "the service's settings key is created";

  InstallService(Context());
  EXPECT_EQ(Out(), "CreateService failed:\n  File exists (0x11)\n") << "the folder is there now";

  RemoveService(Context());
  EXPECT_EQ(Out(), "Service Corvane removed.\n");
  EXPECT_FALSE(std::filesystem::exists(unit_file_));
  EXPECT_TRUE(hive_.OpenKey(kServiceKey).ok()) << "removing leaves the settings alone";

  RemoveService(Context());
  EXPECT_EQ(Out(), "OpenService failed:\n  No such file or directory (0x2)\n");
}

TEST_F(ServiceInstallTest, AHiveHeldByAnotherWriterCostsTheKeyNotTheInstall) {
  hive_.set_lock_wait({3, std::chrono::milliseconds(1)});
  ASSERT_TRUE(hive_.CreateKey("Control Panel\\Desktop").ok());
  test_support::LockHolder holder(host::LockFileOf(hive_.file()));
  ASSERT_TRUE(holder.held());
  InstallService(Context());
  const std::string out = Out();
  EXPECT_TRUE(out.ends_with("Service Corvane has been installed.\n")) << out;
  EXPECT_NE(
      ReadStream(err_).find(host::LockFileOf(hive_.file()) + ": another process held it for 3 ms"),
      std::string::npos)
      << ReadStream(err_);
  EXPECT_FALSE(hive_.OpenKey(kServiceKey).ok());
}

TEST_F(ServiceInstallTest, TheOutcomeSaysWhetherTheUnitWasWrittenOrDeleted) {
  host::ServiceManager nowhere({folder_ / "no-units", ""});
  struct Step {
    const char* what;
    bool install;  // else remove
    bool no_units_folder;
    bool expected;
  };
  const Step steps[] = {
      {"first install", true, false, true},
      {"install over an existing unit", true, false, false},
      {"remove", false, false, true},
      {"remove a missing unit", false, false, false},
      {"install without a unit folder", true, true, false},
      {"remove without a unit folder", false, true, false},
  };
  for (const Step& step : steps) {
    InstallContext context = Context();
    if (step.no_units_folder) context.manager = &nowhere;
    const bool done = step.install ? InstallService(context) : RemoveService(context);
    EXPECT_EQ(done, step.expected) << step.what << ": " << Out();
  }

  program_ = {"", host::HostStatus::Error(ENOENT, "readlink /proc/self/exe")};
  EXPECT_FALSE(InstallService(Context())) << "no program path";
  EXPECT_FALSE(std::filesystem::exists(unit_file_));
}

TEST_F(ServiceInstallTest, RemovingAnEnabledServiceLeavesNoDanglingLink) {
  InstallService(Context());
  const std::filesystem::path wants = units_ + "/multi-user.target.wants";
  std::filesystem::create_directory(wants);
  std::filesystem::create_symlink(unit_file_, wants / "corvane.service");
  WriteFile(wants / "other.service", "not a link: left alone");
  Out();
  RemoveService(Context());
  EXPECT_EQ(Out(), "Service Corvane removed.\n");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(wants / "corvane.service")));
  EXPECT_TRUE(std::filesystem::exists(wants / "other.service"));
}

TEST_F(ServiceInstallTest, TheProfilesLogFolderIsMadeForTheServicesUserAndMayBeWritten) {
  const std::filesystem::path profiles = folder_ / "home/ann/My Profiles";
  std::filesystem::create_directories(profiles);
  ASSERT_TRUE(hive_.CreateKey(kServiceKey).ok());
  ASSERT_TRUE(hive_.SetValue(kServiceKey, kProfileValue, (profiles / "web.crvn").string()).ok());
  program_.value = "/usr/bin/corvservice";
  InstallService(Context());
  const std::string logs = (profiles / "Logs").string();
  EXPECT_EQ(Out(), "Created log folder " + logs +
                       " for user corvservice.\nService Corvane has been installed.\n");
  const std::string unit = ReadFile(unit_file_);
  EXPECT_NE(unit.find("\nReadWritePaths=\"" + logs + "\"\n"), std::string::npos)
      << "an installed program gets no Logs folder of its own\n"
      << unit;
  struct stat made {};
  struct stat holder {};
  ASSERT_EQ(lstat(logs.c_str(), &made), 0);
  ASSERT_EQ(stat(profiles.c_str(), &holder), 0);
  EXPECT_TRUE(S_ISDIR(made.st_mode));
  EXPECT_EQ(made.st_mode & 07777, 02750u) << std::oct << made.st_mode;
  EXPECT_EQ(made.st_uid, account_.value.uid);
  EXPECT_EQ(made.st_gid, holder.st_gid) << "readable by the group of the folder holding it";
}

TEST_F(ServiceInstallTest, ALogFolderThatCannotBeMadeIsReportedAndLeftOutOfTheUnit) {
  const std::filesystem::path profiles = folder_ / "profiles";
  const std::filesystem::path elsewhere = folder_ / "elsewhere";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    bool account_found;
    const char* unit_names;  // what ReadWritePaths holds for the profile's folder
    bool created_line;
  };
  const Case cases[] = {
      {"a folder already there is named, not made",
       [&] { std::filesystem::create_directories(profiles / "Logs"); }, true, "/Logs", false},
      {"the profile's folder is missing", [] {}, true, nullptr, false},
      {"a file in its place",
       [&] {
         std::filesystem::create_directories(profiles);
         WriteFile(profiles / "Logs", "not a folder");
       },
       true, nullptr, false},
      {"a planted link to a folder elsewhere",
       [&] {
         std::filesystem::create_directories(profiles);
         std::filesystem::create_directories(elsewhere);
         std::filesystem::create_directory_symlink(elsewhere, profiles / "Logs");
       },
       true, nullptr, false},
      {"no user for the service", [&] { std::filesystem::create_directories(profiles); }, false,
       nullptr, false},
  };
  ASSERT_TRUE(hive_.CreateKey(kServiceKey).ok());
  ASSERT_TRUE(hive_.SetValue(kServiceKey, kProfileValue, (profiles / "web.crvn").string()).ok());
  program_.value = "/usr/bin/corvservice";
  for (const Case& c : cases) {
    std::filesystem::remove_all(profiles);
    std::filesystem::remove_all(elsewhere);
    std::filesystem::remove(unit_file_);
    c.arrange();
    account_ = c.account_found ? HostResult<host::ServiceAccount>{{getuid(), getgid()}, {}}
                               : HostResult<host::ServiceAccount>{
                                     {}, host::HostStatus::Error(ENOENT, "user corvservice")};
    const std::size_t err_before = ReadStream(err_).size();
    EXPECT_TRUE(InstallService(Context())) << c.what << ": the unit is written all the same";
    const std::string out = Out();
    EXPECT_EQ(out.find("Created log folder") != std::string::npos, c.created_line) << c.what << out;
    const std::string unit = ReadFile(unit_file_);
    if (c.unit_names != nullptr) {
      EXPECT_NE(unit.find("\nReadWritePaths=\"" + profiles.string() + c.unit_names + "\"\n"),
                std::string::npos)
          << c.what << "\n"
          << unit;
      EXPECT_EQ(ReadStream(err_).size(), err_before) << c.what;
    } else {
      EXPECT_EQ(unit.find("ReadWritePaths"), std::string::npos) << c.what << "\n" << unit;
      EXPECT_GT(ReadStream(err_).size(), err_before) << c.what << ": the reason is given";
    }
    EXPECT_TRUE(!std::filesystem::exists(elsewhere) || std::filesystem::is_empty(elsewhere))
        << c.what << ": nothing made through a link";
  }
}

// systemd's own rating of the unit -install writes and of the packaged one.
TEST_F(ServiceInstallTest, BothUnitsAreRatedAsLittleExposedBySystemd) {
  if (access("/usr/bin/systemd-analyze", X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  InstallService(Context());
  for (const std::string& unit : {unit_file_, std::string(CORVANE_PACKAGED_UNIT)}) {
    ASSERT_TRUE(std::filesystem::exists(unit)) << unit;
    std::string output;
    const HostResult<int> status = host::RunProgram(
        {"sh", "-c", "systemd-analyze security --offline=yes \"$1\" 2>&1", "sh", unit}, &output);
    ASSERT_TRUE(status.ok());
    static constexpr std::string_view kLevel = "Overall exposure level for ";
    const std::size_t at = output.find(kLevel);
    ASSERT_NE(at, std::string::npos) << output;
    const std::size_t colon = output.find(": ", at);
    ASSERT_NE(colon, std::string::npos) << output;
    const double exposure = std::strtod(output.c_str() + colon + 2, nullptr);
    EXPECT_GT(exposure, 0.0) << output;  // read, not defaulted
    EXPECT_LE(exposure, 1.5) << unit << "\n" << output;
  }
}

TEST_F(ServiceInstallTest, ReportsEachFailureWithTheSystemsReason) {
  program_ = {"", host::HostStatus::Error(ENOENT, "readlink /proc/self/exe")};
  InstallService(Context());
  EXPECT_EQ(Out(), "Unable to install Corvane - No such file or directory (0x2)\n");

  program_ = {program_folder_ + "/corvservice", {}};
  host::ServiceManager nowhere({folder_ / "no-units", ""});
  InstallContext context = Context();
  context.manager = &nowhere;
  InstallService(context);
  EXPECT_EQ(Out(), "OpenSCManager failed:\n  No such file or directory (0x2)\n");
  RemoveService(context);
  EXPECT_EQ(Out(), "OpenSCManager failed:\n  No such file or directory (0x2)\n");
  EXPECT_NE(ReadStream(err_).find(folder_ / "no-units"), std::string::npos)
      << "the folder concerned is named on the error stream";

  program_.value = "/opt/corvane\n[Service]\nExecStartPre=/bin/false/corvservice";
  InstallService(Context());
  EXPECT_EQ(Out(), "CreateService failed:\n  Invalid argument (0x16)\n");
  EXPECT_FALSE(std::filesystem::exists(unit_file_));
}

TEST_F(ServiceInstallTest, ARunningServiceIsStoppedWithDotsBeforeItIsRemoved) {
  // A systemctl whose stop takes a while, as a stop-pending service does.
  const std::string systemctl = folder_ / "systemctl";
  WriteFile(systemctl,
            "#!/bin/sh\n"
            "case \"$1\" in\n"
            "  is-active) cat '" +
                (folder_ / "state").string() +
                "' ;;\n"
                "  stop) sleep 0.4; echo inactive > '" +
                (folder_ / "state").string() +
                "' ;;\n"
                "  daemon-reload) echo reloaded >> '" +
                (folder_ / "reloads").string() +
                "' ;;\n"
                "esac\n");
  chmod(systemctl.c_str(), 0755);
  WriteFile(folder_ / "state", "active\n");
  host::ServiceManager with_systemd({units_, systemctl});
  InstallContext context = Context();
  context.manager = &with_systemd;
  InstallService(context);
  Out();

  RemoveService(context);
  const std::string out = Out();
  EXPECT_EQ(out.rfind("Stopping service Corvane.", 0), 0u) << out;
  EXPECT_NE(out.find(".."), std::string::npos) << "a dot per poll while it stops: " << out;
  const std::string tail = "\nService Corvane stopped.\nService Corvane removed.\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
  EXPECT_EQ(ReadFile(folder_ / "reloads"), "reloaded\nreloaded\n") << "after install and remove";

  // A service that is not running is removed without a word about stopping.
  InstallService(context);
  Out();
  RemoveService(context);
  EXPECT_EQ(Out(), "Service Corvane removed.\n");
}

TEST_F(ServiceInstallTest, AServiceThatWillNotStopIsReported) {
  const std::string systemctl = folder_ / "systemctl";
  WriteFile(systemctl,
            "#!/bin/sh\n"
            "case \"$1\" in\n"
            "  is-active) echo active ;;\n"
            "  stop) exit 1 ;;\n"
            "esac\n");
  chmod(systemctl.c_str(), 0755);
  host::ServiceManager with_systemd({units_, systemctl});
  InstallContext context = Context();
  context.manager = &with_systemd;
  InstallService(context);
  Out();
  EXPECT_TRUE(RemoveService(context)) << "the unit is deleted all the same";
  EXPECT_EQ(Out(),
            "Stopping service Corvane.\nService Corvane failed to stop.\n"
            "Service Corvane removed.\n");
}

}  // namespace
}  // namespace corvane::service
