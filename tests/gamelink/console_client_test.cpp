// The remote console client against the real ashfront-sim process over loopback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamelink/console_wire.h"
#include "gamelink_harness.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "support/child_process.h"

namespace varnholt::testing {
namespace {

class RecordingSink final : public ChatSink {
 public:
  void CheckChatWords(const std::string& chat) override { words.push_back(chat); }
  void ParseChatCommand(const std::string& chat) override { commands.push_back(chat); }
  std::vector<std::string> words;
  std::vector<std::string> commands;
};

class ConsoleClientTest : public GameLinkTest {
 protected:
  bool StartSim(const std::vector<std::string>& options = {}, bool punkbuster = false) {
    if (!sim_.Start(options, punkbuster)) return false;
    UseSim(sim_);
    return true;
  }
  SimServer sim_;
};

TEST_F(ConsoleClientTest, ConnectLogsInAndIdentifiesTheStatusPort) {
  ASSERT_TRUE(StartSim());
  std::vector<bool> changes;
  int sync_calls = 0;
  ConsoleHooks hooks;
  hooks.read_settings = [&] { return ++sync_calls > 0; };
  hooks.get_player_list = [&] { return ++sync_calls > 0; };
  hooks.connection_changed = [&](bool connected) { changes.push_back(connected); };
  console_.SetHooks(hooks);
  console_.SetMessageLog(folder_.Sub("message.log"));

  ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
  EXPECT_TRUE(console_.ConsoleConnected());
  EXPECT_EQ(status_.StatusPort(), sim_.query_port());
  EXPECT_EQ(sync_calls, 2);
  EXPECT_TRUE(Logged("Connected"));
  EXPECT_NE(ReadFileText(folder_.Sub("message.log")).find("pb_sv_writecfg"), std::string::npos);

  console_.ConsoleDisconnect();
  EXPECT_FALSE(console_.ConsoleConnected());
  EXPECT_EQ(status_.StatusPort(), 0);
  EXPECT_TRUE(Logged("Disconnected"));
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(ConsoleClientTest, RefusedLoginLeavesNoConnectionAndNoDisconnectLine) {
  ASSERT_TRUE(StartSim());
  console_.SetCredentials(kSimUser, "wrong");
  EXPECT_FALSE(console_.ConsoleConnect());
  EXPECT_EQ(GetLastErrorCode(), kErrorConsoleLogin);
  EXPECT_FALSE(console_.ConsoleConnected());
  EXPECT_FALSE(Logged("Disconnected"));
  EXPECT_TRUE(sim_.WaitForOutput("Console login refused"));
}

TEST_F(ConsoleClientTest, FailedSyncStepsDisconnectWithTheirCodes) {
  ASSERT_TRUE(StartSim());
  console_.SetDebug(true);
  ConsoleHooks hooks;
  hooks.read_settings = [] { return false; };
  console_.SetHooks(hooks);
  EXPECT_FALSE(console_.ConsoleConnect());
  EXPECT_EQ(GetLastErrorCode(), kErrorServerSettings);
  EXPECT_TRUE(Logged("DEBUG: Couldn't sync current settings!"));
  EXPECT_TRUE(Logged("Disconnected"));

  hooks.read_settings = nullptr;
  hooks.get_player_list = [] { return false; };
  console_.SetHooks(hooks);
  EXPECT_FALSE(console_.ConsoleConnect());
  EXPECT_EQ(GetLastErrorCode(), kErrorPlayerList);
  EXPECT_FALSE(console_.ConsoleConnected());
}

TEST_F(ConsoleClientTest, NoServerOrNoAddressFailsQuietly) {
  console_.SetDebug(true);
  EXPECT_EQ(console_.RunConsoleCommand("admin.restartMap"), nullptr);
  EXPECT_TRUE(Logged("Couldn't send message admin.restartMap to console! Not connected."));
  EXPECT_EQ(console_.PollConsoleOutput(), nullptr);
  EXPECT_EQ(GetLastErrorCode(), kErrorNotConnected);
  EXPECT_EQ(console_.GetPunkBusterVersion(), "(version unknown)");

  // Nothing listens on the port: counts as a timed-out attempt, retried by the next tick.
  FakeStatusServer unused(RulesAnswer({}));
  UseServer(unused.port(), unused.port());
  EXPECT_FALSE(console_.ConsoleConnect());
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);

  settings_.SetAddress(setting_rows::kServerIp, 0);
  EXPECT_FALSE(console_.ConsoleConnect());
  EXPECT_EQ(GetLastErrorCode(), 0u);
  EXPECT_TRUE(Logged("Couldn't connect to server console! Server IP address is zero."));
}

TEST_F(ConsoleClientTest, MultiLineCommandAndChatInResponseAndPoll) {
  ASSERT_TRUE(StartSim({"--player=anna|1|40|10.0.0.5:5000|0123456789abcdef0123456789abcdef",
                        "--player=Bo Lind|2|50|10.0.0.6:5000|-"}));
  RecordingSink sink;
  console_.SetChatSink(&sink);
  std::vector<std::string> notified;
  ConsoleHooks hooks;
  hooks.notify_clients = [&](uint32_t code, std::string_view data) {
    EXPECT_EQ(code, kChatNotifyCode);
    notified.emplace_back(data);
  };
  console_.SetHooks(hooks);
  ASSERT_TRUE(console_.ConsoleConnect());

  const std::string* r = console_.RunConsoleCommand("game.listPlayers\nno.such.command\n");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(*r,
            "Id:0 - anna is remote ip: 10.0.0.5:5000 hash:0123456789abcdef0123456789abcdef\n"
            "Id:1 - Bo Lind is remote ip: 10.0.0.6:5000\n"
            "Unknown command: no.such.command\n");

  // A chat line that arrives between exchanges rides along in the next response.
  sim_.Control("chat anna hello there");
  ASSERT_TRUE(sim_.WaitForOutput("hello there"));
  r = console_.RunConsoleCommand("admin.nrOfTKToKick");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->find("hello"), std::string::npos);
  ASSERT_EQ(sink.commands.size(), 1u);
  EXPECT_EQ(sink.commands[0], "ALL anna: hello there");
  EXPECT_TRUE(sink.words.empty());  // the banned-word check only with manager.autoKickWord
  EXPECT_TRUE(Logged("# ALL anna: hello there"));
  ASSERT_EQ(notified.size(), 1u);
  EXPECT_EQ(notified[0], std::string("ALL anna: hello there") + '\0');

  // And in a poll of the console output.
  settings_.SetInt(setting_rows::kAutoKickWord, 1);
  console_.SetLogPlayerChat(false);
  sim_.Control("teamchat \"Bo Lind\" go go go");
  ASSERT_TRUE(sim_.WaitForOutput("go go go"));
  r = console_.PollConsoleOutput();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->find("go go go"), std::string::npos);
  ASSERT_EQ(sink.commands.size(), 2u);
  EXPECT_EQ(sink.commands[1], "TEAM Bo Lind: go go go");
  EXPECT_EQ(sink.words, std::vector<std::string>{"TEAM Bo Lind: go go go"});
  EXPECT_EQ(notified.size(), 1u);  // not passed on with LogPlayerChat off
}

TEST_F(ConsoleClientTest, MessageLogHoldsRequestBytesAndResponseText) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(console_.ConsoleConnect());
  const std::string path = folder_.Sub("message.log");
  console_.SetMessageLog(path);
  const std::string* r = console_.RunConsoleCommand("admin.nrOfTKToKick");
  ASSERT_NE(r, nullptr);
  std::string frame;
  BuildCommandFrame("admin.nrOfTKToKick", &frame);
  EXPECT_EQ(ReadFileText(path), "--Message--" + frame + "--Response--" + *r);
  EXPECT_FALSE(r->empty());
}

TEST_F(ConsoleClientTest, PunkBusterVersionIsAskedOncePerConnection) {
  ASSERT_TRUE(StartSim({}, /*punkbuster=*/true));
  int waits = 0;
  ConsoleHooks hooks;
  hooks.pump_wait = [&](uint32_t ms) {
    EXPECT_EQ(ms, kPunkBusterWaitMs);
    ++waits;
  };
  console_.SetHooks(hooks);
  ASSERT_TRUE(console_.ConsoleConnect());
  EXPECT_EQ(console_.GetPunkBusterVersion(), "(v1.180 | A1386 C2.218)");
  EXPECT_EQ(console_.GetPunkBusterVersion(), "(v1.180 | A1386 C2.218)");
  EXPECT_EQ(waits, 1);
  console_.ConsoleDisconnect();
  ASSERT_TRUE(console_.ConsoleConnect());
  EXPECT_EQ(console_.GetPunkBusterVersion(), "(v1.180 | A1386 C2.218)");
  EXPECT_EQ(waits, 2);
}

TEST_F(ConsoleClientTest, AServerThatStopsAnsweringTimesOut) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(console_.ConsoleConnect());
  sim_.Control("hang");
  ASSERT_TRUE(sim_.WaitForOutput("Hanging"));
  EXPECT_EQ(console_.RunConsoleCommand("admin.restartMap"), nullptr);
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  EXPECT_FALSE(console_.ConsoleConnected());
  EXPECT_TRUE(Logged("Couldn't send message to console! A connection attempt failed"));
  EXPECT_TRUE(Logged("(10060)"));
  EXPECT_TRUE(Logged("Disconnected"));
}

TEST_F(ConsoleClientTest, AServerThatGoesAwayResetsTheConnection) {
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(console_.ConsoleConnect());
  sim_.Control("crash");
  ASSERT_TRUE(sim_.WaitForOutput("Crashing on request"));
  sim_.Kill();  // reaped, so its sockets are surely gone
  EXPECT_EQ(console_.RunConsoleCommand("admin.restartMap"), nullptr);
  EXPECT_EQ(GetLastErrorCode(), kWsaConnectionReset);
  EXPECT_TRUE(Logged("Connection reset"));
  EXPECT_TRUE(Logged("Disconnected"));
  EXPECT_FALSE(console_.ConsoleConnected());
}

}  // namespace
}  // namespace varnholt::testing
