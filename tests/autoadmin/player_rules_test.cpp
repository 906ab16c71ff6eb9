// The rules of the monitor tick over a scripted player list: what is said, queued, notified
// and logged for each player, and who is left alone.
#include <gtest/gtest.h>

#include "autoadmin_fixture.h"

namespace varnholt::testing {
namespace {

class PlayerRulesTest : public AutoAdminTest {
 protected:
  void SetUp() override {
    settings_.SetInt("manager.autoKickScore", 1);
    settings_.SetInt("manager.autoKickScoreValue", 6);
    settings_.SetInt("manager.autoKickPing", 1);
    settings_.SetInt("manager.autoKickPingValue", 400);
    settings_.SetInt("manager.highPingWarnings", 1);
    settings_.SetInt("manager.autoKickWord", 1);
    Words("idiot\n");
  }
  std::vector<uint32_t> Codes(const std::vector<Queued>& q) {
    std::vector<uint32_t> codes;
    for (const Queued& c : q) codes.push_back(c.code);
    return codes;
  }
};

TEST_F(PlayerRulesTest, NameThenScoreWithTheFirstMatchingRuleOnly) {
  delay_ = true;
  link_.players = {Player(0, "Idiot", "-20", "999"), Player(1, "Ann", "-6"), Player(2, "Ben", "-5"),
                   Player(3, "Cid", "3", "400")};
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(Codes(q), (std::vector<uint32_t>{kCmdKick, kCmdKick}));
  EXPECT_EQ(q[0].text, KickText(0, "banned word in name", "Idiot", link_.players[0].keyhash));
  EXPECT_EQ(q[0].due, clock_.CalendarSeconds() + kKickBanDelaySeconds);
  EXPECT_EQ(q[1].text, KickText(1, "minus-score", "Ann", link_.players[1].keyhash));
  // Announced at once, in list order; Cid, examined after both kicks, is warned.
  EXPECT_EQ(link_.commands,
            (std::vector<std::string>{
                "admin.serverMessage \"[VRNH] Kicking Idiot for banned word in player name\"",
                "admin.serverMessage \"[VRNH] Kicking Ann for minus-score\"",
                "admin.serverMessage \"[VRNH] Cid ping 400 exceeds maximum of 400 for 1 times\""}));
  EXPECT_EQ(notes_, (std::vector<std::pair<uint32_t, std::string>>{
                        {kNotifyAutoKickedWord, "Idiot"}, {kNotifyAutoKickedMinusScore, "Ann"}}));
  EXPECT_TRUE(Logged("Auto-kicked Idiot (" + link_.players[0].keyhash +
                     ") at 10.0.0.1 for banned word in player name."));
  EXPECT_TRUE(Logged("Auto-kicked Ann (" + link_.players[1].keyhash +
                     ") at 10.0.0.2 for minus-score (-6)."));
  EXPECT_EQ(marks_, (std::vector<std::string>{"3*"}));

  // Next tick, before the kicks ran: the two are not punished again.
  link_.commands.clear();
  notes_.clear();
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  EXPECT_TRUE(TakeQueued().empty());
  EXPECT_TRUE(notes_.empty());
  EXPECT_EQ(link_.commands.size(), 1u);  // Cid's second warning
}

TEST_F(PlayerRulesTest, HighPingWarnsThreeTimesThenKicksAndALowCheckStartsAgain) {
  admin_messages_ = false;
  link_.players = {Player(5, "Dan", "0", "450")};
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(admin_->ApplyPlayerRules());
  link_.players[0].ping = "399";  // one check below the limit
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  link_.players[0].ping = "450";
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(admin_->ApplyPlayerRules());
  EXPECT_TRUE(TakeQueued().empty());
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(Codes(q), (std::vector<uint32_t>{kCmdKick}));
  EXPECT_EQ(q[0].due, clock_.CalendarSeconds());
  EXPECT_EQ(link_.commands,
            (std::vector<std::string>{
                "game.sayAll \"[VRNH] Dan ping 450 exceeds maximum of 400 for 1 times\"",
                "game.sayAll \"[VRNH] Dan ping 450 exceeds maximum of 400 for 2 times\"",
                "game.sayAll \"[VRNH] Dan ping 450 exceeds maximum of 400 for 1 times\"",
                "game.sayAll \"[VRNH] Dan ping 450 exceeds maximum of 400 for 2 times\"",
                "game.sayAll \"[VRNH] Dan ping 450 exceeds maximum of 400 for 3 times\"",
                "game.sayAll \"[VRNH] Kicking Dan for high-ping\""}));
  EXPECT_EQ(notes_,
            (std::vector<std::pair<uint32_t, std::string>>{{kNotifyAutoKickedPing, "Dan"}}));
  EXPECT_TRUE(Logged("Auto-kicked Dan (" + link_.players[0].keyhash +
                     ") at 10.0.0.6 for high-ping (450)."));
}

TEST_F(PlayerRulesTest, WithoutWarningsTheFourthCheckStillKicksAndCountsBelongToThePlayer) {
  settings_.SetInt("manager.highPingWarnings", 0);
  link_.players = {Player(5, "Dan", "0", "500"), Player(70, "Far", "0", "900")};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(admin_->ApplyPlayerRules());
  EXPECT_TRUE(link_.commands.empty());
  // Dan left; Eve took id 5 and starts from zero.
  link_.players[0] = Player(5, "Eve", "0", "500");
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  EXPECT_TRUE(TakeQueued().empty());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(admin_->ApplyPlayerRules());
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].text, KickText(5, "high-ping", "Eve", link_.players[0].keyhash));
  // An id beyond the 64 slots has no count and is left alone by the ping rule.
  EXPECT_EQ(link_.commands,
            (std::vector<std::string>{"admin.serverMessage \"[VRNH] Kicking Eve for high-ping\""}));
}

TEST_F(PlayerRulesTest, RepeatedMinusScoreIsBannedOnceTheCountIsReached) {
  settings_.SetInt("manager.autoBan", 1);
  settings_.SetInt("manager.autoBanValue", 2);
  link_.players = {Player(2, "Gus", "-7")};
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  EXPECT_EQ(Codes(TakeQueued()), (std::vector<uint32_t>{kCmdKick}));
  clock_.SetCalendarSeconds(clock_.CalendarSeconds() + 60);  // he came back
  notes_.clear();
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  std::vector<Queued> q = TakeQueued();
  ASSERT_EQ(q.size(), 1u);
  const PlayerRecord& gus = link_.players[0];
  EXPECT_EQ(q[0].code, kCmdBan);
  EXPECT_EQ(q[0].text,
            BanText(2, "Gus", gus.address, gus.keyhash, "", 0, "too many kicks for minus-score"));
  EXPECT_EQ(link_.commands.back(),
            "admin.serverMessage \"[VRNH] Banned Gus for too many minus-score kicks\"");
  EXPECT_EQ(notes_,
            (std::vector<std::pair<uint32_t, std::string>>{{kNotifyAutoBannedMinusScore, "Gus"}}));
  EXPECT_TRUE(Logged("Auto-banned Gus (" + gus.keyhash + ") at 10.0.0.3 for minus-score (-7)."));
}

TEST_F(PlayerRulesTest, NamesCannotBreakOutOfTheAnnouncementAndADisconnectStopsAll) {
  link_.players = {Player(1, "x\"\nadmin.banPlayer 2 idiot", "0")};
  ASSERT_TRUE(admin_->ApplyPlayerRules());
  ASSERT_EQ(link_.commands.size(), 1u);
  EXPECT_EQ(link_.commands[0].find('\n'), std::string::npos);
  EXPECT_EQ(link_.commands[0].find('"', 22), link_.commands[0].size() - 1);

  link_.connected = false;
  link_.commands.clear();
  link_.players = {Player(1, "idiot")};
  EXPECT_FALSE(admin_->ApplyPlayerRules());
  EXPECT_TRUE(link_.commands.empty());
}

}  // namespace
}  // namespace varnholt::testing
