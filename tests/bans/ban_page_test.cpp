#include "bans/ban_page.h"

#include <gtest/gtest.h>

#include "bans/bans.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

const std::string kHash(32, 'a');

TEST(BanPageForm, ChecksInOrderAndLeavesNoErrorBehind) {
  EXPECT_STREQ(CheckBanPageForm({"x", "1.2.3", "", "", ""}),
               "Couldn't save ban! IP address is not valid.");
  EXPECT_STREQ(CheckBanPageForm({"x", "", "12ab", "zz", ""}),
               "Couldn't save ban! Keyhash is not valid.");
  EXPECT_EQ(GetLastErrorCode(), 0u);
  EXPECT_STREQ(CheckBanPageForm({"x", "", kHash, std::string(32, 'g'), ""}),
               "Couldn't save ban! GUID is not valid.");
  EXPECT_STREQ(CheckBanPageForm({"x", "", "", "", "why"}),
               "Couldn't save ban! You must specify at least one of IP address, keyhash or GUID "
               "to ban.");
  EXPECT_EQ(CheckBanPageForm({"", "10.0.0.255", "", "", ""}), nullptr);
  EXPECT_EQ(CheckBanPageForm({"", "", "", kHash, ""}), nullptr);
}

TEST(BanPageForm, OnlyPlainDottedAddressesPass) {
  for (const char* good : {"0.0.0.0", "1.2.3.4", "255.255.255.255", "192.168.001.010"}) {
    EXPECT_TRUE(IsDottedAddress(good)) << good;
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "1.2.3.4;quit",
                          "a.b.c.d", "1..2.3", "1.2.3.0004", "-1.2.3.4"}) {
    EXPECT_FALSE(IsDottedAddress(bad)) << bad;
  }
}

TEST(BanPageForm, CommandTextsFillTheUnknownAndKeepFieldsApart) {
  EXPECT_EQ(BanPageBanText({"", "1.2.3.4", "", "", ""}),
            "-1\xFF[unknown]\xFF"
            "1.2.3.4\xFF[unknown]\xFF[unknown]\xFF"
            "0\xFFunknown reason\xFF");
  // A separator typed into a field cannot move the fields after it.
  EXPECT_EQ(BanPageBanText({"a\xFF"
                            "b",
                            "", kHash, "", "spam"}),
            "-1\xFF"
            "a b\xFF[unknown]\xFF" +
                kHash +
                "\xFF[unknown]\xFF"
                "0\xFFspam\xFF");
  EXPECT_EQ(BanPageUnbanText({"Smith, J", "1.2.3.4", "", "", "r"}),
            "Smith; J,1.2.3.4,[unknown],[unknown]");
}

}  // namespace
}  // namespace varnholt
