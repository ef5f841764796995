#include "platform/linux/host/service_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "tests/platform/linux/host/test_support.h"

namespace corvane::host {
namespace {

using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

// A systemctl that records its arguments and answers is-active from a state file.
std::string WriteFakeSystemctl(const TempFolder& folder) {
  const std::string path = folder / "systemctl";
  WriteFile(path,
            "#!/bin/sh\n"
            "echo \"$*\" >> '" +
                (folder / "calls").string() +
                "'\n"
                "case \"$1\" in\n"
                "  is-active) cat '" +
                (folder / "state").string() +
                "'; exit 0 ;;\n"
                "  stop) sleep 0.3; echo inactive > '" +
                (folder / "state").string() +
                "' ;;\n"
                "esac\n");
  chmod(path.c_str(), 0755);
  WriteFile(folder / "state", "active\n");
  return path;
}

class ServiceManagerTest : public ::testing::Test {
 protected:
  ServiceManagerTest() { std::filesystem::create_directory(units_); }

  TempFolder folder_;
  std::string units_ = folder_ / "units";
};

TEST_F(ServiceManagerTest, CreatesAUnitOnceAndDeletesIt) {
  ServiceManager manager({units_, ""});
  ASSERT_TRUE(manager.Open().ok());
  EXPECT_EQ(manager.OpenUnit("corvane.service").code(), ENOENT);
  ASSERT_TRUE(manager.CreateUnit("corvane.service", "[Unit]\n").ok());
  EXPECT_TRUE(manager.OpenUnit("corvane.service").ok());
  EXPECT_EQ(ReadFile(units_ + "/corvane.service"), "[Unit]\n");
  struct stat info {};
  ASSERT_EQ(stat((units_ + "/corvane.service").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  EXPECT_EQ(manager.CreateUnit("corvane.service", "[Other]\n").code(), EEXIST);
  EXPECT_EQ(ReadFile(units_ + "/corvane.service"), "[Unit]\n") << "an existing unit stays";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(units_), {}), 1)
      << "no temporary files are left behind";

  ASSERT_TRUE(manager.DeleteUnit("corvane.service").ok());
  EXPECT_EQ(manager.DeleteUnit("corvane.service").code(), ENOENT);
}

TEST_F(ServiceManagerTest, OpeningNeedsAUnitFolder) {
  EXPECT_EQ(ServiceManager({folder_ / "missing", ""}).Open().code(), ENOENT);
  WriteFile(folder_ / "file", "");
  EXPECT_EQ(ServiceManager({folder_ / "file", ""}).Open().code(), ENOTDIR);
}

TEST_F(ServiceManagerTest, WithoutSystemdNothingIsRun) {
  ServiceManager manager({units_, ""});
  EXPECT_FALSE(manager.systemd());
  EXPECT_TRUE(manager.Reload().ok());
  EXPECT_EQ(manager.ActiveState("corvane.service").status.code(), ENOSYS);
  EXPECT_EQ(manager.BeginStop("corvane.service").status.code(), ENOSYS);
}

TEST_F(ServiceManagerTest, TalksToSystemctlWithArgumentVectors) {
  ServiceManager manager({units_, WriteFakeSystemctl(folder_)});
  ASSERT_TRUE(manager.Reload().ok());
  HostResult<std::string> state = manager.ActiveState("corvane.service");
  ASSERT_TRUE(state.ok()) << state.status.Message();
  EXPECT_EQ(state.value, "active");

  HostResult<ChildProcess> stop = manager.BeginStop("corvane.service");
  ASSERT_TRUE(stop.ok()) << stop.status.Message();
  ASSERT_TRUE(stop.value.Wait().ok());
  EXPECT_EQ(manager.ActiveState("corvane.service").value, "inactive");
  EXPECT_EQ(manager.BeginStop("corvane.service").status.code(), ESRCH) << "not running";
  EXPECT_EQ(ReadFile(folder_ / "calls"),
            "daemon-reload\n"
            "is-active corvane.service\n"
            "is-active corvane.service\n"
            "stop corvane.service\n"
            "is-active corvane.service\n"
            "is-active corvane.service\n");
}

TEST_F(ServiceManagerTest, AFailingSystemctlIsReported) {
  ServiceManager manager({units_, "false"});
  EXPECT_EQ(manager.Reload().code(), EIO);
  EXPECT_EQ(manager.ActiveState("corvane.service").status.code(), EIO);
  ServiceManager missing({units_, folder_ / "no-systemctl"});
  EXPECT_EQ(missing.Reload().code(), ENOENT);
}

TEST(ServiceManagerOptions, FollowTheEnvironment) {
  {
    ScopedEnv folder("CORVANE_UNIT_DIR", "/tmp/units");
    ScopedEnv systemctl("CORVANE_SYSTEMCTL", "");
    const ServiceManagerOptions options = ServiceManagerOptions::FromEnvironment();
    EXPECT_EQ(options.unit_folder, "/tmp/units");
    EXPECT_EQ(options.systemctl, "") << "set but empty: systemd is not consulted";
  }
  ScopedEnv folder("CORVANE_UNIT_DIR", std::nullopt);
  ScopedEnv systemctl("CORVANE_SYSTEMCTL", "/opt/fake/systemctl");
  const ServiceManagerOptions options = ServiceManagerOptions::FromEnvironment();
  EXPECT_EQ(options.unit_folder, "/etc/systemd/system");
  EXPECT_EQ(options.systemctl, "/opt/fake/systemctl");
}

}  // namespace
}  // namespace corvane::host
