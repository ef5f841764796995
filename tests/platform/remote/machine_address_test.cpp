#include "platform/remote/machine_address.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

namespace corvane::remote {
namespace {

struct AddressCase {
  const char* machine;
  const char* key;
  std::uint16_t port;
  const char* url;  // with the given port, or with 9100 when none is given
};

class MachineAddressForm : public ::testing::TestWithParam<AddressCase> {};

TEST_P(MachineAddressForm, GivesKeyPortAndUrl) {
  const AddressCase& c = GetParam();
  MachineAddress address;
  std::string error;
  ASSERT_EQ(ParseMachineAddress(c.machine, &address, &error), perf::kOk) << c.machine << error;
  EXPECT_EQ(address.Key(), c.key);
  EXPECT_EQ(address.port, c.port);
  EXPECT_EQ(address.MetricsUrl(c.port != 0 ? c.port : kNodeExporterPort), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, MachineAddressForm,
    ::testing::Values(
        AddressCase{"\\\\web01", "http://web01", 0, "http://web01:9100/metrics"},
        AddressCase{"\\\\WEB01.Example.org", "http://web01.example.org", 0,
                    "http://web01.example.org:9100/metrics"},
        AddressCase{"\\\\web01:9182", "http://web01:9182", 9182, "http://web01:9182/metrics"},
        AddressCase{"\\\\192.0.2.10", "http://192.0.2.10", 0, "http://192.0.2.10:9100/metrics"},
        AddressCase{"\\\\[2001:DB8::7]:9100", "http://[2001:db8::7]:9100", 9100,
                    "http://[2001:db8::7]:9100/metrics"},
        AddressCase{"\\\\[::1]", "http://[::1]", 0, "http://[::1]:9100/metrics"},
        AddressCase{"\\\\[fe80::1%eth0]:9100", "http://[fe80::1%eth0]:9100", 9100,
                    "http://[fe80::1%25eth0]:9100/metrics"},
        AddressCase{"\\\\https://web01:9443", "https://web01:9443", 9443,
                    "https://web01:9443/metrics"},
        AddressCase{"\\\\HTTPS://web01", "https://web01", 0, "https://web01:9100/metrics"},
        AddressCase{"\\\\http://web01:9100", "http://web01:9100", 9100,
                    "http://web01:9100/metrics"},
        AddressCase{"\\\\my_host-2:65535", "http://my_host-2:65535", 65535,
                    "http://my_host-2:65535/metrics"}),
    [](const ::testing::TestParamInfo<AddressCase>& info) {
      return test_support::CaseName(info.param.machine);
    });

TEST(MachineAddress, RefusesWhatCouldSmuggleTextIntoTheUrl) {
  for (const char* machine : {"",
                              "\\\\",
                              "web01",
                              "\\web01",
                              "\\\\user@web01",
                              "\\\\web01/path",
                              "\\\\web01?x=1",
                              "\\\\web01#frag",
                              "\\\\web 01",
                              "\\\\web01:",
                              "\\\\web01:0",
                              "\\\\web01:65536",
                              "\\\\web01:+80",
                              "\\\\web01:80x",
                              "\\\\web01:123456",
                              "\\\\-oProxy",
                              "\\\\.hidden",
                              "\\\\ftp://web01",
                              "\\\\https://",
                              "\\\\[::1",
                              "\\\\[zz::1]",
                              "\\\\[::1]x",
                              "\\\\[::1%]",
                              "\\\\[1.2.3.4]",
                              "\\\\web01\n",
                              "\\\\wéb01"}) {
    MachineAddress address;
    std::string error;
    EXPECT_EQ(ParseMachineAddress(machine, &address, &error), perf::kInvalidPath) << machine;
    EXPECT_FALSE(error.empty()) << machine;
  }
}

}  // namespace
}  // namespace corvane::remote
