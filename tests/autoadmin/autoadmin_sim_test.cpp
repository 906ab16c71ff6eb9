// The auto-admin end to end against the real ashfront-sim: the real game link and player
// list, the real dispatcher running the queued Commands through the ban subsystem, and a
// manual clock for the kick delay. Each "tick" is what the monitor tick does: rebuild the
// player list, apply the rules, then let the worker run what became due.
#include <gtest/gtest.h>

#include <memory>

#include "autoadmin/auto_admin.h"
#include "bans/bans.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink_harness.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "program/dispatcher.h"
#include "support/file_text.h"

namespace varnholt::testing {
namespace {

// The dispatcher's kicks and bans go to the ban subsystem.
class BanServices : public DispatchServices {
 public:
  explicit BanServices(Bans*& bans) : bans_(bans) {}
  bool KickPlayer(std::string_view text, const std::string& user,
                  const std::string& address) override {
    return bans_->KickCommand(text, user, address);
  }
  bool BanPlayer(std::string_view text, const std::string& user,
                 const std::string& address) override {
    return bans_->BanCommand(text, user, address);
  }

 private:
  Bans*& bans_;
};

class AutoAdminSimTest : public GameLinkTest {
 protected:
  AutoAdminSimTest()
      : players_(log_, settings_),
        link_(console_, status_, players_),
        queue_(clock_, log_),
        list_(log_),
        admin_log_(folder_.path(), true),
        services_(bans_ptr_),
        dispatcher_(log_, link_, services_) {
    clock_.SetCalendarSeconds(1'700'000'000);
    const std::string settings_folder = folder_.Sub("Mods/ashfront/Settings");
    CreateFolders(settings_folder);
    BanEnvironment ban_env;
    ban_env.server_running = [] { return true; };
    ban_env.punkbuster_installed = [] { return false; };
    ban_env.punkbuster_enabled = [] { return false; };
    ban_env.server_internet = [this] { return settings_.GetBool("game.serverInternet"); };
    ban_env.ban_in_af_and_pb = [] { return false; };
    bans_ = std::make_unique<Bans>(log_, clock_, link_, list_, admin_log_,
                                   BanFiles::In(folder_.path(), settings_folder), ban_env);
    bans_ptr_ = bans_.get();
    AutoAdminEnvironment env;
    env.kick_ban_delay = [this] { return delay_; };
    env.admin_messages = [] { return true; };
    env.mark_ping = [this](int id, std::string_view mark) { players_.MarkPing(id, mark); };
    files_ = AutoAdminFiles::In(settings_folder);
    admin_ = std::make_unique<AutoAdmin>(log_, clock_, link_, queue_, settings_, files_, env);
    console_.SetChatSink(admin_.get());
  }

  void Start(std::vector<std::string> options) {
    options.insert(options.begin(), {"--static", "--chat-every=0"});
    ASSERT_TRUE(sim_.Start(options));
    UseSim(sim_);
    ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
  }
  void Words(const std::string& text) {
    ASSERT_TRUE(WriteFileText(files_.banned_words, text));
    ASSERT_TRUE(admin_->LoadBannedWords());
  }
  // Runs every Command that is due, as the worker does.
  void RunDue() {
    Command c;
    while (queue_.TakeExecutable(&c)) dispatcher_.DispatchCommand(c);
  }
  void MonitorTick() {
    ASSERT_TRUE(players_.GetPlayerList(link_)) << ErrorText(GetLastErrorCode());
    ASSERT_TRUE(admin_->ApplyPlayerRules());
    RunDue();
  }
  void Say(const std::string& who, const std::string& message) {
    ASSERT_TRUE(link_.RunConsoleCommand("sim.chat " + who + " " + message));
    RunDue();
  }
  void Later(int seconds) { clock_.SetCalendarSeconds(clock_.CalendarSeconds() + seconds); }
  bool SimSaid(const std::string& text) { return sim_.Output().find(text) != std::string::npos; }

  SimServer sim_;
  PlayerList players_;
  GameLinkClients link_;
  CommandQueue queue_;
  BanList list_;
  AdminLog admin_log_;
  std::unique_ptr<Bans> bans_;
  Bans* bans_ptr_ = nullptr;
  BanServices services_;
  Dispatcher dispatcher_;
  AutoAdminFiles files_;
  std::unique_ptr<AutoAdmin> admin_;
  bool delay_ = false;
};

TEST_F(AutoAdminSimTest, AHighPingPlayerIsWarnedThreeTimesThenKickedAfterTheDelay) {
  settings_.SetInt("manager.autoKickPing", 1);
  settings_.SetInt("manager.autoKickPingValue", 500);
  settings_.SetInt("manager.highPingWarnings", 1);
  delay_ = true;
  Start({"--player=Bob|1|80", "--player=Lag|2|80"});
  ASSERT_TRUE(link_.RunConsoleCommand("sim.hold-ping Lag 600"));
  for (int i = 1; i <= 3; ++i) {
    MonitorTick();
    EXPECT_TRUE(sim_.WaitForOutput("ADMIN Server: [VRNH] Lag ping 600 exceeds maximum of 500 for " +
                                   std::to_string(i) + " times"));
  }
  PlayerRecord lag;
  ASSERT_TRUE(players_.FindPlayerById(link_.FindPlayerByExactName("Lag"), &lag));
  EXPECT_EQ(lag.ping, "600*");
  MonitorTick();
  EXPECT_TRUE(sim_.WaitForOutput("ADMIN Server: [VRNH] Kicking Lag for high-ping"));
  EXPECT_TRUE(Logged("Auto-kicked Lag ("));
  EXPECT_FALSE(SimSaid("Lag was kicked"));  // the delay has not passed
  Later(kKickBanDelaySeconds);
  RunDue();
  EXPECT_TRUE(sim_.WaitForOutput("Lag was kicked"));
  EXPECT_TRUE(Logged("User operator at console kicked player Lag ("));
  // One record of the kick, written when it was made.
  const std::string records = ReadFileText(admin_log_.Path());
  EXPECT_EQ(records.find("\"Lag\","), records.rfind("\"Lag\",")) << records;
  EXPECT_NE(records.find(",kick,0,high-ping\r\n"), std::string::npos) << records;
  EXPECT_FALSE(SimSaid("Bob ping"));
}

TEST_F(AutoAdminSimTest, AChattingOffenderIsWarnedTwiceKickedThenBannedWhenTheCountIsReached) {
  settings_.SetInt("manager.autoKickWord", 1);
  settings_.SetInt("manager.autoBan", 1);
  settings_.SetInt("manager.autoBanValue", 2);
  Start({"--player=Bob|1|80", "--player=Ann|2|80"});
  ASSERT_TRUE(players_.GetPlayerList(link_));
  Words("idiot\n");
  Say("Bob", "you IDIOT");
  Say("Bob", "idiot again");
  EXPECT_TRUE(sim_.WaitForOutput("[VRNH] Bob do not use the word idiot in chat"));
  EXPECT_FALSE(SimSaid("Bob was kicked"));
  Say("Bob", "idiot!");
  EXPECT_TRUE(sim_.WaitForOutput("[VRNH] Kicking Bob for using banned words"));
  EXPECT_TRUE(sim_.WaitForOutput("Bob was kicked"));

  // He comes back under the same name and slot and offends at once: the count is reached.
  Later(60);
  ASSERT_TRUE(link_.RunConsoleCommand("sim.rejoin"));
  ASSERT_TRUE(players_.GetPlayerList(link_));
  ASSERT_GE(link_.FindPlayerByExactName("Bob"), 0);
  Say("Bob", "idiot");
  EXPECT_TRUE(sim_.WaitForOutput("[VRNH] Banned Bob for using banned words"));
  EXPECT_TRUE(Logged("Auto-banned Bob ("));
  EXPECT_TRUE(Logged("permanently for too many kicks for banned words."));
  ASSERT_TRUE(link_.RunConsoleCommand("sim.rejoin"));
  EXPECT_TRUE(sim_.WaitForOutput("Bob was refused: banned"));
  // A speaker who is not on the server is left alone.
  ASSERT_TRUE(link_.RunConsoleCommand("sim.chat-raw ALL Ghost: idiot"));
  RunDue();
  EXPECT_FALSE(SimSaid("Ghost do not use"));
}

TEST_F(AutoAdminSimTest, ANameCannotInjectAnotherPlayersPing) {
  settings_.SetInt("manager.autoKickPing", 1);
  settings_.SetInt("manager.autoKickPingValue", 500);
  settings_.SetInt("manager.highPingWarnings", 1);
  Start({"--raw-backslashes", "--player=Evil\\ping_1\\999|1|40", "--player=Bob|2|40"});
  for (int i = 0; i < 5; ++i) MonitorTick();
  PlayerRecord bob;
  ASSERT_TRUE(players_.FindPlayerById(link_.FindPlayerByExactName("Bob"), &bob));
  EXPECT_EQ(bob.ping, "40");
  EXPECT_FALSE(SimSaid("exceeds maximum"));
  EXPECT_FALSE(SimSaid("was kicked"));
}

}  // namespace
}  // namespace varnholt::testing
