// A default user's hive in a temporary folder that the user cannot write, and stand-ins for
// pkexec: one that plays an administrator who grants the rights (it clears the blockage and
// runs the store writer), one that refuses. Test thread only.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace corvane::test_support {

inline std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteExecutable(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file) << text;
  ::chmod(file.c_str(), 0755);
}

class BlockedDefaultHive {
 public:
  BlockedDefaultHive() {
    // A regular file where the hive's folder should be: mkdir and open fail with ENOTDIR,
    // which holds even for root (a read-only folder would not stop root).
    std::ofstream(blocker()) << "not a folder\n";
    hive_ = (blocker() / "registry.ini").string();
    user_hive_ = (temp_ / "user.ini").string();
    ::setenv("CORVANE_DEFAULT_REGISTRY", hive_.c_str(), 1);
    ::setenv("CORVANE_USER_REGISTRY", user_hive_.c_str(), 1);
    ::setenv("CORVANE_STORE_WRITER", CORVANE_STORE_WRITER_PATH, 1);

    grant_ = temp_ / "grant-elevation";
    WriteExecutable(grant_, "#!/bin/sh\nrm -f '" + blocker().string() + "'\necho \"$@\" > '" +
                                (temp_ / "elevated-argv").string() + "'\nexec \"$@\"\n");
    refuse_ = temp_ / "refuse-elevation";
    WriteExecutable(refuse_, "#!/bin/sh\nexit 126\n");
    deny_ = temp_ / "deny-elevation";
    WriteExecutable(deny_, "#!/bin/sh\nexit 127\n");
  }
  ~BlockedDefaultHive() {
    ::unsetenv("CORVANE_DEFAULT_REGISTRY");
    ::unsetenv("CORVANE_USER_REGISTRY");
    ::unsetenv("CORVANE_STORE_WRITER");
    ::unsetenv("CORVANE_ELEVATE_COMMAND");
  }

  std::filesystem::path blocker() const { return temp_ / "etc"; }
  const std::string& hive() const { return hive_; }
  const std::string& user_hive() const { return user_hive_; }
  const TempFolder& temp() const { return temp_; }

  void UseElevation(const std::filesystem::path& command) {
    ::setenv("CORVANE_ELEVATE_COMMAND", command.c_str(), 1);
  }
  void Grant() { UseElevation(grant_); }
  void Refuse() { UseElevation(refuse_); }
  void Deny() { UseElevation(deny_); }
  std::string ElevatedArgv() const { return ReadText(temp_ / "elevated-argv"); }

 private:
  TempFolder temp_;
  std::string hive_;
  std::string user_hive_;
  std::filesystem::path grant_;
  std::filesystem::path refuse_;
  std::filesystem::path deny_;
};

}  // namespace corvane::test_support
