// One game.listPlayers line at a time, and the status index against GetQueryValue's search.
#include <gtest/gtest.h>

#include <string>

#include "gamelink/player_list_parse.h"
#include "gamelink/status_datagram.h"

namespace varnholt {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

PlayerLineKind Parse(const std::string& line, ParsedPlayerLine* out) {
  std::string copy(line);  // exactly the line's bytes, so a read past it shows under ASan
  return ParsePlayerLine(std::string_view(copy.data(), copy.size()), out);
}

TEST(PlayerLineTest, ReadsPlayersSkipsBotsAndKeepsNamesWhole) {
  ParsedPlayerLine p;
  ASSERT_EQ(Parse(std::string("Id:12 - Big Ron is remote ip: 10.1.2.3:23456 hash:") + kHash, &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.id, 12);
  EXPECT_EQ(p.name, "Big Ron");
  EXPECT_EQ(p.address, "10.1.2.3");
  EXPECT_EQ(p.keyhash, kHash);
  // No key (a LAN player); a carriage return is no part of the line.
  ASSERT_EQ(Parse("Id:0 - lan is remote ip: 192.168.0.7:5000\r", &p), PlayerLineKind::kPlayer);
  EXPECT_EQ(p.keyhash, "[unknown]");

  EXPECT_EQ(Parse("Id:40 - Bot Sergeant is an AI bot", &p), PlayerLineKind::kBot);
  // A bot named after the remote marker is a bot, not a broken list.
  EXPECT_EQ(Parse("Id:41 - Bot is remote is an AI bot", &p), PlayerLineKind::kBot);
  EXPECT_EQ(Parse("Id:42 - x is remote ip: 1.2.3.4 is an AI bot", &p), PlayerLineKind::kBot);
  // A player cannot hide as a bot or break the line with the marker words in his name.
  ASSERT_EQ(Parse("Id:3 - x is an AI bot is remote ip: 1.2.3.4:5", &p), PlayerLineKind::kPlayer);
  EXPECT_EQ(p.name, "x is an AI bot");
  ASSERT_EQ(
      Parse(std::string("Id:4 - a:b is remote ip: 6.6.6.6:1 is remote ip: 9.8.7.6:1 hash:") + kHash,
            &p),
      PlayerLineKind::kPlayer);
  EXPECT_EQ(p.id, 4);
  EXPECT_EQ(p.name, "a:b is remote ip: 6.6.6.6:1");
  EXPECT_EQ(p.address, "9.8.7.6");
  EXPECT_EQ(p.keyhash, kHash);

  ASSERT_EQ(Parse("Id:2 - " + std::string(400, 'n') +
                      " is remote ip: 1111.2222.3333.4444:1 hash:" + std::string(100, 'f'),
                  &p),
            PlayerLineKind::kPlayer);
  EXPECT_EQ(p.name.size(), kPlayerNameParsedMax);
  EXPECT_EQ(p.address.size(), kPlayerAddressMax);
  EXPECT_EQ(p.keyhash.size(), kPlayerKeyhashMax);
}

TEST(PlayerLineTest, MalformedLinesAreParseErrors) {
  ParsedPlayerLine p;
  for (const char* line : {"Id:3 - Bob", "Id:3 - Bob is remote", "Id:3 - Bob is remote ip:",
                           "Id:3 - Bob is remote ip: 1.2.3.4", "Id:3 - Bob is remote at: 1.2.3.4:5",
                           "Id:x - Bob is remote ip: 1.2.3.4:5", "Id: - B is remote ip: 1.2.3.4:5",
                           "Id:1234567 - B is remote ip: 1.2.3.4:5", "Id:3 is remote ip: 1.2.3.4:5",
                           "is remote ip: 1.2.3.4:5"}) {
    EXPECT_EQ(Parse(line, &p), PlayerLineKind::kParseError) << line;
  }
}

TEST(StatusIndexTest, FindsWhatGetQueryValueFinds) {
  // Keys inside values, a key that ends another, an empty value, a last value left open.
  const std::string reply =
      "\\xmapname\\one\\mapname\\two\\player_0\\score_1\\score_0\\5\\player_1\\B\\score_1\\7"
      "\\ping_1\\\\team_1\\2";
  StatusIndex index(reply);
  for (const char* key : {"mapname", "xmapname", "player_0", "score_0", "score_1", "ping_1",
                          "team_1", "missing", "2", "B"}) {
    std::string expected;
    const bool found = FindQueryValue(reply, key, &expected);
    const std::string_view* got = index.Find(key);
    ASSERT_EQ(got != nullptr, found) << key;
    if (found) {
      EXPECT_EQ(std::string(*got), expected) << key;
    }
  }
  EXPECT_EQ(*index.FindIndexed("player_", 1), "B");
}

}  // namespace
}  // namespace varnholt
