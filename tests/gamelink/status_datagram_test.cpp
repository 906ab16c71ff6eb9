// The status request bytes, the datagram-to-text conversion and value lookups.
#include "gamelink/status_datagram.h"

#include <gtest/gtest.h>

#include <string>

namespace varnholt {
namespace {

const RequestId kId = {1, 2, 3, 4};

// Header, then the given bytes.
std::string Reply(const std::string& body) {
  return std::string("\0\x01\x02\x03\x04", 5) + body;
}

std::string Z(const std::string& s) {
  return s + std::string(1, '\0');
}

std::string Convert(const std::string& datagram, const char* query) {
  std::string text;
  EXPECT_EQ(ConvertStatusDatagram(datagram, QuerySectionsOf(query), &text), ConvertResult::kOk);
  return text;
}

TEST(StatusDatagramTest, QueryTextSelectsSectionsIgnoringCase) {
  StatusRequest r = BuildStatusRequest(kId, QuerySectionsOf("\\STATUS\\"));
  EXPECT_EQ(r, (StatusRequest{0xFE, 0xFD, 0, 1, 2, 3, 4, 0xFF, 0xFF, 0xFF}));
  r = BuildStatusRequest(kId, QuerySectionsOf("\\Info\\"));
  EXPECT_EQ(r[7], 0xFF);
  EXPECT_EQ(r[8] | r[9], 0);
  r = BuildStatusRequest(kId, QuerySectionsOf("\\players\\"));
  EXPECT_EQ(r[7], 0);
  EXPECT_EQ(r[8] & r[9], 0xFF);
  r = BuildStatusRequest(kId, QuerySectionsOf("\\rules\\"));
  EXPECT_EQ(r[7] | r[8] | r[9], 0);

  EXPECT_TRUE(ReplyMatches(Reply(""), kId));
  EXPECT_FALSE(ReplyMatches(std::string("\0\x01\x02\x03\x05", 5), kId));
  EXPECT_FALSE(ReplyMatches(std::string("\0\x01\x02", 3), kId));
}

TEST(StatusDatagramTest, RulesPlayersAndTeamsBecomeOneBackslashText) {
  std::string rules = Z("hostport") + Z("15567") + Z("mapname") + Z("harbor");
  EXPECT_EQ(Convert(Reply(rules + Z("")), "\\info\\"), "\\hostport\\15567\\mapname\\harbor\\");

  // The player count stands two bytes after the last rule value: the empty key that ends
  // the rules and one pad byte (or two bytes after the header without rules).
  std::string players = std::string(2, '\0') + "\x02" + Z("player_") + Z("score_") + Z("") +
                        Z("A") + Z("5") + Z("B") + Z("7");
  std::string teams = std::string(1, '\0') + "\x01" + Z("team_t") + Z("") + Z("vyr");
  EXPECT_EQ(Convert(Reply(rules + players + teams), "\\status\\"),
            "\\hostport\\15567\\mapname\\harbor\\"
            "player_0\\A\\score_0\\5\\player_1\\B\\score_1\\7\\team_t0\\vyr\\");
  // Without rules the players start two bytes after the header.
  EXPECT_EQ(Convert(Reply(players + teams), "\\players\\"),
            "\\player_0\\A\\score_0\\5\\player_1\\B\\score_1\\7\\team_t0\\vyr\\");
}

TEST(StatusDatagramTest, ACountAbove127MeansNoRows) {
  std::string body = std::string(2, '\0') + "\x85" + Z("player_") + Z("") + Z("A");
  EXPECT_EQ(Convert(Reply(body), "\\players\\"), "");
}

TEST(StatusDatagramTest, BackslashesInValuesCannotAddKeys) {
  std::string rules = Z("hostname") + Z("evil\\hostport\\1") + Z("hostport") + Z("15567") + Z("");
  std::string text = Convert(Reply(rules), "\\info\\");
  EXPECT_EQ(text, "\\hostname\\evil/hostport/1\\hostport\\15567\\");
  std::string value;
  ASSERT_TRUE(FindQueryValue(text, "hostport", &value));
  EXPECT_EQ(value, "15567");
}

TEST(StatusDatagramTest, BrokenDatagramsAreReadOnlyAsFarAsTheyGo) {
  // Exactly the largest datagram, without a single terminator.
  std::string full = Reply(std::string(kMaxMsgSize - 5, 'k'));
  std::string text;
  EXPECT_EQ(ConvertStatusDatagram(full, QuerySectionsOf("\\status\\"), &text), ConvertResult::kOk);
  EXPECT_EQ(text, "");
  // A rule without its value, a header alone, a players section cut after its count.
  EXPECT_EQ(Convert(Reply(Z("hostport")), "\\info\\"), "");
  EXPECT_EQ(Convert(std::string("\0\x01", 2), "\\status\\"), "");
  EXPECT_EQ(Convert(Reply(std::string(2, '\0') + "\x03"), "\\players\\"), "");
  // Rows cut short keep the values that arrived.
  EXPECT_EQ(Convert(Reply(std::string(2, '\0') + "\x02" + Z("p_") + Z("s_") + Z("") + Z("A")),
                    "\\players\\"),
            "\\p_0\\A\\");
}

TEST(StatusDatagramTest, MoreThanEightFieldNamesKeepTheRowsInStep) {
  std::string names, values, expected = "\\";
  for (int i = 0; i < 10; ++i) {
    names += Z("f" + std::to_string(i) + "_");
    values += Z("v" + std::to_string(i));
    expected += "f" + std::to_string(i) + "_0\\v" + std::to_string(i) + "\\";
  }
  std::string body = std::string(2, '\0') + "\x01" + names + Z("") + values;
  EXPECT_EQ(Convert(Reply(body), "\\players\\"), expected);
}

TEST(StatusDatagramTest, TextBeyondTheLimitIsRefused) {
  std::string rules;
  for (int i = 0; i < 400; ++i) rules += Z("key" + std::to_string(i)) + Z(std::string(80, 'v'));
  std::string text;
  EXPECT_EQ(ConvertStatusDatagram(Reply(rules + Z("")), QuerySectionsOf("\\info\\"), &text),
            ConvertResult::kTooLong);
  EXPECT_LT(text.size(), kMaxMsgSize);
}

TEST(StatusDatagramTest, ValuesAreFoundOnlyBetweenBackslashes) {
  const std::string reply = "\\xmapname\\wrong\\mapname\\harbor\\numplayers\\10\\";
  std::string value;
  ASSERT_TRUE(FindQueryValue(reply, "mapname", &value));
  EXPECT_EQ(value, "harbor");
  ASSERT_TRUE(FindQueryValue(reply, "numplayers", &value));
  EXPECT_EQ(value, "10");  // the last value, up to the final backslash
  EXPECT_FALSE(FindQueryValue(reply, "map", &value));
  EXPECT_FALSE(FindQueryValue("", "mapname", &value));
  ASSERT_TRUE(FindQueryValue("\\k\\" + std::string(2000, 'x'), "k", &value));
  EXPECT_EQ(value.size(), kMaxQueryValue);
}

}  // namespace
}  // namespace varnholt
