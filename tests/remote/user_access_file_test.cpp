#include "remote/user_access_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/last_error.h"
#include "remote/account_fields.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(UserAccessText, PlainTextRecordsAreReadAndFlagged) {
  bool plain = false;
  auto accounts = ParseUserAccessText(
      "alice,secret,,4294967295,1\nbob,pw," + std::string(32, 'a') + ",65,0\n", &plain);
  ASSERT_EQ(accounts.size(), 2u);
  EXPECT_TRUE(plain);
  EXPECT_EQ(accounts[0].name, "alice");
  EXPECT_EQ(accounts[0].password, "secret");
  EXPECT_EQ(accounts[0].rights, kAdminRights);
  EXPECT_TRUE(accounts[0].active);
  EXPECT_EQ(accounts[1].keyhash, std::string(32, 'a'));
  EXPECT_EQ(accounts[1].rights, 0x41u);
  EXPECT_FALSE(accounts[1].active);
}

TEST(UserAccessText, EncipheredRoundTripKeepsEveryField) {
  std::vector<UserAccount> accounts = {
      {"alice", "s3cret", "", kAdminRights, true},
      {"Bob", "", "0123456789abcdef0123456789ABCDEF", 0x1041, false},
  };
  std::string text;
  ASSERT_TRUE(FormatUserAccessText(accounts, &text));
  // name,password,keyhash as 64, 64 and 66 hex digits, then rights and flag.
  const size_t first_end = text.find('\n');
  const std::string first = text.substr(0, first_end);
  EXPECT_EQ(first.size(), 64 + 1 + 64 + 1 + 66 + 1 + 10 + 1 + 1u);
  EXPECT_EQ(first.substr(197), "4294967295,1");
  EXPECT_EQ(first.find_first_not_of("0123456789ABCDEF,"), std::string::npos);
  EXPECT_EQ(text.find("alice"), std::string::npos);
  EXPECT_EQ(text.find("s3cret"), std::string::npos);
  bool plain = true;
  auto back = ParseUserAccessText(text, &plain);
  EXPECT_FALSE(plain);
  ASSERT_EQ(back.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back[i].name, accounts[i].name);
    EXPECT_EQ(back[i].password, accounts[i].password);
    EXPECT_EQ(back[i].keyhash, accounts[i].keyhash);
    EXPECT_EQ(back[i].rights, accounts[i].rights);
    EXPECT_EQ(back[i].active, accounts[i].active);
  }
}

TEST(UserAccessText, BrokenRecordsAreSkipped) {
  std::string hidden_blank;
  ASSERT_TRUE(EncipherFieldHex("two words", kNameFieldSize, &hidden_blank));
  std::string hidden_newline;
  ASSERT_TRUE(EncipherFieldHex("evil\nSECURITY", kNameFieldSize, &hidden_newline));
  bool plain = false;
  auto accounts = ParseUserAccessText(
      "onlyfour,a,b,1\n"
      ",pw,,1,1\n" +
          hidden_blank + ",pw,,1,1\n" + hidden_newline +
          ",pw,,1,1\n"
          "ok,pw,,1,1,extra\n",
      &plain);
  ASSERT_EQ(accounts.size(), 1u);
  EXPECT_EQ(accounts[0].name, "ok");
  // The fifth field runs to the end of the word; only its number counts.
  EXPECT_TRUE(accounts[0].active);
}

TEST(UserAccessText, RightsFieldOutsideThe32BitRangeGivesNothing) {
  EXPECT_EQ(ParseRightsField("4294967295"), kAdminRights);
  EXPECT_EQ(ParseRightsField("-1"), kAdminRights);
  EXPECT_EQ(ParseRightsField("4294967296"), 0u);
  EXPECT_EQ(ParseRightsField("99999999999999999999"), 0u);
  EXPECT_EQ(ParseRightsField("12ab"), 0u);
  EXPECT_EQ(ParseRightsField(""), 0u);
  EXPECT_EQ(ParseRightsField("-2"), 0u);
  EXPECT_EQ(ParseRightsField("512"), 512u);
}

TEST(UserAccessFile, WrittenForItsOwnerOnlyAndReplacedWhole) {
  TempFolder folder;
  const std::string path = folder.Sub("Mods/ashfront/Settings/UserAccess.con");
  ASSERT_TRUE(WriteUserAccessFile(path, "first\n"));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  chmod(path.c_str(), 0644);
  ASSERT_TRUE(WriteUserAccessFile(path, "second\n"));
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string text;
  bool opened = false;
  ASSERT_TRUE(ReadUserAccessFile(path, &text, &opened));
  EXPECT_EQ(text, "second\n");
}

TEST(UserAccessFile, OversizedFileIsRefusedNotRead) {
  TempFolder folder;
  const std::string path =
      folder.Write("UserAccess.con", std::string(kMaxUserAccessFileSize + 1, 'x'));
  std::string text;
  bool opened = false;
  EXPECT_FALSE(ReadUserAccessFile(path, &text, &opened));
  EXPECT_TRUE(opened);
  EXPECT_EQ(GetLastErrorCode(), kErrorNotEnoughMemory);
  EXPECT_FALSE(ReadUserAccessFile(folder.Sub("missing.con"), &text, &opened));
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace varnholt
