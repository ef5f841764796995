#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/standard_objects.h"
#include "platform/remote/exporter_counters.h"

namespace corvane::remote {
namespace {

bool NoFigures(const ScrapeView&, const InstanceRef&, RawFigures*) { return false; }
bool OtherFigures(const ScrapeView&, const InstanceRef&, RawFigures*) { return true; }

void ListTwo(const ExporterPage&, std::vector<std::string>* instances) { *instances = {"a", "b"}; }

std::vector<std::string> Names(std::span<const ObjectDef> objects) {
  std::vector<std::string> names;
  for (const ObjectDef& object : objects) names.emplace_back(object.name);
  return names;
}

std::vector<std::string> Names(const ObjectDef& object) {
  std::vector<std::string> names;
  for (const CounterDef& counter : object.counters) names.emplace_back(counter.name);
  return names;
}

const ObjectDef* Named(std::span<const ObjectDef> objects, std::string_view name) {
  for (const ObjectDef& object : objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

// Sources given out of order, with gaps, and with a counter of another object.
constexpr CounterSource kSystemSources[] = {
    {CounterId::kSystemUpTime, Formula::kValue, {"uptime"}, OtherFigures},
    {CounterId::kThreads, Formula::kValue, {"threads"}, NoFigures},
    {CounterId::kProcesses, Formula::kValue, {"processes"}, NoFigures},
    {CounterId::kCommitLimit, Formula::kValue, {"limit"}, NoFigures},
};
constexpr CounterSource kDiskSources[] = {
    {CounterId::kDiskIdleTime, Formula::kShareOfTime, {"idle"}, NoFigures},
    {CounterId::kDiskTime, Formula::kRestOfTime, {"idle"}, OtherFigures},
};
constexpr CounterSource kNetworkSources[] = {
    {CounterId::kBytesSentPerSec, Formula::kRate, {"sent"}, NoFigures},
};

TEST(ExporterObjectTable, FollowsTheStandardOrderAndOffersOnlyWhatHasASource) {
  const ExporterObjectTable table{
      {ObjectId::kObjects, ListNoInstances, kSystemSources},
      {ObjectId::kNetworkInterface, ListTwo, kNetworkSources},
      {ObjectId::kSystem, ListNoInstances, kSystemSources},
      {ObjectId::kPhysicalDisk, ListTwo, kDiskSources},
  };
  const std::span<const ObjectDef> objects = table.objects();
  EXPECT_EQ(Names(objects),
            (std::vector<std::string>{"PhysicalDisk", "Network Interface", "System", "Objects"}));

  const ObjectDef* system = Named(objects, "System");
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(Names(*system), (std::vector<std::string>{"Processes", "Threads", "System Up Time"}));
  EXPECT_EQ(system->counters[2].extract, &OtherFigures);
  EXPECT_EQ(system->counters[2].id, CounterId::kSystemUpTime);

  // Objects shares System's list and takes only its own counters from it.
  const ObjectDef* objects_object = Named(objects, "Objects");
  ASSERT_NE(objects_object, nullptr);
  EXPECT_EQ(Names(*objects_object), (std::vector<std::string>{"Processes", "Threads"}));

  const ObjectDef* disk = Named(objects, "PhysicalDisk");
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(Names(*disk), (std::vector<std::string>{"% Disk Time", "% Idle Time"}));
  EXPECT_EQ(disk->counters[0].formula, Formula::kRestOfTime);
  EXPECT_EQ(disk->counters[1].needs[0], "idle");
}

TEST(ExporterObjectTable, InstancesFollowTheStandardKinds) {
  const ExporterObjectTable table{
      {ObjectId::kPhysicalDisk, ListTwo, kDiskSources},
      {ObjectId::kNetworkInterface, ListTwo, kNetworkSources},
      {ObjectId::kSystem, ListNoInstances, kSystemSources},
  };
  struct Case {
    const char* object;
    bool has_instances;
    bool has_total;
  };
  for (const Case& c : {Case{"PhysicalDisk", true, true}, Case{"Network Interface", true, false},
                        Case{"System", false, false}}) {
    const ObjectDef* object = Named(table.objects(), c.object);
    ASSERT_NE(object, nullptr) << c.object;
    EXPECT_EQ(object->has_instances, c.has_instances) << c.object;
    EXPECT_EQ(object->has_total, c.has_total) << c.object;
  }
  const ExporterPage page;
  std::vector<std::string> instances;
  Named(table.objects(), "PhysicalDisk")->list_instances(page, &instances);
  EXPECT_EQ(instances, (std::vector<std::string>{"a", "b"}));
}

// Each exporter offers every standard object and counter, in the standard order, but for the
// counters it has no source of. A binding with the wrong id drops a counter without a word, so
// the gaps are named here.
struct ExporterCase {
  ExporterKind kind;
  std::vector<std::string> missing;  // "Object\\Counter"
};

class ExporterCoverage : public testing::TestWithParam<ExporterCase> {};

TEST_P(ExporterCoverage, OffersTheStandardTableButForNamedGaps) {
  std::vector<std::string> expected;
  for (const StandardObject& object : StandardObjects()) {
    for (const StandardCounter& counter : object.counters) {
      std::string path = std::string(object.name) + "\\" + std::string(counter.name);
      if (std::find(GetParam().missing.begin(), GetParam().missing.end(), path) ==
          GetParam().missing.end())
        expected.push_back(std::move(path));
    }
  }
  std::vector<std::string> offered;
  for (const ObjectDef& object : ObjectsOf(GetParam().kind)) {
    for (const CounterDef& counter : object.counters) {
      offered.push_back(std::string(object.name) + "\\" + std::string(counter.name));
      EXPECT_EQ(FindStandardCounter(*FindStandardObject(object.name), counter.name)->id, counter.id)
          << offered.back();
      EXPECT_FALSE(counter.needs[0].empty()) << offered.back();
      EXPECT_NE(counter.extract, nullptr) << offered.back();
    }
  }
  EXPECT_EQ(offered, expected);
}

INSTANTIATE_TEST_SUITE_P(
    BothExporters, ExporterCoverage,
    testing::Values(ExporterCase{ExporterKind::kNode, {"Paging File\\% Usage Peak"}},
                    ExporterCase{ExporterKind::kWindows, {"Paging File\\% Usage Peak"}}),
    [](const testing::TestParamInfo<ExporterCase>& info) {
      return std::string(ExporterName(info.param.kind) == "node_exporter" ? "Node" : "Windows");
    });

}  // namespace
}  // namespace corvane::remote
