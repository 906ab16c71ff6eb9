#include "remote/access_rights.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

TEST(RightsText, ShowsThePageLettersOrAdmin) {
  EXPECT_EQ(RightsText(0), "sgfiatmpbuhc");
  EXPECT_EQ(RightsText(kAdminRights), "-- admin --");
  EXPECT_EQ(RightsText(kRightStartStop), "sgfiatmpbuhc");
  EXPECT_EQ(RightsText(0x41), "SgfiatMpbuhc");
  EXPECT_EQ(RightsText(0xFFF), "SGFIATMPBUHC");
  EXPECT_EQ(RightsText(0x7FFFF), "SGFIATMPBUHC");
}

TEST(IsRightsSubset, AdministratorMayGrantAnything) {
  EXPECT_TRUE(IsRightsSubset(kAdminRights, kAdminRights));
  EXPECT_TRUE(IsRightsSubset(kAdminRights, 0x12345));
  EXPECT_TRUE(IsRightsSubset(kAdminRights, 0));
}

TEST(IsRightsSubset, OthersGrantOnlyBitsTheyHoldAndNeverAdmin) {
  EXPECT_TRUE(IsRightsSubset(0x41, 0x40));
  EXPECT_TRUE(IsRightsSubset(0x41, 0));
  EXPECT_FALSE(IsRightsSubset(0x41, 0x80));
  // Every defined bit is no ticket to admin.
  EXPECT_FALSE(IsRightsSubset(0x7FFFF, kAdminRights));
  // All 32 bits are compared: bit 18 and the undefined high bits too.
  EXPECT_FALSE(IsRightsSubset(0x3FFFF, kRightCustomCombat));
  EXPECT_FALSE(IsRightsSubset(0x7FFFF, 0x80000000u));
  EXPECT_FALSE(IsRightsSubset(0x7FFFF, 0xFFFFFFFEu));
  EXPECT_TRUE(IsRightsSubset(0x7FFFF, 0x7FFFF));
}

TEST(PresetRights, AcceptsDefinedBitsAndAdminOnly) {
  EXPECT_EQ(PresetRights(0x41), 0x41u);
  EXPECT_EQ(PresetRights(0x7FFFF), 0x7FFFFu);
  EXPECT_EQ(PresetRights(600000), 0u);
  EXPECT_EQ(PresetRights(-1), kAdminRights);
  EXPECT_EQ(PresetRights(4294967295), kAdminRights);
  EXPECT_EQ(PresetRights(-2), 0u);
}

}  // namespace
}  // namespace varnholt
