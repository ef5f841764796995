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
      {{"corvservice", "--help"}, ServiceCommand::kHelp},
      {{"corvservice", "-h"}, ServiceCommand::kHelp},
      {{"corvservice", "/help"}, ServiceCommand::kHelp},
      {{"corvservice", "--VERSION"}, ServiceCommand::kVersion},
      // A word after "-" that is none of these is named as unknown, then handed on as below.
      {{"corvservice", "--install"}, ServiceCommand::kUnknown},
      {{"corvservice", "-installs"}, ServiceCommand::kUnknown},
      {{"corvservice", "-ins"}, ServiceCommand::kUnknown},
      {{"corvservice", "-version"}, ServiceCommand::kUnknown},
      // Everything else hands the process to the service manager.
      {{"corvservice"}, ServiceCommand::kDispatch},
      {{}, ServiceCommand::kDispatch},
      {{"corvservice", ""}, ServiceCommand::kDispatch},
      {{"corvservice", "-"}, ServiceCommand::kDispatch},
      {{"corvservice", "install"}, ServiceCommand::kDispatch},
      {{"corvservice", "\\run"}, ServiceCommand::kDispatch},
      {{"corvservice", "/tmp/p.crvn"}, ServiceCommand::kDispatch},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const std::string& arg : c.args) text += "[" + arg + "]";
    EXPECT_EQ(ParseServiceCommand(c.args), c.command) << text;
  }
}

TEST(ParseRunArguments, FindsTheProfileTheMetricsAddressAndTheWebConfigInAnyOrder) {
  struct Case {
    std::vector<std::string> args;
    std::string profile;
    std::optional<std::string> metrics;
    std::optional<std::string> web_config = std::nullopt;
    std::string error = "";
  };
  const Case cases[] = {
      {{"corvservice", "-run"}, "", std::nullopt},
      {{"corvservice", "-run", "p.crvn"}, "p.crvn", std::nullopt},
      {{"corvservice", "-run", "p.crvn", "extra"}, "p.crvn", std::nullopt},
      {{"corvservice", "-run", "p.crvn", "--metrics", "127.0.0.1:9393"},
       "p.crvn",
       "127.0.0.1:9393"},
      {{"corvservice", "-run", "--metrics", "[::1]:9393", "p.crvn"}, "p.crvn", "[::1]:9393"},
      {{"corvservice", "-run", "--METRICS=[::1]:1"}, "", "[::1]:1"},
      {{"corvservice", "-run", "--metrics="}, "", ""},  // empty: refused as an address later
      {{"corvservice", "-run", "--metrics", "a:1", "--metrics", "b:2"}, "", "b:2"},
      {{"corvservice", "-run", "p.crvn", "--metrics"},
       "p.crvn",
       std::nullopt,
       std::nullopt,
       "--metrics needs an address, e.g. --metrics 127.0.0.1:9393"},
      {{"corvservice", "-run", "--metricsx"}, "--metricsx", std::nullopt},
      {{"corvservice", "-run", "--web-config", "/etc/w.yml", "p.crvn", "--metrics", "a:1"},
       "p.crvn",
       "a:1",
       "/etc/w.yml"},
      {{"corvservice", "-run", "--Web-Config=w.yml", "--metrics=a:1"}, "", "a:1", "w.yml"},
      {{"corvservice", "-run", "--metrics", "a:1", "--web-config"},
       "",
       std::nullopt,
       std::nullopt,
       "--web-config needs a file, e.g. --web-config /etc/corvane/web.yml"},
      {{"corvservice", "-run", "--web-configs", "p"}, "--web-configs", std::nullopt},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const std::string& arg : c.args) text += "[" + arg + "]";
    const RunArguments run = ParseRunArguments(c.args);
    EXPECT_EQ(run.error, c.error) << text;
    if (!c.error.empty()) continue;
    EXPECT_EQ(run.profile, c.profile) << text;
    EXPECT_EQ(run.metrics_address, c.metrics) << text;
    EXPECT_EQ(run.web_config, c.web_config) << text;
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
