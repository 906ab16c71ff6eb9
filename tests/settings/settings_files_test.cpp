#include "settings/settings_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/files.h"
#include "platform/last_error.h"
#include "settings/setting_forms.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;
using testing::TempFolder;

class SettingsFilesTest : public ::testing::Test {
 protected:
  SettingsFilesTest() : log_(tmp_.path(), clock_), files_(table_, log_) {
    log_.SetLineObserver([this](const std::string& line) {
      // Keep only the message after "date time : ", without the CR LF.
      size_t start = line.find(" : ");
      logged_.push_back(line.substr(start + 3, line.size() - start - 5));
    });
  }
  bool Load(const std::string& contents, uint32_t mask = kAllPages,
            SettingsUser user = SettingsUser::LocalOperator(), bool audit = false) {
    return files_.LoadSettingsFile(tmp_.Write("In.con", contents), mask, user, audit);
  }
  std::string Save(uint32_t mask = kAllPages) {
    EXPECT_TRUE(files_.SaveSettingsFile(tmp_.Sub("Out.con"), mask));
    return tmp_.Read("Out.con");
  }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable table_;
  SettingsFiles files_;
  std::vector<std::string> logged_;
};

// A value for every row other than its default, valid for the row.
SettingValues NonDefaultValues() {
  SettingValues values;
  for (int row = 0; row < kSettingCount; ++row) {
    const SettingDef& def = kSettingDefs[row];
    SettingValue& v = values[row];
    v = DefaultSettingValue(row);
    switch (def.type) {
      case SettingType::kPresence:
      case SettingType::kBoolean:
        v.int_value = 1 - def.default_int;
        break;
      case SettingType::kText:
        v.text = std::string(static_cast<size_t>(def.high_bound) - 1, 'a') + "Z";
        break;
      case SettingType::kMessageLines:
        v.text = "Hello world\r\nsecond line\r\n";
        break;
      case SettingType::kHundredths:
        v.int_value = def.default_int == 57 ? 58 : 57;
        break;
      case SettingType::kChoice:
        v.text = ChoiceCode(def.default_text, def.default_entry == 1 ? 2 : 1);
        break;
      case SettingType::kAddress:
        v.int_value = static_cast<int32_t>(0xC0A80A0B);
        break;
      default:
        v.int_value = def.default_int == def.high_bound ? def.low_bound : def.high_bound;
        break;
    }
  }
  // Both balances on would switch one off on load.
  values[rows::kSmartBalance].int_value = 0;
  return values;
}

TEST_F(SettingsFilesTest, EveryTypeRoundTripsThroughManagerFile) {
  SettingValues wanted = NonDefaultValues();
  table_.StoreValues(wanted);
  std::string text = Save();
  EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);
  for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1)) {
    ASSERT_EQ(text[i - 1], '\r');
  }
  table_.InitSettings();
  ASSERT_TRUE(Load(text));
  SettingValues got = table_.CopyValues();
  for (int row = 0; row < kSettingCount; ++row) {
    if (kSettingDefs[row].page == kPageNone) continue;
    SCOPED_TRACE(SettingName(row));
    EXPECT_TRUE(SettingValuesEqual(row, got[row], wanted[row]))
        << got[row].int_value << " [" << got[row].text << "]";
  }
  EXPECT_TRUE(logged_.empty()) << logged_.front();
  // The same file read with bare line feeds gives the same table.
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  table_.InitSettings();
  ASSERT_TRUE(Load(lf));
  EXPECT_EQ(table_.CopyValues(), got);
}

TEST_F(SettingsFilesTest, InvalidValuesFallBackToDefaultsWithMessages) {
  table_.SetText(rows::kServerPassword, "secret");
  ASSERT_TRUE(Load(
      "manager.autoKickPing 2\r\ngame.serverMaxPlayers 65\r\nmanager.autoKickScoreValue -30\r\n"
      "game.serverKickback 2.5\r\nadmin.spawnDelayPenaltyForTK 11.0\r\n"
      "game.serverMaxAllowedConnectionType Fast\r\ngame.serverName \"\"\r\n"
      "game.serverPassword\r\nmanager.autoAnnouncePeriod\r\nmanager.highPingWarnings yes\r\n"
      "game.serverBandwidthChokeLimit 64\r\nadmin.voteMapMajority 0.57\r\n"));
  EXPECT_EQ(
      logged_,
      (std::vector<std::string>{
          "Invalid value detected for setting game.serverName, using default AFSERVER.",
          "Invalid value of 65 detected for setting game.serverMaxPlayers, using default 32.",
          "Invalid value of Fast detected for setting game.serverMaxAllowedConnectionType, using "
          "default CTLanT1.",
          "Invalid value of 2.50 detected for setting game.serverKickback, using default 0.00.",
          "Invalid value of 11.0 detected for setting admin.spawnDelayPenaltyForTK, using default "
          "0.0.",
          "Invalid value of -30 detected for setting manager.autoKickScoreValue, using default -6.",
          "Invalid value of 2 detected for setting manager.autoKickPing, using default 0.",
          "Invalid value of 60 detected for setting manager.autoAnnouncePeriod, using default "
          "60."}));
  EXPECT_EQ(table_.GetText(rows::kServerPassword), "");
  EXPECT_EQ(table_.GetInt(rows::kHighPingWarnings), 0);
  EXPECT_EQ(table_.GetText("admin.bandwidthChokeLimit"), "64");
  EXPECT_EQ(table_.GetInt("admin.voteMapMajority"), 57);
  EXPECT_EQ(table_.GetInt(rows::kAutoKickScoreValue), 6);
}

TEST_F(SettingsFilesTest, QuirksOfSingleTypes) {
  ASSERT_TRUE(
      Load("physics.gravity -4\r\nmanager.autoKickScoreValue 8\r\n"
           "game.serverMaxAllowedConnectionType ctlant1\r\n"
           "game.serverName AF Server unquoted\r\n"));
  EXPECT_EQ(table_.GetInt(rows::kPhysicsGravity), 4);
  EXPECT_EQ(table_.GetInt(rows::kAutoKickScoreValue), 8);
  EXPECT_EQ(table_.GetText("admin.maxAllowedConnectionType"), "ctlant1");
  EXPECT_EQ(table_.GetText(rows::kServerName), "AF Server unquoted");
  EXPECT_EQ(table_.GetInt(rows::kToggleGamePause), 0);
  ASSERT_TRUE(Load("physics.gravity 4\r\nadmin.toggleGamePause\r\n"));
  EXPECT_EQ(table_.GetInt(rows::kPhysicsGravity), 4);
  EXPECT_EQ(table_.GetInt(rows::kToggleGamePause), 1);
  ASSERT_TRUE(Load("game.serverName \"x\"\r\n"));
  EXPECT_EQ(table_.GetInt(rows::kToggleGamePause), 0);  // absent clears it
}

TEST_F(SettingsFilesTest, WelcomeMessageLineLimits) {
  const std::string key = "game.setServerWelcomeMessage";
  table_.SetText(key, "Hello world\r\ntyped_under\r\n" + std::string(70, 'x'));
  std::string text = Save(1u << kPageServer);
  EXPECT_NE(text.find(key + " 0 \"Hello_world\"\r\n" + key + " 1 \"typed_under\"\r\n" + key +
                      " 2 \"" + std::string(63, 'x') + "\"\r\n"),
            std::string::npos);
  ASSERT_TRUE(Load(text));
  EXPECT_EQ(table_.GetText(key), "Hello world\r\ntyped under\r\n" + std::string(63, 'x') + "\r\n");
  // A long first line keeps 62 characters.
  ASSERT_TRUE(Load(key + " 0 \"" + std::string(70, 'y') + "\"\r\n" + key + " 4 \"end\"\r\n" + key +
                   " 5 \"dropped\"\r\n"));
  EXPECT_EQ(table_.GetText(key), std::string(62, 'y') + "\r\nend");
  // A text never grows past its buffer.
  std::string many;
  for (int i = 0; i < 12; ++i) many += key + " 1 \"" + std::string(63, 'z') + "\"\r\n";
  ASSERT_TRUE(Load(many));
  EXPECT_LE(table_.GetText(key).size(), kSettingTextMax);
  ASSERT_TRUE(Load("game.serverName \"x\"\r\n"));
  EXPECT_EQ(table_.GetText(key), "");  // absent clears it
}

TEST_F(SettingsFilesTest, ServerAutoexecFile) {
  std::string user(32, 'u'), password(31, 'p');
  password += "!";
  table_.SetText(rows::kConsoleUsername, user);
  table_.SetText(rows::kConsolePassword, password);
  table_.SetInt(rows::kEnableRemoteAdmin, 1);
  table_.SetInt("admin.setNrOfRounds", 0);
  table_.SetInt("admin.timeLimit", 20);
  table_.SetInt("admin.soldierFFRatio", 150);
  table_.SetInt(rows::kToggleGamePause, 1);
  std::string path = tmp_.Sub("ServerAutoexec.con");
  ASSERT_TRUE(files_.WriteServerAutoexecFile(path));
  std::string text = tmp_.Read("ServerAutoexec.con");
  EXPECT_EQ(text.rfind("admin.enableRemoteConsole " + user + " " + password +
                           " 5711\r\n"
                           "admin.enableRemoteAdmin " +
                           password +
                           "\r\n"
                           "admin.bandwidthChokeLimit 0\r\n",
                       0),
            0u);
  for (const char* line : {"admin.setNrOfRounds -1\r\n", "admin.timeLimit 1200\r\n",
                           "admin.soldierFFRatio 1.50\r\n", "admin.toggleGamePause\r\n",
                           "admin.voteMapMajority 0.60\r\n", "game.enableFreeCamera 0\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(text.find("physics.gravity"), std::string::npos);
  EXPECT_EQ(text.find("manager."), std::string::npos);
  table_.SetInt(rows::kGravity, 1);
  ASSERT_TRUE(files_.WriteServerAutoexecFile(path));
  EXPECT_NE(tmp_.Read("ServerAutoexec.con").find("physics.gravity -4\r\n"), std::string::npos);

  // Loading it back as settings sets the console-only rows and switches our console on.
  table_.InitSettings();
  table_.SetInt(rows::kEnableRemoteConsole, 0);
  ASSERT_TRUE(
      files_.LoadSettingsFile(path, 1u << kPageServer, SettingsUser::LocalOperator(), false));
  EXPECT_EQ(table_.GetInt(rows::kEnableRemoteConsole), 1);
  EXPECT_EQ(table_.GetInt(rows::kEnableRemoteAdmin), 1);
}

TEST_F(SettingsFilesTest, ServerSettingsFile) {
  table_.SetAddress(rows::kServerIp, 0xC0A8000A);
  table_.SetInt(rows::kBindAllInterfaces, 1);
  table_.SetInt(rows::kServerContentCheck, 2);
  std::string observed;
  files_.SetServerNameObserver([&](const std::string& name) { observed = name; });
  ASSERT_TRUE(files_.WriteServerSettingsFile(tmp_.Sub("ServerSettings.con")));
  std::string text = tmp_.Read("ServerSettings.con");
  EXPECT_EQ(text.rfind("game.serverName \"AFSERVER\"\r\ngame.serverDedicated 1\r\n"
                       "game.serverIP 0.0.0.0\r\ngame.serverPort 15567\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("game.serverSpawnTime 15\r\ngame.serverSpawnDelay 5\r\n"
                      "game.serverGameStartDelay 20\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("ContentCheck"), std::string::npos);
  EXPECT_EQ(text.find("admin."), std::string::npos);
  EXPECT_EQ(table_.GetAddress(rows::kServerIp), 0xC0A8000Au);
  EXPECT_EQ(observed, "AFSERVER");
}

TEST_F(SettingsFilesTest, PagesCriticalRightsAuditAndBalance) {
  SettingsUser client{"alice", "10.0.0.5", false};
  table_.SetInt(rows::kAutoBalanceTeams, 1);
  ASSERT_TRUE(
      Load("game.serverIP 10.1.2.3\r\ngame.serverPort 2000\r\ngame.serverName \"N\"\r\n"
           "manager.autoKickScoreValue -8\r\nmanager.smartBalance 1\r\n"
           "manager.autoKickPingValue 200\r\n",
           (1u << kPageServer) | (1u << kPageFriendlyFire) | (1u << kPageMisc), client, true));
  EXPECT_EQ(table_.GetAddress(rows::kServerIp), 0u);  // critical, not allowed
  EXPECT_EQ(table_.GetInt(rows::kServerPort), 15567);
  EXPECT_EQ(table_.GetInt(rows::kAutoKickPingValue), 500);  // Admin page not loaded
  EXPECT_EQ(logged_,
            (std::vector<std::string>{
                "User alice at 10.0.0.5 changed game.serverName from [AFSERVER] to [N].",
                "User alice at 10.0.0.5 changed manager.autoKickScoreValue from -6 to -8.",
                "User alice at 10.0.0.5 changed manager.smartBalance from 0 to 1.",
                "Both auto-balance and smart-balance are enabled, disabling auto-balance."}));
  EXPECT_EQ(table_.GetInt(rows::kAutoBalanceTeams), 0);
  logged_.clear();
  ASSERT_TRUE(
      Load("game.serverIP 10.1.2.3\r\n", 1u << kPageServer, SettingsUser::LocalOperator(), true));
  EXPECT_EQ(logged_,
            (std::vector<std::string>{
                "User operator at console changed game.serverIP from 0.0.0.0 to 10.1.2.3."}));
}

TEST_F(SettingsFilesTest, StartUpCreatesMissingOrEmptyManagerFile) {
  std::string folder = tmp_.Sub("Mods/ashfront/Settings");
  ASSERT_TRUE(files_.LoadManagerSettingsAtStart(folder, 0x0A000002));
  EXPECT_TRUE(logged_.size() == 1 && logged_[0].rfind("Couldn't open settings file! ", 0) == 0);
  std::string text = tmp_.Read("Mods/ashfront/Settings/Varnholt.con");
  EXPECT_NE(text.find("game.serverIP 10.0.0.2\r\n"), std::string::npos);
  EXPECT_EQ(text.find("game.serverDedicated"), std::string::npos);

  tmp_.Write("Mods/ashfront/Settings/Varnholt.con", "");
  table_.InitSettings();
  ASSERT_TRUE(files_.LoadManagerSettingsAtStart(folder, 0x0A000003));
  EXPECT_EQ(table_.GetAddress("game.serverIP"), 0x0A000003u);

  table_.InitSettings();
  table_.SetInt(rows::kServerDedicated, 0);
  ASSERT_TRUE(files_.LoadManagerSettingsAtStart(folder, 0x0A000009));
  EXPECT_EQ(table_.GetAddress("game.serverIP"), 0x0A000003u);  // read, not replaced
  EXPECT_EQ(table_.GetInt(rows::kServerDedicated), 1);

  ASSERT_TRUE(files_.SetServerAddressAndSave(folder, 0x7F000001));
  table_.InitSettings();
  ASSERT_TRUE(files_.LoadManagerSettingsAtStart(folder, 0));
  EXPECT_EQ(table_.GetAddress(rows::kServerIp), 0x7F000001u);
}

TEST_F(SettingsFilesTest, WriteFailuresAreReported) {
  std::string blocker = tmp_.Write("blocker", "a file, not a folder");
  EXPECT_FALSE(files_.SaveSettingsFile(blocker + "/Varnholt.con", kAllPages));
  EXPECT_FALSE(files_.WriteServerSettingsFile(blocker + "/ServerSettings.con"));
  EXPECT_FALSE(files_.WriteServerAutoexecFile(blocker + "/ServerAutoexec.con"));
  ASSERT_EQ(logged_.size(), 3u);
  EXPECT_EQ(logged_[0].rfind("Couldn't open settings file! ", 0), 0u);
  EXPECT_EQ(logged_[1].rfind("Couldn't open server settings file! ", 0), 0u);
  EXPECT_EQ(logged_[2].rfind("Couldn't open server autoexec file! ", 0), 0u);
  logged_.clear();
  std::string folder = tmp_.Sub("folder.con");
  CreateFolders(folder);
  EXPECT_FALSE(files_.LoadSettingsFile(folder, kAllPages, SettingsUser::LocalOperator(), false));
  EXPECT_EQ(logged_.back().rfind("Couldn't open settings file! ", 0), 0u);
  // A manager file that cannot be read for another reason than its absence ends start-up.
  logged_.clear();
  CreateFolders(tmp_.Sub("bad/Varnholt.con"));
  EXPECT_FALSE(files_.LoadManagerSettingsAtStart(tmp_.Sub("bad"), 0));
  EXPECT_EQ(logged_.back().rfind("Couldn't load settings file! " + tmp_.Sub("bad/Varnholt.con"), 0),
            0u);
}

}  // namespace
}  // namespace varnholt
