// The status summary: the nineteen fields as clients read them, disconnected and connected,
// the translations of the game's values, bounded fields, the split for the Status page, and
// the build itself over a link whose query fails. The run against the sim is in
// status_sim_test.cpp.
#include "gamelink/status_summary.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "gamelink/status_query.h"
#include "platform/clock.h"
#include "platform/last_error.h"
#include "settings/settings_table.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

// Tue Mar  2 14:05:09 2004 UTC.
constexpr int64_t kCrashTime = 1078236309;

std::string Reply(const std::vector<std::string>& pairs) {
  std::string reply = "\\";
  for (const std::string& p : pairs) reply += p + "\\";
  return reply;
}

ServerStatusFacts Facts() {
  ServerStatusFacts f;
  f.server_name = "Test Server";
  f.server_ip = 0x7F000001;
  f.server_port = 15567;
  f.current_map = "-";
  f.next_map = "harbor GPM_CQ ashfront";
  f.server_running = false;
  return f;
}

class ScopedUtc {
 public:
  ScopedUtc() {
    const char* old = getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", "UTC", 1);
  }
  ~ScopedUtc() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(StatusSummaryTest, DisconnectedAndStoppedShowsOnlyWhatIsKnownHere) {
  ServerStatusLink link;
  link.maxplayers = "16";  // the last reply is still read for the maximum
  link.team_scores = "??";
  EXPECT_EQ(FormatServerStatus(Facts(), link),
            "\"Test Server\",127.0.0.1:15567,-- of 16,-,harbor GPM_CQ ashfront,??,Stopped,??,"
            "Disconnected,??,??,??,??,??,??,??,??,??,Not installed,");

  // A reply left behind is not read for the other fields while disconnected.
  const std::string reply = Reply({"numplayers", "3", "gamemode", "playing"});
  link.reply = &reply;
  EXPECT_EQ(FormatServerStatus(Facts(), link).find("playing"), std::string::npos);
}

TEST(StatusSummaryTest, ConnectedFieldsAndTheirTranslations) {
  ScopedUtc utc;
  ServerStatusFacts facts = Facts();
  facts.server_running = true;
  facts.current_map = "harbor GPM_CQ ashfront";
  facts.idle_map = "dunes GPM_CQ ashfront";
  facts.crash_time = kCrashTime;
  facts.punkbuster_installed = true;
  facts.punkbuster_enabled = true;
  const std::string reply =
      Reply({"numplayers", "5",          "maxplayers",    "32",         "gamemode",
             "playing",    "gamever",    "v1.1",          "password",   "1",
             "tk_mode",    "Punish",     "content_check", "2",          "roundTimeRemain",
             "-1",         "tickets_t0", "120",           "tickets_t1", "95"});
  ServerStatusLink link;
  link.connected = true;
  link.reply = &reply;
  link.maxplayers = "32";
  link.team_scores = "10 / 20 / 30";
  link.team_counts = "2 / 3 / 5";
  EXPECT_EQ(FormatServerStatus(facts, link),
            "\"Test Server\",127.0.0.1:15567,5 of 32,harbor GPM_CQ ashfront,"
            "harbor GPM_CQ ashfront,dunes GPM_CQ ashfront,Running,Tue Mar  2 14:05:09 2004,"
            "Connected,playing,v1.1,Yes,Punish,Unpure mode,10 / 20 / 30,2 / 3 / 5,Unlimited,"
            "120 / 95,Enabled (version unknown),,");

  // Only the first character decides; other values and absent keys are unknown, and a
  // round time other than -1 is shown as it stands.
  const std::string odd = Reply({"password", "0x", "content_check", "7", "roundTimeRemain", "341",
                                 "tickets_t0", "120", "gamever", ""});
  link.reply = &odd;
  facts.punkbuster_enabled = false;
  facts.crash_time = 0;
  const std::string text = FormatServerStatus(facts, link);
  EXPECT_NE(text.find(",?? of 32,"), std::string::npos) << text;
  EXPECT_NE(text.find(",Running,??,Connected,??,??,No,??,??,10 / 20 / 30,2 / 3 / 5,341,??,"
                      "Disabled (version unknown),"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.back(), ',');
  EXPECT_NE(text[text.size() - 2], ',');
}

TEST(StatusSummaryTest, EveryFieldIsBounded) {
  const std::string huge(5000, 'x');
  const std::string reply = Reply({"gamever", huge, "tk_mode", huge, "numplayers", "1"});
  ServerStatusFacts facts = Facts();
  facts.server_name = huge;
  facts.next_map = huge;
  ServerStatusLink link;
  link.connected = true;
  link.reply = &reply;
  const std::string text = FormatServerStatus(facts, link);
  EXPECT_LT(text.size(), kStatusFieldCount * (kMaxStatusFieldLength + 2));
  StatusPageLines page;
  ASSERT_TRUE(SplitServerStatus(text, &page));
  EXPECT_EQ(page.lines[10], " Version: " + std::string(kMaxStatusFieldLength, 'x'));
}

TEST(StatusSummaryTest, ThePageSplitLabelsEveryField) {
  ServerStatusFacts facts = Facts();
  facts.server_name = "Name, with comma";
  facts.server_running = true;
  facts.punkbuster_installed = true;
  facts.punkbuster_enabled = true;
  ServerStatusLink link;
  link.maxplayers = "16";
  const std::string text = FormatServerStatus(facts, link);
  StatusPageLines page;
  ASSERT_TRUE(SplitServerStatus(text, &page));
  EXPECT_EQ(page.lines[0], " Name, with comma");
  EXPECT_EQ(page.lines[1], " Address: 127.0.0.1:15567");
  EXPECT_EQ(page.lines[2], " Players: -- of 16");
  EXPECT_EQ(page.lines[6], " Process state: Running");
  EXPECT_EQ(page.lines[14], " Score totals (a/x/t): ??");
  EXPECT_EQ(page.lines[15], " Players totals (a/x/t): ??");
  EXPECT_EQ(page.lines[18], " PunkBuster: Enabled (version unknown)");
  EXPECT_TRUE(page.running);

  // A text cut short fills what it has and fails; so does one without its quoted name.
  ASSERT_FALSE(SplitServerStatus(text.substr(0, text.find("Running")), &page));
  EXPECT_EQ(page.lines[5], " Idle map: ??");
  EXPECT_EQ(page.lines[6], "");
  EXPECT_FALSE(page.running);
  EXPECT_FALSE(SplitServerStatus("", &page));
  EXPECT_FALSE(SplitServerStatus("\"unterminated,1,2", &page));
}

// A link whose status query is scripted.
class ScriptedLink : public testing::RecordingGameLink {
 public:
  bool QueryServerStatus(std::string* reply) override {
    if (!answer) {
      SetLastErrorCode(kWsaTimedOut);
      return false;
    }
    *reply = *answer;
    return true;
  }
  bool GetQueryValue(std::string_view key, std::string* value) override {
    std::optional<std::string> found = StatusQuery::GetQueryValue(last, key);
    if (found) *value = *found;
    return found.has_value();
  }
  std::optional<std::string> answer;
  std::string last;
};

TEST(StatusSummaryTest, TheBuildQueriesOnlyWhenConnectedAndKeepsWhatIsShown) {
  testing::TempFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  SettingsTable settings;
  PlayerList players(log, settings);
  players.SetSummaryUnknown();
  ScriptedLink link;
  link.last = Reply({"maxplayers", "24"});
  StatusSummary summary(log, link, players);
  summary.SetFactsSource([] { return Facts(); });
  summary.SetDebug(true);

  std::string text = "old";
  ASSERT_TRUE(summary.GetServerStatusString(&text));
  EXPECT_NE(text.find(",-- of 24,"), std::string::npos) << text;
  EXPECT_FALSE(summary.GetServerStatusString(nullptr));

  link.connected = true;
  EXPECT_FALSE(summary.GetServerStatusString(&text));
  EXPECT_EQ(text, "");
  EXPECT_NE(testing::ReadFileText(log.LogPath())
                .find("DEBUG: GetServerStatusString: Couldn't get server status! "),
            std::string::npos);
  EXPECT_FALSE(summary.RefreshServerStatus());
  EXPECT_EQ(summary.ServerStatusText(), "");  // a failed build leaves the shown text alone

  link.answer = Reply({"numplayers", "2", "maxplayers", "8", "gamemode", "playing"});
  ASSERT_TRUE(summary.RefreshServerStatus());
  EXPECT_NE(summary.ServerStatusText().find(",2 of 8,"), std::string::npos);
  EXPECT_EQ(summary.PageLines().lines[9], " Game state: playing");
}

}  // namespace
}  // namespace varnholt
