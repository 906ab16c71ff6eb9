// The player menu on the default PlayerMenu.con and on lines of our own, and the "!" commands
// of in-game administrators, with a scripted player list and the real command queue.
#include "autoadmin/player_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "autoadmin/in_game_commands.h"
#include "autoadmin/player_menu_default.h"
#include "bans/bans.h"
#include "core/notify_codes.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class PlayersLink final : public testing::RecordingGameLink {
 public:
  std::vector<PlayerRecord> Players() const override { return players; }
  bool FindPlayerById(int id, PlayerRecord* record) const override {
    for (const PlayerRecord& p : players) {
      if (p.id == id) {
        *record = p;
        return true;
      }
    }
    return false;
  }
  std::vector<PlayerRecord> players;
};

PlayerRecord Player(int id, const std::string& name, const std::string& keyhash) {
  PlayerRecord p;
  p.id = id;
  p.name = name;
  p.keyhash = keyhash;
  p.address = "10.0.0." + std::to_string(id);
  p.guid = std::string(32, 'a');
  return p;
}

class PlayerMenuTest : public ::testing::Test {
 protected:
  PlayerMenuTest()
      : log_(folder_.path(), clock_),
        queue_(clock_, log_),
        menu_(folder_.Sub("PlayerMenu.con"), log_, link_, queue_,
              PlayerMenuEnvironment{[this] { return delay_; }, [] { return false; }}) {
    folder_.Write("PlayerMenu.con", DefaultPlayerMenuText());
    link_.players = {Player(3, "Bob", "k3"), Player(4, "Bobby", "k4"),
                     Player(7, "Zed", "adminkey")};
  }
  // The number of the default file's line that starts with `text`.
  int LineOf(const std::string& text) {
    const std::string file = DefaultPlayerMenuText();
    size_t at = file.find("\n" + text);
    return at == std::string::npos
               ? 0
               : static_cast<int>(std::count(file.begin(), file.begin() + at + 1, '\n')) + 1;
  }
  std::vector<Command> Take() {
    Command slots[kQueueSlots];
    queue_.Snapshot(slots);
    std::vector<Command> out(slots, slots + queue_.Count());
    // Delayed Commands too: they are due once the delay has passed.
    const int64_t now = clock_.CalendarSeconds();
    clock_.AdvanceSeconds(kKickBanDelaySeconds);
    Command ignored;
    while (queue_.Count() > 0 && queue_.TakeExecutable(&ignored)) {
    }
    clock_.SetCalendarSeconds(now);
    return out;
  }
  static std::vector<std::string> Texts(const std::vector<Command>& commands) {
    std::vector<std::string> texts;
    for (const Command& c : commands) texts.push_back(c.text);
    return texts;
  }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  CommandQueue queue_;
  PlayersLink link_;
  bool delay_ = false;
  PlayerMenu menu_;
};

TEST_F(PlayerMenuTest, DefaultFileGivesShortcutsSubmenusAndTheFixedItems) {
  EXPECT_EQ(menu_.FindMenuShortcut("kick"), 37);
  EXPECT_EQ(menu_.FindMenuShortcut("BAN"), 58);
  EXPECT_EQ(menu_.FindMenuShortcut("nothing"), 0);
  std::vector<MenuItem> menu;
  ASSERT_TRUE(menu_.BuildPlayerMenu({true, true, {"root", "alice"}}, &menu));
  ASSERT_GT(menu.size(), 9u);
  EXPECT_EQ(menu[0].text, "Warn server");
  EXPECT_EQ(menu[0].submenu.size(), 13u);
  EXPECT_EQ(menu[0].submenu[0].id, 7);
  const MenuItem& accounts = menu[menu.size() - 3];
  EXPECT_EQ(accounts.text, "Copy keyhash to user");
  ASSERT_EQ(accounts.submenu.size(), 2u);
  EXPECT_EQ(accounts.submenu[1].id, kMenuAccountBase + 1);
  EXPECT_EQ(menu.back().id, kMenuEditBannedWords);
  // Without a player only the separator and the two editors follow the file's items.
  ASSERT_TRUE(menu_.BuildPlayerMenu({false, false, {}}, &menu));
  EXPECT_TRUE(menu[menu.size() - 3].separator);
  // A missing file: no menu and no shortcut, logged.
  PlayerMenu missing(folder_.Sub("nope.con"), log_, link_, queue_, {});
  EXPECT_FALSE(missing.BuildPlayerMenu({}, &menu));
  EXPECT_EQ(missing.FindMenuShortcut("kick"), 0);
  EXPECT_NE(folder_.Read("Varnholt.log").find("Couldn't open player menu file!"),
            std::string::npos);
}

TEST_F(PlayerMenuTest, DefaultLinesAnnounceKickAndBan) {
  // A global warning leaves the player's name out; a personal one names him, unless there
  // is no player.
  EXPECT_FALSE(menu_.ApplyMenuLine(3, 7, 0));
  menu_.ApplyMenuLine(3, menu_.FindMenuShortcut("wspam"), 0);
  menu_.ApplyMenuLine(-1, menu_.FindMenuShortcut("wspam"), 0);
  EXPECT_EQ(Texts(Take()), (std::vector<std::string>{"[VRNH] Please do not chat spam",
                                                     "[VRNH] Bob please don't chat spam",
                                                     "[VRNH] please don't chat spam"}));
  // A ban of a day: the player is killed at once, banned after the delay, with no message.
  delay_ = true;
  EXPECT_TRUE(menu_.ApplyMenuLine(4, LineOf("Ban player for 1 day"), 0));
  std::vector<Command> queued = Take();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0].code, kCmdConsoleCommand);
  EXPECT_STREQ(queued[0].text, "admin.admin_killplayer 4");
  EXPECT_EQ(queued[1].code, kCmdBan);
  EXPECT_EQ(queued[1].due, clock_.CalendarSeconds() + 12);
  EXPECT_NE(std::string(queued[1].text).find("86400"), std::string::npos);
  EXPECT_NE(std::string(queued[1].text).find("unknown reason"), std::string::npos);
  // Kick for a reason announces it; with no player the kick does nothing.
  delay_ = false;
  EXPECT_TRUE(menu_.ApplyMenuLine(3, menu_.FindMenuShortcut("ktk"), 0xFF02));
  queued = Take();
  ASSERT_EQ(queued.size(), 3u) << ::testing::PrintToString(Texts(queued));
  EXPECT_STREQ(queued[0].text, "[VRNH] Bob kicked for team killing");
  EXPECT_EQ(queued[2].code, kCmdKick);
  EXPECT_EQ(queued[2].Originator(), 0xFF02);
  EXPECT_FALSE(menu_.ApplyMenuLine(-1, menu_.FindMenuShortcut("kick"), 0));
  EXPECT_TRUE(Take().empty());
}

TEST_F(PlayerMenuTest, LinesOfOurOwn) {
  folder_.Write("PlayerMenu.con",
                "A>one|kick,ban,[both]\r\n"
                "a>two\"admin.kickPlayer %AFID %name\"|cmd,ban,[cmd]\r\n"
                "\"Plain message\"|global\r\n");
  std::vector<MenuItem> menu;
  ASSERT_TRUE(menu_.BuildPlayerMenu({}, &menu));
  ASSERT_EQ(menu[0].submenu.size(), 2u);  // A and a are one submenu, in file order
  EXPECT_EQ(menu[0].submenu[1].text, "two");
  EXPECT_EQ(menu[1].text, "Plain message");
  EXPECT_TRUE(menu_.ApplyMenuLine(4, 1, 0));  // kick and ban: only the ban
  std::vector<Command> queued = Take();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[1].code, kCmdBan);
  EXPECT_FALSE(menu_.ApplyMenuLine(4, 2, 0));  // cmd and ban: only the command
  EXPECT_EQ(Texts(Take()), std::vector<std::string>{"admin.kickPlayer 4 Bobby"});
  menu_.ApplyMenuLine(-1, 2, 0);
  EXPECT_EQ(Texts(Take()), std::vector<std::string>{"admin.kickPlayer -1 [unknown]"});
  EXPECT_FALSE(menu_.ApplyMenuLine(4, kMenuCustomKick, 0));
  EXPECT_FALSE(menu_.ApplyMenuLine(4, 99, 0));
  EXPECT_TRUE(Take().empty());
}

TEST_F(PlayerMenuTest, FixedItemsActOnlyOnThePlayerTheMenuWasOpenedOn) {
  EXPECT_FALSE(menu_.CustomKick(3, "Someone else", "camping", 0));
  EXPECT_TRUE(Take().empty());
  delay_ = true;
  EXPECT_TRUE(menu_.CustomKick(3, "Bob", "camping", 0));
  EXPECT_TRUE(menu_.CustomBan(4, "Bobby", "", 0));
  menu_.TakeScreenshot(7, 0);
  menu_.BanPlayerName("Zed", 0);
  const std::vector<Command> queued = Take();
  ASSERT_EQ(queued.size(), 6u);
  EXPECT_STREQ(queued[0].text, "[VRNH] Bob kicked for camping");
  EXPECT_EQ(queued[1].code, kCmdKick);
  EXPECT_EQ(queued[1].due, clock_.CalendarSeconds() + kKickBanDelaySeconds);
  EXPECT_STREQ(queued[2].text, "[VRNH] Bobby banned for unknown reason");
  EXPECT_EQ(queued[3].code, kCmdBan);
  EXPECT_EQ(queued[4].code, kCmdScreenshot);
  EXPECT_STREQ(queued[4].text, "8");
  EXPECT_EQ(queued[5].code, kCmdBanName);
  EXPECT_STREQ(queued[5].text, "Zed");
}

TEST_F(PlayerMenuTest, AnEditorThatCannotStartIsLogged) {
  const char* old = getenv("VISUAL");
  const std::string saved = old ? old : "";
  setenv("VISUAL", folder_.Sub("no-such-editor").c_str(), 1);
  EXPECT_FALSE(menu_.EditPlayerMenu());
  old ? setenv("VISUAL", saved.c_str(), 1) : unsetenv("VISUAL");
  EXPECT_NE(folder_.Read("Varnholt.log").find("Couldn't open player menu file for editing! "),
            std::string::npos);
}

class InGameCommandsTest : public PlayerMenuTest {
 protected:
  InGameCommandsTest()
      : commands_(log_, link_, queue_, menu_,
                  InGameEnvironment{[this](std::string_view keyhash) {
                                      return keyhash == "adminkey"
                                                 ? std::optional<GameAdminAccount>(
                                                       GameAdminAccount{2, rights_, true})
                                                 : std::nullopt;
                                    },
                                    [] { return std::string("hue, Conquest, ashfront"); }, true}) {}
  bool Say(const std::string& who, const std::string& message) {
    return commands_.HandleChatCommand("[Team] " + who + ": " + message);
  }
  uint32_t rights_ = 0x40;
  InGameCommands commands_;
};

TEST_F(InGameCommandsTest, MapCommandsAndNextMap) {
  EXPECT_TRUE(Say("Bob", "!NextMap"));  // anybody
  EXPECT_FALSE(Say("Bob", "hello"));
  EXPECT_FALSE(Say("Bob", "!change hue"));  // no account: ignored
  EXPECT_TRUE(Say("Zed", "!change hue"));
  EXPECT_TRUE(Say("Zed", "!runnext"));
  EXPECT_FALSE(Say("Zed", "!setnext"));
  rights_ = 0x80;
  EXPECT_FALSE(Say("Zed", "!restart"));
  EXPECT_FALSE(Say("Nobody", "!restart"));
  const std::vector<Command> queued = Take();
  EXPECT_EQ(Texts(queued),
            (std::vector<std::string>{"[VRNH] The next map is hue, Conquest, ashfront",
                                      "hue GPM_CQ ashfront", "",
                                      "[VRNH] !setnext requires at least one parameter",
                                      "[VRNH] !restart requires Maps page access"}));
  EXPECT_EQ(queued[1].code, kCmdChangeMap);
  EXPECT_EQ(queued[1].Originator(), 0xFF02);
  EXPECT_EQ(queued[2].code, kCmdNextMap);
  EXPECT_NE(folder_.Read("Varnholt.log").find("DEBUG: Player Bob is not authorised"),
            std::string::npos);
}

TEST_F(InGameCommandsTest, ShortcutsChooseTheirPlayers) {
  EXPECT_TRUE(Say("Zed", "!kick .3"));
  std::vector<Command> queued = Take();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_STREQ(queued[0].text, "admin.admin_killplayer 3");
  EXPECT_EQ(queued[1].code, kCmdKick);
  EXPECT_EQ(queued[1].Originator(), 0xFF02);
  EXPECT_FALSE(Say("Zed", "!kick .65"));
  EXPECT_FALSE(Say("Zed", "!kick .x"));
  EXPECT_FALSE(Say("Zed", "!kick bo"));
  EXPECT_FALSE(Say("Zed", "!foo"));
  EXPECT_FALSE(Say("Zed", "!kick @nobody"));
  EXPECT_EQ(Texts(Take()),
            (std::vector<std::string>{
                "[VRNH] Player id 65 is not valid", "[VRNH] Player id x is not valid",
                "[VRNH] No matches or player name BO is ambiguous",
                "[VRNH] Command id foo is not valid", "[VRNH] No matches for player name nobody"}));
  EXPECT_TRUE(Say("Zed", "!kick @bo"));  // both
  queued = Take();
  ASSERT_EQ(queued.size(), 4u);
  EXPECT_STREQ(queued[2].text, "admin.admin_killplayer 4");
  EXPECT_TRUE(Say("Zed", "!gwspam"));  // a global warning needs no player
  EXPECT_TRUE(Say("Zed", "!wspam"));   // a personal one without a player says it to all
  EXPECT_EQ(Texts(Take()), (std::vector<std::string>{"[VRNH] Please do not chat spam",
                                                     "[VRNH] please don't chat spam"}));
}

}  // namespace
}  // namespace varnholt
