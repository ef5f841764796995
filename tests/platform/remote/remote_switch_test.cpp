// The remote side of the system provider: direct scrapes (here the scripted provider) until a
// profile names a Prometheus server, then that server, with the options the settings give.
#include "platform/remote/remote_switch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_provider.h"
#include "platform/routing_provider.h"

namespace corvane::remote {
namespace {

TEST(RemoteSwitchTest, TheProfilesServerDecidesWhereRemoteMachinesAreRead) {
  auto direct = std::make_shared<fake::FakeProvider>();
  direct->ScriptConnect("\\\\web-03:9100", perf::kOk);
  std::vector<std::string> asked;
  auto remote = std::make_shared<RemoteSwitch>(direct, [&](const std::string& url) {
    asked.push_back(url);
    ServerOptions options;
    options.connect_timeout = std::chrono::milliseconds(500);
    return options;
  });
  const auto router = MakeRoutingProvider(nullptr, remote);
  EXPECT_EQ(router->ConnectMachine("\\\\web-03:9100"), perf::kOk);

  // Port 9 of the loopback: nothing listens there.
  router->SetRemoteServer("http://127.0.0.1:9/");
  EXPECT_EQ(remote->RemoteServer(), "http://127.0.0.1:9");
  EXPECT_EQ(asked, std::vector<std::string>{"http://127.0.0.1:9"});
  EXPECT_EQ(router->ConnectMachine("\\\\web-03:9100"), perf::kCannotConnectMachine);
  EXPECT_EQ(router->MachineError("\\\\web-03:9100"), "http://127.0.0.1:9: connection refused");
  // The same address again keeps its provider.
  router->SetRemoteServer("http://127.0.0.1:9");
  EXPECT_EQ(asked.size(), 1u);

  router->SetRemoteServer("");
  EXPECT_EQ(router->ConnectMachine("\\\\web-03:9100"), perf::kOk);
  std::vector<perf::MachineListing> machines;
  EXPECT_EQ(router->EnumMachines(&machines), perf::kNoMachine);
}

}  // namespace
}  // namespace corvane::remote
