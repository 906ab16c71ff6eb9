#include "remote/account_edits.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(RightsPresets, ReadInOrderUntilTheFirstMissingKey) {
  TempFolder folder;
  const std::string ini =
      folder.Write("Varnholt.ini",
                   "[presets]\nPreset0=Map editor,65\nPreset1=Too much,600000\nPreset2=Boss,-1\n"
                   "Preset3=,4096\nPreset5=Unreached,1\n");
  const std::vector<RightsPreset> presets = ReadRightsPresets(IniFile(ini));
  ASSERT_EQ(presets.size(), 4u);
  EXPECT_EQ(presets[0].name, "Map editor");
  EXPECT_EQ(presets[0].rights, 0x41u);
  EXPECT_EQ(presets[1].rights, 0u);
  EXPECT_EQ(presets[2].rights, kAdminRights);
  EXPECT_EQ(presets[3].name, "");
  EXPECT_EQ(presets[3].rights, 0x1000u);
  EXPECT_TRUE(ReadRightsPresets(IniFile(folder.Sub("none.ini"))).empty());
}

TEST(ComposePageRights, PageBoxesReplaceOnlyThePageBits) {
  EXPECT_EQ(ComposePageRights(std::nullopt, 0x41), 0x41u);
  EXPECT_EQ(ComposePageRights(0x3F0FF, 0x100), 0x3F100u);
  // An administrator with every box checked stays one; one box less keeps bits 12 and up.
  EXPECT_EQ(ComposePageRights(kAdminRights, 0xFFF), kAdminRights);
  EXPECT_EQ(ComposePageRights(kAdminRights, 0xFFE), 0xFFFFFFFEu);
}

class AccountFormTest : public ::testing::Test {
 protected:
  std::string Log() const { return folder_.Read("Varnholt.log"); }
  TempFolder folder_;
  ManualClock clock_;
  EventLog log_{folder_.path(), clock_};
  UserAccounts accounts_{folder_.Sub("UserAccess.con"), log_};
};

TEST_F(AccountFormTest, RefusalsNameTheirReason) {
  EXPECT_STREQ(SaveAccountForm(accounts_, {"", "pw", "", 1}, log_), "You must enter a username!");
  EXPECT_STREQ(SaveAccountForm(accounts_, {"a b", "pw", "", 1}, log_),
               "Username cannot contain spaces!");
  EXPECT_STREQ(SaveAccountForm(accounts_, {"ab", "p w", "", 1}, log_),
               "Passwords cannot contain spaces!");
  EXPECT_STREQ(SaveAccountForm(accounts_, {"root", "", "", kAdminRights}, log_),
               "You must enter a password for an admin account!");
  EXPECT_STREQ(SaveAccountForm(accounts_, {"ab", "pw", "12345", 1}, log_),
               "The user keyhash is not valid. You must enter a 32-digit hexdecimal number in "
               "this field.");
  EXPECT_TRUE(accounts_.Accounts().empty());
}

TEST_F(AccountFormTest, SaveAddsOrUpdatesAndDeleteRemoves) {
  accounts_.SetAccounts({{"Alice", "old", "", 0x1, false}});
  EXPECT_EQ(SaveAccountForm(accounts_, {"alice", "n3wpass", "", 0x41}, log_), nullptr);
  EXPECT_EQ(SaveAccountForm(accounts_, {"bob", "pw", std::string(32, 'f'), 0x80}, log_), nullptr);
  auto list = accounts_.Accounts();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "Alice");
  EXPECT_EQ(list[0].password, "n3wpass");
  EXPECT_EQ(list[0].rights, 0x41u);
  EXPECT_TRUE(list[0].active);
  EXPECT_EQ(list[1].keyhash, std::string(32, 'f'));
  EXPECT_EQ(Log().find("added user account Alice"), std::string::npos);
  EXPECT_NE(Log().find("User operator at console added user account bob."), std::string::npos);
  EXPECT_TRUE(DeleteAccount(accounts_, "ALICE", log_));
  EXPECT_FALSE(DeleteAccount(accounts_, "alice", log_));
  EXPECT_NE(Log().find("User operator at console deleted user account Alice."), std::string::npos);
  EXPECT_EQ(Log().find("n3wpass"), std::string::npos);
}

TEST_F(AccountFormTest, EditsMarkTheListForTheSettingsSaveRefusalsDoNot) {
  EXPECT_NE(SaveAccountForm(accounts_, {"", "pw", "", 1}, log_), nullptr);
  EXPECT_FALSE(accounts_.Dirty());
  EXPECT_EQ(SaveAccountForm(accounts_, {"carol", "pw", "", 0x41}, log_), nullptr);
  EXPECT_TRUE(accounts_.Dirty());
  accounts_.ClearDirty();
  EXPECT_FALSE(EditAccount(accounts_, "nobody", [](UserAccount& a) { a.rights = 0; }));
  EXPECT_FALSE(accounts_.Dirty());
  EXPECT_TRUE(EditAccount(accounts_, "CAROL", [](UserAccount& a) { a.rights ^= kRightStartStop; }));
  EXPECT_TRUE(accounts_.Dirty());
  EXPECT_EQ(accounts_.FindAccount("carol")->rights, 0x1041u);
  accounts_.ClearDirty();
  EXPECT_TRUE(DeleteAccount(accounts_, "carol", log_));
  EXPECT_TRUE(accounts_.Dirty());
}

}  // namespace
}  // namespace varnholt
