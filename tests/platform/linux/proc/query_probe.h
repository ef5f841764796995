// A query of a provider with counters added by path and read back by path, for provider tests.
// Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/perf_data.h"

namespace corvane::local::testing {

class QueryProbe {
 public:
  explicit QueryProbe(perf::Provider* provider) {
    EXPECT_EQ(provider->OpenQuery(&query_), perf::kOk);
  }

  // Adds a counter; fails the test when the provider refuses it.
  void Add(const std::string& path) {
    perf::CounterHandle handle = perf::kNullCounter;
    ASSERT_EQ(query_->AddCounter(path, &handle), perf::kOk) << path;
    handles_[path] = handle;
  }

  perf::Status Collect() { return query_->Collect(); }

  perf::Status Status(const std::string& path) {
    double value = 0;
    return query_->GetFormattedDouble(handles_.at(path), &value);
  }

  // The value, or nothing when the reading failed.
  std::optional<double> Value(const std::string& path) {
    double value = 0;
    if (query_->GetFormattedDouble(handles_.at(path), &value) != perf::kOk) return std::nullopt;
    return value;
  }

  // Why the counter had no value in the last collection, as the query says it.
  std::string Reason(const std::string& path) { return query_->CounterError(handles_.at(path)); }

  perf::Query* query() { return query_.get(); }

 private:
  std::unique_ptr<perf::Query> query_;
  std::map<std::string, perf::CounterHandle> handles_;
};

}  // namespace corvane::local::testing
