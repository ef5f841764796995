// The modes of the store's files and folders whatever the umask, and secrets kept where only
// their owner reads them: real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/linux/host/secret_values.h"
#include "platform/linux/host/settings_store.h"
#include "platform/linux/host/writer_lock.h"
#include "tests/platform/linux/host/test_support.h"

namespace corvane::host {
namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr const char* kPrometheus = "Software\\Quillfen\\Corvane\\Prometheus";

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

class StoreModesTest : public ::testing::TestWithParam<mode_t> {
 protected:
  TempFolder folder_;
  std::string file_ = folder_ / "Quillfen/Corvane/registry.ini";
};

TEST_P(StoreModesTest, EveryFileAndFolderHasItsOwnModeWhateverTheUmask) {
  ScopedUmask mask(GetParam());
  SettingsStore store(file_);
  ASSERT_TRUE(store.CreateKey(kPrometheus).ok());
  ASSERT_TRUE(store.SetValue(kPrometheus, "User", "corvane").ok());
  ASSERT_TRUE(store.SetValue(kPrometheus, "Password", "s3cret").ok());

  EXPECT_EQ(ModeOf(folder_ / "Quillfen"), 0755u);
  EXPECT_EQ(ModeOf(folder_ / "Quillfen/Corvane"), 0755u);
  EXPECT_EQ(ModeOf(file_), 0644u);
  EXPECT_EQ(ModeOf(CredentialsFileOf(file_)), 0600u);
  EXPECT_EQ(ModeOf(LockFileOf(file_)), 0600u);

  EXPECT_EQ(ReadFile(file_).find("s3cret"), std::string::npos) << ReadFile(file_);
  EXPECT_NE(ReadFile(CredentialsFileOf(file_)).find("Password=s3cret"), std::string::npos);
  EXPECT_EQ(store.QueryValue(kPrometheus, "Password").value, "s3cret");
  EXPECT_EQ(store.QueryValue(kPrometheus, "User").value, "corvane");
}

TEST_P(StoreModesTest, AnOpenCredentialsFileIsClosedAgainByTheNextWrite) {
  ScopedUmask mask(GetParam());
  SettingsStore store(file_);
  ASSERT_TRUE(store.CreateKey(kPrometheus).ok());
  ASSERT_TRUE(store.SetValue(kPrometheus, "Password", "s3cret").ok());
  ASSERT_EQ(::chmod(CredentialsFileOf(file_).c_str(), 0644), 0);
  ASSERT_TRUE(store.SetValue(kPrometheus, "User", "corvane").ok());
  EXPECT_EQ(ModeOf(CredentialsFileOf(file_)), 0600u);
  EXPECT_EQ(store.QueryValue(kPrometheus, "Password").value, "s3cret");
}

INSTANTIATE_TEST_SUITE_P(Umasks, StoreModesTest, ::testing::Values(mode_t{077}, mode_t{022}),
                         [](const auto& info) {
                           return info.param == 077 ? std::string("Umask077")
                                                    : std::string("Umask022");
                         });

TEST(StoreModes, ASettingsFileChangedByHandKeepsItsMode) {
  TempFolder folder;
  const std::string file = folder / "registry.ini";
  WriteFile(file, "[Control Panel\\Desktop]\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  SettingsStore store(file);
  ASSERT_TRUE(store.SetValue("Control Panel\\Desktop", "ScreenSaveActive", "1").ok());
  EXPECT_EQ(ModeOf(file), 0640u);
}

// A secret left in a settings file from before it had credentials beside it.
struct OldSecretCase {
  const char* label;
  mode_t mode;
  bool readable;
};

class OldSecretTest : public ::testing::TestWithParam<OldSecretCase> {};

TEST_P(OldSecretTest, IsReadOnlyFromAFileOthersCannotRead) {
  TempFolder folder;
  const std::string file = folder / "registry.ini";
  WriteFile(file, "[Software\\Quillfen\\Corvane\\Prometheus]\nUser=ann\nPassword=old\n");
  ASSERT_EQ(::chmod(file.c_str(), GetParam().mode), 0);
  const SettingsStore store(file);
  const HostResult<std::string> password = store.QueryValue(kPrometheus, "Password");
  EXPECT_EQ(store.QueryValue(kPrometheus, "User").value, "ann") << "other values stay readable";
  if (GetParam().readable) {
    EXPECT_TRUE(password.ok()) << password.status.Message();
    EXPECT_EQ(password.value, "old");
    return;
  }
  EXPECT_EQ(password.status.code(), EACCES);
  EXPECT_TRUE(password.value.empty());
  char expected[16];
  std::snprintf(expected, sizeof expected, "%04o", static_cast<unsigned>(GetParam().mode));
  EXPECT_NE(password.status.Message().find("Permissions " + std::string(expected) + " for '" +
                                           file + "' are too open"),
            std::string::npos)
      << password.status.Message();
}

INSTANTIATE_TEST_SUITE_P(Modes, OldSecretTest,
                         ::testing::Values(OldSecretCase{"World", 0644, false},
                                           OldSecretCase{"Group", 0640, false},
                                           OldSecretCase{"GroupWrite", 0620, false},
                                           OldSecretCase{"OwnerOnly", 0600, true},
                                           OldSecretCase{"OwnerReadOnly", 0400, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(StoreSecrets, TheNextWriteMovesAnOldSecretIntoTheCredentials) {
  TempFolder folder;
  const std::string file = folder / "registry.ini";
  WriteFile(file, "[Software\\Quillfen\\Corvane\\Prometheus]\nPassword=old\n");
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  SettingsStore store(file);
  ASSERT_TRUE(store.SetValue(kPrometheus, "User", "ann").ok());
  EXPECT_EQ(ReadFile(file).find("old"), std::string::npos) << ReadFile(file);
  EXPECT_EQ(ModeOf(CredentialsFileOf(file)), 0600u);
  EXPECT_EQ(store.QueryValue(kPrometheus, "Password").value, "old");
}

TEST(StoreSecrets, ACredentialsFileOthersMayReadIsRefusedByName) {
  TempFolder folder;
  const std::string file = folder / "registry.ini";
  SettingsStore store(file);
  ASSERT_TRUE(store.CreateKey(kPrometheus).ok());
  ASSERT_TRUE(store.SetValue(kPrometheus, "Password", "s3cret").ok());
  const std::string credentials = CredentialsFileOf(file);
  ASSERT_EQ(::chmod(credentials.c_str(), 0644), 0);
  const HostResult<std::string> password = store.QueryValue(kPrometheus, "Password");
  EXPECT_EQ(password.status.code(), EACCES);
  EXPECT_TRUE(password.value.empty());
  EXPECT_NE(
      password.status.Message().find("Permissions 0644 for '" + credentials + "' are too open"),
      std::string::npos)
      << password.status.Message();
}

TEST(StoreSecrets, DeletingASecretRemovesItEverywhere) {
  TempFolder folder;
  const std::string file = folder / "registry.ini";
  SettingsStore store(file);
  ASSERT_TRUE(store.CreateKey(kPrometheus).ok());
  ASSERT_TRUE(store.SetValue(kPrometheus, "Password", "s3cret").ok());
  ASSERT_TRUE(store.DeleteValue(kPrometheus, "password").ok());
  EXPECT_EQ(store.QueryValue(kPrometheus, "Password").status.code(), ENOENT);
  EXPECT_EQ(ReadFile(CredentialsFileOf(file)).find("s3cret"), std::string::npos);
  EXPECT_EQ(store.DeleteValue(kPrometheus, "Password").code(), ENOENT);
}

struct SecretNameCase {
  const char* key;
  const char* name;
  bool secret;
};

TEST(IsSecretValue, KnowsThePasswordInAnySpelling) {
  const SecretNameCase cases[] = {
      {"Software\\Quillfen\\Corvane\\Prometheus", "Password", true},
      {"software\\quillfen\\corvane\\PROMETHEUS", "PASSWORD", true},
      {"\\Software\\Quillfen\\Corvane\\Prometheus\\", "Password", true},
      {"Software\\Quillfen\\Corvane\\Prometheus", "User", false},
      {"Software\\Quillfen\\Corvane\\Prometheus", "BearerTokenFile", false},
      {"Software\\Quillfen\\Corvane\\Service", "Password", false},
  };
  for (const SecretNameCase& c : cases) {
    EXPECT_EQ(IsSecretValue(c.key, c.name), c.secret) << c.key << " " << c.name;
  }
}

}  // namespace
}  // namespace corvane::host
