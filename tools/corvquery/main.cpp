// corvquery: prints performance counters of this machine or of remote exporters as CSV.
#include <iostream>
#include <string_view>
#include <vector>

#include "platform/system_provider.h"
#include "tools/corvquery/query_tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto provider = corvane::MakeSystemProvider();
  return corvane::corvquery::RunQueryTool(args, provider.get(), std::cout, std::cerr);
}
