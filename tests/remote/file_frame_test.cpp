#include "remote/file_frame.h"

#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <random>

#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(gen());
  return out;
}

std::string Frame(std::string_view contents) {
  std::string frame;
  EXPECT_TRUE(EncodeFileFrame(contents, &frame));
  return frame;
}

FrameStatus Decode(const std::string& frame, std::string* contents,
                   uint32_t max_size = kMaxFileFrameSize) {
  BufferSource source(frame);
  return ReadFileFrame(source, max_size, contents);
}

class FileFrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(lzo_init(), LZO_E_OK); }
  std::string Log() const { return folder_.Read("Varnholt.log"); }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_{folder_.path(), clock_};
};

TEST_F(FileFrameTest, LayoutOfAFrame) {
  const std::string contents = "game.serverName \"Varnholt test\"\n";
  const std::string frame = Frame(contents);
  ASSERT_GE(frame.size(), 12u);
  EXPECT_EQ(WordAt(frame.data()), contents.size());
  const uint32_t compressed = WordAt(frame.data() + 4);
  EXPECT_EQ(frame.size(), 12u + compressed);
  EXPECT_EQ(WordAt(frame.data() + 8),
            lzo_adler32(1, reinterpret_cast<const uint8_t*>(frame.data()) + 12, compressed));
  // Adler-32 as RFC 1950 defines it.
  EXPECT_EQ(FrameChecksum("Wikipedia", 9), 0x11E60398u);
  EXPECT_EQ(FrameChecksum("", 0), 1u);
  // An empty file is the single word 0.
  EXPECT_EQ(Frame(""), std::string(4, '\0'));
}

TEST_F(FileFrameTest, RoundTripsTextRepetitiveAndIncompressibleData) {
  for (const std::string& contents :
       {std::string("x"), std::string(1 << 20, 'a'), RandomBytes(1 << 20, 7), RandomBytes(100, 8),
        std::string("line\n") + RandomBytes(70000, 9)}) {
    const std::string frame = Frame(contents);
    EXPECT_LE(frame.size() - 12, WorstCaseCompressedSize(contents.size()));
    std::string back;
    ASSERT_EQ(Decode(frame, &back), FrameStatus::kOk);
    EXPECT_EQ(back, contents);
  }
  // Incompressible data grows; the buffer is sized for that.
  EXPECT_GT(Frame(RandomBytes(1 << 20, 7)).size(), (1u << 20) + 12);
}

TEST_F(FileFrameTest, BadChecksumAndLyingLengthsAreRefusedInStep) {
  const std::string contents = RandomBytes(5000, 1) + std::string(5000, 'k');
  std::string frame = Frame(contents) + "NEXT";
  std::string back = "old";

  std::string bad_sum = frame;
  bad_sum[8] ^= 1;
  BufferSource sum_source(bad_sum);
  EXPECT_EQ(ReadFileFrame(sum_source, kMaxFileFrameSize, &back), FrameStatus::kRefused);
  EXPECT_EQ(GetLastErrorCode(), kErrorCrc);
  EXPECT_EQ(sum_source.remaining(), 4u);

  // N one more, or one fewer, than the data really holds.
  for (int delta : {1, -1}) {
    std::string lying = frame;
    const uint32_t n = WordAt(lying.data()) + delta;
    for (int i = 0; i < 4; ++i) lying[i] = static_cast<char>(n >> (8 * i));
    BufferSource source(lying);
    EXPECT_EQ(ReadFileFrame(source, kMaxFileFrameSize, &back), FrameStatus::kRefused);
    EXPECT_EQ(GetLastErrorCode(), kErrorCannotComplete);
    EXPECT_EQ(source.remaining(), 4u);
  }
  EXPECT_EQ(back, "old");

  // Larger than the receiver takes: the data is dropped and the stream stays in step.
  BufferSource big(frame);
  EXPECT_EQ(ReadFileFrame(big, 8000, &back), FrameStatus::kRefused);
  EXPECT_EQ(GetLastErrorCode(), kErrorNotEnoughMemory);
  EXPECT_EQ(big.remaining(), 4u);
  // ... unless even its compressed data exceeds anything the receiver would take.
  BufferSource huge(frame);
  EXPECT_EQ(ReadFileFrame(huge, 1000, &back), FrameStatus::kBroken);
}

TEST_F(FileFrameTest, UnboundedOrTruncatedFramesBreakTheStream) {
  std::string back;
  // 10 bytes of file announced as 4 GiB of compressed data: nothing is allocated.
  std::string lie;
  AppendWord(&lie, 10);
  AppendWord(&lie, 0xFFFFFFF0u);
  AppendWord(&lie, 1);
  EXPECT_EQ(Decode(lie, &back), FrameStatus::kBroken);
  EXPECT_EQ(GetLastErrorCode(), kErrorInvalidData);

  const std::string frame = Frame(std::string(4000, 'a') + RandomBytes(4000, 3));
  for (size_t cut : {size_t{2}, size_t{6}, size_t{11}, frame.size() - 1}) {
    EXPECT_EQ(Decode(frame.substr(0, cut), &back), FrameStatus::kBroken) << cut;
  }
  std::string marker;
  AppendWord(&marker, kErrorMarker);
  EXPECT_EQ(Decode(marker, &back), FrameStatus::kRefused);
  EXPECT_EQ(GetLastErrorCode(), kErrorRequestAborted);
}

TEST_F(FileFrameTest, SendFileSendsTheFileOrTheErrorMarker) {
  const std::string path = folder_.Write("Mods/ashfront/Settings/ServerBanList.con", "ban\n");
  BufferSink sink;
  ASSERT_TRUE(SendFile(path, sink, "10.1.2.3", log_));
  EXPECT_EQ(sink.bytes(), Frame("ban\n"));

  BufferSink empty_sink;
  ASSERT_TRUE(SendFile(folder_.Write("empty.con", ""), empty_sink, "10.1.2.3", log_));
  EXPECT_EQ(empty_sink.bytes(), std::string(4, '\0'));

  BufferSink missing;
  EXPECT_FALSE(SendFile(folder_.Sub("Settings/Missing.con"), missing, "10.1.2.3", log_));
  EXPECT_EQ(missing.bytes(), std::string("\xBE\xBA\xEF\xBE", 4));
  EXPECT_NE(Log().find("Couldn't send Missing.con to peer at 10.1.2.3! The system cannot find "
                       "the file specified. (2)"),
            std::string::npos);
}

TEST_F(FileFrameTest, ReceiveFileReplacesTheFileOnlyWhenAllIsWell) {
  const std::string target = folder_.Write("Settings/ServerSchedule.con", "old contents\n");
  const std::string fresh = Frame("new contents\n");
  BufferSource good(fresh);
  ASSERT_TRUE(ReceiveFile(target, good, "10.1.2.3", log_));
  EXPECT_EQ(folder_.Read("Settings/ServerSchedule.con"), "new contents\n");

  std::string corrupt = Frame("newer contents\n");
  corrupt[12] ^= 0x55;
  BufferSource bad(corrupt);
  bool in_step = false;
  EXPECT_FALSE(ReceiveFile(target, bad, "10.1.2.3", log_, kMaxFileFrameSize, &in_step));
  EXPECT_TRUE(in_step);
  EXPECT_EQ(GetLastErrorCode(), kErrorCrc);
  EXPECT_EQ(folder_.Read("Settings/ServerSchedule.con"), "new contents\n");
  EXPECT_NE(Log().find("Couldn't receive ServerSchedule.con from peer at 10.1.2.3! Data error"),
            std::string::npos);

  std::string marker;
  AppendWord(&marker, kErrorMarker);
  BufferSource aborted(marker);
  EXPECT_FALSE(ReceiveFile(target, aborted, "10.1.2.3", log_));
  EXPECT_EQ(GetLastErrorCode(), kErrorRequestAborted);
  EXPECT_EQ(folder_.Read("Settings/ServerSchedule.con"), "new contents\n");

  const std::string zero(4, '\0');
  BufferSource empty(zero);
  ASSERT_TRUE(ReceiveFile(folder_.Sub("new/folder/Empty.con"), empty, "10.1.2.3", log_));
  EXPECT_TRUE(std::filesystem::exists(folder_.Sub("new/folder/Empty.con")));
  EXPECT_EQ(folder_.Read("new/folder/Empty.con"), "");
}

}  // namespace
}  // namespace varnholt
