#include "service/command_line.h"

#include <gtest/gtest.h>

namespace corvane::service {
namespace {

TEST(ParseServiceCommand, TakesEitherPrefixInAnyCase) {
  struct Case {
    std::vector<std::string> args;
    ServiceCommand command;
  };
  const Case cases[] = {
      {{"corvservice", "-install"}, ServiceCommand::kInstall},
      {{"corvservice", "/INSTALL"}, ServiceCommand::kInstall},
      {{"corvservice", "-Install"}, ServiceCommand::kInstall},
      {{"corvservice", "-remove"}, ServiceCommand::kRemove},
      {{"corvservice", "/Remove"}, ServiceCommand::kRemove},
      {{"corvservice", "-run"}, ServiceCommand::kRun},
      {{"corvservice", "/RUN", "/tmp/p.crvn"}, ServiceCommand::kRun},
      {{"corvservice", "-run", "p.crvn", "extra"}, ServiceCommand::kRun},
      // Everything else hands the process to the service manager.
      {{"corvservice"}, ServiceCommand::kDispatch},
      {{}, ServiceCommand::kDispatch},
      {{"corvservice", ""}, ServiceCommand::kDispatch},
      {{"corvservice", "-"}, ServiceCommand::kDispatch},
      {{"corvservice", "install"}, ServiceCommand::kDispatch},
      {{"corvservice", "--install"}, ServiceCommand::kDispatch},
      {{"corvservice", "-installs"}, ServiceCommand::kDispatch},
      {{"corvservice", "-ins"}, ServiceCommand::kDispatch},
      {{"corvservice", "\\run"}, ServiceCommand::kDispatch},
      {{"corvservice", "/tmp/p.crvn"}, ServiceCommand::kDispatch},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const std::string& arg : c.args) text += "[" + arg + "]";
    EXPECT_EQ(ParseServiceCommand(c.args), c.command) << text;
  }
}

TEST(UsageText, ListsTheThreeSwitchesWithTheProgramName) {
  EXPECT_EQ(UsageText(),
            "Usage:\n"
            "  corvservice -install        to install the service\n"
            "  corvservice -remove         to remove the service\n"
            "  corvservice -run [profile]  to start as a console app\n");
}

}  // namespace
}  // namespace corvane::service
