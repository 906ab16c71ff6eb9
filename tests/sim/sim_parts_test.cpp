// The pure parts of the substitute server: wire parsing bounds, reply layout, settings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ban_files.h"
#include "console_wire.h"
#include "live_settings.h"
#include "roster.h"
#include "status_query.h"

namespace varnholt::sim {
namespace {

using ::testing::ElementsAre;

TEST(SimWireTest, LoginIsDecipheredWithTheConnectionKey) {
  std::mt19937 rng(7);
  LoginKey key = MakeLoginKey(rng);
  for (uint8_t b : key) EXPECT_GE(b, 0x80);
  std::string name(31, 'u');  // the longest name the manager sends
  std::string bytes = BuildLogin(key, name, "pw");
  LoginFields fields;
  size_t used = 0;
  EXPECT_EQ(ParseLogin(bytes.substr(0, bytes.size() - 1), key, &fields, &used),
            ParseResult::kIncomplete);
  ASSERT_EQ(ParseLogin(bytes + "extra", key, &fields, &used), ParseResult::kComplete);
  EXPECT_EQ(fields.username, name);
  EXPECT_EQ(fields.password, "pw");
  EXPECT_EQ(used, bytes.size());
  // The zero byte after each field travels as it is.
  EXPECT_EQ(bytes[4 + 31], '\0');
}

TEST(SimWireTest, FramesAreBoundedAndIncrementallyParsed) {
  std::string frame = BuildFrame({"ConsoleMessage 0", "", "admin.restartMap", "\r"});
  std::vector<std::string> strings;
  size_t used = 0;
  for (size_t cut = 0; cut < frame.size(); ++cut) {
    EXPECT_EQ(ParseFrame(frame.substr(0, cut), &strings, &used), ParseResult::kIncomplete);
  }
  ASSERT_EQ(ParseFrame(frame, &strings, &used), ParseResult::kComplete);
  EXPECT_THAT(strings, ElementsAre("ConsoleMessage 0", "", "admin.restartMap", "\r"));
  EXPECT_EQ(used, frame.size());

  std::string too_many;
  AppendU32(&too_many, kMaxFrameStrings + 1);
  EXPECT_EQ(ParseFrame(too_many, &strings, &used), ParseResult::kBad);
  std::string zero_length;
  AppendU32(&zero_length, 1);
  AppendU32(&zero_length, 0);
  EXPECT_EQ(ParseFrame(zero_length, &strings, &used), ParseResult::kBad);
  std::string huge;
  AppendU32(&huge, 1);
  AppendU32(&huge, kMaxStringBytes + 1);
  EXPECT_EQ(ParseFrame(huge, &strings, &used), ParseResult::kBad);
}

TEST(SimStatusLayoutTest, SectionsFollowEachOtherAsDocumented) {
  StatusSnapshot s;
  s.rules = {{"k1", "v1"}, {"k2", "v2"}};
  s.player_fields = {"player_", "score_"};
  s.player_rows = {{"A", "5"}, {"B", "7"}};
  s.team_fields = {"team_t"};
  s.team_rows = {{"vyr"}};
  StatusRequest r;
  r.id[0] = 9;
  r.rules = r.players = r.teams = true;
  using namespace std::string_literals;
  EXPECT_EQ(BuildStatusReply(r, s),
            // The player count two bytes after the last rule value (empty key, pad byte),
            // which is where other clients of the protocol look for it.
            "\0\x09\0\0\0k1\0v1\0k2\0v2\0\0\0"
            "\x02player_\0score_\0\0A\0005\0B\0007\0"
            "\0\x01team_t\0\0vyr\0"s);
  r.rules = false;
  r.teams = false;
  EXPECT_EQ(BuildStatusReply(r, s), "\0\x09\0\0\0\0\0\x02player_\0score_\0\0A\0005\0B\0007\0"s);

  StatusRequest parsed;
  EXPECT_FALSE(ParseStatusRequest("\xFE\xFD\x00\x01\x02\x03\x04\xFF\x00"s, &parsed));
  ASSERT_TRUE(ParseStatusRequest("\xFE\xFD\x00\x01\x02\x03\x04\xFF\x00\x00"s, &parsed));
  EXPECT_TRUE(parsed.rules);
  EXPECT_FALSE(parsed.players);
  EXPECT_EQ(parsed.id[3], 4);
}

TEST(SimSettingsTest, ValuesKeepTheConsoleUnitsAndRefuseBadInput) {
  LiveSettings s;
  EXPECT_TRUE(s.Set("ADMIN.TIMELIMIT", "1200"));
  EXPECT_EQ(s.ValueText("admin.timeLimit"), "1200");
  EXPECT_TRUE(s.Set("admin.soldierFFRatio", "1.5"));
  EXPECT_EQ(s.ValueText("admin.soldierFFRatio"), "1.50");
  EXPECT_FALSE(s.Set("admin.voteMapMajority", "1.5"));
  EXPECT_FALSE(s.Set("admin.votingTime", ""));
  EXPECT_FALSE(s.Set("admin.votingTime", "1e400"));
  EXPECT_FALSE(s.Set("admin.maxAllowedConnectionType", "CTFibre"));
  EXPECT_EQ(s.ValueText("admin.votingTime"), "60");

  std::string key, value;
  ASSERT_TRUE(FileSettingToConsole("game.serverGameTime", "20", &key, &value));
  EXPECT_EQ(key, "admin.timeLimit");
  EXPECT_EQ(value, "1200");
  ASSERT_TRUE(FileSettingToConsole("GAME.serverVehicleFriendlyFire", "150", &key, &value));
  EXPECT_EQ(value, "1.50");
  EXPECT_FALSE(FileSettingToConsole("game.serverName", "\"x\"", &key, &value));
}

TEST(SimRosterTest, PlayerDescriptionsAreCheckedAndBansHoldAtJoin) {
  Player p;
  std::string error;
  EXPECT_FALSE(ParsePlayerDescription("", &p, &error));
  EXPECT_FALSE(ParsePlayerDescription("Bob|3", &p, &error));
  EXPECT_FALSE(ParsePlayerDescription("Bob|1||1.2.3.4|short", &p, &error));
  ASSERT_TRUE(ParsePlayerDescription("Bob|2|70|1.2.3.4:555", &p, &error));
  EXPECT_EQ(p.team, 2);
  EXPECT_EQ(p.port, 555);

  Roster roster(1);
  roster.BanAddress("1.2.3.4");
  EXPECT_EQ(roster.Join(p, 32, false), JoinResult::kBanned);
  ASSERT_TRUE(ParsePlayerDescription("Bot|1|||||bot", &p, &error));
  EXPECT_EQ(roster.Join(p, 32, false), JoinResult::kJoined);
  ASSERT_TRUE(ParsePlayerDescription("Third", &p, &error));
  EXPECT_EQ(roster.Join(p, 1, false), JoinResult::kFull);
}

TEST(SimBanFilesTest, GuidBansRoundTripThroughTheirFile) {
  Roster roster(1);
  roster.BanGuid("0123456789abcdef0123456789abcdef");
  std::string text = GuidBanText(roster, 1700000000);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
  Roster read(1);
  ReadGuidBanText(
      "; comment 11111111111111111111111111111111\n" + text +
          "[x] zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz FEDCBA9876543210FEDCBA9876543210 \"\"\r\n",
      &read);
  EXPECT_THAT(read.banned_guids(),
              ElementsAre("0123456789abcdef0123456789abcdef", "FEDCBA9876543210FEDCBA9876543210"));
  roster.BanAddress("1.2.3.4");
  roster.BanKey("k");
  EXPECT_EQ(BanListText(roster),
            "admin.addAddressToBanList 1.2.3.4:0 Perm\nadmin.addKeyToBanList k Perm\n");
}

}  // namespace
}  // namespace varnholt::sim
