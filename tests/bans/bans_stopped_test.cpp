// Bans, unbans and clearing while the game server is stopped: the server's own ban files
// are written and trimmed directly, and the program's list follows.
#include <gtest/gtest.h>

#include "bans_fixture.h"
#include "core/notify_codes.h"
#include "log/admin_log.h"

namespace varnholt::testing {
namespace {

using Notes = std::vector<std::pair<uint32_t, std::string>>;

TEST_F(BansTest, BanWhileStoppedWritesEveryFile) {
  pb_installed_ = true;
  clock_.SetCalendarSeconds(1089648000);
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "Anna", "1.2.3.4", kKeyA, kGuidA, 0, "camping"),
                                "operator", "console"));
  EXPECT_EQ(ReadFile(files_.ban_list_con),
            std::string("admin.addAddressToBanList 1.2.3.4:0 Perm\nadmin.addKeyToBanList ") +
                kKeyA + " Perm\n");
  const std::string pb = ReadFile(files_.pb_bans);
  EXPECT_EQ(pb.substr(22), std::string(kGuidA) + " \"\" \"\" \r\n\r\n");
  EXPECT_EQ(ReadFile(files_.server_ban_list), std::string("\"Anna\",1.2.3.4,") + kKeyA + "," +
                                                  kGuidA + ",\"operator\",1089648000,0,camping\n");
  ASSERT_EQ(list_.Size(), 1u);
  EXPECT_TRUE(Logged("Ban added on address 1.2.3.4."));
  EXPECT_TRUE(Logged(std::string("Ban added on GUID ") + kGuidA + "."));
  EXPECT_TRUE(Logged(std::string("User operator at console banned player Anna (") + kKeyA +
                     ") permanently for camping."));
  EXPECT_EQ(notes_, (Notes{{kNotifyPlayerBanned, "Anna"}, {kNotifyBanListChanged, ""}}));
  EXPECT_NE(ReadFile(admin_log_.Path()).find(",ban,0,camping\r\n"), std::string::npos);
}

TEST_F(BansTest, RefusedBansWriteNothing) {
  // Only a GUID, and no PunkBuster to take it.
  EXPECT_FALSE(
      bans_->BanCommand(BanText(-1, "Gus", "", "", kGuidA, 0, "r"), "operator", "console"));
  EXPECT_TRUE(
      Logged(std::string("Couldn't ban guid ") + kGuidA + "! PunkBuster is not installed."));
  EXPECT_TRUE(Logged("Couldn't ban player Gus! The command failed."));
  // Six fields, a negative duration, a duration beyond a century, a word for an id.
  for (const std::string& text : {std::string("1\xFFSix\xFF"
                                              "1.2.3.4\xFF[unknown]\xFF[unknown]\xFF"
                                              "0\xFF"),
                                  BanText(-1, "Neg", "1.2.3.4", "", "", -60, "r"),
                                  BanText(-1, "Huge", "1.2.3.4", "", "", kMaxBanSeconds + 1, "r"),
                                  std::string("x\xFFWord\xFF"
                                              "1.2.3.4\xFF-\xFF-\xFF"
                                              "0\xFFr\xFF")}) {
    EXPECT_FALSE(bans_->BanCommand(text, "operator", "console"));
  }
  EXPECT_TRUE(Logged("Couldn't ban player Six! The command failed."));
  EXPECT_TRUE(Logged("Couldn't ban player Neg! The command failed."));
  EXPECT_TRUE(Logged("Couldn't ban player Huge! The command failed."));
  EXPECT_FALSE(FileExists(files_.server_ban_list));
  EXPECT_FALSE(FileExists(files_.ban_list_con));
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(BansTest, TimedBanNamesItsEnd) {
  setenv("TZ", "UTC0", 1);
  clock_.SetCalendarSeconds(1089648000);
  ASSERT_TRUE(
      bans_->BanCommand(BanText(-1, "Tim", "5.6.7.8", "", "", 3600, "r"), "bob", "10.0.0.9"));
  EXPECT_TRUE(
      Logged("User bob at 10.0.0.9 banned player Tim ([unknown]) until Mon Jul 12 "
             "17:00:00 2004 for r."));
  EXPECT_EQ(list_.Records()[0].expires, 1089648000 + 3600);
  unsetenv("TZ");
}

TEST_F(BansTest, UnbanWhileStoppedMatchesWholeIdentities) {
  WriteFile(files_.ban_list_con, std::string("admin.addAddressToBanList 11.2.3.4:0 Perm\n"
                                             "admin.addAddressToBanList 1.2.3.4:0 Perm\n"
                                             "admin.addKeyToBanList ") +
                                     kKeyA + " Perm\n");
  list_.Replace({{"Long", "11.2.3.4", "", "", "op", 1, 0, "r"},
                 {"Anna", "1.2.3.4", kKeyA, "", "op", 1, 0, "r"}});
  // Unbanning the keyhash leaves Anna's record with her address.
  ASSERT_TRUE(bans_->UnbanCommand(UnbanText("Anna", "", kKeyA, ""), "operator", "console"));
  EXPECT_TRUE(Logged(std::string("Ban removed on keyhash ") + kKeyA + "."));
  EXPECT_TRUE(
      Logged(std::string("User operator at console removed ban on player Anna (") + kKeyA + ")."));
  ASSERT_EQ(list_.Size(), 2u);
  EXPECT_EQ(list_.Records()[1].address, "1.2.3.4");
  EXPECT_EQ(list_.Records()[1].keyhash, "");

  ASSERT_TRUE(bans_->UnbanCommand("Anna,1.2.3.4,[unknown],*", "operator", "console"));
  EXPECT_EQ(ReadFile(files_.ban_list_con), "admin.addAddressToBanList 11.2.3.4:0 Perm\n");
  ASSERT_EQ(list_.Size(), 1u);
  EXPECT_EQ(list_.Records()[0].address, "11.2.3.4");
  EXPECT_EQ(ReadFile(files_.server_ban_list), "\"Long\",11.2.3.4,*,*,\"op\",1,0,r\n");
  EXPECT_EQ(notes_.back().first, kNotifyBanListChanged);

  // Nothing to unban is a failure.
  EXPECT_FALSE(bans_->UnbanCommand("Nobody,[unknown],*,", "operator", "console"));
  EXPECT_TRUE(Logged("Couldn't unban player Nobody! No address, keyhash or GUID was given."));
}

TEST_F(BansTest, ClearEmptiesEveryFileAndTheList) {
  pb_installed_ = true;
  WriteFile(files_.ban_list_con, "admin.addAddressToBanList 1.2.3.4:0 Perm\n");
  WriteFile(files_.pb_bans, std::string("[x] ") + kGuidA + "\r\n");
  WriteFile(files_.server_ban_list, "\"a\",1.2.3.4,*,*,\"op\",0,0,r\n");
  list_.Replace({{"a", "1.2.3.4", "", "", "op", 0, 0, "r"}});
  ASSERT_TRUE(bans_->ClearCommand("operator", "console"));
  EXPECT_EQ(ReadFile(files_.ban_list_con), "");
  EXPECT_EQ(ReadFile(files_.pb_bans), "");
  EXPECT_EQ(ReadFile(files_.server_ban_list), "");
  EXPECT_EQ(list_.Size(), 0u);
  EXPECT_TRUE(Logged("User operator at console cleared the banlist."));
  EXPECT_EQ(notes_, (Notes{{kNotifyBanListCleared, ""}}));
}

TEST_F(BansTest, BanPlayerNameAppendsOneWordLine) {
  WriteFile(files_.banned_words, "cheat");
  bans_->BanPlayerNameCommand("Bad\nName", "operator", "console");
  EXPECT_EQ(ReadFile(files_.banned_words), "cheat\n$BadName\n");
  EXPECT_TRUE(Logged("User operator at console banned player name BadName."));
  EXPECT_EQ(notes_, (Notes{{kNotifyPlayerNameBanned, "BadName"}}));
  bans_->BanPlayerNameCommand("", "operator", "console");
  EXPECT_EQ(ReadFile(files_.banned_words), "cheat\n$BadName\n");
}

TEST_F(BansTest, KickWithoutConsoleFails) {
  EXPECT_FALSE(bans_->KickCommand("3,spam,", "operator", "console"));
  EXPECT_TRUE(Logged("Couldn't kick player [unknown]! The command failed."));
  EXPECT_FALSE(bans_->KickCommand("x,spam,", "operator", "console"));
  EXPECT_TRUE(notes_.empty());
}

}  // namespace
}  // namespace varnholt::testing

namespace varnholt::testing {
namespace {

TEST_F(BansTest, DelayedKickCarriesItsPlayerWhateverTheReason) {
  CommandQueue queue(clock_, log_);
  PlayerRecord anna{"Anna", 3, "vyr", "0", "0", "0", "40", "10.0.0.1", kKeyA, "[unknown]"};
  ASSERT_TRUE(QueueKick(queue, anna, std::string(400, 'r'), 0xFF01, true));
  ASSERT_TRUE(QueueBan(queue, anna, 3600, "camping", 0, false));
  Command slots[kQueueSlots];
  queue.Snapshot(slots);
  EXPECT_EQ(slots[0].code, kCmdKick);
  EXPECT_EQ(slots[0].due, clock_.CalendarSeconds() + kKickBanDelaySeconds);
  EXPECT_EQ(slots[0].number, 0xFF01);
  EXPECT_EQ(slots[1].due, clock_.CalendarSeconds());
  EXPECT_EQ(std::string(slots[1].text), std::string("3\xFF"
                                                    "Anna\xFF"
                                                    "10.0.0.1\xFF") +
                                            kKeyA +
                                            "\xFF[unknown]\xFF"
                                            "3600\xFF"
                                            "camping\xFF");
  // Cut to fit, the kick still names Anna when it runs; she is gone, so nothing is done.
  EXPECT_FALSE(bans_->KickCommand(slots[0].text, "operator", "console"));
  EXPECT_TRUE(Logged("Couldn't kick player Anna! Player id 3 is no longer that player."));
}

}  // namespace
}  // namespace varnholt::testing
