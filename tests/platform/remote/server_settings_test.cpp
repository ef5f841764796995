// A Prometheus server's trust and credentials come from the settings store of the program's
// owner, over real store files in a temporary folder: a user's programs read the user's
// credentials alone, the service the machine-wide ones alone.
#include "platform/server_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/temp_folder.h"

namespace corvane {
namespace {

TEST(ServerSettingsTest, EachProgramReadsItsOwnersCredentials) {
  test_support::TempFolder folder;
  const auto user = folder / "user.ini";
  const auto machine = folder / "machine.ini";
  ::setenv("CORVANE_USER_REGISTRY", user.c_str(), 1);
  ::setenv("CORVANE_DEFAULT_REGISTRY", machine.c_str(), 1);
  std::ofstream(machine)
      << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile=/etc/machine-ca.pem\n"
         "Server=https://prom:9090\nUser=corvane\nPassword=fleet\n"
         "BearerTokenFile=/etc/Quillfen/Corvane/prom.token\n";
  std::filesystem::permissions(
      machine, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  // Without the user's key a user's program trusts the machine's CA file, and has no
  // credentials.
  remote::ServerOptions options =
      ServerOptionsFromSettings("https://prom:9090", SettingsOwner::kUser);
  EXPECT_EQ(options.url, "https://prom:9090");
  EXPECT_EQ(options.ca_file, "/etc/machine-ca.pem");
  EXPECT_EQ(options.credentials_server, "");
  EXPECT_EQ(options.user, "");
  EXPECT_EQ(options.password, "");
  EXPECT_EQ(options.bearer_token_file, "");

  std::ofstream(user) << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile=/home/ann/ca.pem\n"
                         "Server=https://prom.example\nUser=ann\nPassword=pw\n"
                         "BearerTokenFile=/home/ann/token\n";
  // A password is read only from a file no one else may read.
  std::filesystem::permissions(
      user, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  options = ServerOptionsFromSettings("https://prom:9090", SettingsOwner::kUser);
  EXPECT_EQ(options.ca_file, "/home/ann/ca.pem");
  EXPECT_EQ(options.credentials_server, "https://prom.example");
  EXPECT_EQ(options.user, "ann");
  EXPECT_EQ(options.password, "pw");
  EXPECT_EQ(options.bearer_token_file, "/home/ann/token");

  // The service reads its own hive, whatever the user's says.
  options = ServerOptionsFromSettings("https://prom:9090", SettingsOwner::kService);
  EXPECT_EQ(options.ca_file, "/etc/machine-ca.pem");
  EXPECT_EQ(options.credentials_server, "https://prom:9090");
  EXPECT_EQ(options.user, "corvane");
  EXPECT_EQ(options.password, "fleet");
  EXPECT_EQ(options.bearer_token_file, "/etc/Quillfen/Corvane/prom.token");
  ::unsetenv("CORVANE_USER_REGISTRY");
  ::unsetenv("CORVANE_DEFAULT_REGISTRY");
}

}  // namespace
}  // namespace corvane
