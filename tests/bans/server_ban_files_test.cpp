// The server's ban files: the exact lines written, what the readers take from any text, and
// removal of one identity as a whole token.
#include "bans/server_ban_files.h"

#include <gtest/gtest.h>

#include "bans/ban_file_io.h"
#include "platform/files.h"
#include "support/file_text.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr const char* kGuid = "0123456789ABCDEF0123456789abcdef";

TEST(ServerBanFilesTest, LinesWritten) {
  EXPECT_EQ(AddressBanLine("1.2.3.4"), "admin.addAddressToBanList 1.2.3.4:0 Perm\n");
  EXPECT_EQ(KeyBanLine("abc"), "admin.addKeyToBanList abc Perm\n");
  CalendarFields local;
  local.year = 2004;
  local.month = 3;
  local.day = 8;
  local.hour = 7;
  local.minute = 5;
  local.second = 9;
  EXPECT_EQ(GuidBanEntry(local, kGuid),
            std::string("[03.08.2004 07.05.09] ") + kGuid + " \"\" \"\" \r\n\r\n");
}

TEST(ServerBanFilesTest, ReadersTakeWholeIdentities) {
  BanIdentities bans;
  ReadBanListConText(
      "admin.addAddressToBanList 11.2.3.4:0 Perm\r\n"
      "ADMIN.ADDKEYTOBANLIST ABCDEF0123456789abcdef0123456789 Perm\n"
      "admin.addAddressToBanList :0\n"
      "game.sayAll hello\n"
      "admin.addKeyToBanList\n",
      &bans);
  EXPECT_EQ(bans.addresses.size(), 1u);
  EXPECT_EQ(bans.addresses.count("11.2.3.4"), 1u);
  EXPECT_EQ(bans.addresses.count("1.2.3.4"), 0u);
  EXPECT_EQ(bans.keys.size(), 1u);
  EXPECT_EQ(bans.keys.count("abcdef0123456789ABCDEF0123456789"), 1u);
  const std::string pb = std::string("; comment ") + kGuid +
                         "\n[01.01.2004 00.00.00] zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz " + kGuid +
                         " \"\" \"\"\r\n\r\n[x] short\n";
  ReadPbBansText(pb, &bans);
  EXPECT_EQ(bans.guids.size(), 1u);
  EXPECT_EQ(bans.guids.count("0123456789abcdef0123456789abcdef"), 1u);
}

TEST(ServerBanFilesTest, RemovalMatchesWholeTokensOnly) {
  testing::TempFolder folder;
  std::string path = folder.Write("BanList.con",
                                  "admin.addAddressToBanList 11.2.3.4:0 Perm\n"
                                  "admin.addAddressToBanList 1.2.3.4:0 Perm\n"
                                  "admin.addKeyToBanList abc Perm\n");
  ASSERT_TRUE(
      RemoveMatchingLines(path, [](std::string_view l) { return BansAddress(l, "1.2.3.4"); }));
  std::string text;
  text = testing::ReadFileText(path);
  EXPECT_EQ(text, "admin.addAddressToBanList 11.2.3.4:0 Perm\nadmin.addKeyToBanList abc Perm\n");
  ASSERT_TRUE(RemoveMatchingLines(path, [](std::string_view l) { return BansKey(l, "ABC"); }));
  text = testing::ReadFileText(path);
  EXPECT_EQ(text, "admin.addAddressToBanList 11.2.3.4:0 Perm\n");
  // A missing file has nothing to remove.
  EXPECT_TRUE(RemoveMatchingLines(folder.Sub("none"), [](std::string_view) { return true; }));
  EXPECT_FALSE(BansGuid("; " + std::string(kGuid), kGuid));
  EXPECT_TRUE(BansGuid("[x] " + std::string(kGuid) + " \"\"", "0123456789abcdef0123456789ABCDEF"));
}

}  // namespace
}  // namespace varnholt
