// Smart balance with its hysteresis: engaged at a difference of manager.smartBalanceValue,
// released within one player, unchanged in between, retried when the server did not answer.
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

using Commands = std::vector<std::string>;

constexpr const char* kEngage = "admin.autoBalanceTeam 1";
constexpr const char* kRelease = "admin.autoBalanceTeam 0";
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

  // `team1` players in vyr, `team2` in dak, and a bot in dak that counts for neither.
  Commands Rebuild(int team1, int team2) {
    std::vector<testing::StatusPlayer> status;
    server_.players.clear();
    for (int i = 0; i < team1 + team2; ++i) {
      status.push_back({"p" + std::to_string(i), i < team1 ? 1 : 2});
      server_.players += testing::RemoteLine(i, status.back().name, "10.0.0.1");
    }
    status.push_back({"Bot", 2});
    server_.status = testing::StatusText(status);
    server_.players += "Id:60 - Bot is an AI bot\n";
    server_.commands.clear();
    EXPECT_TRUE(list_.GetPlayerList(server_.Link()));
    return server_.commands;
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
  testing::CannedServer server_;
};

TEST_F(SmartBalanceTest, EngagesOnceHoldsInBetweenAndReleasesWhenEven) {
  EXPECT_EQ(Rebuild(9, 6), (Commands{kEngage, kEngageMessage}));
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(Rebuild(9, 6), Commands{});  // still apart: nothing is sent again
  EXPECT_EQ(Rebuild(8, 6), Commands{});  // between the thresholds
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(Rebuild(7, 7), (Commands{kRelease, kReleaseMessage}));
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_EQ(Rebuild(8, 6), Commands{});  // released stays released below the limit
  EXPECT_EQ(LogCount("Smart-balance is enabled and teams are unbalanced, engaging "
                     "auto-team-balance."),
            1u);
  EXPECT_EQ(LogCount("Smart-balance is enabled and teams are balanced, disengaging "
                     "auto-team-balance."),
            1u);

  // With an odd number of players the server's own balance ends one apart; waiting for
  // equal teams would leave its auto-balance on for good.
  Rebuild(9, 6);
  EXPECT_EQ(Rebuild(8, 7), (Commands{kRelease, kReleaseMessage}));
}

TEST_F(SmartBalanceTest, FailedSwitchesAreLoggedAndRetried) {
  server_.commands_answer = false;
  EXPECT_EQ(Rebuild(9, 6), Commands{kEngage});
  EXPECT_FALSE(list_.SmartBalanceEngaged());
  EXPECT_EQ(LogCount("Couldn't enable auto-team-balance! The command failed."), 1u);
  server_.commands_answer = true;
  list_.SetAdminMessages(false);
  EXPECT_EQ(Rebuild(9, 6),
            (Commands{kEngage,
                      "game.sayAll \"[VRNH] Teams are unbalanced, engaging auto-team-balance\""}));

  server_.commands_answer = false;
  EXPECT_EQ(Rebuild(7, 7), Commands{kRelease});
  EXPECT_TRUE(list_.SmartBalanceEngaged());
  EXPECT_EQ(LogCount("Couldn't disable auto-team-balance! The command failed."), 1u);
  list_.ClearOnDisconnect();  // a new connection starts released
  EXPECT_FALSE(list_.SmartBalanceEngaged());

  settings_.SetInt("manager.smartBalance", 0);
  EXPECT_EQ(Rebuild(12, 0), Commands{});
}

}  // namespace
}  // namespace varnholt
