#include "settings/live_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "settings/setting_forms.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

int Row(const char* key) {
  int row = SettingRowOf(key);
  EXPECT_GE(row, 0) << key;
  return row;
}

// A read-back response as the server writes it: one line per asked key, in the server's
// units, each ended by a line feed. Keys not given answer with their default's console form.
std::string Response(const std::map<std::string, std::string>& answers) {
  std::string response;
  for (int row : ReadBackRows()) {
    std::string key(kSettingDefs[row].console_key);
    auto it = answers.find(key);
    if (it != answers.end()) {
      response += it->second + "\n";
    } else {
      std::string form;
      EXPECT_TRUE(FormatConsoleForm(row, DefaultSettingValue(row), &form));
      response += form.substr(key.size() + 1) + "\n";
    }
  }
  return response;
}

SettingValues Defaults() {
  SettingValues values;
  for (int row = 0; row < kSettingCount; ++row) values[row] = DefaultSettingValue(row);
  return values;
}

bool Store(const std::string& response, SettingValues* values) {
  return StoreReadBackAnswers(SplitReadBackAnswers(response), values);
}

TEST(LiveSettingsTest, ReadRequestAsksForTheTwentyNineLiveKeysInTableOrder) {
  const std::vector<int>& read = ReadBackRows();
  ASSERT_EQ(read.size(), 29u);
  EXPECT_EQ(read.front(), Row("admin.bandwidthChokeLimit"));
  EXPECT_EQ(read.back(), Row("admin.crossHairCenterPoint"));
  // The rule that picks them agrees with each row's declared part in the exchange.
  for (int row = 0; row < kSettingCount; ++row) {
    bool asked = std::find(read.begin(), read.end(), row) != read.end();
    EXPECT_EQ(asked, kSettingDefs[row].live == LiveRole::kPushRead) << SettingName(row);
  }
  std::string request = BuildReadSettingsRequest();
  EXPECT_EQ(request.substr(0, 60),
            "admin.bandwidthChokeLimit\nadmin.maxAllowedConnectionType\nadm");
  EXPECT_EQ(request.back(), '\n');
  for (const char* absent :
       {"admin.setNrOfRounds", "admin.setTicketRatio", "admin.delayBeforeStartingGame",
        "physics.gravity", "admin.toggleGamePause", "manager."}) {
    EXPECT_EQ(request.find(absent), std::string::npos) << absent;
  }
}

TEST(LiveSettingsTest, ReadBackConvertsFromTheServersUnits) {
  SettingValues values = Defaults();
  ASSERT_TRUE(Store(Response({{"admin.timeLimit", "90"},
                              {"admin.soldierFFRatio", "1.50"},
                              {"admin.kickback", "0.57"},
                              {"admin.spawnDelayPenaltyForTK", "2.5"},
                              {"admin.maxAllowedConnectionType", "ctcable256kbps"}}),
                    &values));
  EXPECT_EQ(values[Row("admin.timeLimit")].int_value, 1);
  EXPECT_EQ(values[Row("admin.soldierFFRatio")].int_value, 150);
  EXPECT_EQ(values[Row("admin.kickback")].int_value, 57);
  EXPECT_EQ(values[Row("admin.spawnDelayPenaltyForTK")].int_value, 25);
  EXPECT_EQ(values[Row("admin.maxAllowedConnectionType")].text, "ctcable256kbps");
  ASSERT_TRUE(Store(Response({{"admin.timeLimit", "59"}}), &values));
  EXPECT_EQ(values[Row("admin.timeLimit")].int_value, 0);
}

TEST(LiveSettingsTest, AnEmptyAnswerKeepsItsRowAndLaterAnswersTheirs) {
  SettingValues values = Defaults();
  values[Row("admin.scoreLimit")].int_value = 33;
  std::string response = Response({{"admin.scoreLimit", ""}, {"admin.timeToNextWave", "40"}});
  ASSERT_NE(response.find("\n\n"), std::string::npos);
  ASSERT_TRUE(Store(response, &values));
  EXPECT_EQ(values[Row("admin.scoreLimit")].int_value, 33);
  EXPECT_EQ(values[Row("admin.timeToNextWave")].int_value, 40);
  EXPECT_EQ(values[Row("admin.crossHairCenterPoint")].int_value, 1);

  // Carriage returns before the line feeds change nothing.
  std::string crlf = Response({{"admin.timeToNextWave", "41"}});
  for (size_t i = 0; (i = crlf.find('\n', i)) != std::string::npos; i += 2) crlf.insert(i, "\r");
  ASSERT_TRUE(Store(crlf, &values));
  EXPECT_EQ(values[Row("admin.timeToNextWave")].int_value, 41);
}

TEST(LiveSettingsTest, TooFewOrTooManyAnswersStoreNothing) {
  std::string response = Response({{"admin.timeToNextWave", "40"}});
  const SettingValues before = Defaults();
  SettingValues values = before;
  // One answer missing: the server answered some command with nothing at all.
  std::string missing = response.substr(response.find('\n') + 1);
  EXPECT_FALSE(Store(missing, &values));
  EXPECT_FALSE(Store(response + "extra\n", &values));
  EXPECT_FALSE(Store("", &values));
  EXPECT_FALSE(Store("1", &values));
  EXPECT_TRUE(values == before);

  EXPECT_EQ(SplitReadBackAnswers("7"), std::vector<std::string>{"7"});
  EXPECT_EQ(SplitReadBackAnswers("7\n\n8"), (std::vector<std::string>{"7", "", "8"}));
}

TEST(LiveSettingsTest, ReadBackKeepsValuesInsideTheirBounds) {
  SettingValues values = Defaults();
  values[Row("admin.maxAllowedConnectionType")].text = "CTCable128Kbps";
  values[Row("admin.spawnDelayPenaltyForTK")].int_value = 15;
  ASSERT_TRUE(Store(Response({{"admin.timeLimit", "9000"},  // 150 minutes
                              {"admin.votingTime", "-5"},
                              {"admin.externalViews", "2"},
                              {"admin.soldierFFRatio", "7.5"},
                              {"admin.voteKickPlayerMajority", "0"},
                              {"admin.spawnDelayPenaltyForTK", "inf"},
                              {"admin.maxAllowedConnectionType", "CTCarrierPigeon"}}),
                    &values));
  EXPECT_EQ(values[Row("admin.timeLimit")].int_value, 120);
  EXPECT_EQ(values[Row("admin.votingTime")].int_value, 0);
  EXPECT_EQ(values[Row("admin.externalViews")].int_value, 1);
  EXPECT_EQ(values[Row("admin.soldierFFRatio")].int_value, 200);
  EXPECT_EQ(values[Row("admin.voteKickPlayerMajority")].int_value, 1);
  EXPECT_EQ(values[Row("admin.spawnDelayPenaltyForTK")].int_value, 15);  // not a number
  EXPECT_EQ(values[Row("admin.maxAllowedConnectionType")].text, "CTCable128Kbps");

  StoreQueryValue(rows::kNumberOfRounds, "25", &values);
  StoreQueryValue(rows::kTicketRatio, "150", &values);
  EXPECT_EQ(values[rows::kNumberOfRounds].int_value, 10);
  EXPECT_EQ(values[rows::kTicketRatio].int_value, 150);
}

TEST(LiveSettingsTest, ApplySendsOnlyChangedLiveRowsInTheirConsoleForm) {
  SettingsSnapshot snapshot{Defaults()};
  SettingValues values = snapshot.rows;
  EXPECT_EQ(BuildApplySettingsRequest(values, snapshot), "");

  values[Row("admin.soldierFFRatio")].int_value = 150;
  values[Row("admin.timeLimit")].int_value = 20;
  values[Row("admin.voteMapMajority")].int_value = 75;
  values[Row("admin.setNrOfRounds")].int_value = 0;
  values[Row("admin.maxAllowedConnectionType")].text = "CTModem56Kbps";
  // Never pushed: gravity, the pause switch, our own rows and file-only rows.
  values[rows::kPhysicsGravity].int_value = 9;
  values[Row("admin.toggleGamePause")].int_value = 1;
  values[Row("manager.autoKickPingValue")].int_value = 300;
  EXPECT_EQ(BuildApplySettingsRequest(values, snapshot),
            "admin.maxAllowedConnectionType CTModem56Kbps\n"
            "admin.setNrOfRounds 0\n"
            "admin.timeLimit 1200\n"
            "admin.soldierFFRatio 1.5\n"
            "admin.voteMapMajority 0.75\n");
}

}  // namespace
}  // namespace varnholt
