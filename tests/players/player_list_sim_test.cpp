// The player list against the real ashfront-sim process with scripted players: the join by
// exact name with bots, a LAN player and names that differ only in case, a player who joins
// later, and smart balance switching the server's auto-balance on and off again.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "gamelink/console_client.h"
#include "gamelink/player_list.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::TempFolder;
using testing::WaitUntil;

constexpr const char* kHashA = "0123456789abcdef0123456789abcdef";
constexpr const char* kHashB = "fedcba9876543210fedcba9876543210";

int FreePort(int type) {
  int fd = socket(AF_INET, type, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

class ChatLines : public ChatSink {
 public:
  void CheckChatWords(const std::string&) override {}
  void ParseChatCommand(const std::string& chat) override { lines.push_back(chat); }
  bool Saw(const std::string& text) const {
    for (const std::string& l : lines) {
      if (l.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::vector<std::string> lines;
};

class PlayerListSimTest : public ::testing::Test {
 protected:
  PlayerListSimTest()
      : log_(game_.path(), clock_),
        status_(log_, settings_, clock_),
        console_(log_, settings_, status_),
        list_(log_, settings_),
        link_(MakePlayerListLink(console_, status_)) {
    settings_.InitSettings();
    game_port_ = FreePort(SOCK_DGRAM);
    console_port_ = FreePort(SOCK_STREAM);
    query_port_ = FreePort(SOCK_DGRAM);
    settings_.SetAddress("game.serverIP", 0x7F000001);
    settings_.SetInt("game.serverPort", game_port_);
    settings_.SetInt("manager.consolePort", console_port_);
    settings_.SetInt("game.serverInternet", 1);
    settings_.SetInt("game.gameSpyPort", query_port_);
    console_.SetCredentials("admin", "s3cret");
    console_.SetChatSink(&chat_);
    ConsoleHooks hooks;
    hooks.get_player_list = [this] { return list_.GetPlayerList(link_); };
    hooks.connection_changed = [this](bool connected) {
      if (!connected) list_.ClearOnDisconnect();
    };
    console_.SetHooks(std::move(hooks));
    status_.SetStartDelay(0);
  }
  ~PlayerListSimTest() override {
    console_.ConsoleDisconnect();
    sim_.Kill();
  }

  void StartSim(std::vector<std::string> options) {
    const std::string settings = "Mods/ashfront/Settings/";
    game_.Write(settings + "ServerSettings.con",
                "game.serverName \"Players\"\ngame.serverIP 127.0.0.1\ngame.serverPort " +
                    std::to_string(game_port_) + "\ngame.serverInternet 1\n" +
                    "game.serverMaxPlayers 32\n");
    game_.Write(settings + "ServerAutoexec.con", "admin.enableRemoteConsole admin s3cret 0\n");
    game_.Write(settings + "MapList.con",
                "game.addLevel harbor GPM_CQ ashfront\n"
                "game.setCurrentLevel harbor GPM_CQ ashfront\n");
    std::vector<std::string> args = {"+restart",
                                     "1",
                                     "+dedicated",
                                     "1",
                                     "+hostServer",
                                     "1",
                                     "--static",
                                     "--chat-every=0",
                                     "--console-port=" + std::to_string(console_port_),
                                     "--query-port=" + std::to_string(query_port_)};
    args.insert(args.end(), options.begin(), options.end());
    ASSERT_TRUE(sim_.Start(ASHFRONT_SIM_PATH, args, game_.path(), {}, game_.Sub("sim.err")));
  }

  // Connects (the connection sync builds the list); the sim needs a moment to listen.
  bool Connect() {
    return WaitUntil([this] { return console_.ConsoleConnect() || !sim_.running(); }, 10000) &&
           console_.ConsoleConnected();
  }

  PlayerRecord Row(const std::string& name) const {
    PlayerRecord r;
    int id = list_.FindPlayerByExactName(name);
    EXPECT_GE(id, 0) << name;
    list_.FindPlayerById(id, &r);
    return r;
  }

  TempFolder game_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  StatusQuery status_;
  ConsoleClient console_;
  PlayerList list_;
  PlayerListLink link_;
  ChatLines chat_;
  ChildProcess sim_;
  int game_port_ = 0;
  int console_port_ = 0;
  int query_port_ = 0;
};

TEST_F(PlayerListSimTest, ListsScriptedPlayersWithTheirOwnFigures) {
  StartSim({std::string("--player=Bob|1|40|10.0.0.1:5000|") + kHashA,
            std::string("--player=bob|2|60|10.0.0.2:5001|") + kHashB,
            "--player=Bobby|2|70|10.0.0.3:5002", "--player=Lan Player|1|80|10.0.0.4:5003|-",
            "--bots=2"});
  ASSERT_TRUE(Connect()) << game_.Read("Varnholt.log");

  ASSERT_EQ(list_.RowCount(), 4u);
  PlayerRecord bob = Row("Bob");
  EXPECT_EQ(bob.team, "vyr");
  EXPECT_EQ(bob.ping, "40");
  EXPECT_EQ(bob.address, "10.0.0.1");
  EXPECT_EQ(bob.keyhash, kHashA);
  EXPECT_EQ(bob.guid, "[unknown]");
  PlayerRecord small_bob = Row("bob");
  EXPECT_EQ(small_bob.team, "dak");
  EXPECT_EQ(small_bob.ping, "60");
  EXPECT_EQ(small_bob.keyhash, kHashB);
  EXPECT_EQ(Row("Bobby").ping, "70");
  PlayerRecord lan = Row("Lan Player");
  EXPECT_EQ(lan.keyhash, "[unknown]");
  EXPECT_EQ(lan.address, "10.0.0.4");
  EXPECT_EQ(list_.TeamCountsText(), "2 / 2 / 4");
  EXPECT_EQ(list_.FindPlayerByName("bob"), -1);
  EXPECT_EQ(list_.FindPlayerByName("lan"), lan.id);

  // A player who joins later shows up at the next rebuild.
  std::string control = game_.Sub("ashfront-sim.control");
  game_.Write("ashfront-sim.control.new", "join Newbie|1|55|10.0.0.9:5009\n");
  ASSERT_EQ(rename((control + ".new").c_str(), control.c_str()), 0);
  // It may first be listed by the console before the status query knew him.
  ASSERT_TRUE(WaitUntil(
      [this] {
        PlayerRecord r;
        return list_.GetPlayerList(link_) &&
               list_.FindPlayerById(list_.FindPlayerByExactName("Newbie"), &r) && !r.team.empty();
      },
      5000));
  EXPECT_EQ(Row("Newbie").ping, "55");
  EXPECT_EQ(list_.TeamCountsText(), "2 / 3 / 5");
}

TEST_F(PlayerListSimTest, SmartBalanceSwitchesTheServersAutoBalance) {
  settings_.SetInt("manager.smartBalance", 1);
  settings_.SetInt("manager.smartBalanceValue", 3);
  std::vector<std::string> players = {"--tick-ms=100"};
  for (int i = 0; i < 15; ++i) {
    players.push_back("--player=P" + std::to_string(i) + (i < 9 ? "|1" : "|2"));
  }
  StartSim(players);
  ASSERT_TRUE(Connect()) << game_.Read("Varnholt.log");
  EXPECT_TRUE(list_.SmartBalanceEngaged());

  // The server moves players until the teams are within one; the next rebuild releases.
  ASSERT_TRUE(WaitUntil(
      [this] { return list_.GetPlayerList(link_) && !list_.SmartBalanceEngaged(); }, 5000))
      << list_.TeamCountsText();
  EXPECT_EQ(list_.TeamCountsText(), "7 / 8 / 15");
  const std::string* value = console_.RunConsoleText("admin.autoBalanceTeam");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, "0\n");
  ASSERT_TRUE(WaitUntil(
      [this] {
        console_.PollConsoleOutput();
        return chat_.Saw("[VRNH] Teams are balanced, disengaging auto-team-balance");
      },
      3000));
  EXPECT_TRUE(chat_.Saw("[VRNH] Teams are unbalanced, engaging auto-team-balance"));
  std::string log = game_.Read("Varnholt.log");
  EXPECT_NE(log.find("Smart-balance is enabled and teams are unbalanced, engaging "
                     "auto-team-balance."),
            std::string::npos);
  EXPECT_NE(log.find("Smart-balance is enabled and teams are balanced, disengaging "
                     "auto-team-balance."),
            std::string::npos);
}

}  // namespace
}  // namespace varnholt
