// Whole-program runs of varnholtd in temporary game folders.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "core/notify_codes.h"
#include "maps/archive_writer.h"
#include "platform/processes.h"
#include "remote/frames.h"
#include "support/child_process.h"
#include "support/free_port.h"
#include "support/notify_socket.h"
#include "support/remote_test_client.h"
#include "support/temp_folder.h"
#include "support/wine_standin.h"

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::FreePort;
using testing::ReadFileText;
using testing::TempFolder;
using testing::WaitUntil;

class VarnholtdTest : public ::testing::Test {
 protected:
  VarnholtdTest() { std::filesystem::create_directories(runtime_.path()); }

  // A minimal installation: the server executable, the mod folder with init.con and the
  // main archive with the default game-mode files.
  void MakeInstallation(const TempFolder& game) {
    game.Write("Mods/ashfront/init.con", "game.setModName \"ashfront\"\r\n");
    game.Write("Mods/ashfront/Settings/.keep", "");
    ArchiveWriter archive(true);
    archive.AddStored("AshFront/game/GameModeSettings/DefaultCustomCombat.wst", "<custom/>\r\n");
    ASSERT_TRUE(archive.AddCompressed("AshFront/game/GameModeSettings/DefaultEvolution.wst",
                                      "<evolution>\r\n</evolution>\r\n"));
    std::filesystem::create_directories(game.Sub("Mods/ashfront/Archives/ashfront"));
    ASSERT_TRUE(archive.WriteTo(game.Sub("Mods/ashfront/Archives/ashfront/game.rfa")));
    InstallServer(game);
  }
  // The server executable is a copy of sleep: a real process recognised by its file.
  void InstallServer(const TempFolder& game) {
    std::filesystem::copy_file("/bin/sleep", game.Sub("ashfront_w32ded.exe"),
                               std::filesystem::copy_options::overwrite_existing);
  }

  bool StartDaemon(ChildProcess* child, const TempFolder& game, std::vector<std::string> args,
                   const std::string& stderr_name = "stderr.txt") {
    return child->Start(VARNHOLTD_PATH, args, game.path(),
                        {"XDG_RUNTIME_DIR=" + runtime_.path(), "TZ=UTC"}, game.Sub(stderr_name));
  }

  int RunToEnd(const TempFolder& game, std::vector<std::string> args) {
    ChildProcess child;
    EXPECT_TRUE(StartDaemon(&child, game, std::move(args)));
    int code = -1;
    EXPECT_TRUE(child.Wait(10000, &code));
    return code;
  }

  // Runs the daemon until a file holds a text, then stops it with SIGTERM. The signal is
  // taken only once start-up is complete, so every start-up step has run.
  void RunUntilFileHas(const TempFolder& game, const std::string& file, const std::string& text,
                       std::vector<std::string> args) {
    ChildProcess child;
    ASSERT_TRUE(StartDaemon(&child, game, std::move(args)));
    EXPECT_TRUE(WaitUntil([&] { return game.Read(file).find(text) != std::string::npos; }))
        << game.Read(file);
    child.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(child.Wait(10000, &code));
    EXPECT_EQ(code, 0);
  }

  static bool LogHas(const TempFolder& game, const std::string& text) {
    return ReadFileText(game.Sub("Varnholt.log")).find(text) != std::string::npos;
  }

  TempFolder runtime_;
};

TEST_F(VarnholtdTest, StartUpFailuresReportTheirOwnMessageAndExitWithOne) {
  {
    TempFolder empty;
    EXPECT_EQ(RunToEnd(empty, {}), 1);
    std::string err = empty.Read("stderr.txt");
    EXPECT_NE(err.find("Error: Couldn't find the AshFront server executable file!\nVarnholt.exe "
                       "must reside in the same folder as ashfront_w32ded.exe or ashfront.exe."),
              std::string::npos)
        << err;
    EXPECT_TRUE(LogHas(empty, "Started under Linux"));
  }
  {
    TempFolder no_mod;
    InstallServer(no_mod);
    EXPECT_EQ(RunToEnd(no_mod, {}), 1);
    EXPECT_TRUE(LogHas(no_mod,
                       "Couldn't detect a valid AshFront mod folder! Verify the server "
                       "application is correctly installed."));
  }
  {
    TempFolder unwritable;
    MakeInstallation(unwritable);
    std::filesystem::create_directories(
        unwritable.Sub("Mods/ashfront/Settings/ServerAutoexec.con"));
    EXPECT_EQ(RunToEnd(unwritable, {}), 1);
    EXPECT_TRUE(LogHas(unwritable,
                       "Couldn't open ServerAutoexec.con file for writing! Access is denied. (5)  "
                       "Varnholt must have write access"));
  }
  {
    TempFolder blocked;
    InstallServer(blocked);
    blocked.Write("Mods/ashfront/init.con", "");
    blocked.Write("Mods/ashfront/Settings", "a file where the folder belongs");
    EXPECT_EQ(RunToEnd(blocked, {}), 1);
    EXPECT_TRUE(LogHas(blocked, "Couldn't find the server settings folder! "));
  }
}

TEST_F(VarnholtdTest, UsageIsShownAndEndsWithoutError) {
  TempFolder game;
  MakeInstallation(game);
  EXPECT_EQ(RunToEnd(game, {"/?"}), 0);
  EXPECT_TRUE(LogHas(game, "Usage: Varnholt.exe -ip <ip> -port <port> -start -stop -abovenormal"));
}

TEST_F(VarnholtdTest, PreparesFilesAndShutsDownInOrderOnSigterm) {
  TempFolder game;
  MakeInstallation(game);
  game.Write("Mods/ashfront/Settings/PlayerMenu.con", std::string(20, 'x'));
  game.Write("Mods/ashfront/Settings/KickList.con", "old kicks");
  ChildProcess daemon;
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(game.Sub("vrnh.pid")); }));
  ASSERT_TRUE(WaitUntil([&] {
    return std::filesystem::exists(game.Sub("Mods/ashfront/save/GameModeSettings/Evolution.wst"));
  }));
  daemon.Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(10000, &code));
  EXPECT_EQ(code, 0);
  std::string log = game.Read("Varnholt.log");
  EXPECT_NE(log.find(" : Ashfront Varnholt v2.0 beta 4g\r\n"), std::string::npos);
  EXPECT_NE(log.find(" : Exited\r\n"), std::string::npos);
  EXPECT_EQ(game.Read("vrnh.pid"), std::to_string(daemon.pid()) + "\n");
  // The 20-byte stub was replaced by the default menu; the kick list is gone.
  EXPECT_GT(std::filesystem::file_size(game.Sub("Mods/ashfront/Settings/PlayerMenu.con")), 1000u);
  EXPECT_FALSE(std::filesystem::exists(game.Sub("Mods/ashfront/Settings/KickList.con")));
  for (const char* name : {"Varnholt.con", "ServerSettings.con", "Mods.con", "UserAccess.con"}) {
    EXPECT_TRUE(std::filesystem::exists(game.Sub(std::string("Mods/ashfront/Settings/") + name)))
        << name;
  }
  EXPECT_TRUE(std::filesystem::exists(game.Sub("pb/pbbans.dat")));
  EXPECT_EQ(game.Read("Mods/ashfront/save/GameModeSettings/Evolution.wst"),
            "<evolution>\r\n</evolution>\r\n");
  EXPECT_EQ(game.Read("Mods/ashfront/save/GameModeSettings/CustomCombat.wst"), "<custom/>\r\n");
  EXPECT_NE(game.Read("Mods/ashfront/Settings/Mods.con").find("ashfront"), std::string::npos);
  EXPECT_NE(game.Read("Varnholt.ini").find("[settings]\r\nAdminMessages=1\r\n"), std::string::npos);
}

TEST_F(VarnholtdTest, PlayerMenuOfOtherSizesIsKept) {
  TempFolder game;
  MakeInstallation(game);
  game.Write("Mods/ashfront/Settings/PlayerMenu.con", std::string(21, 'x'));
  EXPECT_EQ(RunToEnd(game, {"-?"}), 0);  // the menu is prepared before the usage check ends
  EXPECT_EQ(game.Read("Mods/ashfront/Settings/PlayerMenu.con"), std::string(21, 'x'));
}

TEST_F(VarnholtdTest, SecondInstanceLeavesAndStopReachesTheMonitoringInstance) {
  TempFolder game;
  MakeInstallation(game);
  ChildProcess server;
  ASSERT_TRUE(server.Start(game.Sub("ashfront_w32ded.exe"), {"1000"}, game.path()));

  ChildProcess first;
  ASSERT_TRUE(StartDaemon(&first, game, {"-quiet"}, "first.txt"));
  ASSERT_TRUE(
      WaitUntil([&] { return LogHas(game, "Server is already running, monitoring enabled."); }));

  // A second manager for the same server hears from the first and leaves.
  ChildProcess second;
  ASSERT_TRUE(StartDaemon(&second, game, {}, "second.txt"));
  int code = -1;
  ASSERT_TRUE(second.Wait(10000, &code));
  EXPECT_EQ(code, 1);
  EXPECT_NE(game.Read("second.txt")
                .find("Another instance of Varnholt is already monitoring this server."),
            std::string::npos);
  EXPECT_TRUE(first.running());

  // -stop asks the monitoring instance to stop the server; both programs end.
  ChildProcess stopper;
  ASSERT_TRUE(StartDaemon(&stopper, game, {"-stop"}, "stopper.txt"));
  ASSERT_TRUE(stopper.Wait(10000, &code));
  EXPECT_EQ(code, 1);
  ASSERT_TRUE(first.Wait(10000, &code));
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(server.Wait(5000));
  EXPECT_TRUE(LogHas(game, "Server stopped via command-line option"));
}

TEST_F(VarnholtdTest, ErrorLogOffKeepsOnlyTheLinesBeforeTheOptions) {
  TempFolder game;
  MakeInstallation(game);
  game.Write("Varnholt.ini", "[settings]\r\nErrorLog=0\r\n");
  EXPECT_EQ(RunToEnd(game, {"-?"}), 0);
  std::string log = game.Read("Varnholt.log");
  EXPECT_NE(log.find(" : Ashfront Varnholt v2.0 beta 4g\r\n"), std::string::npos);
  EXPECT_NE(log.find(" : Started under "), std::string::npos);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(VarnholtdTest, IpOptionIsSavedAndAnUnknownAddressIsReset) {
  TempFolder game;
  MakeInstallation(game);
  // 127.0.0.1 is accepted; the interface list offers it only on a machine without another
  // interface (the interface list tests show it accepted while unlisted).
  RunUntilFileHas(game, "Mods/ashfront/Settings/Varnholt.con", "game.serverIP 127.0.0.1\r\n",
                  {"-ip", "127.0.0.1"});
  EXPECT_FALSE(LogHas(game, "was not detected"));

  TempFolder other;
  MakeInstallation(other);
  RunUntilFileHas(other, "Mods/ashfront/Settings/Varnholt.con", "game.serverIP 203.0.113.77",
                  {"-ip", "203.0.113.77"});
  EXPECT_TRUE(LogHas(other,
                     "A network interface with server IP address 203.0.113.77 was not "
                     "detected on this system! Varnholt has reset the server IP"));
  // The reset is not written back: the file keeps what -ip saved.
  EXPECT_NE(other.Read("Mods/ashfront/Settings/Varnholt.con").find("game.serverIP 203.0.113.77"),
            std::string::npos);
}

// The demo installation with its substitute server, on ports of its own.
class DemoInstallationTest : public VarnholtdTest {
 protected:
  void MakeDemo(const TempFolder& game) {
    std::string command = std::string("'") + SOURCE_DIR + "/scripts/make-demo.sh' '" + game.path() +
                          "' '" + BINARY_DIR + "' > /dev/null";
    ASSERT_EQ(system(command.c_str()), 0);
    game.Write("ashfront-sim.options", "--static\n--players=4\n--chat-every=0\n");
    std::string con = game.Read("Mods/ashfront/Settings/Varnholt.con");
    con += "game.serverPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "manager.consolePort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "game.gameSpyLANPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    game.Write("Mods/ashfront/Settings/Varnholt.con", con);
  }
};

TEST_F(DemoInstallationTest, StartLaunchesConnectsAndExitStopsTheServer) {
  TempFolder game;
  MakeDemo(game);
  ChildProcess daemon;
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-start", "-exit", "-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  EXPECT_TRUE(LogHas(game, "Server started via command-line option."));
  EXPECT_NE(game.Read("Mods/ashfront/save/GameModeSettings/Evolution.wst").size(), 0u);
  EXPECT_NE(game.Read("Mods/ashfront/Settings/Maps.con").find("frontier,"), std::string::npos);
  daemon.Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(LogHas(game, "Server stopped due to exit."));
  std::string log = game.Read("Varnholt.log");
  EXPECT_LT(log.find("Server stopped due to exit."), log.find(" : Exited\r\n"));
}

// Under systemd: ready once start-up has finished, the state in words, a heartbeat while the
// worker is healthy, and stopping at the end.
TEST_F(DemoInstallationTest, ServiceManagerHearsReadyStatusHeartbeatAndStopping) {
  TempFolder game;
  MakeDemo(game);
  testing::NotifySocket manager(runtime_.Sub("notify"));
  ASSERT_TRUE(manager.bound());
  ChildProcess daemon;
  ASSERT_TRUE(daemon.Start(VARNHOLTD_PATH, {"-start", "-exit", "-quiet"}, game.path(),
                           {"XDG_RUNTIME_DIR=" + runtime_.path(), "TZ=UTC",
                            "NOTIFY_SOCKET=" + manager.path(), "WATCHDOG_USEC=400000"},
                           game.Sub("stderr.txt")));
  // Commands run during start-up may report the state before readiness does.
  std::string ready;
  do {
    ready = manager.Receive();
  } while (ready.rfind("STATUS=", 0) == 0);
  EXPECT_EQ(ready.rfind("READY=1\nSTATUS=Server running, ", 0), 0u) << ready;
  // Start-up is over when it says so: the server was launched before.
  EXPECT_TRUE(LogHas(game, "Server started via command-line option."));
  int beats = 0;
  bool connected = false;
  for (int i = 0; i < 200 && !(beats >= 2 && connected); ++i) {
    std::string message = manager.Receive();
    ASSERT_FALSE(message.empty()) << game.Read("Varnholt.log");
    if (message == "WATCHDOG=1") ++beats;
    if (message.find("console connected") != std::string::npos) connected = true;
  }
  EXPECT_GE(beats, 2);
  EXPECT_TRUE(connected);
  daemon.Signal(SIGTERM);
  std::string message;
  do {
    message = manager.Receive();
  } while (message == "WATCHDOG=1" || message.rfind("STATUS=", 0) == 0);
  EXPECT_EQ(message, "STOPPING=1\nSTATUS=Stopping");
  int code = -1;
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
}

TEST_F(VarnholtdTest, StopWithoutARunningServerDoesNothing) {
  TempFolder game;
  MakeInstallation(game);
  ChildProcess daemon;
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-stop", "-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(game.Sub("Mods/ashfront/save")); }));
  EXPECT_TRUE(daemon.running());
  daemon.Signal(SIGINT);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(10000, &code));
  EXPECT_EQ(code, 0);
}

// A program that only reads the server file is neither adopted at start-up nor stopped: the
// manager launches its own server, and -stop ends that one alone.
TEST_F(DemoInstallationTest, AReaderOfTheServerFileIsNotTakenForTheServer) {
  TempFolder game;
  MakeDemo(game);
  ChildProcess reader;
  ASSERT_TRUE(reader.Start("/usr/bin/tail", {"-f", "ashfront_w32ded.exe"}, game.path()));
  ChildProcess daemon;
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-start", "-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  EXPECT_TRUE(LogHas(game, "Server started via command-line option."));
  EXPECT_FALSE(LogHas(game, "Server is already running"));

  ChildProcess stopper;
  ASSERT_TRUE(StartDaemon(&stopper, game, {"-stop"}, "stopper.txt"));
  int code = -1;
  ASSERT_TRUE(stopper.Wait(10000, &code));
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(LogHas(game, "Server stopped via command-line option"));
  EXPECT_FALSE(LogHas(game, "Terminating server"));
  EXPECT_FALSE(reader.Wait(100));
}

// With LaunchPrefix=wine the server is launched through the Wine found on PATH, and the
// process Wine's loader runs it in is recognised: -stop finds it and ends it. A Wine
// program of another file keeps running.
TEST_F(DemoInstallationTest, AServerUnderWineIsLaunchedFoundAndStopped) {
  TempFolder game, wine, other_wine;
  MakeDemo(game);
  game.Write("Varnholt.ini", "[settings]\r\nLaunchPrefix=wine\r\n");
  testing::InstallWineStandIn(wine.path(), game.Sub("ashfront_w32ded.exe"));
  testing::InstallWineStandIn(other_wine.path(), "/usr/bin/tail");
  ChildProcess notepad;
  ASSERT_TRUE(testing::StartWineLoader(&notepad, other_wine.path(), "C:\\windows\\notepad.exe",
                                       {"-f", game.Sub("ashfront_w32ded.exe")}, game.path()));
  const char* path = getenv("PATH");
  std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtime_.path(), "TZ=UTC",
                                  "PATH=" + wine.path() + ":" + (path != nullptr ? path : "")};
  ChildProcess daemon;
  ASSERT_TRUE(
      daemon.Start(VARNHOLTD_PATH, {"-start", "-quiet"}, game.path(), env, game.Sub("stderr.txt")));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  EXPECT_TRUE(LogHas(game, "Server started via command-line option."));

  ChildProcess stopper;
  ASSERT_TRUE(stopper.Start(VARNHOLTD_PATH, {"-stop"}, game.path(), env, game.Sub("stopper.txt")));
  int code = -1;
  ASSERT_TRUE(stopper.Wait(10000, &code));
  EXPECT_EQ(code, 1);  // it found the server and asked the monitoring instance to stop it
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(LogHas(game, "Server stopped via command-line option"));
  EXPECT_FALSE(notepad.Wait(100));

  // Started by hand under Wine, it is adopted by the next manager.
  ChildProcess by_hand;
  ASSERT_TRUE(by_hand.Start(wine.Sub("wine"), {"ashfront_w32ded.exe"}, game.path()));
  // Adoption looks once, at start-up: wait until the stand-in has become the loader.
  ASSERT_TRUE(WaitUntil(
      [&] { return ProcessRunsFile(by_hand.pid(), game.Sub("ashfront_w32ded.exe")); }, 10000));
  ChildProcess adopter;
  ASSERT_TRUE(adopter.Start(VARNHOLTD_PATH, {"-quiet"}, game.path(), env, game.Sub("adopter.txt")));
  EXPECT_TRUE(WaitUntil(
      [&] { return LogHas(game, "Server is already running, monitoring enabled."); }, 10000));
  adopter.Signal(SIGTERM);
  ASSERT_TRUE(adopter.Wait(15000, &code));
}

// A remote administrator, with a client written from the wire rules, logs in to the running
// manager, moves files both ways and kicks a player of the real substitute server.
TEST_F(DemoInstallationTest, ARemoteAdministratorLogsInMovesFilesAndKicksAPlayer) {
  TempFolder game;
  MakeDemo(game);
  game.Write("Mods/ashfront/Settings/UserAccess.con", "boss,boss-pw,,4294967295,1\n");
  const uint16_t port = FreePort(SOCK_STREAM);
  ChildProcess daemon;
  ASSERT_TRUE(
      StartDaemon(&daemon, game, {"-start", "-exit", "-quiet", "-port", std::to_string(port)}));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  EXPECT_TRUE(LogHas(game, "Listening on 0.0.0.0:" + std::to_string(port) + "."));
  // The plain-text account was written back enciphered at start-up.
  EXPECT_EQ(game.Read("Mods/ashfront/Settings/UserAccess.con").find("boss-pw"), std::string::npos);

  testing::RemoteTestClient client(port);
  ASSERT_EQ(client.Login("boss", "boss-pw"), 0);
  EXPECT_EQ(client.server_running_, 1);

  client.Request(kRequestBase + 10);
  EXPECT_EQ(client.ReceiveFile(), game.Read("Mods/ashfront/Settings/ServerMapList.con"));
  // The Status and Players pages of a client: the summary of the running game and the
  // player list file with the demo's four players.
  client.Request(kRequestBase + 21);
  const std::optional<std::string> status = client.ReceiveText();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->find('"'), 0u) << *status;
  EXPECT_NE(status->find(",Running,"), std::string::npos) << *status;
  EXPECT_NE(status->find(",Connected,"), std::string::npos) << *status;
  EXPECT_NE(status->find(",v1.1,"), std::string::npos) << *status;
  client.Request(kRequestBase + 12);
  const std::optional<std::string> players = client.ReceiveFile();
  ASSERT_TRUE(players);
  EXPECT_EQ(std::count(players->begin(), players->end(), '\n'), 4) << *players;
  // The file was only the vehicle of the reply.
  EXPECT_TRUE(WaitUntil([&] { return !testing::FileExists(game.Sub("PlayerList.con")); }));
  client.RequestFile(kRequestBase + 23, "Welcome to the front.\n");
  client.RequestText(kRequestBase + 35, "0,testing the remote kick,");
  const auto kicked = client.ReceiveNotification();
  ASSERT_TRUE(kicked);
  EXPECT_EQ(kicked->first, kNotifyPlayerKicked);
  EXPECT_FALSE(kicked->second.empty());
  EXPECT_TRUE(WaitUntil([&] { return LogHas(game, " for testing the remote kick."); }))
      << game.Read("Varnholt.log");
  EXPECT_TRUE(LogHas(game, "User boss at " + client.address() + " updated the announcements."));
  EXPECT_EQ(game.Read("Mods/ashfront/Settings/Announcements.con"), "Welcome to the front.\n");
  EXPECT_EQ(game.Read("Varnholt.log").find("boss-pw"), std::string::npos);

  daemon.Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace varnholt

namespace varnholt {
namespace {

// With statistics on, the end of a round of the demo's game server is written to the
// statistics file once, one line per player, however many status ticks see the round's end.
TEST_F(DemoInstallationTest, ARoundEndWritesThePlayerStatistics) {
  TempFolder game;
  MakeDemo(game);
  std::string con = game.Read("Mods/ashfront/Settings/Varnholt.con");
  game.Write("Mods/ashfront/Settings/Varnholt.con",
             con + "manager.statCollection 1\r\nmanager.statFilePath Stats\\rounds.csv\r\n");
  game.Write("Stats/keep", "");
  game.Write("ashfront-sim.options", "--static\n--players=3\n--chat-every=0\n");
  ChildProcess daemon;
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-start", "-exit", "-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  game.Write("control.tmp", "end-round\n");
  std::filesystem::rename(game.Sub("control.tmp"), game.Sub("ashfront-sim.control"));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, "Player stats logged to CSV file."); }, 20000))
      << game.Read("Varnholt.log");
  const std::string csv = game.Read("Stats/rounds.csv");
  EXPECT_EQ(
      csv.find("date,time,server,map,gamemode,rounds,timelimit,axis_tickets,allied_tickets\r\n"
               "player,team,score,kills,deaths,ping,ip,keyhash,pbguid\r\n"),
      0u)
      << csv;
  EXPECT_NE(csv.find(",\"Varnholt demo server\","), std::string::npos) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2 + 1 + 3) << csv;
  daemon.Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
  // Every tick of the ended round saw "end"; the statistics went out once.
  const std::string log = game.Read("Varnholt.log");
  EXPECT_EQ(log.find("Player stats logged to CSV file."),
            log.rfind("Player stats logged to CSV file."));
}

// A player of the demo who uses a banned word in chat three times is warned twice and then
// kicked by the running manager: chat reaches it through the console polls of the status
// timer, the warnings and the kick through its queue and the game server.
TEST_F(DemoInstallationTest, AChatOffenderIsWarnedTwiceThenKicked) {
  TempFolder game;
  MakeDemo(game);
  game.Write("ashfront-sim.options",
             "--static\n--players=2\n--chat-every=0\n--player=Mouthy|1|40|10.0.0.9:5000\n");
  ChildProcess daemon;
  // -exit: the game server ends with the manager and outlives no test.
  ASSERT_TRUE(StartDaemon(&daemon, game, {"-start", "-exit", "-quiet"}));
  ASSERT_TRUE(WaitUntil([&] { return LogHas(game, " : Connected\r\n"); }, 20000))
      << game.Read("Varnholt.log");
  game.Write("control.tmp", "chat Mouthy you noob\nchat Mouthy NOOB\nchat Mouthy noob!\n");
  std::filesystem::rename(game.Sub("control.tmp"), game.Sub("ashfront-sim.control"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        return LogHas(game, "Auto-kicked Mouthy (") &&
               LogHas(game, "User operator at console kicked player Mouthy (");
      },
      20000))
      << game.Read("Varnholt.log");
  std::string log = game.Read("Varnholt.log");
  EXPECT_NE(log.find("for using banned words in chat messages (noob)."), std::string::npos);
  EXPECT_NE(log.find("said '[VRNH] Mouthy do not use the word noob in chat'"), std::string::npos)
      << log;
  daemon.Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(daemon.Wait(15000, &code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(LogHas(game, "Server stopped due to exit."));
}

}  // namespace
}  // namespace varnholt
