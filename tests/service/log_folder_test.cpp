#include "service/log_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane::service {
namespace {

TEST(ChooseLogBase, PrefersTheProgramsFolderThenSystemdsThenTheUsers) {
  struct Case {
    const char* name;
    std::string program;
    bool program_writable;
    std::string state_directory;
    std::string xdg_state_home;
    std::string home;
    std::string expected;
  };
  const Case cases[] = {
      {"a writable program folder", "/opt/corvane", true, "/var/lib/corvane", "", "/root",
       "/opt/corvane"},
      {"a build tree", "/home/ann/build/service", true, "", "", "/home/ann",
       "/home/ann/build/service"},
      {"read-only: the unit's state folder", "/opt/corvane", false, "/var/lib/corvane", "", "/root",
       "/var/lib/corvane"},
      {"an installed copy, even for root", "/usr/bin", true, "/var/lib/corvane", "", "/root",
       "/var/lib/corvane"},
      {"/usr/local is installed too", "/usr/local/bin", true, "", "", "/home/ann",
       "/home/ann/.local/state/corvane"},
      {"several state folders: the first", "/usr/bin", false, "/var/lib/corvane:/var/lib/other", "",
       "", "/var/lib/corvane"},
      {"console: XDG_STATE_HOME", "/usr/bin", false, "", "/home/ann/.state", "/home/ann",
       "/home/ann/.state/corvane"},
      {"console: a relative XDG_STATE_HOME is ignored", "/usr/bin", false, "", "state", "/home/ann",
       "/home/ann/.local/state/corvane"},
      {"nothing else known: the program folder", "/usr/bin", false, "", "", "", "/usr/bin"},
      {"/usrlocal is not /usr", "/usrlocal/bin", true, "", "", "/home/ann", "/usrlocal/bin"},
  };
  for (const Case& c : cases) {
    std::set<std::string> asked;
    LogFolderInputs inputs;
    inputs.program_folder = c.program;
    inputs.state_directory = c.state_directory;
    inputs.xdg_state_home = c.xdg_state_home;
    inputs.home = c.home;
    inputs.program_logs_writable = [&](const std::string& folder) {
      asked.insert(folder);
      return c.program_writable;
    };
    EXPECT_EQ(ChooseLogBase(inputs), c.expected) << c.name;
    for (const std::string& folder : asked) EXPECT_EQ(folder, c.program) << c.name;
  }
}

TEST(InSystemTree, MatchesWholeFolderNames) {
  for (const char* folder : {"/usr", "/usr/bin", "/usr/local/bin", "/bin", "/sbin", "/lib64/x"}) {
    EXPECT_TRUE(InSystemTree(folder)) << folder;
  }
  for (const char* folder : {"/", "/opt/corvane", "/usrx", "/home/usr", "/binaries", ""}) {
    EXPECT_FALSE(InSystemTree(folder)) << folder;
  }
}

}  // namespace
}  // namespace corvane::service
