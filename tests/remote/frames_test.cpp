#include "remote/frames.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/last_error.h"
#include "remote/notify_frames.h"

namespace varnholt {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST(Frames, RequestLayouts) {
  BufferSink sink;
  ASSERT_TRUE(SendRequest(sink, kRequestBase + 50));
  EXPECT_EQ(sink.bytes(), Bytes({0x32, 0x00, 0xBE, 0xBA}));
  BufferSink with_text;
  ASSERT_TRUE(SendRequestText(with_text, kRequestBase + 35, "3,afk,"));
  EXPECT_EQ(with_text.bytes(),
            Bytes({0x23, 0x00, 0xBE, 0xBA, 7, 0, 0, 0}) + std::string("3,afk,\0", 7));
}

TEST(Frames, ReplyAndNotificationLayouts) {
  BufferSink reply;
  ASSERT_TRUE(SendTextReply(reply, "16567,1"));
  EXPECT_EQ(reply.bytes(), Bytes({8, 0, 0, 0}) + std::string("16567,1\0", 8));
  BufferSink none;
  ASSERT_TRUE(SendNoTextReply(none));
  EXPECT_EQ(none.bytes(), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(NotificationFrame(kNotifyPlayerKicked, "Grim"),
            Bytes({0x20, 0x00, 0xEF, 0xBE, 5, 0, 0, 0}) + std::string("Grim\0", 5));
  EXPECT_EQ(NotificationFrame(kNotifyKeepAlive), Bytes({0x2E, 0x00, 0xEF, 0xBE, 0, 0, 0, 0}));
  // A cleared idle map still sends its (empty) text and zero byte.
  EXPECT_EQ(NotificationFrame(kNotifyIdleMapSet, ""),
            Bytes({0x1E, 0x00, 0xEF, 0xBE, 1, 0, 0, 0, 0}));
}

TEST(Frames, EveryNotificationCodeHasItsFrame) {
  const auto& table = NotifyCodeTable();
  ASSERT_EQ(table.size(), 46u);
  std::set<uint32_t> with_text;
  for (const NotifyCodeInfo& row : table) {
    const std::string frame = NotificationFrame(row.code, "x");
    ASSERT_GE(frame.size(), 8u);
    EXPECT_EQ(WordAt(frame.data()), row.code);
    EXPECT_EQ(WordAt(frame.data() + 4), row.carries_text ? 2u : 0u);
    if (row.carries_text) with_text.insert(row.code);
    BufferSource source(frame);
    Notification read;
    ASSERT_EQ(ReadNotification(source, &read), FrameStatus::kOk);
    EXPECT_EQ(read.code, row.code);
    EXPECT_EQ(TextOfData(read.data), row.carries_text ? "x" : "");
  }
  EXPECT_EQ(with_text,
            (std::set<uint32_t>{0xBEEF001B, 0xBEEF001D, 0xBEEF001E, 0xBEEF0020, 0xBEEF0021,
                                0xBEEF0022, 0xBEEF0026, 0xBEEF0027, 0xBEEF0028, 0xBEEF0029,
                                0xBEEF002A, 0xBEEF002B, 0xBEEF002C}));
  EXPECT_EQ(FindNotifyCode(0xBEEF0003)->audience, NotifyAudience::kTheClient);
  EXPECT_EQ(FindNotifyCode(0xBEEF0014)->audience, NotifyAudience::kRequester);
  EXPECT_EQ(FindNotifyCode(0xBEEF0000), nullptr);
  EXPECT_EQ(FindNotifyCode(0xBEEF002F), nullptr);
}

TEST(Frames, RequestTextWithOrWithoutZeroByte) {
  const std::string frames = Bytes({3, 0, 0, 0}) + "abc" + Bytes({4, 0, 0, 0}) +
                             std::string("de\0f", 4) + Bytes({0, 0, 0, 0});
  BufferSource source(frames);
  std::string text;
  ASSERT_EQ(ReadRequestText(source, &text), FrameStatus::kOk);
  EXPECT_EQ(text, "abc");
  ASSERT_EQ(ReadRequestText(source, &text), FrameStatus::kOk);
  EXPECT_EQ(text, "de");
  ASSERT_EQ(ReadRequestText(source, &text), FrameStatus::kOk);
  EXPECT_EQ(text, "");
  // 256 bytes without a zero: the 255 characters the buffer holds.
  const std::string full = Bytes({0, 1, 0, 0}) + std::string(256, 'q');
  BufferSource long_source(full);
  ASSERT_EQ(ReadRequestText(long_source, &text), FrameStatus::kOk);
  EXPECT_EQ(text, std::string(255, 'q'));
}

TEST(Frames, OverlongRequestTextIsDrainedSoTheNextRequestIsInStep) {
  std::string frames = Bytes({0x2C, 0x01, 0, 0}) + std::string(300, 'z');
  frames += Bytes({0x32, 0x00, 0xBE, 0xBA});
  BufferSource source(frames);
  std::string text = "unchanged";
  EXPECT_EQ(ReadRequestText(source, &text), FrameStatus::kRefused);
  EXPECT_EQ(text, "unchanged");
  uint32_t code = 0;
  ASSERT_TRUE(ReadRequestCode(source, &code));
  EXPECT_EQ(code, kRequestBase + 50);
  EXPECT_TRUE(IsRequestCode(code));
  EXPECT_FALSE(IsRequestCode(kRequestBase + 51));
  EXPECT_FALSE(IsRequestCode(kRequestBase - 1));
}

TEST(Frames, LyingLengthsAreNeverAllocated) {
  // A 4 GiB text behind four real bytes: refused at once, not read, not allocated.
  const std::string lie = Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + "abcd";
  BufferSource source(lie);
  std::string text;
  EXPECT_EQ(ReadRequestText(source, &text), FrameStatus::kBroken);
  EXPECT_EQ(source.remaining(), 4u);
  BufferSource reply(lie);
  bool present = false;
  EXPECT_EQ(ReadTextReply(reply, &text, &present), FrameStatus::kBroken);
  const std::string notification = Bytes({1, 0, 0xEF, 0xBE, 0, 0, 0, 0x10});
  BufferSource note(notification);
  Notification read;
  EXPECT_EQ(ReadNotification(note, &read), FrameStatus::kBroken);
}

TEST(Frames, TruncatedFramesFailAsAClosedConnection) {
  std::string text;
  bool present = false;
  const std::string short_reply = Bytes({9, 0, 0, 0}) + "abc";
  BufferSource source(short_reply);
  EXPECT_EQ(ReadTextReply(source, &text, &present), FrameStatus::kBroken);
  EXPECT_EQ(GetLastErrorCode(), kWsaConnectionReset);
  const std::string half_word = Bytes({1, 0});
  BufferSource half(half_word);
  uint32_t code = 0;
  EXPECT_FALSE(ReadRequestCode(half, &code));
  const std::string no_reply = Bytes({0, 0, 0, 0});
  BufferSource empty(no_reply);
  ASSERT_EQ(ReadTextReply(empty, &text, &present), FrameStatus::kOk);
  EXPECT_FALSE(present);
}

}  // namespace
}  // namespace varnholt
