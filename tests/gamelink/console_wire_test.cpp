// The console's request bytes and the response reader, over buffers.
#include "gamelink/console_wire.h"

#include <gtest/gtest.h>

#include <string>

#include "gamelink/console_response.h"
#include "gamelink_harness.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

using testing::ResponseFrame;

ReadStatus Read(const std::string& bytes, ResponseKind kind, ConsoleResponse* response) {
  BufferSource source(bytes);
  std::string scratch;
  return ReadConsoleResponse(source, kind, response, &scratch);
}

TEST(ConsoleWireTest, CommandTextIsCutAtLineFeeds) {
  std::string frame;
  BuildCommandFrame("admin.restartMap", &frame);
  EXPECT_EQ(frame, ResponseFrame({"ConsoleMessage 0", "admin.restartMap", "\r"}));

  BuildCommandFrame("a\nb\n", &frame);  // the empty piece after the last line feed is not sent
  EXPECT_EQ(frame, ResponseFrame({"ConsoleMessage 0", "a", "b", "\r"}));

  BuildCommandFrame("a\n\nb", &frame);  // empty lines between are
  EXPECT_EQ(frame, ResponseFrame({"ConsoleMessage 0", "a", "", "b", "\r"}));

  BuildPollFrame(&frame);
  EXPECT_EQ(frame, ResponseFrame({"ConsoleRun 0", std::string(1, '\0')}));
}

TEST(ConsoleWireTest, LoginIsEncipheredWithTheKeyAndCutTo31Characters) {
  LoginKey key = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A};
  std::string user(40, 'u');
  std::string bytes = BuildLoginBytes(key, user, "pw");
  ASSERT_EQ(bytes.size(), 4 + 32 + 4 + 3u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x20\0\0\0", 4));
  for (size_t i = 0; i < 31; ++i) {
    EXPECT_EQ(static_cast<uint8_t>(bytes[4 + i]), static_cast<uint8_t>('u' ^ key[i % 10]));
  }
  EXPECT_EQ(bytes[35], '\0');  // the terminator is not enciphered
  EXPECT_EQ(bytes.substr(36, 4), std::string("\x03\0\0\0", 4));
  EXPECT_EQ(static_cast<uint8_t>(bytes[40]), 'p' ^ 0x81);
  EXPECT_EQ(static_cast<uint8_t>(bytes[41]), 'w' ^ 0x82);
  EXPECT_EQ(bytes[42], '\0');
}

TEST(ConsoleWireTest, PastedTextCannotLeaveItsArgument) {
  EXPECT_EQ(ConsoleSafeText("hi\" \nadmin.banPlayer 3\r"), "hi'  admin.banPlayer 3 ");
  EXPECT_EQ(ConsoleSafeText(std::string("a\0b", 3)), "a b");
  EXPECT_EQ(ConsoleSafeText("plain text"), "plain text");
}

TEST(ConsoleResponseTest, CommandResponseSeparatesChatAndDropsOutOfBandLines) {
  ConsoleResponse r;
  ASSERT_EQ(Read(ResponseFrame({"line one", "##--0ALL anna: hi", "##status", "line two"}),
                 ResponseKind::kCommand, &r),
            ReadStatus::kOk);
  EXPECT_EQ(r.text, "line one\nline two\n");
  ASSERT_EQ(r.chat.size(), 1u);
  EXPECT_EQ(r.chat[0], "ALL anna: hi");

  ASSERT_EQ(Read(ResponseFrame({}), ResponseKind::kCommand, &r), ReadStatus::kOk);
  EXPECT_EQ(r.text, "");  // no lines is still a response
  EXPECT_TRUE(r.chat.empty());
}

TEST(ConsoleResponseTest, ConsoleOutputJoinsContinuationsAndDropsPrompts) {
  ConsoleResponse r;
  ASSERT_EQ(
      Read(ResponseFrame({"x", "#head of a long line", " and its tail", "", ">", "##--1TEAM b: go",
                          "#next", "plain", "#a", "##--0c", " not joined after chat"}),
           ResponseKind::kConsoleOutput, &r),
      ReadStatus::kOk);
  EXPECT_EQ(r.typed_reply, "x");
  EXPECT_EQ(r.text, "#head of a long lineand its tail\n#nextlain\n#a\n not joined after chat\n");
  ASSERT_EQ(r.chat.size(), 2u);
  EXPECT_EQ(r.chat[0], "TEAM b: go");
  EXPECT_EQ(r.chat[1], "c");
}

TEST(ConsoleResponseTest, ShortAndUnterminatedStringsStayWithinWhatWasReceived) {
  std::string bytes;
  AppendU32(&bytes, 3);
  AppendU32(&bytes, 4);
  bytes += "##--";       // a chat line without channel or text, and without its zero byte
  AppendU32(&bytes, 0);  // a string of no bytes at all
  AppendU32(&bytes, 6);
  bytes += std::string("ab\0cd\0", 6);  // text ends at the first zero
  ConsoleResponse r;
  ASSERT_EQ(Read(bytes, ResponseKind::kCommand, &r), ReadStatus::kOk);
  ASSERT_EQ(r.chat.size(), 1u);
  EXPECT_EQ(r.chat[0], "");
  EXPECT_EQ(r.text, "\nab\n");
}

TEST(ConsoleResponseTest, HugeCountsAndLengthsAreRefusedBeforeAllocating) {
  ConsoleResponse r;
  std::string bytes;
  AppendU32(&bytes, 1);
  AppendU32(&bytes, 0xFFFFFFFFu);  // a string of 4 GiB
  EXPECT_EQ(Read(bytes, ResponseKind::kCommand, &r), ReadStatus::kBadFrame);
  EXPECT_EQ(GetLastErrorCode(), kErrorInvalidData);

  bytes.clear();
  AppendU32(&bytes, 0xFFFFFFFFu);  // four billion strings
  EXPECT_EQ(Read(bytes, ResponseKind::kConsoleOutput, &r), ReadStatus::kBadFrame);

  // Many strings just under the per-string bound exceed the frame bound.
  bytes.clear();
  AppendU32(&bytes, 100);
  for (int i = 0; i < 17; ++i) {
    AppendU32(&bytes, kMaxResponseStringBytes);
    bytes.append(kMaxResponseStringBytes, 'x');
  }
  EXPECT_EQ(Read(bytes, ResponseKind::kCommand, &r), ReadStatus::kBadFrame);
}

TEST(ConsoleResponseTest, AFrameCutShortIsAReceiveFailure) {
  std::string bytes = ResponseFrame({"first", "second"});
  bytes.resize(bytes.size() - 3);
  ConsoleResponse r;
  EXPECT_EQ(Read(bytes, ResponseKind::kCommand, &r), ReadStatus::kReceiveFailed);
  EXPECT_EQ(GetLastErrorCode(), kWsaConnectionReset);
  EXPECT_EQ(Read("", ResponseKind::kCommand, &r), ReadStatus::kReceiveFailed);
}

}  // namespace
}  // namespace varnholt
