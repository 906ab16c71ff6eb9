// varnlink end to end: the real program against a real varnholtd on loopback, running the
// demo installation with the substitute game server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/free_port.h"
#include "support/remote_test_client.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "varnlink/exit_codes.h"

namespace varnholt::varnlink {
namespace {

using testing::ChildProcess;
using testing::FreePort;
using testing::TempFolder;
using testing::WaitUntil;

constexpr const char* kKeyhash = "0123456789abcdef0123456789abcdef";

struct RunResult {
  int exit = -1;
  std::string out;
  std::string err;
};

class VarnlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(runtime_.path());
    std::string command = std::string("'") + SOURCE_DIR + "/scripts/make-demo.sh' '" +
                          game_.path() + "' '" + BINARY_DIR + "' > /dev/null";
    ASSERT_EQ(system(command.c_str()), 0);
    game_.Write("ashfront-sim.options",
                std::string("--static\n--chat-every=0\n--player=Kicky|1|40|10.1.2.3:5000|") +
                    kKeyhash + "\n--player=Stays|2|50\n");
    std::string con = game_.Read("Mods/ashfront/Settings/Varnholt.con");
    con += "game.serverPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "manager.consolePort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "game.gameSpyLANPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    game_.Write("Mods/ashfront/Settings/Varnholt.con", con);
    // Plain-text accounts, enciphered by the manager when it reads them: an administrator,
    // one with the Status page only, and a disabled one.
    game_.Write("Mods/ashfront/Settings/UserAccess.con",
                "admin,s3cret,,4294967295,1\nviewer,look,,32,1\ngone,gone,,4294967295,0\n");
    port_ = FreePort(SOCK_STREAM);
    ASSERT_TRUE(daemon_.Start(VARNHOLTD_PATH, {"-start", "-quiet", "-port", std::to_string(port_)},
                              game_.path(), {"XDG_RUNTIME_DIR=" + runtime_.path(), "TZ=UTC"},
                              game_.Sub("stderr.txt")));
    ASSERT_TRUE(
        WaitUntil([&] { return Log().find(" : Connected\r\n") != std::string::npos; }, 20000))
        << Log();
  }
  void TearDown() override {
    daemon_.Signal(SIGTERM);
    daemon_.Wait(15000);
  }

  std::string Log() const { return game_.Read("Varnholt.log"); }

  std::vector<std::string> Env(const std::string& password) const {
    std::vector<std::string> env = {"HOME=" + home_.path(), "XDG_CONFIG_HOME=" + home_.Sub("cfg"),
                                    "TZ=UTC"};
    env.push_back(password.empty() ? "VARNLINK_PASSWORD" : "VARNLINK_PASSWORD=" + password);
    env.insert(env.end(), extra_env_.begin(), extra_env_.end());
    return env;
  }

  // Starts varnlink with its standard output in `out_name` under the home folder.
  bool Start(ChildProcess* child, const std::vector<std::string>& args, const std::string& user,
             const std::string& password, const std::string& out_name) {
    std::vector<std::string> sh = {"-c", "exec \"$0\" \"$@\" > '" + home_.Sub(out_name) + "'",
                                   VARNLINK_PATH, "-p", std::to_string(port_)};
    if (!user.empty()) {
      sh.push_back("-u");
      sh.push_back(user);
    }
    sh.insert(sh.end(), args.begin(), args.end());
    return child->Start("/bin/sh", sh, home_.path(), Env(password), home_.Sub(out_name + ".err"));
  }

  RunResult Varnlink(const std::vector<std::string>& args, const std::string& user = "admin",
                     const std::string& password = "s3cret") {
    ChildProcess child;
    RunResult run;
    EXPECT_TRUE(Start(&child, args, user, password, "out"));
    EXPECT_TRUE(child.Wait(30000, &run.exit));
    run.out = home_.Read("out");
    run.err = home_.Read("out.err");
    return run;
  }

  TempFolder runtime_;
  TempFolder game_;
  TempFolder home_;
  ChildProcess daemon_;
  uint16_t port_ = 0;
  std::vector<std::string> extra_env_;
};

TEST_F(VarnlinkTest, LoginRefusalsAndTheConfigFileEndWithTheirOwnCodes) {
  RunResult run = Varnlink({"clients"}, "admin", "wrong");
  EXPECT_EQ(run.exit, kExitWrongPassword);
  EXPECT_NE(run.err.find("login refused: The specified password is invalid."), std::string::npos)
      << run.err;
  EXPECT_EQ(Varnlink({"clients"}, "nobody", "x").exit, kExitBadAccount);
  EXPECT_EQ(Varnlink({"clients"}, "gone", "gone").exit, kExitBadAccount);
  {
    // Every client slot taken (the administrator may log in many times).
    std::vector<std::unique_ptr<testing::RemoteTestClient>> others;
    for (int i = 0; i < 16; ++i) {
      others.push_back(std::make_unique<testing::RemoteTestClient>(port_));
      ASSERT_EQ(others.back()->Login("admin", "s3cret"), 0) << i;
    }
    run = Varnlink({"clients"});
    EXPECT_EQ(run.exit, kExitTableFull);
    EXPECT_NE(run.err.find("maximum number of connected clients"), std::string::npos) << run.err;
  }
  // The slots come free as the manager sees the connections close.
  ASSERT_TRUE(WaitUntil([&] { return Varnlink({"clients"}).exit == kExitOk; }));
  run = Varnlink({"-p", std::to_string(FreePort(SOCK_STREAM)), "clients"});
  EXPECT_EQ(run.exit, kExitCannotConnect);
  EXPECT_NE(run.err.find("cannot connect to 127.0.0.1:"), std::string::npos) << run.err;

  // A profile gives user and password; the file is refused while others may read it.
  const std::string config = home_.Write(
      "cfg/varnlink/config", "[lan]\nhost = 127.0.0.1\nuser = admin\npassword = s3cret\n");
  chmod(config.c_str(), 0644);
  run = Varnlink({"-P", "lan", "clients"}, "", "");
  EXPECT_EQ(run.exit, kExitUsage);
  EXPECT_NE(run.err.find("mode is 0644"), std::string::npos) << run.err;
  chmod(config.c_str(), 0600);
  run = Varnlink({"-P", "lan", "--json", "clients"}, "", "");
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\"user\":\"admin\""), std::string::npos) << run.out;
  EXPECT_EQ(Varnlink({"-P", "elsewhere", "clients"}, "", "").exit, kExitUsage);

  // A user changes his own password; the old one no longer logs in.
  extra_env_ = {"VARNLINK_NEW_PASSWORD=n3wlook"};
  run = Varnlink({"passwd"}, "viewer", "look");
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("password changed"), std::string::npos) << run.out;
  extra_env_.clear();
  EXPECT_EQ(Varnlink({"get", "settings"}, "viewer", "look").exit, kExitWrongPassword);
  EXPECT_EQ(Varnlink({"get", "settings"}, "viewer", "n3wlook").exit, kExitOk);
}

TEST_F(VarnlinkTest, CommandsReachTheServerAndRefusalsSayWhy) {
  // The login check happens only at login; bad arguments are caught before connecting.
  EXPECT_EQ(Varnlink({"ban", "--keyhash", "12345"}).exit, kExitUsage);
  EXPECT_EQ(Varnlink({"ban", "--address", "10.1.2.3", "--for", "soon"}).exit, kExitUsage);

  RunResult run = Varnlink({"clients"});
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("SLOT  USER"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("admin"), std::string::npos) << run.out;

  // The server's own texts: the status summary and the player list file.
  run = Varnlink({"status"});
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find(",Running,"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(",Connected,"), std::string::npos) << run.out;
  run = Varnlink({"players"});
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\"Kicky\",0,"), std::string::npos) << run.out;

  run = Varnlink({"bans"}, "viewer", "look");
  EXPECT_EQ(run.exit, kExitNoRight);
  EXPECT_NE(run.err.find("needs the Banlist page right"), std::string::npos) << run.err;

  run = Varnlink({"console", "admin.listPlayers"});
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("console command sent"), std::string::npos);
  EXPECT_EQ(Varnlink({"say", "hello", "all"}).exit, kExitOk);
  run = Varnlink({"map", "nowhere"});
  EXPECT_EQ(run.exit, kExitFailed);
  EXPECT_NE(run.err.find("a level of this server"), std::string::npos) << run.err;

  // A watcher hears the kick the second client makes, by name, as JSON.
  ChildProcess watcher;
  ASSERT_TRUE(Start(&watcher, {"watch", "--json"}, "viewer", "look", "watch"));
  // Logged in once the client list holds it beside the client that asks.
  ASSERT_TRUE(WaitUntil([&] {
    return Varnlink({"--json", "clients"}).out.find("},{") != std::string::npos;
  }));
  // The manager learns the players from the console a moment after it connects.
  ASSERT_TRUE(WaitUntil(
      [&] {
        return Varnlink({"kick", "0", "testing"}).exit == kExitOk;
      },
      20000))
      << Log();
  ASSERT_TRUE(
      WaitUntil([&] { return home_.Read("watch").find("player-kicked") != std::string::npos; }));
  const std::string seen = home_.Read("watch");
  EXPECT_NE(seen.find("\"name\":\"player-kicked\",\"text\":\"Kicky\""), std::string::npos) << seen;
  EXPECT_NE(seen.find("\"code\":\"0xBEEF0020\""), std::string::npos) << seen;

  // The administrator disconnects the watcher, which hears why and ends.
  run = Varnlink({"--json", "clients"});
  const size_t row = run.out.find("\"user\":\"viewer\"");
  ASSERT_NE(row, std::string::npos) << run.out;
  const size_t slot_at = run.out.rfind("\"slot\":\"", row) + 8;
  const std::string slot = run.out.substr(slot_at, run.out.find('"', slot_at) - slot_at);
  EXPECT_EQ(Varnlink({"disconnect", slot}).exit, kExitOk);
  int watch_exit = -1;
  ASSERT_TRUE(watcher.Wait(10000, &watch_exit));
  EXPECT_EQ(watch_exit, kExitConnectionLost);
  EXPECT_NE(home_.Read("watch").find("\"name\":\"disconnected\""), std::string::npos);
  EXPECT_EQ(Varnlink({"disconnect", "1"}, "viewer", "look").exit, kExitNoRight);

  run = Varnlink({"ban", "--address", "10.9.8.7", "--name", "Far", "--for", "2h", "rude"});
  EXPECT_EQ(run.exit, kExitOk) << run.err << Log();
  run = Varnlink({"--json", "bans"});
  EXPECT_EQ(run.exit, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\"player\":\"Far\",\"address\":\"10.9.8.7\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"expires\":\"20"), std::string::npos) << run.out;
  EXPECT_EQ(Varnlink({"unban", "--address", "10.9.8.7", "--name", "Far"}).exit, kExitOk);
}

TEST_F(VarnlinkTest, FilesMakeTheRoundTripByteForByte) {
  for (const char* kind : {"maplist", "banlist", "schedule", "announcements", "bannedwords",
                           "pbsv.cfg", "customcombat"}) {
    const std::string mine =
        std::string("# sent by the test for ") + kind + "\r\n" + std::string(3000, 'x') + "\r\n";
    // Content the server must accept for what it is: a map rotation of its own levels.
    const std::string contents =
        std::string(kind) == "maplist" ? "game.addLevel hue GPM_CQ ashfront\r\n" : mine;
    home_.Write("put.txt", contents);
    RunResult run = Varnlink({"put", kind, home_.Sub("put.txt")});
    EXPECT_EQ(run.exit, kExitOk) << kind << ": " << run.err;
    run = Varnlink({"get", kind, home_.Sub("got.txt")});
    EXPECT_EQ(run.exit, kExitOk) << kind << ": " << run.err;
    EXPECT_EQ(home_.Read("got.txt"), contents) << kind;
  }
  for (const char* kind : {"settings", "users", "mods", "maps", "playermenu", "log"}) {
    RunResult run = Varnlink({"get", kind});
    EXPECT_EQ(run.exit, kExitOk) << kind << ": " << run.err;
    EXPECT_FALSE(run.out.empty()) << kind;
  }
  EXPECT_EQ(Varnlink({"put", "log", home_.Sub("got.txt")}).exit, kExitUsage);
  EXPECT_EQ(Varnlink({"get", "passwords"}).exit, kExitUsage);
}

}  // namespace
}  // namespace varnholt::varnlink
