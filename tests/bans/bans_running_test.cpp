// Bans, kicks, unbans and timed-ban expiry while the game server runs: everything goes
// through console commands of the real game link to the real ashfront-sim, and what the
// server holds afterwards is asked back over the same console.
#include <gtest/gtest.h>

#include "bans_fixture.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "support/child_process.h"

namespace varnholt::testing {
namespace {

class BansRunningTest : public BansTest {
 protected:
  void Start(std::vector<std::string> options) {
    options.push_back(std::string("--player=Anna|1|40|10.0.0.1:5000|") + kKeyA + "|" + kGuidA);
    options.push_back(std::string("--player=Bob|2|50|10.0.0.2:5001|") + kKeyB);
    ASSERT_TRUE(sim_.Start(options, /*punkbuster=*/true));
    UseSim(sim_);
    ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
    ASSERT_TRUE(players_.GetPlayerList(link_));
    running_ = true;
    pb_installed_ = true;
    pb_enabled_ = true;
  }
  int Id(const char* name) { return link_.FindPlayerByExactName(name); }
  std::string Ask(const std::string& command) {
    std::string answer;
    EXPECT_TRUE(link_.RunConsoleCommand(command, &answer)) << command;
    return answer;
  }

  SimServer sim_;
};

TEST_F(BansRunningTest, BanByIdBanByValueAndKicks) {
  Start({});
  const int anna = Id("Anna");
  const int bob = Id("Bob");
  ASSERT_GE(anna, 0);
  ASSERT_GE(bob, 0);

  // Anna is on the server: one command bans her keyhash; her GUID goes to PunkBuster.
  ASSERT_TRUE(bans_->BanCommand(BanText(anna, "Anna", "10.0.0.1", kKeyA, kGuidA, 0, "cheat"),
                                "operator", "console"));
  EXPECT_NE(Ask("admin.listBannedKeys").find(kKeyA), std::string::npos);
  EXPECT_EQ(Ask("admin.listBannedAddresses").find("10.0.0.1"), std::string::npos);
  ASSERT_EQ(list_.Size(), 1u);
  EXPECT_EQ(list_.Records()[0].address, "");
  EXPECT_EQ(list_.Records()[0].keyhash, kKeyA);
  EXPECT_EQ(list_.Records()[0].guid, kGuidA);
  EXPECT_TRUE(Logged(std::string("Ban added on GUID ") + kGuidA + "."));
  EXPECT_EQ(Id("Anna"), -1);

  // Bob's id with another name: the address is banned by value and Bob stays.
  ASSERT_TRUE(bans_->BanCommand(BanText(bob, "Carl", "10.0.0.9", "[unknown]", "[unknown]", 0, "r"),
                                "bob", "10.1.1.1"));
  EXPECT_NE(Ask("admin.listBannedAddresses").find("10.0.0.9"), std::string::npos);
  EXPECT_EQ(Id("Bob"), bob);

  // A delayed kick meant for someone else who held Bob's id does nothing.
  notes_.clear();
  EXPECT_FALSE(bans_->KickCommand(KickText(bob, "spam", "Zed", kKeyA), "operator", "console"));
  EXPECT_TRUE(Logged("Couldn't kick player Zed! Player id " + std::to_string(bob) +
                     " is no longer that player."));
  EXPECT_TRUE(notes_.empty());
  ASSERT_TRUE(
      bans_->KickCommand(KickText(bob, "spam, again", "Bob", kKeyB), "operator", "console"));
  EXPECT_TRUE(Logged(std::string("User operator at console kicked player Bob (") + kKeyB +
                     ") at 10.0.0.2 for spam; again."));
  EXPECT_TRUE(sim_.WaitForOutput("Bob was kicked (PunkBuster kick)"));
  EXPECT_EQ(notes_, (std::vector<std::pair<uint32_t, std::string>>{{kNotifyPlayerKicked, "Bob"}}));
  EXPECT_EQ(Id("Bob"), -1);
}

TEST_F(BansRunningTest, ExpiryLiftsOnlyWhatNoLiveBanCovers) {
  Start({});
  clock_.SetCalendarSeconds(1'700'000'000);
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "T1", "10.0.0.7", "", "", 60, "r"), "op", "c"));
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "P", "10.0.0.7", "", "", 0, "r"), "op", "c"));
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "T2", "", kKeyB, "", 120, "r"), "op", "c"));
  ASSERT_EQ(list_.Size(), 3u);

  clock_.AdvanceSeconds(59);
  ASSERT_TRUE(bans_->ExpireTimedBans());
  EXPECT_EQ(list_.Size(), 3u);

  clock_.AdvanceSeconds(1);  // T1 is due at its expiry second
  ASSERT_TRUE(bans_->ExpireTimedBans());
  EXPECT_TRUE(Logged("Removed timed-ban on player T1 (), the ban has expired."));
  EXPECT_NE(Ask("admin.listBannedAddresses").find("10.0.0.7"), std::string::npos);
  ASSERT_EQ(list_.Size(), 2u);
  EXPECT_EQ(list_.Records()[0].player, "P");

  clock_.AdvanceSeconds(60);
  ASSERT_TRUE(bans_->ExpireTimedBans());
  EXPECT_EQ(Ask("admin.listBannedKeys").find(kKeyB), std::string::npos);
  EXPECT_TRUE(Logged(std::string("Ban removed on keyhash ") + kKeyB + "."));
  ASSERT_EQ(list_.Size(), 1u);
  EXPECT_EQ(ReadFile(files_.server_ban_list), "\"P\",10.0.0.7,*,*,\"op\",1700000000,0,r\n");

  // The permanent ban goes by hand.
  ASSERT_TRUE(bans_->UnbanCommand(UnbanText("P", "10.0.0.7", "", ""), "op", "c"));
  EXPECT_EQ(Ask("admin.listBannedAddresses").find("10.0.0.7"), std::string::npos);
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(BansRunningTest, ClearEmptiesTheServerAndPunkBuster) {
  CreateFolders(sim_.folder() + "/pb");  // where the server keeps its GUID bans
  Start({});
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "X", "10.0.0.8", kKeyA, kGuidA, 0, "r"), "op", "c"));
  const std::string guid_file = sim_.folder() + "/pb/pbbans.dat";
  ASSERT_TRUE(
      WaitUntil([&] { return ReadFile(guid_file).find(kGuidA) != std::string::npos; }, 5000));
  ASSERT_TRUE(bans_->ClearCommand("op", "c"));
  EXPECT_EQ(Ask("admin.listBannedAddresses").find("10.0.0.8"), std::string::npos);
  EXPECT_EQ(Ask("admin.listBannedKeys").find(kKeyA), std::string::npos);
  EXPECT_TRUE(
      WaitUntil([&] { return ReadFile(guid_file).find(kGuidA) == std::string::npos; }, 5000));
  EXPECT_EQ(list_.Size(), 0u);
}

}  // namespace
}  // namespace varnholt::testing

namespace varnholt::testing {
namespace {

TEST_F(BansRunningTest, OneFailingCommandFailsOnlyItsIdentity) {
  Start({"--fault=fail-command:admin.addKeyToBanList"});
  ASSERT_TRUE(bans_->BanCommand(BanText(-1, "Eve", "10.0.0.5", kKeyB, "", 0, "r"), "op", "c"));
  EXPECT_TRUE(Logged("Ban added on address 10.0.0.5."));
  EXPECT_TRUE(Logged(std::string("Couldn't ban keyhash ") + kKeyB + "! The command failed."));
  ASSERT_EQ(list_.Size(), 1u);
  EXPECT_EQ(list_.Records()[0].address, "10.0.0.5");
  EXPECT_EQ(list_.Records()[0].keyhash, "");

  // The link comes back for the next Command; a kick whose command fails says so.
  ASSERT_TRUE(console_.ConsoleConnect());
  EXPECT_NE(Ask("admin.listBannedAddresses").find("10.0.0.5"), std::string::npos);
  Ask("sim.fail-command admin.kickPlayer");
  pb_enabled_ = false;
  const int bob = Id("Bob");
  EXPECT_FALSE(bans_->KickCommand(KickText(bob, "spam"), "op", "c"));
  EXPECT_TRUE(Logged("Couldn't kick player Bob! The command failed."));
  EXPECT_TRUE(notes_.empty() || notes_.back().first != kNotifyPlayerKicked);
}

}  // namespace
}  // namespace varnholt::testing

namespace varnholt::testing {
namespace {

TEST_F(BansRunningTest, AnEndedBanOnlyInTheFileIsLiftedOnce) {
  Start({});
  Ask("admin.addAddressToBanList 10.9.8.7:0 Perm");
  WriteFile(files_.server_ban_list, "\"Anna\",10.9.8.7,*,*,\"operator\",1,2,test\n");
  ASSERT_TRUE(bans_->ExpireTimedBans());
  EXPECT_EQ(Ask("admin.listBannedAddresses").find("10.9.8.7"), std::string::npos);
  EXPECT_EQ(ReadFile(files_.server_ban_list), "");
  const std::string log_before = LogText();
  ASSERT_TRUE(bans_->ExpireTimedBans());
  EXPECT_EQ(LogText(), log_before);
}

}  // namespace
}  // namespace varnholt::testing
