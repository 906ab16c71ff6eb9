// GetPlayerList over canned server texts: the join by exact name, the summary texts, the
// failures, and the lookups the auto-admin and ban code use.
#include "gamelink/player_list.h"

#include <gtest/gtest.h>

#include <string>

#include "canned_server.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "platform/last_error.h"
#include "settings/settings_table.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::BotLine;
using testing::CannedServer;
using testing::RemoteLine;
using testing::StatusText;

constexpr const char* kHashA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
constexpr const char* kHashB = "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";

class PlayerListTest : public ::testing::Test {
 protected:
  PlayerListTest() : log_(folder_.path(), clock_), list_(log_, settings_) {
    settings_.InitSettings();
    list_.SetDebug(true);
  }
  std::string LogText() const { return folder_.Read("Varnholt.log"); }
  PlayerRecord Row(int id) const {
    PlayerRecord r;
    EXPECT_TRUE(list_.FindPlayerById(id, &r)) << id;
    return r;
  }

  testing::TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  PlayerList list_;
  CannedServer server_;
};

TEST_F(PlayerListTest, JoinsEachPlayerToHisOwnStatusIndex) {
  // Status order differs from console order; "anna" and "Anna" differ only in case, "Bob" is
  // a prefix of "Bobby", and the bot counts in numplayers but is no row.
  server_.status = StatusText({{"Bobby", 2, 11, 90},
                               {"Anna", 1, 20, 30},
                               {"Bot Sergeant", 2, 99, 0},
                               {"anna", 2, -3, 140},
                               {"Bob", 1, 7, 45}});
  server_.players = RemoteLine(0, "Bob", "10.0.0.1", kHashA) + BotLine(1, "Bot Sergeant") +
                    RemoteLine(2, "anna", "10.0.0.2", kHashB) + RemoteLine(3, "Anna", "10.0.0.3") +
                    RemoteLine(4, "Bobby", "10.0.0.4", kHashA);
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  ASSERT_EQ(list_.RowCount(), 4u);
  PlayerRecord bob = Row(0);
  EXPECT_EQ(bob.name, "Bob");
  EXPECT_EQ(bob.team, "vyr");
  EXPECT_EQ(bob.score, "7");
  EXPECT_EQ(bob.ping, "45");
  EXPECT_EQ(bob.address, "10.0.0.1");
  EXPECT_EQ(bob.keyhash, kHashA);
  EXPECT_EQ(bob.guid, "[unknown]");
  EXPECT_EQ(Row(2).ping, "140");
  EXPECT_EQ(Row(2).team, "dak");
  EXPECT_EQ(Row(3).ping, "30");
  EXPECT_EQ(Row(3).keyhash, "[unknown]");
  EXPECT_EQ(Row(4).score, "11");
  EXPECT_EQ(list_.TeamCountsText(), "2 / 2 / 4");
  EXPECT_EQ(list_.TeamScoresText(), "8 / 27 / 35");
}

TEST_F(PlayerListTest, APlayerWhoJoinedBetweenTheQueriesIsListedWithoutStatus) {
  server_.status = StatusText({{"Anna", 1, 5}, {"Carl", 2, 4}});
  server_.players = RemoteLine(0, "Anna", "10.0.0.1", kHashA) +
                    RemoteLine(1, "Carl", "10.0.0.2", kHashB) +
                    RemoteLine(2, "Newcomer", "10.0.0.3", kHashB);
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  PlayerRecord newcomer = Row(2);
  EXPECT_EQ(newcomer.name, "Newcomer");
  EXPECT_EQ(newcomer.address, "10.0.0.3");
  EXPECT_EQ(newcomer.keyhash, kHashB);
  EXPECT_EQ(newcomer.team, "");
  EXPECT_EQ(newcomer.score, "");
  EXPECT_EQ(newcomer.ping, "");
  EXPECT_EQ(list_.PlayerGuidById(2), "[unknown]");
  EXPECT_EQ(list_.TeamCountsText(), "1 / 1 / 3");
  EXPECT_EQ(list_.TeamScoresText(), "4 / 5 / 9");
  EXPECT_NE(LogText().find("DEBUG: Couldn't determine index of player Newcomer!"),
            std::string::npos);
}

TEST_F(PlayerListTest, SameNameTwiceTakesTheFirstIndexAndIsNoIdentity) {
  server_.status = StatusText({{"Twin", 1, 3}, {"Twin", 2, 8}});
  server_.players = RemoteLine(5, "Twin", "10.0.0.1") + RemoteLine(6, "Twin", "10.0.0.2");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(Row(5).score, "3");
  EXPECT_EQ(Row(6).score, "3");
  EXPECT_EQ(list_.TeamCountsText(), "0 / 2 / 2");
  // Neither can be told apart by name.
  EXPECT_EQ(list_.FindPlayerByExactName("Twin"), -1);
}

TEST_F(PlayerListTest, EmptyServerGivesZeroTexts) {
  server_.status = StatusText({});
  server_.players = "\n";
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), 0u);
  EXPECT_EQ(list_.TeamCountsText(), "0 / 0 / 0");
  EXPECT_EQ(list_.TeamScoresText(), "0 / 0 / 0");
}

TEST_F(PlayerListTest, FailuresLeaveTheListEmptyOrPartlyFilled) {
  server_.status = StatusText({{"Anna", 1, 5}});
  server_.players = RemoteLine(0, "Anna", "10.0.0.1");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  server_.connected = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(GetLastErrorCode(), 1251u);
  server_.connected = true;

  server_.status_answers = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_NE(LogText().find("DEBUG: GetPlayerList: Couldn't get server status! "),
            std::string::npos);
  server_.status_answers = true;

  server_.status = "\\hostname\\x\\";
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_NE(LogText().find("DEBUG: Couldn't find \"numplayers\" in status!"), std::string::npos);
  EXPECT_EQ(list_.RowCount(), 1u);  // nothing was asked of the console yet

  server_.status = StatusText({{"Anna", 1, 5}});
  server_.players_answer = false;
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), 0u);
  EXPECT_NE(LogText().find("DEBUG: Couldn't get player list! The command failed. "),
            std::string::npos);
  server_.players_answer = true;

  // The rows before the broken line stay; the summary texts are the last good ones.
  server_.players = RemoteLine(0, "Anna", "10.0.0.1") + "Id:1 - Broken is remote\n" +
                    RemoteLine(2, "Carl", "10.0.0.2");
  EXPECT_FALSE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(GetLastErrorCode(), static_cast<uint32_t>(kErrorInvalidData));
  ASSERT_EQ(list_.RowCount(), 1u);
  EXPECT_EQ(list_.PlayerNameById(0), "Anna");
  EXPECT_EQ(list_.TeamCountsText(), "0 / 1 / 1");
  EXPECT_NE(LogText().find("DEBUG: Couldn't get player list! Parse error."), std::string::npos);
}

TEST_F(PlayerListTest, HostileCountsAndValuesStayBounded) {
  // A player count far beyond any server, a score that overflows an int, and a status that
  // lists fewer players than it claims.
  server_.status =
      "\\numplayers\\2147483647\\player_0\\Anna\\score_0\\99999999999\\team_0\\1\\"
      "player_1\\Carl\\score_1\\99999999999\\team_1\\1\\";
  std::string many;
  for (int i = 0; i < 300; ++i) many += RemoteLine(i, "P" + std::to_string(i), "10.0.0.1");
  server_.players =
      RemoteLine(1000, "Anna", "1.1.1.1") + RemoteLine(1001, "Carl", "1.1.1.2") + many;
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(list_.RowCount(), kMaxPlayerRows);
  EXPECT_EQ(Row(1000).score, "99999999999");
  EXPECT_EQ(list_.TeamScoresText(), "0 / 2147483647 / 2147483647");
}

TEST_F(PlayerListTest, LookupsByIdAndName) {
  server_.status = StatusText({{"Abe", 1}, {"Gabby", 2}, {"bob", 1}, {"Bob", 2}});
  server_.players = RemoteLine(3, "Abe", "10.0.0.3", kHashA) + RemoteLine(4, "Gabby", "10.0.0.4") +
                    RemoteLine(7, "bob", "10.0.0.7", kHashB) + RemoteLine(8, "Bob", "10.0.0.8");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));

  EXPECT_EQ(list_.PlayerNameById(4), "Gabby");
  EXPECT_EQ(list_.PlayerAddressById(3), "10.0.0.3");
  EXPECT_EQ(list_.PlayerKeyhashById(3), kHashA);
  EXPECT_EQ(list_.PlayerGuidById(3), "[unknown]");
  for (int id : {-1, 0, 5, 64, 1 << 30}) {
    EXPECT_EQ(list_.PlayerNameById(id), "[unknown]");
    EXPECT_EQ(list_.PlayerAddressById(id), "[unknown]");
    EXPECT_EQ(list_.PlayerKeyhashById(id), "[unknown]");
    EXPECT_EQ(list_.PlayerGuidById(id), "[unknown]");
  }

  // A search by part of a name must be unambiguous.
  EXPECT_EQ(list_.FindPlayerByName("ab"), -1);
  EXPECT_EQ(list_.FindPlayerByName("GAB"), 4);
  EXPECT_EQ(list_.FindPlayersContaining("b"), (std::vector<int>{3, 4, 7, 8}));
  // An identity is the whole name, letter case included.
  EXPECT_EQ(list_.FindPlayerByExactName("Bob"), 8);
  EXPECT_EQ(list_.FindPlayerByExactName("bob"), 7);
  EXPECT_EQ(list_.FindPlayerByExactName("BOB"), -1);
  EXPECT_EQ(list_.FindPlayerByExactName("Bo"), -1);
  EXPECT_EQ(list_.FindPlayerByExactName("Abe "), -1);

  ASSERT_TRUE(list_.RemovePlayer(4));
  EXPECT_FALSE(list_.RemovePlayer(4));
  EXPECT_EQ(list_.FindPlayerByName("ab"), 3);
  ASSERT_TRUE(list_.MarkPing(3, "*"));
  EXPECT_EQ(Row(3).ping, "50*");

  list_.ClearOnDisconnect();
  EXPECT_EQ(list_.RowCount(), 0u);
  list_.SetSummaryUnknown();
  EXPECT_EQ(list_.TeamCountsText(), "??");
}

TEST_F(PlayerListTest, SortsByTheChosenColumnAndKeepsItForTheNextRebuild) {
  server_.status = StatusText({{"b", 1, 9}, {"A", 2, 10}, {"c", 1, -2}});
  server_.players = RemoteLine(1, "b", "10.0.0.10") + RemoteLine(2, "A", "10.0.0.9") +
                    RemoteLine(3, "c", "9.255.0.1") + RemoteLine(4, "late", "10.0.0.1");
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  auto ids = [this] {
    std::vector<int> out;
    for (const PlayerRecord& r : list_.Rows()) out.push_back(r.id);
    return out;
  };
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 4}));
  list_.SetSortOrder(PlayerColumn::kScore, true);
  EXPECT_EQ(ids(), (std::vector<int>{2, 1, 3, 4}));  // 10 before 9; no score last
  list_.SetSortOrder(PlayerColumn::kAddress, false);
  EXPECT_EQ(ids(), (std::vector<int>{3, 4, 2, 1}));
  list_.SetSortOrder(PlayerColumn::kName, false);
  ASSERT_TRUE(list_.GetPlayerList(server_.Link()));
  EXPECT_EQ(ids(), (std::vector<int>{2, 1, 3, 4}));
}

}  // namespace
}  // namespace varnholt
