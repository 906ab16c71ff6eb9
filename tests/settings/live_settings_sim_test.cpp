// The live settings exchange through the real console and status query clients against the
// ashfront-sim process over loopback.
#include <gtest/gtest.h>

#include "gamelink/game_link_clients.h"
#include "gamelink_harness.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "settings/live_settings.h"

namespace varnholt::testing {
namespace {

// The program's link over the real clients, counting the exchanges.
class CountingLink final : public GameLinkClients {
 public:
  using GameLinkClients::GameLinkClients;
  bool RunConsoleCommand(std::string_view command, std::string* response) override {
    ++exchanges;
    return GameLinkClients::RunConsoleCommand(command, response);
  }
  int exchanges = 0;
};

class LiveSettingsSimTest : public GameLinkTest {
 protected:
  LiveSettingsSimTest()
      : players_(log_, settings_), link_(console_, status_, players_), live_(settings_, link_) {}

  bool Connect() {
    if (!sim_.Start({})) return false;
    UseSim(sim_);
    settings_.TakeSnapshot();  // as start-up does after loading
    ConsoleHooks hooks;
    hooks.read_settings = [this] { return live_.ReadSettingsFromServer(); };
    console_.SetHooks(hooks);
    return console_.ConsoleConnect();
  }
  std::string Ask(const std::string& key) {
    const std::string* answer = console_.RunConsoleText(key);
    return answer == nullptr ? "(none)" : *answer;
  }

  SimServer sim_;
  PlayerList players_;
  CountingLink link_;
  LiveSettings live_;
};

TEST_F(LiveSettingsSimTest, AChangePushedLiveIsHeldByTheServerAndReadBackUnchanged) {
  ASSERT_TRUE(Connect()) << ErrorText(GetLastErrorCode());
  ASSERT_EQ(link_.exchanges, 1);  // the read-back of the connection sync
  EXPECT_TRUE(settings_.RowsChangedSinceSnapshot().empty());

  // Nothing changed: no exchange at all.
  ASSERT_TRUE(live_.ApplySettingsToServer());
  EXPECT_EQ(link_.exchanges, 1);

  settings_.SetInt("admin.timeLimit", 25);
  settings_.SetInt("admin.soldierFFRatio", 150);
  settings_.SetInt("admin.vehicleFFRatioOnSplash", 57);
  settings_.SetInt("admin.voteMapMajority", 75);
  settings_.SetInt("admin.kickbackOnSplash", 57);
  settings_.SetInt("admin.spawnDelayPenaltyForTK", 25);
  settings_.SetText("admin.maxAllowedConnectionType", "CTCable256Kbps");
  settings_.SetInt("admin.setNrOfRounds", 5);
  settings_.SetInt("admin.setTicketRatio", 150);
  const SettingValues pushed = settings_.CopyValues();
  ASSERT_TRUE(live_.ApplySettingsToServer());
  EXPECT_EQ(link_.exchanges, 2);
  EXPECT_TRUE(settings_.RowsChangedSinceSnapshot().empty());

  // The server holds them in its own units.
  EXPECT_EQ(Ask("admin.timeLimit"), "1500\n");
  EXPECT_EQ(Ask("admin.soldierFFRatio"), "1.50\n");
  EXPECT_EQ(Ask("admin.voteMapMajority"), "0.75\n");

  // Read back over a table that forgot them, they come back exactly as pushed.
  settings_.InitSettings();
  ASSERT_TRUE(status_.QueryServerStatus(status_.StatusPort(), "\\info\\"));
  ASSERT_TRUE(live_.ReadSettingsFromServer());
  const SettingValues read = settings_.CopyValues();
  for (int row = 0; row < kSettingCount; ++row) {
    if (kSettingDefs[row].live == LiveRole::kNone) continue;
    if (row == setting_rows::kGameStartDelay) continue;  // pushed, never read back
    EXPECT_EQ(read[row], pushed[row]) << SettingName(row);
  }
  ASSERT_TRUE(live_.ApplySettingsToServer());
  EXPECT_EQ(link_.exchanges, 3);  // the last read-back; the push sent nothing
}

}  // namespace
}  // namespace varnholt::testing
