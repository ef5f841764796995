// corvservice: the Corvane service host.
#include <string>
#include <vector>

#include "service/corvane_engine_adapter.h"
#include "service/service_host.h"

int main(int argc, char** argv) {
  return corvane::service::ServiceMain(std::vector<std::string>(argv, argv + argc),
                                       corvane::service::MakeCorvaneEngine);
}
