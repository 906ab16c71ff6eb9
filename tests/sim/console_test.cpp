// The remote console of the substitute server, spoken to over loopback as the manager does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "platform/files.h"
#include "sim_harness.h"

namespace varnholt::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::vector<std::string> kQuiet = {"--static", "--chat-every=0"};

// The settings the manager reads back after connecting, in its table order.
const char* const kReadBackKeys[] = {"admin.bandwidthChokeLimit",
                                     "admin.maxAllowedConnectionType",
                                     "admin.timeLimit",
                                     "admin.scoreLimit",
                                     "admin.timeToNextWave",
                                     "admin.spawnWaveTime",
                                     "admin.timeBeforeRestartMap",
                                     "admin.soldierFFRatio",
                                     "admin.soldierFFRatioOnSplash",
                                     "admin.vehicleFFRatio",
                                     "admin.vehicleFFRatioOnSplash",
                                     "admin.kickback",
                                     "admin.kickbackOnSplash",
                                     "admin.tkPunishMode",
                                     "admin.banPlayerOnTKKick",
                                     "admin.nrOfTKToKick",
                                     "admin.spawnDelayPenaltyForTK",
                                     "admin.enableKickPlayerVote",
                                     "admin.enableMapVote",
                                     "admin.enableKickTeamPlayerVote",
                                     "admin.autoBalanceTeam",
                                     "admin.votingTime",
                                     "admin.voteMapMajority",
                                     "admin.voteKickPlayerMajority",
                                     "admin.voteKickTeamPlayerMajority",
                                     "admin.externalViews",
                                     "admin.allowNoseCam",
                                     "game.enableFreeCamera",
                                     "admin.crossHairCenterPoint"};

struct ParsedPlayer {
  std::string id, name, address, keyhash;
};

// The reading rules the manager applies to a game.listPlayers line.
bool ParsePlayerLine(const std::string& line, ParsedPlayer* p) {
  size_t colon = line.find(':');
  if (colon == std::string::npos) return false;
  size_t space = line.find(' ', colon + 1);
  if (space == std::string::npos) return false;
  p->id = line.substr(colon + 1, space - colon - 1);
  size_t remote = line.find("is remote");
  if (remote == std::string::npos || remote < space + 4) return false;
  p->name = line.substr(space + 3, remote - 1 - (space + 3));
  if (line.compare(remote + 10, 3, "ip:") != 0) return false;
  size_t start = remote + 14;
  size_t port = line.find(':', start);
  if (port == std::string::npos) return false;
  p->address = line.substr(start, port - start);
  size_t hash = line.find("hash:", port);
  p->keyhash = hash == std::string::npos ? "[unknown]" : line.substr(hash + 5);
  return true;
}

std::vector<ParsedPlayer> ListPlayers(ConsoleClient& console) {
  std::vector<std::string> lines;
  std::vector<ParsedPlayer> players;
  if (!console.Run("game.listPlayers", &lines)) return players;
  for (const std::string& line : lines) {
    if (line.empty() || line.find("is an AI bot") != std::string::npos) continue;
    ParsedPlayer p;
    EXPECT_TRUE(ParsePlayerLine(line, &p)) << line;
    players.push_back(p);
  }
  return players;
}

bool HasPlayer(const std::vector<ParsedPlayer>& players, const std::string& name) {
  for (const ParsedPlayer& p : players) {
    if (p.name == name) return true;
  }
  return false;
}

class SimConsoleTest : public ::testing::Test {
 protected:
  bool StartSim(std::vector<std::string> options) {
    options.insert(options.end(), kQuiet.begin(), kQuiet.end());
    return sim_.Start(folder_.path(), options) &&
           console_.Login(sim_.console_port(), "admin", "s3cret") == 1;
  }
  SimGameFolder folder_;
  SimProcess sim_;
  ConsoleClient console_;
};

TEST_F(SimConsoleTest, LoginChecksTheCredentialsOfTheAutoexecFile) {
  ASSERT_TRUE(StartSim({}));
  ConsoleClient wrong;
  EXPECT_EQ(wrong.Login(sim_.console_port(), "admin", "S3cret"), 0);
  EXPECT_TRUE(wrong.ClosedByServer(kPatienceMs));
  ConsoleClient other_user;
  EXPECT_EQ(other_user.Login(sim_.console_port(), "Admin", "s3cret"), 0);

  // The refuse-login fault turns every login down until it is lifted.
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Run("sim.refuse-login on", &out));
  ConsoleClient refused;
  EXPECT_EQ(refused.Login(sim_.console_port(), "admin", "s3cret"), 0);
  ASSERT_TRUE(console_.Run("sim.refuse-login off", &out));
  ConsoleClient accepted;
  EXPECT_EQ(accepted.Login(sim_.console_port(), "admin", "s3cret"), 1);
}

TEST_F(SimConsoleTest, ReadBackAnswersEverySettingWithOneLineInOrder) {
  folder_.WriteSetting("ServerAutoexec.con",
                       "admin.enableRemoteConsole admin s3cret 0\n"
                       "admin.timeLimit 1200\n"
                       "admin.soldierFFRatio 1.50\n"
                       "admin.voteMapMajority 0.75\n"
                       "admin.maxAllowedConnectionType ctlant1\n"
                       "admin.spawnDelayPenaltyForTK 2.5\n");
  ASSERT_TRUE(StartSim({}));
  std::string request;
  for (const char* key : kReadBackKeys) request += std::string(key) + "\n";
  std::vector<std::string> values;
  ASSERT_TRUE(console_.Run(request, &values));
  ASSERT_EQ(values.size(), std::size(kReadBackKeys));
  for (const std::string& v : values) EXPECT_FALSE(v.empty());
  EXPECT_EQ(values[0], "0");
  EXPECT_EQ(values[1], "ctlant1");
  EXPECT_EQ(values[2], "1200");  // seconds
  EXPECT_EQ(values[7], "1.50");  // a ratio
  EXPECT_EQ(values[8], "1.00");
  EXPECT_EQ(values[16], "2.5");
  EXPECT_EQ(values[22], "0.75");
  EXPECT_EQ(values[25], "1");

  // The console forms the manager pushes change the values; a bad value changes nothing.
  std::vector<std::string> out;
  ASSERT_TRUE(
      console_.Run("admin.timeLimit 60\nadmin.vehicleFFRatio 0.5\nadmin.kickback 0.25\n"
                   "admin.bandwidthChokeLimit 128\nadmin.votingTime many\n",
                   &out));
  EXPECT_THAT(out, ElementsAre(HasSubstr("admin.votingTime")));
  ASSERT_TRUE(
      console_.Run("admin.timeLimit\nadmin.vehicleFFRatio\nadmin.kickback\n"
                   "admin.bandwidthChokeLimit\nadmin.votingTime",
                   &out));
  EXPECT_THAT(out, ElementsAre("60", "0.50", "0.25", "128", "60"));
}

TEST_F(SimConsoleTest, ListPlayersFollowsTheLineFormatIncludingBots) {
  ASSERT_TRUE(
      StartSim({"--player=Back\\slash|1|40|10.1.2.3:5000|0123456789abcdef0123456789ABCDEF",
                "--player=anna|2", "--player=Anna|1", "--player=Lan Player|2|||-", "--bots=2"}));
  std::vector<std::string> lines;
  ASSERT_TRUE(console_.Run("game.listPlayers", &lines));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_THAT(lines[4], HasSubstr("is an AI bot"));
  EXPECT_THAT(lines[5], HasSubstr("is an AI bot"));

  std::vector<ParsedPlayer> players = ListPlayers(console_);
  ASSERT_EQ(players.size(), 4u);
  EXPECT_EQ(players[0].id, "0");
  EXPECT_EQ(players[0].name, "Back\\slash");
  EXPECT_EQ(players[0].address, "10.1.2.3");
  EXPECT_EQ(players[0].keyhash, "0123456789abcdef0123456789ABCDEF");
  EXPECT_EQ(players[1].name, "anna");
  EXPECT_EQ(players[2].name, "Anna");
  EXPECT_EQ(players[3].name, "Lan Player");
  EXPECT_EQ(players[3].keyhash, "[unknown]");
  EXPECT_NE(players[1].keyhash, players[2].keyhash);
}

TEST_F(SimConsoleTest, OptionsAndPlayersCanComeFromFilesInTheGameFolder) {
  // A server started by the manager gets only the game's switches; its script lies beside it.
  folder_.Write("players.txt", "# scripted\nFromFile|2\nSecond|1||10.9.9.9\n");
  folder_.Write("ashfront-sim.options", "# options\n--player=FromOptions|1\n  --players-file=" +
                                            folder_.path() + "/players.txt\n");
  ASSERT_TRUE(StartSim({}));
  std::vector<ParsedPlayer> players = ListPlayers(console_);
  ASSERT_EQ(players.size(), 3u);
  EXPECT_EQ(players[0].name, "FromOptions");
  EXPECT_EQ(players[1].name, "FromFile");
  EXPECT_EQ(players[2].address, "10.9.9.9");
}

TEST_F(SimConsoleTest, AnEmptyServerAnswersListPlayersWithAnEmptyLine) {
  ASSERT_TRUE(StartSim({}));
  std::vector<std::string> lines;
  ASSERT_TRUE(console_.Run("game.listPlayers", &lines));
  EXPECT_THAT(lines, ElementsAre(""));
}

TEST_F(SimConsoleTest, ChatComesBetweenResponseLinesAndInPolls) {
  ASSERT_TRUE(StartSim({"--player=Bob|1", "--player=Eve|2"}));
  ConsoleClient other;
  ASSERT_EQ(other.Login(sim_.console_port(), "admin", "s3cret"), 1);
  std::vector<std::string> out;
  ASSERT_TRUE(other.Run("sim.chat Bob !kick eve\ngame.sayAll \"hello all\"", &out));

  ASSERT_TRUE(console_.Run("admin.timeLimit\nadmin.votingTime", &out));
  EXPECT_THAT(out, ElementsAre("0", "##--0ALL Bob: !kick eve", "##--0ALL Server: hello all", "60"));
  // Delivered once: the next poll has no chat, only output lines and the prompt.
  ASSERT_TRUE(console_.Poll(&out));
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.front(), "");
  EXPECT_EQ(out.back(), ">");
  for (const std::string& s : out) EXPECT_EQ(s.rfind("##--", 0), std::string::npos) << s;

  // Chat injected from the control file shows up in a poll.
  sim_.Control("chat \"Eve\" a message with spaces");
  bool seen = WaitUntil([&] {
    if (!console_.Poll(&out)) return false;
    return std::find(out.begin(), out.end(), "##--0ALL Eve: a message with spaces") != out.end();
  });
  EXPECT_TRUE(seen);
}

TEST_F(SimConsoleTest, LongConsoleLinesArriveAsOneLineAndAContinuation) {
  ASSERT_TRUE(StartSim({}));
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Poll(&out));  // drain what start-up said
  std::string map(80, 'x');
  ASSERT_TRUE(console_.Run("admin.changeMap " + map + " GPM_CQ ashfront", &out));
  ASSERT_TRUE(console_.Poll(&out));
  // The manager's joining rule: a string without "#" right after a "#" string continues it.
  std::string joined;
  for (size_t i = 1; i < out.size(); ++i) {
    if (out[i][0] == '#')
      joined = out[i];
    else if (!joined.empty() && out[i] != ">")
      joined += out[i].substr(1);
  }
  EXPECT_EQ(joined, "#Changing to level " + map + " GPM_CQ ashfront, round 2");
}

TEST_F(SimConsoleTest, KicksLetPlayersBackButBansKeepThemOut) {
  folder_.WriteSetting("BanList.con",
                       "admin.addKeyToBanList 99999999999999999999999999999999 Perm\n");
  ASSERT_TRUE(StartSim({"--player=Kicked|1|50|10.0.0.1", "--player=KeyBanned|1|50|10.0.0.2",
                        "--player=AddrBanned|2|50|10.0.0.3",
                        "--player=Early|2|50|10.0.0.4|99999999999999999999999999999999"}));
  std::vector<std::string> out;
  EXPECT_FALSE(HasPlayer(ListPlayers(console_), "Early"));  // banned before the start

  ASSERT_TRUE(
      console_.Run("admin.kickPlayer 0\nadmin.banPlayerKey 1\n"
                   "admin.addAddressToBanList 10.0.0.3:0 Perm",
                   &out));
  std::vector<ParsedPlayer> players = ListPlayers(console_);
  EXPECT_TRUE(players.empty());
  ASSERT_TRUE(console_.Run("sim.rejoin", &out));
  players = ListPlayers(console_);
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].name, "Kicked");

  // The server keeps its ban list file up to date.
  std::string bans = folder_.ReadSetting("BanList.con");
  EXPECT_THAT(bans, HasSubstr("admin.addAddressToBanList 10.0.0.3:0 Perm\n"));
  EXPECT_THAT(bans, HasSubstr("admin.addKeyToBanList 99999999999999999999999999999999 Perm\n"));
  EXPECT_EQ(std::count(bans.begin(), bans.end(), '\n'), 3);

  // Lifting the address ban lets that player back in.
  ASSERT_TRUE(console_.Run("admin.removeAddressFromBanList 10.0.0.3\nsim.rejoin", &out));
  EXPECT_TRUE(HasPlayer(ListPlayers(console_), "AddrBanned"));
  EXPECT_FALSE(HasPlayer(ListPlayers(console_), "KeyBanned"));
}

TEST_F(SimConsoleTest, KickedPlayersComeBackByThemselvesWhenAsked) {
  ASSERT_TRUE(StartSim({"--rejoin-seconds=1", "--player=Returner|1"}));
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Run("admin.kickPlayer 0", &out));
  bool back = WaitUntil([&] { return HasPlayer(ListPlayers(console_), "Returner"); });
  EXPECT_TRUE(back);
}

TEST_F(SimConsoleTest, SeveralLinesInOneStringRunOneByOne) {
  ASSERT_TRUE(StartSim({}));
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Request(
      {"ConsoleMessage 0", "admin.votingTime\r\nadmin.timeLimit", "", "\r"}, &out));
  EXPECT_THAT(out, ElementsAre("60", "0"));
}

TEST_F(SimConsoleTest, PunkBusterBansByGuidWhenEnabled) {
  folder_.WriteSetting("ServerSettings.con",
                       "game.serverIP 127.0.0.1\ngame.gameSpyPort 0\ngame.serverPunkBuster 1\n");
  folder_.Write("pb/pbsv.dll", "");
  const std::string guid = "abcdefabcdefabcdefabcdefabcdef01";
  ASSERT_TRUE(StartSim({"--player=Cheater|1|50|10.0.0.9||" + guid, "--player=Fair|2"}));
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Run("pb_sv_kick 2 1 camping", &out));  // slots count from 1
  EXPECT_FALSE(HasPlayer(ListPlayers(console_), "Fair"));
  ASSERT_TRUE(console_.Run("pb_sv_banguid " + guid + "\npb_sv_updbanfile\nsim.rejoin", &out));
  std::vector<ParsedPlayer> players = ListPlayers(console_);
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].name, "Fair");
  EXPECT_THAT(folder_.Read("pb/pbbans.dat"), HasSubstr(guid));
}

TEST_F(SimConsoleTest, MalformedFramesCloseOnlyThatConnection) {
  ASSERT_TRUE(StartSim({}));
  ConsoleClient bad;
  ASSERT_EQ(bad.Login(sim_.console_port(), "admin", "s3cret"), 1);
  ASSERT_TRUE(bad.SendRaw(std::string("\xff\xff\xff\xff", 4)));
  EXPECT_TRUE(bad.ClosedByServer(kPatienceMs));
  ConsoleClient oversized;
  ASSERT_EQ(oversized.Login(sim_.console_port(), "admin", "s3cret"), 1);
  ASSERT_TRUE(oversized.SendRaw(std::string("\x01\x00\x00\x00\x00\x00\x00\x10", 8)));
  EXPECT_TRUE(oversized.ClosedByServer(kPatienceMs));
  ConsoleClient garbage_login;
  ASSERT_TRUE(garbage_login.ReceiveKey(sim_.console_port(), kPatienceMs));
  ASSERT_TRUE(garbage_login.SendRaw(std::string("\x00\x00\x00\x00", 4)));
  EXPECT_TRUE(garbage_login.ClosedByServer(kPatienceMs));

  std::vector<std::string> out;
  EXPECT_TRUE(console_.Run("admin.votingTime", &out));
  EXPECT_THAT(out, ElementsAre("60"));
  // Control commands that run console commands do not nest.
  std::string nested = "admin.votingTime";
  for (int i = 0; i < 3000; ++i) nested = "sim.console " + nested;
  EXPECT_TRUE(console_.Run(nested, &out));
  EXPECT_THAT(out, ElementsAre(HasSubstr("cannot run another")));
}

TEST_F(SimConsoleTest, QuitAnswersAndEndsTheProcessWithinFourSeconds) {
  ASSERT_TRUE(StartSim({"--write-pid"}));
  EXPECT_EQ(folder_.Read("ashfront.pid"), std::to_string(sim_.pid()) + "\n");
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Run("admin.votingTime 45\nquit", &out));
  int status = 0;
  ASSERT_TRUE(sim_.WaitExit(4000, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(FileExists(folder_.path() + "/ashfront.pid"));

  // The settings the server leaves behind win over the autoexec file at the next start.
  EXPECT_THAT(folder_.ReadSetting("AdminSettings.con"), HasSubstr("admin.votingTime 45\n"));
  SimProcess again;
  ASSERT_TRUE(again.Start(folder_.path(), kQuiet));
  ConsoleClient console;
  ASSERT_EQ(console.Login(again.console_port(), "admin", "s3cret"), 1);
  ASSERT_TRUE(console.Run("admin.votingTime", &out));
  EXPECT_THAT(out, ElementsAre("45"));
}

}  // namespace
}  // namespace varnholt::testing

namespace varnholt::testing {
namespace {

TEST_F(SimConsoleTest, PunkBusterPlayerListShowsGuidsAndANamedCommandCanFail) {
  folder_.WriteSetting("ServerSettings.con",
                       "game.serverIP 127.0.0.1\ngame.gameSpyPort 0\ngame.serverPunkBuster 1\n");
  const std::string guid = "abcdefabcdefabcdefabcdefabcdef01";
  ASSERT_TRUE(StartSim({"--player=Anna Lee|1|50|10.0.0.9:5000||" + guid, "--player=Bot|2|||||bot",
                        "--fault=fail-command:admin.kickPlayer"}));
  std::vector<std::string> out;
  ASSERT_TRUE(console_.Run("pb_sv_plist", &out));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1], "PunkBuster Server: 1 " + guid + " 10.0.0.9:5000 \"Anna Lee\"");
  EXPECT_EQ(out[2], "PunkBuster Server: End of Player List (1 Players)");

  // The named command loses its connection and runs nothing; a new connection works.
  EXPECT_FALSE(console_.Run("admin.kickPlayer 0", &out));
  ConsoleClient again;
  ASSERT_EQ(again.Login(sim_.console_port(), "admin", "s3cret"), 1);
  ASSERT_TRUE(again.Run("sim.fail-command off", &out));
  ASSERT_TRUE(again.Run("admin.kickPlayer 0", &out));
  EXPECT_FALSE(HasPlayer(ListPlayers(again), "Anna Lee"));
}

}  // namespace
}  // namespace varnholt::testing
