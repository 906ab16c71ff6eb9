// Chat and server messages split into pieces the console line can take.
#include "gamelink/chat_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnholt {
namespace {

TEST(ChatPiecesTest, ChatSplitsAtTheLastBlankWithinSixtyFourAndKeepsPlaceholders) {
  // 100 characters of short words.
  std::string text;
  while (text.size() < 100) text += "word ";
  text.resize(100);
  std::vector<std::string> pieces = SplitChatPieces(text, MessageStyle::kChat);
  ASSERT_EQ(pieces.size(), 2u);
  // The 64th character (index 63) is inside "word"; the last blank at or before it is 59.
  EXPECT_EQ(pieces[0].size(), 59u);
  EXPECT_EQ(pieces[0].find(' '), std::string::npos);
  EXPECT_EQ(pieces[0].substr(0, 5), std::string("word") + kChatBlank);
  EXPECT_EQ(pieces[1].size(), 100u - 60u);
}

TEST(ChatPiecesTest, LimitsAtSixtyThreeAndSixtyFour) {
  EXPECT_EQ(SplitChatPieces(std::string(63, 'a'), MessageStyle::kChat).size(), 1u);
  // 64 characters without separator: 63 and the rest.
  std::vector<std::string> p = SplitChatPieces(std::string(64, 'a'), MessageStyle::kChat);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].size(), 63u);
  EXPECT_EQ(p[1], "a");
  // A 70-character server message without blanks: 63 then 7.
  p = SplitChatPieces(std::string(70, 'b'), MessageStyle::kServerMessage);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].size(), 63u);
  EXPECT_EQ(p[1].size(), 7u);
  // A blank exactly at the 64th character ends the piece at 63; it is not sent.
  std::string at64 = std::string(63, 'c') + " " + std::string(5, 'd');
  p = SplitChatPieces(at64, MessageStyle::kServerMessage);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0], std::string(63, 'c'));
  EXPECT_EQ(p[1], "ddddd");
  // Server messages turn placeholders back into blanks.
  EXPECT_EQ(SplitChatPieces(std::string("a") + kChatBlank + "b", MessageStyle::kServerMessage)[0],
            "a b");
  EXPECT_TRUE(SplitChatPieces("", MessageStyle::kChat).empty());
}

}  // namespace
}  // namespace varnholt
