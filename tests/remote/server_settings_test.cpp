// A Prometheus server's trust and credentials come from the user's settings store, over a
// real store file in a temporary folder.
#include "platform/server_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace corvane {
namespace {

TEST(ServerSettingsTest, CredentialsComeFromTheUsersStoreNeverFromTheProfile) {
  const auto folder = std::filesystem::temp_directory_path() / "corvane-server-settings";
  std::filesystem::create_directories(folder);
  const auto user = folder / "user.ini";
  const auto machine = folder / "machine.ini";
  ::setenv("CORVANE_USER_REGISTRY", user.c_str(), 1);
  ::setenv("CORVANE_DEFAULT_REGISTRY", machine.c_str(), 1);
  std::filesystem::remove(user);
  {
    std::ofstream out(machine);
    out << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile=/etc/machine-ca.pem\n";
  }
  // Without the user's key, the default user's (the service's) applies.
  remote::ServerOptions options = ServerOptionsFromSettings("https://prom:9090");
  EXPECT_EQ(options.url, "https://prom:9090");
  EXPECT_EQ(options.ca_file, "/etc/machine-ca.pem");
  EXPECT_EQ(options.user, "");
  {
    std::ofstream out(user);
    out << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile=/home/ann/ca.pem\nUser=ann\n"
           "Password=pw\nBearerTokenFile=/home/ann/token\n";
  }
  // A password is read only from a file no one else may read.
  std::filesystem::permissions(
      user, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  options = ServerOptionsFromSettings("https://prom:9090");
  EXPECT_EQ(options.ca_file, "/home/ann/ca.pem");
  EXPECT_EQ(options.user, "ann");
  EXPECT_EQ(options.password, "pw");
  EXPECT_EQ(options.bearer_token_file, "/home/ann/token");
  std::filesystem::remove_all(folder);
  ::unsetenv("CORVANE_USER_REGISTRY");
  ::unsetenv("CORVANE_DEFAULT_REGISTRY");
}

}  // namespace
}  // namespace corvane
