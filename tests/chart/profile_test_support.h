// Helpers for the profile tests: a temporary folder removed at the end of the test, whole-file
// reads and writes, and a chart whose owner hooks write and read settings and items the way
// the engine does. Test thread only, unless a test says otherwise.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "chart/profile_numbers.h"
#include "chart/wind_rose.h"
#include "tests/support/temp_folder.h"

namespace corvane::chart::profile_testing {

using TempFolder = test_support::TempFolder;

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// The item the owner keeps per axis: a counter path.
class PathItem : public AxisItem {
 public:
  explicit PathItem(std::string path) : path(std::move(path)) {}
  std::string path;
};

// A chart with an owner's two settings ("Alpha", "Beta"), a "Counter" item per axis, and a
// record of every line that reached the hooks.
class OwnerRose : public WindRose {
 public:
  explicit OwnerRose(int axis_capacity = 32) : WindRose(axis_capacity, 4) {}
  ~OwnerRose() override { RemoveAllAxes(); }

  bool WriteItem(ProfileWriter& file, const AxisItem& item) const override {
    return file.WriteText("Counter", static_cast<const PathItem&>(item).path);
  }
  bool WriteSettings(ProfileWriter& file) const override {
    if (fail_settings) return false;
    return file.WriteInteger("Alpha", alpha) && file.WriteInteger("Beta", beta);
  }
  bool WriteHeader(ProfileWriter& file) const override {
    return file.WriteLine("") && file.WriteLine("# OWNER FILE") && file.WriteLine("");
  }
  AxisItem* ReadItem(std::string_view key, std::string_view value) override {
    item_lines.emplace_back(key, value);
    return key == "Counter" ? new PathItem(std::string(value)) : nullptr;
  }
  void ReadSetting(std::string_view key, std::string_view value) override {
    setting_lines.emplace_back(key, value);
    if (value.empty()) return;
    if (key == "Alpha") alpha = ParseProfileInteger(value);
    if (key == "Beta") beta = ParseProfileInteger(value);
  }
  void FreeItem(AxisItem* item) override {
    if (item != nullptr) ++frees;
    delete item;
  }

  std::string Path(int axis) const {
    AxisItem* item = nullptr;
    if (!GetAxisItem(axis, &item) || item == nullptr) return "<none>";
    return static_cast<PathItem*>(item)->path;
  }
  std::string Name(int axis) const {
    Text name;
    if (!GetAxisName(axis, &name) || !name) return "<none>";
    return std::string(*name);
  }

  int alpha = 1;
  int beta = 2;
  bool fail_settings = false;
  int frees = 0;
  std::vector<std::pair<std::string, std::string>> setting_lines;
  std::vector<std::pair<std::string, std::string>> item_lines;
};

}  // namespace corvane::chart::profile_testing
