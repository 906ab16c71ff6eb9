// The status summary and the end-of-game statistics against the real ashfront-sim: the
// summary follows the running game, and a round end writes one line per player.
#include <gtest/gtest.h>

#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink/player_stats.h"
#include "gamelink/status_summary.h"
#include "gamelink_harness.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "support/file_text.h"

namespace varnholt::testing {
namespace {

constexpr const char* kHashA = "0123456789abcdef0123456789abcdef";
constexpr const char* kHashB = "fedcba9876543210fedcba9876543210";

class StatusSimTest : public GameLinkTest {};

TEST_F(StatusSimTest, TheSummaryFollowsTheGameAndARoundEndIsLogged) {
  SimServer sim;
  ASSERT_TRUE(
      sim.Start({std::string("--player=Anna|1|40|10.0.0.1:5000|") + kHashA,
                 std::string("--player=Bob, Jr.|2|70|10.0.0.2:5000|") + kHashB, "--tick-ms=100"}));
  UseSim(sim);
  status_.SetStartDelay(0);
  PlayerList players(log_, settings_);
  GameLinkClients link(console_, status_, players);
  StatusSummary summary(log_, link, players);
  summary.SetFactsSource([] {
    ServerStatusFacts facts;
    facts.server_name = "Link Test";
    facts.server_ip = 0x7F000001;
    facts.server_port = kSimGamePort;
    facts.server_running = true;
    return facts;
  });

  // Before the console is connected nothing of the game is known.
  ASSERT_TRUE(summary.RefreshServerStatus());
  EXPECT_NE(summary.ServerStatusText().find(",-- of ??,"), std::string::npos)
      << summary.ServerStatusText();
  EXPECT_TRUE(summary.PageLines().running);

  ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
  ASSERT_TRUE(players.GetPlayerList(link)) << ErrorText(GetLastErrorCode());
  ASSERT_TRUE(summary.RefreshServerStatus()) << ErrorText(GetLastErrorCode());
  const StatusPageLines page = summary.PageLines();
  EXPECT_EQ(page.lines[0], " Link Test");
  EXPECT_EQ(page.lines[2], " Players: 2 of 16");
  EXPECT_EQ(page.lines[8], " Connection state: Connected");
  EXPECT_EQ(page.lines[10], " Version: v1.1");
  EXPECT_EQ(page.lines[11], " Password: No");
  EXPECT_EQ(page.lines[15], " Players totals (a/x/t): 1 / 1 / 2");

  sim.Control("end-round");
  ASSERT_TRUE(WaitUntil(
      [&] {
        return summary.RefreshServerStatus() && summary.PageLines().lines[9] == " Game state: end";
      },
      kPatienceMs))
      << summary.ServerStatusText();

  PlayerStats stats(log_, clock_, link, folder_.path());
  ASSERT_TRUE(stats.LogPlayerStats("statistics.csv")) << ErrorText(GetLastErrorCode());
  const std::string csv = ReadFileText(folder_.Sub("statistics.csv"));
  EXPECT_EQ(csv.find(std::string(kStatsGameHeader) + "\r\n" + kStatsPlayerHeader + "\r\n"), 0u);
  EXPECT_NE(csv.find(",\"Link Test\",harbor,conquest,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n\"Anna\",vyr,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(std::string(",10.0.0.1,") + kHashA + ",[unknown]\r\n"), std::string::npos)
      << csv;
  EXPECT_NE(csv.find(std::string("\r\n\"Bob, Jr.\",dak,")), std::string::npos) << csv;
  EXPECT_NE(csv.find(std::string(",10.0.0.2,") + kHashB + ",[unknown]\r\n"), std::string::npos)
      << csv;
  size_t lines = 0;
  for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 5u);  // two headers, the game, two players

  // PlayerList.con for a client holds the same two players.
  ASSERT_TRUE(stats.WritePlayerListFile(folder_.Sub("PlayerList.con")));
  const std::string list = ReadFileText(folder_.Sub("PlayerList.con"));
  EXPECT_EQ(list.find("\"Anna\","), 0u) << list;
  EXPECT_NE(list.find("\"Bob, Jr.\","), std::string::npos) << list;
}

}  // namespace
}  // namespace varnholt::testing
