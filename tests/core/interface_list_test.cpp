#include "core/interface_list.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/interfaces.h"
#include "platform/ip_address.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

// An interface table the test controls, read through the same selection as the system's.
class InterfaceListTest : public ::testing::Test {
 protected:
  InterfaceListTest()
      : log_(folder_.path(), clock_),
        list_(log_, [this](std::vector<uint32_t>* addresses, size_t* reported) {
          SelectInterfaceAddresses(table_, addresses, reported);
          return true;
        }) {}

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  std::vector<InterfaceEntry> table_;
  InterfaceList list_;
};

TEST_F(InterfaceListTest, TheFirstAddressIsAReachableOneNotLoopback) {
  table_ = {{kLoopbackAddress, true, true}, {IpFromText("192.0.2.5"), true, false}};
  ASSERT_TRUE(list_.Refresh());
  EXPECT_EQ(list_.First(), IpFromText("192.0.2.5"));
  EXPECT_EQ(list_.Addresses(), std::vector<uint32_t>{IpFromText("192.0.2.5")});
}

TEST_F(InterfaceListTest, LoopbackIsAcceptedAlthoughNoInterfaceListsIt) {
  table_ = {{kLoopbackAddress, true, true}, {IpFromText("192.0.2.5"), true, false}};
  EXPECT_TRUE(list_.IsServerIpLocal(kLoopbackAddress));
  // Offered from then on, after the interfaces.
  EXPECT_EQ(list_.Addresses(), (std::vector<uint32_t>{IpFromText("192.0.2.5"), kLoopbackAddress}));
  EXPECT_TRUE(list_.IsServerIpLocal(IpFromText("192.0.2.5")));
  EXPECT_FALSE(list_.IsServerIpLocal(IpFromText("203.0.113.77")));
}

TEST_F(InterfaceListTest, AFullListStillAcceptsLoopbackWithoutGrowing) {
  for (uint32_t i = 0; i < kMaxInterfaces; ++i) table_.push_back({0x0A000001 + i, true, false});
  EXPECT_TRUE(list_.IsServerIpLocal(kLoopbackAddress));
  EXPECT_EQ(list_.Addresses().size(), kMaxInterfaces);
}

TEST_F(InterfaceListTest, OnlyLoopbackMakesLoopbackTheDefault) {
  table_ = {{kLoopbackAddress, true, true}};
  ASSERT_TRUE(list_.Refresh());
  EXPECT_EQ(list_.First(), kLoopbackAddress);
  table_.clear();
  EXPECT_FALSE(list_.IsServerIpLocal(kLoopbackAddress));
}

}  // namespace
}  // namespace varnholt
