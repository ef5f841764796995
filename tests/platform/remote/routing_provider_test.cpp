#include "platform/routing_provider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_provider.h"

namespace corvane {
namespace {

class RoutingProviderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(router_->OpenQuery(&query_), perf::kOk); }

  std::shared_ptr<fake::FakeProvider> local_ = std::make_shared<fake::FakeProvider>();
  std::shared_ptr<fake::FakeProvider> remote_ = std::make_shared<fake::FakeProvider>();
  std::unique_ptr<perf::Provider> router_ = MakeRoutingProvider(local_, remote_);
  std::unique_ptr<perf::Query> query_;
};

TEST_F(RoutingProviderTest, PathsGoByTheirMachinePart) {
  struct Case {
    const char* path;
    bool remote;
  };
  const Case cases[] = {
      {"\\Memory\\Available Bytes", false},
      {"\\\\web01\\Memory\\Available Bytes", true},
      {"\\\\https://web01:9443\\Memory\\Available Bytes", true},
      // Two backslashes without a third: no machine part, the path goes on unchanged.
      {"\\\\web01", false},
  };
  std::vector<std::string> expected_local, expected_remote;
  for (const Case& c : cases) {
    (c.remote ? remote_ : local_)->ScriptValue(c.path, 1);
    (c.remote ? expected_remote : expected_local).push_back(c.path);
    perf::CounterHandle handle;
    query_->AddCounter(c.path, &handle);
  }
  EXPECT_EQ(local_->AddedPaths(), expected_local);
  EXPECT_EQ(remote_->AddedPaths(), expected_remote);
}

TEST_F(RoutingProviderTest, HandlesMapOntoEachProvidersCounters) {
  local_->ScriptReadings("\\Memory\\Available Bytes", {fake::Value(10), fake::Value(11)});
  remote_->ScriptReadings("\\\\web01\\Memory\\Available Bytes", {fake::Value(20), fake::Value(21)});
  remote_->ScriptReadings("\\\\web02\\Objects\\Threads", {fake::Failure(), fake::Value(31)});
  perf::CounterHandle a, b, c;
  ASSERT_EQ(query_->AddCounter("\\\\web01\\Memory\\Available Bytes", &a), perf::kOk);
  ASSERT_EQ(query_->AddCounter("\\Memory\\Available Bytes", &b), perf::kOk);
  ASSERT_EQ(query_->AddCounter("\\\\web02\\Objects\\Threads", &c), perf::kOk);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);

  ASSERT_EQ(query_->Collect(), perf::kOk);
  double value = 0;
  ASSERT_EQ(query_->GetFormattedDouble(a, &value), perf::kOk);
  EXPECT_EQ(value, 20);
  ASSERT_EQ(query_->GetFormattedDouble(b, &value), perf::kOk);
  EXPECT_EQ(value, 10);
  EXPECT_EQ(query_->GetFormattedDouble(c, &value), perf::kInvalidData);

  ASSERT_EQ(query_->Collect(), perf::kOk);
  ASSERT_EQ(query_->GetFormattedDouble(c, &value), perf::kOk);
  EXPECT_EQ(value, 31);
  EXPECT_EQ(local_->Counts().collect_calls, 2);
  EXPECT_EQ(remote_->Counts().collect_calls, 2) << "one inner query per provider";
  EXPECT_EQ(remote_->Counts().open_query_calls, 1);
}

TEST_F(RoutingProviderTest, AFailedAddKeepsTheNullHandleAndTheProvidersStatus) {
  remote_->FailAdd("\\\\web01\\Objects\\Processes", perf::kNoCounter);
  perf::CounterHandle handle = 99;
  EXPECT_EQ(query_->AddCounter("\\\\web01\\Objects\\Processes", &handle), perf::kNoCounter);
  EXPECT_EQ(handle, perf::kNullCounter);
  EXPECT_EQ(query_->AddCounter("\\Unscripted\\Counter", &handle), perf::kNoCounter);
  EXPECT_EQ(handle, perf::kNullCounter);
  double value;
  EXPECT_EQ(query_->GetFormattedDouble(perf::kNullCounter, &value), perf::kInvalidHandle);
}

TEST_F(RoutingProviderTest, RemovingACounterRemovesItFromItsProvider) {
  local_->ScriptValue("\\Memory\\Available Bytes", 1);
  remote_->ScriptValue("\\\\web01\\Memory\\Available Bytes", 2);
  perf::CounterHandle local, remote;
  ASSERT_EQ(query_->AddCounter("\\Memory\\Available Bytes", &local), perf::kOk);
  ASSERT_EQ(query_->AddCounter("\\\\web01\\Memory\\Available Bytes", &remote), perf::kOk);
  EXPECT_EQ(query_->RemoveCounter(remote), perf::kOk);
  EXPECT_EQ(remote_->Counts().counters_removed, 1);
  EXPECT_EQ(query_->RemoveCounter(remote), perf::kInvalidHandle);
  double value;
  EXPECT_EQ(query_->GetFormattedDouble(remote, &value), perf::kInvalidHandle);
  // A provider left without counters is not collected.
  ASSERT_EQ(query_->Collect(), perf::kOk);
  EXPECT_EQ(remote_->Counts().collect_calls, 0);
  ASSERT_EQ(query_->GetFormattedDouble(local, &value), perf::kOk);
  EXPECT_EQ(value, 1);
}

TEST_F(RoutingProviderTest, CollectSucceedsWhenEitherSideDoes) {
  local_->ScriptValue("\\Memory\\Available Bytes", 1);
  remote_->ScriptValue("\\\\web01\\Memory\\Available Bytes", 2);
  remote_->ScriptCollections({fake::CollectStep{perf::kNoData}});
  perf::CounterHandle local, remote;
  ASSERT_EQ(query_->AddCounter("\\Memory\\Available Bytes", &local), perf::kOk);
  ASSERT_EQ(query_->AddCounter("\\\\web01\\Memory\\Available Bytes", &remote), perf::kOk);
  EXPECT_EQ(query_->Collect(), perf::kOk);
  local_->ScriptCollections({fake::CollectStep{perf::kInvalidData}});
  EXPECT_NE(query_->Collect(), perf::kOk);
}

TEST_F(RoutingProviderTest, AnEmptyQueryHasNoData) { EXPECT_EQ(query_->Collect(), perf::kNoData); }

TEST_F(RoutingProviderTest, MachinesGoToTheirProvider) {
  remote_->ScriptConnect("\\\\web01", perf::kCannotConnectMachine);
  EXPECT_EQ(router_->ConnectMachine("\\\\web01"), perf::kCannotConnectMachine);
  EXPECT_EQ(router_->ConnectMachine(""), perf::kOk);
  EXPECT_EQ(remote_->ConnectCalls(), (std::vector<std::string>{"\\\\web01"}));
  EXPECT_EQ(local_->ConnectCalls(), (std::vector<std::string>{""}));

  local_->ScriptObjects("", {"Processor"});
  remote_->ScriptObjects("\\\\web02", {"Memory"});
  std::vector<std::string> objects;
  ASSERT_EQ(router_->EnumObjects("", &objects), perf::kOk);
  EXPECT_EQ(objects, (std::vector<std::string>{"Processor"}));
  ASSERT_EQ(router_->EnumObjects("\\\\web02", &objects), perf::kOk);
  EXPECT_EQ(objects, (std::vector<std::string>{"Memory"}));

  remote_->ScriptObjectItems("\\\\web02", "Memory", {"Available Bytes"}, {});
  std::vector<std::string> counters, instances;
  ASSERT_EQ(router_->EnumObjectItems("\\\\web02", "Memory", &counters, &instances), perf::kOk);
  EXPECT_EQ(counters, (std::vector<std::string>{"Available Bytes"}));

  remote_->ScriptName("\\\\web02", 238, "Prozessor");
  std::string name;
  ASSERT_EQ(router_->LookupNameByIndex("\\\\web02", 238, &name), perf::kOk);
  EXPECT_EQ(name, "Prozessor");
  ASSERT_EQ(router_->LookupNameByIndex("", 238, &name), perf::kOk);
  EXPECT_EQ(name, "Processor");
}

TEST(RoutingProvider, AMissingProviderRefusesItsSideOnly) {
  auto remote = std::make_shared<fake::FakeProvider>();
  remote->ScriptValue("\\\\web01\\Memory\\Available Bytes", 5);
  auto router = MakeRoutingProvider(nullptr, remote);
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(router->OpenQuery(&query), perf::kOk);
  perf::CounterHandle local, far;
  EXPECT_EQ(query->AddCounter("\\Memory\\Available Bytes", &local), perf::kNoMachine);
  EXPECT_EQ(query->AddCounter("\\\\web01\\Memory\\Available Bytes", &far), perf::kOk);
  EXPECT_EQ(router->ConnectMachine(""), perf::kNoMachine);
  ASSERT_EQ(query->Collect(), perf::kOk);
  double value;
  ASSERT_EQ(query->GetFormattedDouble(far, &value), perf::kOk);
  EXPECT_EQ(value, 5);
}

TEST(RoutingProvider, AQueryMayOutliveTheRouter) {
  auto local = std::make_shared<fake::FakeProvider>();
  local->ScriptValue("\\Memory\\Available Bytes", 7);
  std::unique_ptr<perf::Query> query;
  {
    auto router = MakeRoutingProvider(local, nullptr);
    ASSERT_EQ(router->OpenQuery(&query), perf::kOk);
  }
  local.reset();
  perf::CounterHandle handle;
  ASSERT_EQ(query->AddCounter("\\Memory\\Available Bytes", &handle), perf::kOk);
  ASSERT_EQ(query->Collect(), perf::kOk);
  double value;
  ASSERT_EQ(query->GetFormattedDouble(handle, &value), perf::kOk);
  EXPECT_EQ(value, 7);
}

}  // namespace
}  // namespace corvane
