#include "remote/socket_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <lzo/lzo1x.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/last_error.h"
#include "remote/file_frame.h"
#include "support/free_port.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

// Sends all of `bytes` from the client end.
void Send(const testing::LoopbackPair& pair, std::string_view bytes) {
  ASSERT_EQ(send(pair.client, bytes.data(), bytes.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(bytes.size()));
}

// Every reading of the time moves it on by two seconds: a peer that sends one byte per
// reading is a peer that sends one byte every two seconds.
class SteppingClock final : public Clock {
 public:
  int64_t CalendarSeconds() const override { return 0; }
  uint64_t MonotonicMs() const override { return 2000 * reads_++; }
  void SleepMs(uint32_t) const override {}
  uint64_t reads() const { return reads_.load(); }

 private:
  mutable std::atomic<uint64_t> reads_{0};
};

TEST(SocketStream, ReadsFramesFromARealConnection) {
  testing::LoopbackPair pair;
  ManualClock clock;
  std::string frames;
  AppendWord(&frames, kRequestBase + 35);
  AppendWord(&frames, 5);
  frames.append("4,go", 5);
  Send(pair, frames);
  SocketSource source(pair.server, clock);
  uint32_t code = 0;
  std::string text;
  ASSERT_TRUE(ReadRequestCode(source, &code));
  EXPECT_EQ(code, kRequestBase + 35);
  ASSERT_EQ(ReadRequestText(source, &text), FrameStatus::kOk);
  EXPECT_EQ(text, "4,go");
  // The peer hangs up in the middle of the next frame.
  Send(pair, std::string("\x01\x00", 2));
  close(pair.client);
  pair.client = -1;
  EXPECT_FALSE(ReadRequestCode(source, &code));
  EXPECT_EQ(GetLastErrorCode(), kWsaConnectionReset);
}

TEST(SocketStream, FrameDeadlineHoldsEvenWhenBytesAreWaiting) {
  testing::LoopbackPair pair;
  ManualClock clock;
  SocketSource source(pair.server, clock);
  Send(pair, "abcdefgh");
  clock.AdvanceMs(kFrameDeadlineMs);
  uint32_t word = 0;
  EXPECT_FALSE(ReadWord(source, &word));
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  source.BeginFrame();
  ASSERT_TRUE(ReadWord(source, &word));
  EXPECT_EQ(word, 0x64636261u);
}

// Sends `head` at once, then the rest of `frame` one byte each time the reader looks at the
// clock, never ahead of it.
class TricklingPeer {
 public:
  TricklingPeer(const testing::LoopbackPair& pair, const SteppingClock& clock, std::string frame,
                size_t head)
      : thread_([&pair, &clock, frame = std::move(frame), head, this] {
          if (head > 0) Send(pair, frame.substr(0, head));
          uint64_t sent = head;
          while (!done_ && sent < frame.size()) {
            if (clock.reads() + head > sent) {
              Send(pair, frame.substr(sent, 1));
              ++sent;
            } else {
              std::this_thread::yield();
            }
          }
        }) {}
  ~TricklingPeer() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST(SocketStream, SlowLorisPeerIsCutOffAtTheFrameDeadline) {
  testing::LoopbackPair pair;
  SteppingClock clock;
  std::string frame;
  AppendWord(&frame, 256);
  frame.append(256, 'x');
  TricklingPeer peer(pair, clock, frame, 0);
  SocketSource source(pair.server, clock);
  std::string text;
  EXPECT_EQ(ReadRequestText(source, &text), FrameStatus::kBroken);
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  // Ten seconds at two seconds a reading: the reader gave up after a handful of bytes.
  EXPECT_LE(clock.reads(), 8u);
}

TEST(SocketStream, LongAnnouncedFileEarnsNoTimeForATrickle) {
  testing::LoopbackPair pair;
  SteppingClock clock;
  std::string frame;
  AppendWord(&frame, 100000);
  AppendWord(&frame, 100000);
  AppendWord(&frame, 1);
  frame.append(100000, 'y');
  TricklingPeer peer(pair, clock, frame, 12);
  SocketSource source(pair.server, clock);
  std::string contents;
  EXPECT_EQ(ReadFileFrame(source, kMaxFileFrameSize, &contents), FrameStatus::kBroken);
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  EXPECT_LE(clock.reads(), 10u);
}

TEST(SocketStream, SlowReaderIsCutOffWhileSending) {
  testing::LoopbackPair pair;
  // Small buffers on both sides, so the sender can run only a little ahead of the reader.
  const int small = 16 * 1024;
  setsockopt(pair.server, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  setsockopt(pair.client, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  ManualClock clock;
  const std::string data(8 << 20, 'd');
  std::atomic<size_t> received{0};
  // The reader reads its first 64 KiB at once and then, for the clock, takes forever.
  std::thread reader([&] {
    std::string buffer(4096, '\0');
    bool late = false;
    long n = 0;
    while ((n = recv(pair.client, buffer.data(), buffer.size(), 0)) > 0) {
      received += static_cast<size_t>(n);
      if (!late && received >= 64 * 1024) {
        clock.AdvanceSeconds(1000);
        late = true;
      }
    }
  });
  SocketSink sink(pair.server, clock);
  EXPECT_FALSE(sink.Write(data.data(), data.size()));
  EXPECT_EQ(GetLastErrorCode(), kWsaTimedOut);
  shutdown(pair.server, SHUT_WR);
  reader.join();
  EXPECT_LT(received.load(), data.size());
}

TEST(SocketStream, FileTravelsOverLoopback) {
  ASSERT_EQ(lzo_init(), LZO_E_OK);
  testing::LoopbackPair pair;
  testing::TempFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  std::string contents;
  for (int i = 0; i < 20000; ++i) contents += "line " + std::to_string(i * 7919 % 1000) + "\n";
  const std::string source_path = folder.Write("out/Maps.con", contents);
  // The client end sends, the server end receives; the file is larger than the socket
  // buffers, so both run at once.
  std::thread sender([&] {
    const int flags = fcntl(pair.client, F_GETFL);
    fcntl(pair.client, F_SETFL, flags | O_NONBLOCK);
    SocketSink sink(pair.client, clock);
    EXPECT_TRUE(SendFile(source_path, sink, "127.0.0.1", log));
  });
  SocketSource source(pair.server, clock);
  EXPECT_TRUE(ReceiveFile(folder.Sub("in/Maps.con"), source, "127.0.0.1", log));
  sender.join();
  EXPECT_EQ(folder.Read("in/Maps.con"), contents);
}

}  // namespace
}  // namespace varnholt
