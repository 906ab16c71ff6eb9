// GUIDs from PunkBuster's player list: the line reader, and the player list filling them in
// against the real sim when PunkBuster runs there.
#include "gamelink/punkbuster_list.h"

#include <gtest/gtest.h>

#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink_harness.h"
#include "log/error_text.h"
#include "platform/last_error.h"

namespace varnholt::testing {
namespace {

constexpr const char* kGuid = "0123456789abcdef0123456789ABCDEF";

TEST(PunkBusterListTest, ReadsPlayerLinesAndNothingElse) {
  PunkBusterPlayer p;
  ASSERT_TRUE(ParsePunkBusterPlayerLine(
      std::string("PunkBuster Server: 4 ") + kGuid + " 10.0.0.1:5000 \"Big \"Ron\"\"\r", &p));
  EXPECT_EQ(p.id, 3);
  EXPECT_EQ(p.guid, kGuid);
  EXPECT_EQ(p.name, "Big \"Ron\"");

  const std::string guid(kGuid);
  for (const std::string& line :
       {std::string("PunkBuster Server: Player List: [Slot #] [GUID] [Address] [Name]"),
        std::string("PunkBuster Server: End of Player List (2 Players)"),
        "PunkBuster Server: 0 " + guid + " 1.2.3.4:5 \"slot zero\"",
        "PunkBuster Server: x " + guid + " 1.2.3.4:5 \"a\"",
        "PunkBuster Server: 1234567 " + guid + " 1.2.3.4:5 \"a\"",
        "PunkBuster Server: 1 " + guid.substr(1) + " 1.2.3.4:5 \"short guid\"",
        "PunkBuster Server: 1 " + guid.substr(1) + "g 1.2.3.4:5 \"not hex\"",
        "PunkBuster Server: 1 " + guid + " 1.2.3.4:5 unquoted",
        "PunkBuster Server: 1 " + guid + " 1.2.3.4:5 \"",
        "PunkBuster Server: 1  " + guid + " 1.2.3.4:5 \"two blanks\"",
        "PunkBuster: 1 " + guid + " 1.2.3.4:5 \"other prefix\"", std::string()}) {
    EXPECT_FALSE(ParsePunkBusterPlayerLine(line, &p)) << line;
  }

  auto players = ParsePunkBusterList(
      "PunkBuster Server: Player List: [Slot #]\n"
      "PunkBuster Server: 1 " +
      guid + " 1.1.1.1:1 \"a\"\nPunkBuster Server: 2 " + guid +
      " 2.2.2.2:2 \"b\"\nPunkBuster Server: End of Player List");
  ASSERT_EQ(players.size(), 2u);
  EXPECT_EQ(players[1].id, 1);
  EXPECT_EQ(players[1].name, "b");
}

class PunkBusterPlayerListTest : public GameLinkTest {
 protected:
  PunkBusterPlayerListTest() : list_(log_, settings_), link_(console_, status_, list_) {
    status_.SetStartDelay(0);
  }
  std::string GuidOf(const char* name) {
    PlayerRecord record;
    if (!list_.FindPlayerById(list_.FindPlayerByExactName(name), &record)) return "(none)";
    return record.guid;
  }
  SimServer sim_;
  PlayerList list_;
  GameLinkClients link_;
};

TEST_F(PunkBusterPlayerListTest, GuidsAreFilledInWhilePunkBusterRuns) {
  ASSERT_TRUE(sim_.Start({std::string("--player=Anna|1|40|10.0.0.1:5000|") +
                              "0123456789abcdef0123456789abcdef|" + kGuid,
                          "--player=Bob|2|50|10.0.0.2:5001"},
                         /*punkbuster=*/true));
  UseSim(sim_);
  ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
  ASSERT_TRUE(status_.IdentifyStatusPort());
  ASSERT_TRUE(list_.GetPlayerList(link_)) << ErrorText(GetLastErrorCode());
  EXPECT_EQ(GuidOf("Anna"), kGuid);
  // The sim makes one up for a player without one: known, not "[unknown]".
  EXPECT_EQ(GuidOf("Bob").size(), kGuidLength);
}

TEST_F(PunkBusterPlayerListTest, WithoutPunkBusterTheGuidStaysUnknown) {
  ASSERT_TRUE(sim_.Start({std::string("--player=Anna|1|40|10.0.0.1:5000|") +
                          "0123456789abcdef0123456789abcdef|" + kGuid}));
  UseSim(sim_);
  ASSERT_TRUE(console_.ConsoleConnect()) << ErrorText(GetLastErrorCode());
  ASSERT_TRUE(status_.IdentifyStatusPort());
  ASSERT_TRUE(list_.GetPlayerList(link_)) << ErrorText(GetLastErrorCode());
  EXPECT_EQ(GuidOf("Anna"), "[unknown]");
}

}  // namespace
}  // namespace varnholt::testing
