// The player list against the real ashfront-sim process with scripted players: bots, a LAN
// player, names that differ only in case or hold a backslash, players who join later, and smart
// balance switching the server's own auto-balance on and, once it has moved a player, off again.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gamelink/console_client.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/child_process.h"
#include "support/free_port.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::FreePort;
using testing::WaitUntil;

constexpr const char* kHashA = "0123456789abcdef0123456789abcdef";
constexpr const char* kHashB = "fedcba9876543210fedcba9876543210";

struct ChatLines : ChatSink {
  void CheckChatWords(const std::string&) override {}
  void ParseChatCommand(const std::string& chat) override { text += chat + "\n"; }
  std::string text;
};

TEST(PlayerListSimTest, ScriptedPlayersAndSmartBalance) {
  testing::TempFolder game;
  ManualClock clock;
  EventLog log(game.path(), clock);
  SettingsTable settings;
  StatusQuery status(log, settings, clock);
  ConsoleClient console(log, settings, status);
  PlayerList list(log, settings);
  GameLinkClients link(console, status, list);

  const int game_port = FreePort(SOCK_DGRAM);
  const int console_port = FreePort(SOCK_STREAM);
  const int query_port = FreePort(SOCK_DGRAM);
  settings.InitSettings();
  settings.SetAddress("game.serverIP", 0x7F000001);
  settings.SetInt("game.serverPort", game_port);
  settings.SetInt("manager.consolePort", console_port);
  settings.SetInt("game.serverInternet", 1);
  settings.SetInt("game.gameSpyPort", query_port);
  settings.SetInt("manager.smartBalance", 1);
  settings.SetInt("manager.smartBalanceValue", 3);
  status.SetStartDelay(0);
  console.SetCredentials("admin", "s3cret");
  ChatLines chat;
  console.SetChatSink(&chat);
  ConsoleHooks hooks;
  hooks.get_player_list = [&] { return list.GetPlayerList(link); };
  console.SetHooks(std::move(hooks));

  game.Write("Mods/ashfront/Settings/ServerSettings.con",
             "game.serverIP 127.0.0.1\ngame.serverPort " + std::to_string(game_port) +
                 "\ngame.serverInternet 1\ngame.serverMaxPlayers 32\n");
  game.Write("Mods/ashfront/Settings/ServerAutoexec.con",
             "admin.enableRemoteConsole admin s3cret 0\n");
  game.Write("Mods/ashfront/Settings/MapList.con", "game.setCurrentLevel harbor GPM_CQ ashfront\n");
  testing::ChildProcess sim;
  ASSERT_TRUE(
      sim.Start(ASHFRONT_SIM_PATH,
                {"+hostServer", "1", "--static", "--chat-every=0", "--tick-ms=100",
                 "--console-port=" + std::to_string(console_port),
                 "--query-port=" + std::to_string(query_port),
                 std::string("--player=Bob|1|40|10.0.0.1:5000|") + kHashA,
                 std::string("--player=bob|2|60|10.0.0.2:5001|") + kHashB,
                 "--player=Bobby|2|70|10.0.0.3:5002", "--player=Back\\slash|2|90|10.0.0.5:1",
                 "--player=Lan Player|1|80|10.0.0.4:1|-", "--player=Bot A|1|||||bot",
                 "--player=Bot B|2|||||bot"},
                game.path()));
  // The connection sync builds the list; the sim needs a moment to listen.
  ASSERT_TRUE(WaitUntil([&] { return console.ConsoleConnect() || !sim.running(); }, 10000));
  ASSERT_TRUE(console.ConsoleConnected()) << game.Read("Varnholt.log");

  auto row = [&](const std::string& name) {
    PlayerRecord r;
    EXPECT_TRUE(list.FindPlayerById(list.FindPlayerByExactName(name), &r)) << name;
    return r;
  };
  ASSERT_EQ(list.RowCount(), 5u);
  EXPECT_EQ(row("Bob"), (PlayerRecord{"Bob", row("Bob").id, "vyr", "0", "0", "0", "40", "10.0.0.1",
                                      kHashA, "[unknown]"}));
  EXPECT_EQ(row("bob").team + row("bob").ping + row("bob").keyhash, std::string("dak60") + kHashB);
  EXPECT_EQ(row("Bobby").ping, "70");
  EXPECT_EQ(row("Lan Player").keyhash, "[unknown]");
  EXPECT_EQ(row("Back\\slash").ping, "90");
  EXPECT_EQ(list.TeamCountsText(), "3 / 2 / 5");
  EXPECT_FALSE(list.SmartBalanceEngaged());

  // Four players join vyr: 6 against 3 engages the server's balance, which moves one
  // player per tick until the teams are within one; the next rebuild then releases it.
  game.Write("ashfront-sim.control.new", "join Cid|1|55\njoin Dan|1\njoin Eve|1\njoin Fay|1\n");
  ASSERT_EQ(rename(game.Sub("ashfront-sim.control.new").c_str(),
                   game.Sub("ashfront-sim.control").c_str()),
            0);
  ASSERT_TRUE(WaitUntil([&] { return list.GetPlayerList(link) && list.SmartBalanceEngaged(); }))
      << list.TeamCountsText();
  ASSERT_TRUE(WaitUntil([&] { return list.GetPlayerList(link) && !list.SmartBalanceEngaged(); }))
      << list.TeamCountsText();
  EXPECT_EQ(list.TeamCountsText(), "4 / 5 / 9");
  EXPECT_EQ(row("Cid").ping, "55");
  const std::string* value = console.RunConsoleText("admin.autoBalanceTeam");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, "0\n");
  ASSERT_TRUE(WaitUntil([&] {
    console.PollConsoleOutput();
    return chat.text.find("[VRNH] Teams are balanced, disengaging") != std::string::npos;
  }));
  EXPECT_NE(chat.text.find("[VRNH] Teams are unbalanced, engaging auto-team-balance"),
            std::string::npos);
  console.ConsoleDisconnect();
}

}  // namespace
}  // namespace varnholt
