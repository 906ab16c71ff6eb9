#include "platform/interfaces.h"

#include <gtest/gtest.h>

#include "platform/ip_address.h"

namespace varnholt {
namespace {

std::vector<uint32_t> Select(const std::vector<InterfaceEntry>& entries, size_t* reported) {
  std::vector<uint32_t> addresses;
  SelectInterfaceAddresses(entries, &addresses, reported);
  return addresses;
}

TEST(InterfacesTest, LoopbackIsLeftOutWhenThereIsAnotherInterface) {
  size_t reported = 0;
  // lo is listed first by the system, as Linux does.
  auto addresses = Select({{kLoopbackAddress, true, true},
                           {IpFromText("192.0.2.5"), true, false},
                           {IpFromText("198.51.100.7"), false, false},
                           {IpFromText("203.0.113.9"), true, false}},
                          &reported);
  EXPECT_EQ(addresses, (std::vector<uint32_t>{IpFromText("192.0.2.5"), IpFromText("203.0.113.9")}));
  EXPECT_EQ(reported, 2u);
}

TEST(InterfacesTest, AMachineWithOnlyLoopbackGetsLoopback) {
  size_t reported = 0;
  EXPECT_EQ(Select({{kLoopbackAddress, true, true}}, &reported),
            std::vector<uint32_t>{kLoopbackAddress});
  EXPECT_EQ(reported, 1u);
  EXPECT_TRUE(Select({{kLoopbackAddress, false, true}}, &reported).empty());
  EXPECT_EQ(reported, 0u);
}

TEST(InterfacesTest, MoreThanTheLimitAreCountedButNotKept) {
  std::vector<InterfaceEntry> entries;
  for (uint32_t i = 0; i < kMaxInterfaces + 6; ++i)
    entries.push_back({0x0A000001 + i, true, false});
  size_t reported = 0;
  auto addresses = Select(entries, &reported);
  EXPECT_EQ(addresses.size(), kMaxInterfaces);
  EXPECT_EQ(reported, kMaxInterfaces + 6);
  EXPECT_EQ(addresses.front(), 0x0A000001u);
}

TEST(InterfacesTest, TheSystemListNeverOffersLoopbackBesideARealInterface) {
  std::vector<uint32_t> addresses;
  size_t reported = 0;
  ASSERT_TRUE(DetectInterfaceAddresses(&addresses, &reported));
  ASSERT_FALSE(addresses.empty());
  if (addresses.size() > 1) {
    for (uint32_t address : addresses) EXPECT_NE(address >> 24, 127u) << IpToText(address);
  }
}

}  // namespace
}  // namespace varnholt
