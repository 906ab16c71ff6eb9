// GetPlayerList over canned server texts: the join by exact name, the summary texts, the
// failures, hostile counts, and the lookups the auto-admin and ban code rely on.
#include "gamelink/player_list.h"

#include <gtest/gtest.h>

#include <string>

#include "canned_server.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::CannedServer;
using testing::RemoteLine;
using testing::StatusText;

constexpr const char* kHashA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

class PlayerListTest : public ::testing::Test {
 protected:
  PlayerListTest() : log_(folder_.path(), clock_), list_(log_, settings_) {
    settings_.InitSettings();
    list_.SetDebug(true);
  }
  bool Logged(const std::string& text) const {
    return folder_.Read("Varnholt.log").find(text) != std::string::npos;
  }
  PlayerRecord Row(int id) const {
    PlayerRecord r;
    EXPECT_TRUE(list_.FindPlayerById(id, &r)) << id;
    return r;
  }
  std::vector<int> Ids() const {
    std::vector<int> out;
    for (const PlayerRecord& r : list_.Rows()) out.push_back(r.id);
    return out;
  }

  testing::TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  PlayerList list_;
  CannedServer server_;
};

TEST_F(PlayerListTest, JoinsEachPlayerToHisOwnStatusIndex) {
  // "anna"/"Anna" differ only in case, "Bob" is a prefix of "Bobby", "Twin" is there twice,
  // the bot counts in numplayers but is no row, and "Newcomer" joined after the status query.
  server_.status = StatusText({{"Bobby", 2, 11, 90},
                               {"Anna", 1, 20, 30},
                               {"Bot", 2, 99, 0},
                               {"anna", 2, -3, 140},
                               {"Bob", 1, 7, 45},
                               {"Twin", 1, 1, 10},
                               {"Twin", 2, 2, 20}});
  server_.players = RemoteLine(0, "Bob", "10.0.0.1", kHashA) + "Id:1 - Bot is an AI bot\n" +
                    RemoteLine(2, "anna", "10.0.0.2") + RemoteLine(3, "Anna", "10.0.0.3") +
                    RemoteLine(4, "Bobby", "10.0.0.4") + RemoteLine(5, "Twin", "10.0.0.5") +
                    RemoteLine(6, "Twin", "10.0.0.6") + RemoteLine(7, "Newcomer", "10.0.0.7");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  EXPECT_EQ(Ids(), (std::vector<int>{0, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Row(0),
            (PlayerRecord{"Bob", 0, "vyr", "7", "", "", "45", "10.0.0.1", kHashA, "[unknown]"}));
  EXPECT_EQ(Row(2).ping, "140");
  EXPECT_EQ(Row(2).team, "dak");
  EXPECT_EQ(Row(3).ping, "30");
  EXPECT_EQ(Row(3).keyhash, "[unknown]");
  EXPECT_EQ(Row(4).score, "11");
  EXPECT_EQ(Row(5).ping, "10");
  EXPECT_EQ(Row(6).ping, "10");  // the same name takes the first index
  EXPECT_EQ(Row(7), (PlayerRecord{"Newcomer", 7, "", "", "", "", "", "10.0.0.7", "[unknown]", ""}));
  EXPECT_EQ(list_.PlayerGuidById(7), "[unknown]");
  EXPECT_TRUE(Logged("DEBUG: Couldn't determine index of player Newcomer!"));
  EXPECT_EQ(list_.TeamCountsText(), "2 / 4 / 7");
  EXPECT_EQ(list_.TeamScoresText(), "8 / 29 / 37");

  server_.players = "\n";  // nobody on the server
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), 0u);
  EXPECT_EQ(list_.TeamCountsText(), "0 / 0 / 0");
  EXPECT_EQ(list_.TeamScoresText(), "0 / 0 / 0");
}

TEST_F(PlayerListTest, FailuresLeaveTheListEmptyOrPartlyFilled) {
  server_.status = StatusText({{"Anna", 1, 5}});
  server_.players = RemoteLine(0, "Anna", "10.0.0.1");
  server_.connected = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(GetLastErrorCode(), 1251u);
  server_.connected = true;
  server_.status_answers = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_TRUE(Logged("DEBUG: GetPlayerList: Couldn't get server status! "));
  server_.status_answers = true;
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  server_.status = "\\hostname\\x\\";
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_TRUE(Logged("DEBUG: Couldn't find \"numplayers\" in status!"));
  server_.status = StatusText({{"Anna", 1, 5}});
  server_.players_answer = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), 0u);
  EXPECT_TRUE(Logged("DEBUG: Couldn't get player list! The command failed. "));
  server_.players_answer = true;

  // The rows before a broken line stay; the summary texts are the last good ones.
  server_.players = RemoteLine(0, "Anna", "10.0.0.1") + "Id:1 - Broken is remote\n" +
                    RemoteLine(2, "Carl", "10.0.0.2");
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(Ids(), (std::vector<int>{0}));
  EXPECT_EQ(list_.TeamCountsText(), "0 / 1 / 1");
  EXPECT_TRUE(Logged("DEBUG: Couldn't get player list! Parse error."));
}

TEST_F(PlayerListTest, HostileCountsAndValuesStayBounded) {
  // A player count far beyond any server, scores that overflow an int, too many lines.
  server_.status =
      "\\numplayers\\2147483647\\player_0\\Anna\\score_0\\99999999999\\team_0\\1\\"
      "player_1\\Carl\\score_1\\99999999999\\team_1\\1\\";
  server_.players = RemoteLine(1000, "Anna", "1.1.1.1") + RemoteLine(1001, "Carl", "1.1.1.2");
  for (int i = 0; i < 300; ++i) server_.players += RemoteLine(i, "P", "10.0.0.1");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), kMaxPlayerRows);
  EXPECT_EQ(list_.TeamScoresText(), "0 / 2147483647 / 2147483647");
}

TEST_F(PlayerListTest, LookupsRemovalAndSorting) {
  server_.status = StatusText({{"Abe", 1, 9}, {"Gabby", 2, 10}, {"bob", 1, -2}, {"Bob", 2}});
  server_.players = RemoteLine(3, "Abe", "10.0.0.10", kHashA) + RemoteLine(4, "Gabby", "10.0.0.9") +
                    RemoteLine(7, "bob", "9.255.0.1") + RemoteLine(8, "Bob", "10.0.0.1") +
                    RemoteLine(9, "Late", "10.0.0.2");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  EXPECT_EQ(list_.PlayerNameById(4), "Gabby");
  EXPECT_EQ(list_.PlayerAddressById(3), "10.0.0.10");
  EXPECT_EQ(list_.PlayerKeyhashById(3), kHashA);
  for (int id : {-1, 0, 5, 64, 1 << 30}) {
    EXPECT_EQ(list_.PlayerNameById(id) + list_.PlayerAddressById(id) + list_.PlayerKeyhashById(id) +
                  list_.PlayerGuidById(id),
              "[unknown][unknown][unknown][unknown]");
  }
  // A search by part of a name must be unambiguous; an identity is the whole name.
  EXPECT_EQ(list_.FindPlayerByName("ab"), -1);
  EXPECT_EQ(list_.FindPlayerByName("GAB"), 4);
  EXPECT_EQ(list_.FindPlayersContaining("b"), (std::vector<int>{3, 4, 7, 8}));
  EXPECT_EQ(list_.FindPlayerByExactName("Bob"), 8);
  EXPECT_EQ(list_.FindPlayerByExactName("bob"), 7);
  for (const char* other : {"BOB", "Bo", "Abe ", ""}) {
    EXPECT_EQ(list_.FindPlayerByExactName(other), -1) << other;
  }

  list_.SetSortOrder(PlayerColumn::kScore, true);
  EXPECT_EQ(Ids(), (std::vector<int>{4, 3, 8, 7, 9}));  // 10 before 9; no score last
  list_.SetSortOrder(PlayerColumn::kAddress, false);
  EXPECT_EQ(Ids(), (std::vector<int>{7, 8, 9, 4, 3}));
  list_.SetSortOrder(PlayerColumn::kName, false);
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));  // the order holds for the next rebuild
  EXPECT_EQ(Ids(), (std::vector<int>{3, 8, 7, 4, 9}));

  ASSERT_TRUE(list_.RemovePlayer(4));
  EXPECT_FALSE(list_.RemovePlayer(4));
  EXPECT_EQ(list_.FindPlayerByName("ab"), 3);
  ASSERT_TRUE(list_.MarkPing(3, "*"));
  EXPECT_EQ(Row(3).ping, "50*");
  list_.ClearOnDisconnect();
  EXPECT_EQ(list_.RowCount(), 0u);
}

}  // namespace
}  // namespace varnholt
