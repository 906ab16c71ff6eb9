// The status query port of the substitute server.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "sim_harness.h"
#include "support/free_port.h"

namespace varnholt::testing {
namespace {

using ::testing::Contains;
using ::testing::Key;
using ::testing::Not;

class SimStatusTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Query(bool rules, bool players, bool teams) {
    std::string reply;
    std::map<std::string, std::string> values;
    EXPECT_TRUE(QueryStatus(sim_.query_port(), rules, players, teams, &reply));
    EXPECT_TRUE(ParseStatusReply(reply, rules, players, teams, &values));
    return values;
  }
  SimGameFolder folder_;
  SimProcess sim_;
};

TEST_F(SimStatusTest, StatusReportsRulesPlayersAndTeams) {
  folder_.WriteSetting("ServerAutoexec.con",
                       "admin.enableRemoteConsole admin s3cret 0\n"
                       "admin.timeLimit 1200\nadmin.setNrOfRounds -1\nadmin.setTicketRatio 1.50\n");
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--static", "--chat-every=0", "--player=Bob|1|80",
                                          "--player=Back\\slash|2|30", "--bots=1"}));
  std::map<std::string, std::string> v = Query(true, true, true);
  EXPECT_EQ(v["hostname"], "Sim Test");
  EXPECT_EQ(v["hostport"], "15567");
  EXPECT_EQ(v["gamever"], "v1.1");
  EXPECT_EQ(v["numplayers"], "3");
  EXPECT_EQ(v["maxplayers"], "16");
  EXPECT_EQ(v["mapname"], "harbor");
  EXPECT_EQ(v["gametype"], "conquest");
  EXPECT_EQ(v["game_id"], "ashfront");
  EXPECT_EQ(v["gamemode"], "playing");
  EXPECT_EQ(v["sv_punkbuster"], "0");
  EXPECT_EQ(v["password"], "0");
  EXPECT_EQ(v["roundTimeRemain"], "1200");
  EXPECT_EQ(v["Number Of Rounds"], "0");
  EXPECT_EQ(v["Ticket Ratio"], "150");
  EXPECT_EQ(v["tickets_t0"], "450");
  EXPECT_EQ(v["tickets1"], "450");
  EXPECT_EQ(v["number_of_rounds"], "0");
  EXPECT_EQ(v["timelimit"], "1200");
  EXPECT_EQ(v["player_0"], "Bob");
  EXPECT_EQ(v["ping_0"], "80");
  EXPECT_EQ(v["team_0"], "1");
  EXPECT_EQ(v["score_0"], "0");
  EXPECT_EQ(v["kills_0"], "0");
  EXPECT_EQ(v["deaths_0"], "0");
  // A backslash would end the value early in the manager's backslash-delimited text.
  EXPECT_EQ(v["player_1"], "Back/slash");
  EXPECT_EQ(v["team_1"], "2");
  EXPECT_EQ(v["team_t0"], "vyr");
  EXPECT_EQ(v["team_t1"], "dak");

  std::map<std::string, std::string> info = Query(true, false, false);
  EXPECT_EQ(info["numplayers"], "3");
  EXPECT_THAT(info, Not(Contains(Key("player_0"))));
  std::map<std::string, std::string> players = Query(false, true, true);
  EXPECT_EQ(players["player_2"].substr(0, 6), "Grunt1");
  EXPECT_THAT(players, Not(Contains(Key("hostport"))));
}

TEST_F(SimStatusTest, StateChangesShowInTheReply) {
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--static", "--chat-every=0"}));
  ConsoleClient console;
  ASSERT_EQ(console.Login(sim_.console_port(), "admin", "s3cret"), 1);
  std::vector<std::string> out;
  ASSERT_TRUE(console.Run("admin.toggleGamePause\nadmin.setTicketRatio 2.0", &out));
  EXPECT_EQ(Query(true, false, false)["gamemode"], "pause");
  ASSERT_TRUE(console.Run("admin.toggleGamePause\nadmin.runNextLevel", &out));
  std::map<std::string, std::string> v = Query(true, false, false);
  EXPECT_EQ(v["gamemode"], "playing");
  EXPECT_EQ(v["mapname"], "dunes");
  EXPECT_EQ(v["gametype"], "coop");
  EXPECT_EQ(v["tickets_t1"], "600");
  EXPECT_EQ(v["roundTimeRemain"], "-1");
  ASSERT_TRUE(console.Run("sim.end-round", &out));
  EXPECT_EQ(Query(true, false, false)["gamemode"], "end");
  ASSERT_TRUE(console.Run("sim.join Late|2", &out));
  EXPECT_EQ(Query(false, true, true)["player_0"], "Late");
}

TEST_F(SimStatusTest, RoundsEndAndTheRotationMovesOn) {
  folder_.WriteSetting("ServerAutoexec.con",
                       "admin.enableRemoteConsole admin s3cret 0\n"
                       "admin.setNrOfRounds 1\nadmin.timeBeforeRestartMap 0\n");
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--tick-ms=10", "--round-seconds=1", "--players=4"}));
  bool moved_on = WaitUntil([&] { return Query(true, false, false)["mapname"] == "dunes"; });
  EXPECT_TRUE(moved_on);
  EXPECT_EQ(Query(true, false, false)["gametype"], "coop");
}

TEST_F(SimStatusTest, HostServerChoosesTheInternetOrTheLanPort) {
  int internet_port = FreePort(SOCK_DGRAM);
  folder_.WriteSetting("ServerSettings.con",
                       "game.serverIP 127.0.0.1\ngame.serverInternet 0\ngame.gameSpyPort " +
                           std::to_string(internet_port) + "\ngame.gameSpyLANPort 0\n");
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--static"}));  // +hostServer 1 wins over the file
  EXPECT_EQ(sim_.query_port(), internet_port);
  sim_.Kill();
  SimProcess lan;
  ASSERT_TRUE(lan.Start(folder_.path(), {"--static", "+hostServer", "0"}));
  EXPECT_NE(lan.query_port(), internet_port);
}

TEST_F(SimStatusTest, WithoutTheConsoleLineThereIsNoConsoleButStillAStatus) {
  folder_.WriteSetting("ServerAutoexec.con", "admin.timeLimit 600\n");
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--static"}));
  EXPECT_TRUE(sim_.WaitForOutput("Remote console disabled", 1000));
  EXPECT_EQ(sim_.console_port(), 0);
  EXPECT_EQ(Query(true, false, false)["timelimit"], "600");
}

TEST(SimStartTest, AMissingSettingsFolderEndsTheStart) {
  SimGameFolder folder;
  std::filesystem::remove_all(folder.path() + "/Mods");
  SimProcess sim;
  EXPECT_FALSE(sim.Start(folder.path(), {}));
  int status = 0;
  ASSERT_TRUE(sim.WaitExit(kPatienceMs, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_THAT(sim.Output(), ::testing::HasSubstr("Settings folder"));
}

TEST_F(SimStatusTest, OtherDatagramsGetNoAnswerAndDoNotDisturb) {
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--static", "--chat-every=0"}));
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(sim_.query_port()));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (const std::string& junk :
       {std::string("\\status\\"), std::string("\xFE\xFD", 2), std::string(3000, '\xFE')}) {
    sendto(fd, junk.data(), junk.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  pollfd p{fd, POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 200), 0);
  close(fd);
  EXPECT_EQ(Query(true, false, false)["hostport"], "15567");
}

// A client of the protocol written by others reads the same rules and players.
TEST_F(SimStatusTest, QuakestatListsRulesAndPlayers) {
  if (!std::filesystem::exists("/usr/bin/quakestat")) GTEST_SKIP() << "qstat is not installed";
  folder_.WriteSetting("ServerSettings.con", "game.serverName \"Quake check\"\n");
  folder_.WriteSetting("ServerAutoexec.con", "admin.enableRemoteConsole admin s3cret 0\n");
  ASSERT_TRUE(sim_.Start(
      folder_.path(), {"--static", "--chat-every=0", "--player=Bob|1|80", "--player=Alice|2|30"}));
  std::string command =
      "quakestat -gs2 127.0.0.1:" + std::to_string(sim_.query_port()) + " -R -P -raw ';' 2>&1";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    pclose(pipe);
  }
  // The server line: name, map, maximum and current players.
  EXPECT_THAT(out, ::testing::HasSubstr(";Quake check;harbor;"));
  EXPECT_THAT(out, ::testing::HasSubstr("gamever=v1.1"));
  EXPECT_THAT(out, ::testing::HasSubstr("gamemode=playing"));
  // One line per player: name, score, ping, team.
  EXPECT_THAT(out, ::testing::HasSubstr("\nBob;0;80;"));
  EXPECT_THAT(out, ::testing::HasSubstr("\nAlice;0;30;"));
}

}  // namespace
}  // namespace varnholt::testing

namespace varnholt::testing {
namespace {

// Held figures survive the simulation's fighting, wandering pings and a new round; the
// others keep moving. A raw chat line may name anyone.
TEST_F(SimStatusTest, HeldPingAndScoreStayWhileTheGameGoesOn) {
  ASSERT_TRUE(sim_.Start(folder_.path(), {"--tick-ms=20", "--chat-every=0", "--player=Bob|1|80",
                                          "--player=Eve|2|80", "--player=Ann|1|80"}));
  ConsoleClient console;
  ASSERT_EQ(console.Login(sim_.console_port(), "admin", "s3cret"), 1);
  std::vector<std::string> out;
  ASSERT_TRUE(console.Run("sim.hold-ping Bob 600\nsim.hold-score Bob -9", &out));
  EXPECT_EQ(out, (std::vector<std::string>{"Ping of Bob held at 600", "Score of Bob held at -9"}));
  ASSERT_TRUE(console.Run("sim.hold-ping Nobody 5\nsim.hold-score Bob lots", &out));
  EXPECT_EQ(out, (std::vector<std::string>{"No such player: Nobody",
                                           "Usage: hold-score <who> <score>|off"}));
  bool eve_moved = WaitUntil([&] {
    std::map<std::string, std::string> v = Query(false, true, false);
    return v["ping_1"] != "80";
  });
  EXPECT_TRUE(eve_moved);
  ASSERT_TRUE(console.Run("sim.end-round", &out));
  std::map<std::string, std::string> v = Query(false, true, false);
  EXPECT_EQ(v["player_0"], "Bob");
  EXPECT_EQ(v["ping_0"], "600");
  EXPECT_EQ(v["score_0"], "-9");

  ASSERT_TRUE(console.Run("sim.chat-raw ALL Ghost: boo\nsim.hold-ping Bob off", &out));
  // Chat rides along after the first output line.
  EXPECT_EQ(out, (std::vector<std::string>{"Ping of Bob released", "##--0ALL Ghost: boo"}));
}

}  // namespace
}  // namespace varnholt::testing
