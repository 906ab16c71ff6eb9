// Smart balance with its hysteresis: engaged at a difference of manager.smartBalanceValue,
// released at one, unchanged in between, and retried when the server did not answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canned_server.h"
#include "gamelink/player_list.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::CannedServer;
using testing::RemoteLine;
using testing::StatusPlayer;
using testing::StatusText;

constexpr const char* kEngageLog =
    "Smart-balance is enabled and teams are unbalanced, engaging auto-team-balance.";
constexpr const char* kReleaseLog =
    "Smart-balance is enabled and teams are balanced, disengaging auto-team-balance.";
constexpr const char* kEngageMessage =
    "admin.serverMessage \"[VRNH] Teams are unbalanced, engaging auto-team-balance\"";
constexpr const char* kReleaseMessage =
    "admin.serverMessage \"[VRNH] Teams are balanced, disengaging auto-team-balance\"";

class SmartBalanceTest : public ::testing::Test {
 protected:
  SmartBalanceTest() : log_(folder_.path(), clock_), list_(log_, settings_) {
    settings_.InitSettings();
    settings_.SetInt("manager.smartBalance", 1);
    settings_.SetInt("manager.smartBalanceValue", 3);
  }

  // A server with `team1` players in vyr and `team2` in dak, and a bot.
  bool Rebuild(int team1, int team2) {
    std::vector<StatusPlayer> status;
    std::string lines;
    for (int i = 0; i < team1 + team2; ++i) {
      std::string name = "p" + std::to_string(i);
      status.push_back({name, i < team1 ? 1 : 2});
      lines += RemoteLine(i, name, "10.0.0.1");
    }
    status.push_back({"Bot", 2});
    server_.status = StatusText(status);
    server_.players = lines + testing::BotLine(60, "Bot");
    server_.commands.clear();
    return list_.GetPlayerList(server_.Link());
  }
  size_t LogCount(const std::string& text) const {
    std::string log = folder_.Read("Varnholt.log");
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  testing::TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  PlayerList list_;
  CannedServer server_;
};

TEST_F(SmartBalanceTest, EngagesOnceHoldsInBetweenAndReleasesWhenEven) {
  ASSERT_TRUE(Rebuild(9, 6));
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(server_.OtherCommands(),
            (std::vector<std::string>{"admin.autoBalanceTeam 1", kEngageMessage}));
  EXPECT_EQ(list_.TeamCountsText(), "6 / 9 / 15");

  ASSERT_TRUE(Rebuild(9, 6));  // still apart: nothing is sent again
  EXPECT_TRUE(server_.OtherCommands().empty());
  ASSERT_TRUE(Rebuild(8, 6));  // between the thresholds: stays engaged
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_TRUE(server_.OtherCommands().empty());

  ASSERT_TRUE(Rebuild(7, 7));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_EQ(server_.OtherCommands(),
            (std::vector<std::string>{"admin.autoBalanceTeam 0", kReleaseMessage}));
  ASSERT_TRUE(Rebuild(8, 6));  // released stays released below the limit
  EXPECT_TRUE(server_.OtherCommands().empty());
  EXPECT_EQ(LogCount(kEngageLog), 1u);
  EXPECT_EQ(LogCount(kReleaseLog), 1u);
}

TEST_F(SmartBalanceTest, TeamsWithinOnePlayerReleaseIt) {
  // With an odd number of players the server's own balance ends one apart; waiting for
  // equal teams would leave its auto-balance on for good.
  ASSERT_TRUE(Rebuild(9, 6));
  ASSERT_TRUE(Rebuild(8, 7));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_EQ(server_.OtherCommands(),
            (std::vector<std::string>{"admin.autoBalanceTeam 0", kReleaseMessage}));
}

TEST_F(SmartBalanceTest, FollowsTheLimitAndTheMessageOption) {
  settings_.SetInt("manager.smartBalanceValue", 5);
  list_.SetAdminMessages(false);
  ASSERT_TRUE(Rebuild(4, 8));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  ASSERT_TRUE(Rebuild(3, 8));
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(server_.OtherCommands(),
            (std::vector<std::string>{
                "admin.autoBalanceTeam 1",
                "game.sayAll \"[VRNH] Teams are unbalanced, engaging auto-team-balance\""}));

  std::vector<std::string> announced;
  list_.SetAnnouncer([&](const std::string& text) { announced.push_back(text); });
  ASSERT_TRUE(Rebuild(5, 6));
  EXPECT_EQ(announced,
            (std::vector<std::string>{"[VRNH] Teams are balanced, disengaging auto-team-balance"}));
}

TEST_F(SmartBalanceTest, AFailedSwitchIsLoggedAndRetried) {
  server_.commands_answer = false;
  ASSERT_TRUE(Rebuild(9, 6));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_EQ(server_.OtherCommands(), (std::vector<std::string>{"admin.autoBalanceTeam 1"}));
  EXPECT_EQ(LogCount("Couldn't enable auto-team-balance! The command failed."), 1u);

  server_.commands_answer = true;
  ASSERT_TRUE(Rebuild(9, 6));
  EXPECT_TRUE(list_.SmartBalanceEngaged());

  server_.commands_answer = false;
  ASSERT_TRUE(Rebuild(7, 7));
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(LogCount("Couldn't disable auto-team-balance! The command failed."), 1u);

  // A disconnect forgets the switch; the next connection starts released.
  list_.ClearOnDisconnect();
  EXPECT_FALSE(list_.SmartBalanceEngaged());
}

TEST_F(SmartBalanceTest, OffMeansNoSwitching) {
  settings_.SetInt("manager.smartBalance", 0);
  ASSERT_TRUE(Rebuild(12, 0));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_TRUE(server_.OtherCommands().empty());
}

}  // namespace
}  // namespace varnholt
