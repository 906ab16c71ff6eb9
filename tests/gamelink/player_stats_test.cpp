// The statistics CSV and PlayerList.con: headers for a new file, one block per game, the
// join with the player list, values that would shift columns, missing keys and no players,
// the file kept inside the game folder, and the player list snapshot.
#include "gamelink/player_stats.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "gamelink/status_query.h"
#include "platform/clock.h"
#include "platform/last_error.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

class StatsLink : public testing::RecordingGameLink {
 public:
  bool QueryServerStatus(std::string* reply) override {
    *reply = answer;
    return true;
  }
  std::vector<PlayerRecord> Players() const override { return rows; }
  std::string answer;
  std::vector<PlayerRecord> rows;
};

PlayerRecord Row(const std::string& name, const std::string& address, const std::string& hash) {
  PlayerRecord r;
  r.name = name;
  r.id = 3;
  r.team = "vyr";
  r.score = "12";
  r.kills = "4";
  r.deaths = "1";
  r.ping = "40";
  r.address = address;
  r.keyhash = hash;
  r.guid = "";
  return r;
}

// A game that ended with two players; "tickets1" is absent.
std::string EndedGame() {
  return "\\hostname\\My \"Best\" Server\\mapname\\harbor\\gametype\\conquest"
         "\\number_of_rounds\\3\\timelimit\\1800\\tickets2\\15\\team_t0\\vyr\\team_t1\\dak"
         "\\numplayers\\2\\gamemode\\end"
         "\\player_0\\Anna\\team_0\\2\\score_0\\30\\kills_0\\8\\deaths_0\\2\\ping_0\\55"
         "\\player_1\\Bob, the \"Tank\"\\team_1\\7\\score_1\\-3\\kills_1\\0\\deaths_1\\9"
         "\\ping_1\\120\\";
}

class PlayerStatsTest : public ::testing::Test {
 protected:
  PlayerStatsTest()
      : clock_(1700000000),  // 2023-11-14 22:13:20 UTC
        log_(game_.path(), clock_),
        stats_(log_, clock_, link_, game_.path()) {
    stats_.SetDebug(true);
    link_.answer = EndedGame();
    // "anna" and "Anna" differ in case only: the exact name wins.
    link_.rows = {Row("anna", "10.0.0.9", "ffffffffffffffffffffffffffffffff"),
                  Row("Anna", "10.0.0.1", kHash)};
  }
  std::string LogText() const { return testing::ReadFileText(log_.LogPath()); }

  testing::TempFolder game_;
  ManualClock clock_;
  EventLog log_;
  StatsLink link_;
  PlayerStats stats_;
};

TEST_F(PlayerStatsTest, ANewFileGetsHeadersThenOneBlockPerGame) {
  // setenv does not matter: the stamp is UTC whatever the zone.
  setenv("TZ", "Pacific/Auckland", 1);
  ASSERT_TRUE(stats_.LogPlayerStats("statistics.csv")) << GetLastErrorCode();
  unsetenv("TZ");
  const std::string block =
      "2023-11-14,22:13:20,\"My \"\"Best\"\" Server\",harbor,conquest,3,1800,15,???\r\n"
      "\"Anna\",dak,30,8,2,55,10.0.0.1," +
      std::string(kHash) +
      ",[unknown]\r\n"
      "\"Bob, the \"\"Tank\"\"\",unknown,-3,0,9,120,[unknown],[unknown],[unknown]\r\n";
  EXPECT_EQ(game_.Read("statistics.csv"),
            "date,time,server,map,gamemode,rounds,timelimit,axis_tickets,allied_tickets\r\n"
            "player,team,score,kills,deaths,ping,ip,keyhash,pbguid\r\n" +
                block);

  ASSERT_TRUE(stats_.LogPlayerStats("statistics.csv"));
  EXPECT_EQ(
      game_.Read("statistics.csv").substr(game_.Read("statistics.csv").size() - 2 * block.size()),
      block + block);
}

TEST_F(PlayerStatsTest, NamesTheRowsCannotTellApartGetNoIdentity) {
  link_.rows = {Row("ANNA", "10.0.0.9", kHash), Row("anna", "10.0.0.8", kHash)};
  ASSERT_TRUE(stats_.LogPlayerStats("s.csv"));
  EXPECT_NE(game_.Read("s.csv").find("\"Anna\",dak,30,8,2,55,[unknown],[unknown],[unknown]"),
            std::string::npos);
  // One row that differs in case alone is still the player.
  link_.rows = {Row("ANNA", "10.0.0.9", kHash)};
  ASSERT_TRUE(stats_.LogPlayerStats("t.csv"));
  EXPECT_NE(game_.Read("t.csv").find("\"Anna\",dak,30,8,2,55,10.0.0.9,"), std::string::npos);
}

TEST_F(PlayerStatsTest, NoPlayersAndMissingKeysLeaveTheFileAlone) {
  link_.answer = "\\hostname\\x\\numplayers\\0\\";
  EXPECT_FALSE(stats_.LogPlayerStats("statistics.csv"));
  EXPECT_EQ(GetLastErrorCode(), 0u);
  EXPECT_FALSE(testing::FileExists(game_.Sub("statistics.csv")));

  game_.Write("statistics.csv", "earlier\r\n");
  struct Case {
    std::string drop;
    std::string named;
  } cases[] = {{"\\timelimit\\1800", "roundTime"},
               {"\\team_t1\\dak", "teamname_1"},
               {"\\deaths_1\\9", "deaths_1"}};
  for (const Case& c : cases) {
    std::string reply = EndedGame();
    reply.erase(reply.find(c.drop), c.drop.size());
    link_.answer = reply;
    EXPECT_FALSE(stats_.LogPlayerStats("statistics.csv")) << c.named;
    EXPECT_EQ(GetLastErrorCode(), kErrorInvalidData);
    EXPECT_NE(LogText().find("DEBUG: LogPlayerStats: Couldn't get \"" + c.named + "\"!"),
              std::string::npos);
  }
  link_.answer = "\\hostname\\x\\";
  EXPECT_FALSE(stats_.LogPlayerStats("statistics.csv"));
  EXPECT_NE(LogText().find("DEBUG: LogPlayerStats: Couldn't get \"numplayers\"!"),
            std::string::npos);
  // A count no reply can hold is not taken as one.
  link_.answer = "\\numplayers\\100000\\";
  EXPECT_FALSE(stats_.LogPlayerStats("statistics.csv"));
  EXPECT_EQ(game_.Read("statistics.csv"), "earlier\r\n");
}

TEST_F(PlayerStatsTest, TheFileStaysInsideTheGameFolder) {
  testing::TempFolder outside;
  ASSERT_EQ(symlink(outside.path().c_str(), game_.Sub("elsewhere").c_str()), 0);
  ASSERT_EQ(symlink(outside.Sub("stolen.csv").c_str(), game_.Sub("link.csv").c_str()), 0);
  for (const std::string& name :
       {outside.Sub("abs.csv"), std::string("../escape.csv"), std::string("logs/../../x.csv"),
        std::string("..\\win.csv"), std::string("C:\\stats.csv"), std::string("elsewhere/s.csv"),
        std::string("link.csv"), std::string("")}) {
    EXPECT_FALSE(stats_.LogPlayerStats(name)) << name;
    EXPECT_NE(GetLastErrorCode(), 0u) << name;
  }
  EXPECT_NE(LogText().find("Couldn't open CSV log file! "), std::string::npos);
  EXPECT_FALSE(testing::FileExists(outside.Sub("abs.csv")));
  EXPECT_FALSE(testing::FileExists(outside.Sub("s.csv")));
  EXPECT_FALSE(testing::FileExists(outside.Sub("stolen.csv")));

  // A folder of the game folder, named with the Windows separator, is fine.
  game_.Write("Logs/keep", "");
  ASSERT_TRUE(stats_.LogPlayerStats("logs\\stats.csv")) << GetLastErrorCode();
  EXPECT_TRUE(testing::FileExists(game_.Sub("Logs/stats.csv")));
}

TEST_F(PlayerStatsTest, ThePlayerListFileMarksEmptyFields) {
  PlayerRecord lan = Row("Lan, \"Guy\"", "10.0.0.5", "");
  lan.ping = "";
  lan.id = 12;
  link_.rows = {Row("Anna", "10.0.0.1", kHash), lan};
  const std::string path = game_.Write("PlayerList.con", "old contents that are longer\n");
  ASSERT_TRUE(stats_.WritePlayerListFile(path));
  EXPECT_EQ(game_.Read("PlayerList.con"),
            "\"Anna\",3,vyr,12,4,1,40,10.0.0.1," + std::string(kHash) +
                ",*\r\n"
                "\"Lan, \"\"Guy\"\"\",12,vyr,12,4,1,*,10.0.0.5,*,*\r\n");
  link_.rows.clear();
  ASSERT_TRUE(stats_.WritePlayerListFile(path));
  EXPECT_EQ(game_.Read("PlayerList.con"), "");
  EXPECT_FALSE(stats_.WritePlayerListFile(game_.Sub("missing/PlayerList.con")));
  EXPECT_NE(LogText().find("Couldn't open player list file! "), std::string::npos);
}

}  // namespace
}  // namespace varnholt
