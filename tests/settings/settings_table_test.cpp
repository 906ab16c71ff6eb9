#include "settings/settings_table.h"

#include <gtest/gtest.h>

#include <set>

namespace varnholt {
namespace {

namespace rows = setting_rows;

// The files and live columns are kept as data; they must agree with the rules the writers
// and the live exchange follow, or one of the two is wrong.
TEST(SettingsTableDef, FilesAndLiveColumnsAgreeWithKeys) {
  int read_back = 0;
  for (int row = 0; row < kSettingCount; ++row) {
    const SettingDef& def = kSettingDefs[row];
    SCOPED_TRACE(SettingName(row));
    bool server_console = !def.console_key.empty() && !IsManagerKey(def.console_key);
    EXPECT_EQ((def.files & kFileServer) != 0,
              !def.file_key.empty() && row != rows::kServerContentCheck);
    EXPECT_EQ((def.files & (kFileAutoexec | kFileAutoexecGravity)) != 0, server_console);
    EXPECT_EQ((def.files & kFileAutoexecGravity) != 0, row == rows::kPhysicsGravity);
    EXPECT_EQ((def.files & kFileManager) != 0, def.page != kPageNone);
    bool pushed =
        server_console && row != rows::kPhysicsGravity && def.type != SettingType::kPresence;
    EXPECT_EQ(def.live != LiveRole::kNone, pushed);
    if (def.live == LiveRole::kPushRead) ++read_back;
    EXPECT_TRUE(def.file_key.empty() || def.file_key.substr(0, 5) == "game.");
  }
  EXPECT_EQ(read_back, 29);
}

TEST(SettingsTableDef, RowsSitWhereOthersLookForThem) {
  EXPECT_EQ(kSettingDefs.size(), 87u);
  EXPECT_EQ(SettingRowOf("manager.autoKickPingValue"), 77);
  EXPECT_EQ(SettingRowOf("GAME.SERVERIP"), 2);
  EXPECT_EQ(SettingRowOf("admin.spawnWaveTime"), 25);
  EXPECT_EQ(SettingRowOf("game.enableFreeCamera"), 63);
  EXPECT_EQ(SettingRowOf("no.such.key"), -1);
  std::set<int> critical;
  for (int row = 0; row < kSettingCount; ++row) {
    if (kSettingDefs[row].critical) critical.insert(row);
  }
  EXPECT_EQ(critical, (std::set<int>{2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14}));
  // Keys are unique, so a lookup by key finds its own row.
  for (int row = 0; row < kSettingCount; ++row) {
    if (!kSettingDefs[row].console_key.empty()) {
      EXPECT_EQ(SettingRowOf(kSettingDefs[row].console_key), row);
    }
    if (!kSettingDefs[row].file_key.empty()) {
      EXPECT_EQ(SettingRowOf(kSettingDefs[row].file_key), row);
    }
  }
}

TEST(SettingsTableDef, SettingNamePrefersFileKey) {
  EXPECT_STREQ(SettingName(0), "game.serverName");
  EXPECT_STREQ(SettingName(12), "game.serverBandwidthChokeLimit");
  EXPECT_STREQ(SettingName(3), "manager.bindAllIntefaces");
  EXPECT_STREQ(SettingName(87), "[bad index]");
  EXPECT_STREQ(SettingName(-1), "[bad index]");
}

TEST(SettingsTable, InitAndResetGiveDefaults) {
  SettingsTable table;
  EXPECT_EQ(table.GetText("game.serverName"), "AFSERVER");
  EXPECT_EQ(table.GetText("admin.bandwidthChokeLimit"), "0");
  EXPECT_EQ(table.GetText("game.serverMaxAllowedConnectionType"), "CTLanT1");
  EXPECT_EQ(table.GetInt("admin.voteMapMajority"), 60);
  EXPECT_EQ(table.GetInt("physics.gravity"), 4);
  EXPECT_EQ(table.GetText("manager.statFilePath"), "statistics.csv");
  EXPECT_EQ(table.GetText("game.setServerWelcomeMessage"), "");
  EXPECT_EQ(table.GetAddress("game.serverIP"), 0u);

  table.SetInt("manager.autoKickPingValue", 250);
  table.SetText("game.serverName", "Mine");
  table.SetInt(rows::kToggleGamePause, 1);
  table.ResetSettingsToDefaults(0xC0A8000A);
  EXPECT_EQ(table.GetInt("manager.autoKickPingValue"), 500);
  EXPECT_EQ(table.GetText(rows::kServerName), "AFSERVER");
  EXPECT_EQ(table.GetInt(rows::kToggleGamePause), 0);
  EXPECT_EQ(table.GetAddress(rows::kServerIp), 0xC0A8000Au);
  table.InitSettings();
  EXPECT_EQ(table.GetAddress(rows::kServerIp), 0u);
}

TEST(SettingsTable, AccessorsIgnoreUnknownKeysAndCapText) {
  SettingsTable table;
  EXPECT_FALSE(table.SetInt("no.such.key", 5));
  EXPECT_EQ(table.GetInt("no.such.key"), 0);
  EXPECT_EQ(table.GetText(200), "");
  table.SetInt(-1, 9);  // ignored, must not crash
  EXPECT_TRUE(table.SetText("manager.statFilePath", std::string(400, 'x')));
  EXPECT_EQ(table.GetText(rows::kStatFilePath).size(), kSettingTextMax);
  EXPECT_TRUE(table.SetAddress("game.serverIP", 0xFFFFFFFF));
  EXPECT_EQ(table.GetAddress(rows::kServerIp), 0xFFFFFFFFu);
}

TEST(SettingsTable, SnapshotTracksChangesByType) {
  SettingsTable table;
  table.TakeSnapshot();
  EXPECT_TRUE(table.RowsChangedSinceSnapshot().empty());
  table.SetInt(rows::kAutoKickPingValue, 300);
  // A stray number on a text row is not a change; a text with other case is.
  table.SetInt(rows::kServerName, 7);
  table.SetText(rows::kConsolePassword, "lanterns");
  EXPECT_EQ(table.RowsChangedSinceSnapshot(),
            (std::vector<int>{rows::kConsolePassword, rows::kAutoKickPingValue}));
  EXPECT_EQ(table.GetSnapshot().rows[rows::kAutoKickPingValue].int_value, 500);
  table.TakeSnapshot();
  EXPECT_TRUE(table.RowsChangedSinceSnapshot().empty());
}

}  // namespace
}  // namespace varnholt
