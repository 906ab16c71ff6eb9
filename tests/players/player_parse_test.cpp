// One game.listPlayers line at a time, and the status index against GetQueryValue's own
// search.
#include <gtest/gtest.h>

#include <string>

#include "gamelink/player_list_parse.h"
#include "gamelink/status_datagram.h"

namespace varnholt {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

PlayerLineKind Parse(const std::string& line, ParsedPlayerLine* out) {
  // A heap copy of exactly the line's bytes, so a read past its end shows under ASan.
  std::string copy(line);
  return ParsePlayerLine(std::string_view(copy.data(), copy.size()), out);
}

TEST(PlayerLineTest, ReadsIdNameAddressAndKeyhash) {
  ParsedPlayerLine p;
  ASSERT_EQ(Parse(std::string("Id:12 - Big Ron is remote ip: 10.1.2.3:23456 hash:") + kHash, &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.id, 12);
  EXPECT_EQ(p.name, "Big Ron");
  EXPECT_EQ(p.address, "10.1.2.3");
  EXPECT_EQ(p.keyhash, kHash);

  // A LAN player has no key; a carriage return at the end is no part of the key.
  ASSERT_EQ(Parse("Id:0 - lan is remote ip: 192.168.0.7:5000", &p), PlayerLineKind::kPlayer);
  EXPECT_EQ(p.keyhash, "[unknown]");
  ASSERT_EQ(Parse(std::string("Id:1 - x is remote ip: 1.2.3.4:5 hash:") + kHash + "\r", &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.keyhash, kHash);
}

TEST(PlayerLineTest, BotsAreSkippedButANameCannotHideAPlayer) {
  ParsedPlayerLine p;
  EXPECT_EQ(Parse("Id:40 - Bot Sergeant is an AI bot", &p), PlayerLineKind::kBot);
  // Players who choose the bot's words, or the marker words, as their name are still read.
  ASSERT_EQ(Parse(std::string("Id:3 - is an AI bot is remote ip: 1.2.3.4:5 hash:") + kHash, &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.name, "is an AI bot");
  ASSERT_EQ(Parse("Id:4 - he is remote ip: 6.6.6.6:1 hash:x is remote ip: 9.8.7.6:1000 hash:" +
                      std::string(kHash),
                  &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.name, "he is remote ip: 6.6.6.6:1 hash:x");
  EXPECT_EQ(p.address, "9.8.7.6");
  EXPECT_EQ(p.keyhash, kHash);
  ASSERT_EQ(Parse("Id:5 - a:b - c is remote ip: 1.1.1.1:1", &p), PlayerLineKind::kPlayer);
  EXPECT_EQ(p.id, 5);
  EXPECT_EQ(p.name, "a:b - c");
}

TEST(PlayerLineTest, MalformedLinesAreParseErrorsWithoutReadingPastTheLine) {
  ParsedPlayerLine p;
  for (const char* line : {
           "Id:3 - Bob",                                // neither player nor bot
           "Id:3 - Bob is remote",                      // ends at the marker
           "Id:3 - Bob is remote ip:",                  // ends inside the address marker
           "Id:3 - Bob is remote ip: 1.2.3.4",          // no port
           "Id:3 - Bob is remote at: 1.2.3.4:5",        // not an address
           "Id:x - Bob is remote ip: 1.2.3.4:5",        // id is no number
           "Id: - Bob is remote ip: 1.2.3.4:5",         // empty id
           "Id:1234567 - Bob is remote ip: 1.2.3.4:5",  // id too long
           "Id:3 is remote ip: 1.2.3.4:5",              // name would start after the marker
           "is remote ip: 1.2.3.4:5",                   // no id at all
       }) {
    EXPECT_EQ(Parse(line, &p), PlayerLineKind::kParseError) << line;
  }
}

TEST(PlayerLineTest, LongFieldsAreCut) {
  ParsedPlayerLine p;
  std::string name(400, 'n');
  std::string line =
      "Id:2 - " + name + " is remote ip: 1111.2222.3333.4444:1 hash:" + std::string(100, 'f');
  ASSERT_EQ(Parse(line, &p), PlayerLineKind::kPlayer);
  EXPECT_EQ(p.name.size(), kPlayerNameParsedMax);
  EXPECT_EQ(p.address.size(), kPlayerAddressMax);
  EXPECT_EQ(p.keyhash.size(), kPlayerKeyhashMax);
}

TEST(DecimalValueTest, ReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(DecimalValue("-12"), -12);
  EXPECT_EQ(DecimalValue("  7x"), 7);
  EXPECT_EQ(DecimalValue(""), 0);
  EXPECT_EQ(DecimalValue("-"), 0);
  EXPECT_EQ(DecimalValue("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(DecimalValue("-99999999999999999999"), INT32_MIN);
}

TEST(StatusIndexTest, FindsWhatGetQueryValueFinds) {
  // Keys inside values, a key that is the end of another, a value that looks like a key, an
  // empty value and a last value without its closing backslash.
  const std::string reply =
      "\\xmapname\\one\\mapname\\two\\player_0\\score_1\\score_0\\5\\player_1\\B\\score_1\\7"
      "\\ping_1\\\\team_1\\2";
  StatusIndex index(reply);
  for (const char* key : {"mapname", "xmapname", "player_0", "score_0", "score_1", "ping_1",
                          "team_1", "player_1", "missing", "2", "one", "B"}) {
    std::string expected;
    const bool found = FindQueryValue(reply, key, &expected);
    const std::string_view* got = index.Find(key);
    ASSERT_EQ(got != nullptr, found) << key;
    if (found) {
      EXPECT_EQ(std::string(*got), expected) << key;
    }
  }
  ASSERT_NE(index.FindIndexed("player_", 1), nullptr);
  EXPECT_EQ(*index.FindIndexed("player_", 1), "B");
  EXPECT_EQ(index.FindIndexed("player_", 2), nullptr);
}

}  // namespace
}  // namespace varnholt
