#include "program/dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/notify_codes.h"
#include "gamelink/chat_pieces.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::RecordingGameLink;
using testing::TempFolder;

// Subsystems as the dispatcher sees them, recording what it asked for.
class RecordingServices : public DispatchServices {
 public:
  std::string ClientSlotName(int slot) override { return slot == 3 ? "alice" : "[unknown]"; }
  std::string ClientSlotAddress(int slot) override { return slot == 3 ? "10.0.0.9" : "[unknown]"; }
  std::string AccountName(int row) override { return row == 2 ? "gameadmin" : ""; }
  bool ClientIsCurrent(int, uint32_t generation) override { return generation == 7; }
  void NotifyClient(int32_t origin, uint32_t code) override { replies.push_back({origin, code}); }
  void NotifyClients(uint32_t code, std::string_view data, bool) override {
    notified.push_back({code, std::string(data)});
  }
  bool ServerRunning() override { return running; }
  void SetCurrentLevel(const std::string& level) override { current_level = level; }
  void SetRotationDirty() override { dirty = true; }
  bool GamePaused() override { return paused; }
  void SetGamePaused(bool p) override { paused = p; }

  std::vector<std::pair<int32_t, uint32_t>> replies;
  std::vector<std::pair<uint32_t, std::string>> notified;
  bool running = true;
  bool paused = false;
  bool dirty = false;
  std::string current_level;
};

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() : log_(tmp_.path(), clock_), dispatcher_(log_, link_, services_) {}

  void Run(uint32_t code, const std::string& text, int32_t origin = 0) {
    Command c;
    c.code = code;
    snprintf(c.text, sizeof c.text, "%s", text.c_str());
    c.number = origin;
    dispatcher_.DispatchCommand(c);
  }
  std::string Log() { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  RecordingGameLink link_;  // the console commands the dispatcher ran
  RecordingServices services_;
  Dispatcher dispatcher_;
};

TEST(DispatcherTable, EveryCodeHasItsOwnHandlerInItsRow) {
  EXPECT_TRUE(Dispatcher::CommandTableInPlace());
}

TEST_F(DispatcherTest, OriginatorNames) {
  EXPECT_EQ(dispatcher_.GetClientName(0), "operator");
  EXPECT_EQ(dispatcher_.GetClientAddress(0), "console");
  EXPECT_EQ(dispatcher_.GetClientName(3), "alice");
  EXPECT_EQ(dispatcher_.GetClientAddress(3), "10.0.0.9");
  EXPECT_EQ(dispatcher_.GetClientName(0xFF02), "gameadmin");
  EXPECT_EQ(dispatcher_.GetClientAddress(0xFF02), "game");
  EXPECT_EQ(dispatcher_.GetClientName(0xFF07), "[unknown]");
  EXPECT_EQ(dispatcher_.GetClientName(17), "[unknown]");
  EXPECT_EQ(dispatcher_.GetClientAddress(-5), "[unknown]");
}

// A client who left after his request was read: the work is done, but neither named after
// nor reported to whoever holds his slot now.
TEST_F(DispatcherTest, AClientWhoLeftIsNeitherNamedNorAnswered) {
  Command c;
  c.code = kCmdRestartMap;
  c.number = 3;
  c.client_generation = 6;
  link_.fail_after = 0;
  dispatcher_.DispatchCommand(c);
  EXPECT_TRUE(services_.replies.empty());
  c.client_generation = 7;
  dispatcher_.DispatchCommand(c);
  EXPECT_EQ(services_.replies, (std::vector<std::pair<int32_t, uint32_t>>{{3, kNotifyFailed}}));
  link_.fail_after = -1;
  link_.commands.clear();
  c.client_generation = 6;
  dispatcher_.DispatchCommand(c);
  EXPECT_NE(Log().find("User [unknown] at [unknown] restarted the current map."),
            std::string::npos);
  EXPECT_EQ(Log().find("User alice"), std::string::npos);
}

TEST_F(DispatcherTest, ChatIsSentInPiecesLoggedWithBlanksAndReplied) {
  std::string text = "this is a rather long chat message that needs to be split into two pieces ok";
  Run(kCmdChat, text, 3);
  ASSERT_EQ(link_.commands.size(), 2u);
  EXPECT_EQ(link_.commands[0].rfind("game.sayAll \"this\x80is", 0), 0u);
  EXPECT_NE(Log().find(" : User alice at 10.0.0.9 said '" + text + "'.\r\n"), std::string::npos);
  ASSERT_EQ(services_.replies.size(), 1u);
  EXPECT_EQ(services_.replies[0], std::make_pair(3, static_cast<uint32_t>(kNotifyChatSent)));
}

TEST_F(DispatcherTest, ChatStartingWithStarIsNotLoggedAndAFailedPieceStopsAll) {
  Run(kCmdChat, "*quiet");
  EXPECT_EQ(Log().find("said"), std::string::npos);
  link_.commands.clear();
  link_.fail_after = 1;
  services_.replies.clear();
  Run(kCmdServerMessage, std::string(200, 'x'), 3);
  EXPECT_EQ(link_.commands.size(), 2u);  // the second piece failed; nothing after it
  EXPECT_NE(Log().find("Couldn't send server message! The command failed."), std::string::npos);
  EXPECT_EQ(services_.replies.back().second, static_cast<uint32_t>(kNotifyFailed));
  EXPECT_EQ(Log().find("said 'xxx"), std::string::npos);
}

TEST_F(DispatcherTest, SetNextMapWhileStoppedSucceedsWithoutConsole) {
  services_.running = false;
  Run(kCmdSetNextMap, "gulf_of_oman");
  EXPECT_TRUE(link_.commands.empty());
  EXPECT_EQ(services_.current_level, "gulf_of_oman");
  EXPECT_TRUE(services_.dirty);
  EXPECT_NE(Log().find("User operator at console changed the next map to gulf_of_oman."),
            std::string::npos);
  ASSERT_EQ(services_.notified.size(), 1u);
  EXPECT_EQ(services_.notified[0].first, static_cast<uint32_t>(kNotifyNextMapSet));
}

TEST_F(DispatcherTest, PauseTogglesTheFlagAndFailuresReplyToTheOrigin) {
  Run(kCmdTogglePause, "");
  EXPECT_TRUE(services_.paused);
  Run(kCmdTogglePause, "");
  EXPECT_FALSE(services_.paused);
  std::string log = Log();
  EXPECT_NE(log.find("User operator at console paused the server."), std::string::npos);
  EXPECT_NE(log.find("User operator at console unpaused the server."), std::string::npos);
  link_.fail_after = 0;
  Run(kCmdRestartMap, "", 3);
  EXPECT_NE(Log().find("Couldn't restart map! The command failed."), std::string::npos);
  EXPECT_EQ(services_.replies.back(), std::make_pair(3, static_cast<uint32_t>(kNotifyFailed)));
}

TEST_F(DispatcherTest, CodesOutsideTheTableDoNothing) {
  Run(kCommandBase + 30, "x");
  Run(0x12345678, "x");
  EXPECT_TRUE(link_.commands.empty());
  EXPECT_FALSE(dispatcher_.Busy());
}

}  // namespace
}  // namespace varnholt
