#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/poll_event_loop.h"

namespace varnholt {
namespace {

TEST(PollEventLoopTest, TimersFireByTheInjectedClockAndCanBeStopped) {
  ManualClock clock(0, 0);
  PollEventLoop loop(clock);
  int a = 0, b = 0;
  EventLoop::TimerId ta = loop.StartTimer(1000, [&] { ++a; });
  loop.StartTimer(3000, [&] { ++b; });
  loop.RunOnce(0);
  EXPECT_EQ(a, 0);
  clock.AdvanceMs(1000);
  loop.RunOnce(0);
  EXPECT_EQ(a, 1);
  clock.AdvanceMs(2000);
  loop.RunOnce(0);
  EXPECT_EQ(a, 2);  // a late loop fires once, not once per missed period
  EXPECT_EQ(b, 1);
  loop.StopTimer(ta);
  clock.AdvanceMs(5000);
  loop.RunOnce(0);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 2);
}

TEST(PollEventLoopTest, PostAndQuitFromAnotherThread) {
  SystemClock clock;
  PollEventLoop loop(clock);
  std::thread::id ran_on;
  std::thread other([&] {
    loop.Post([&] { ran_on = std::this_thread::get_id(); });
    loop.Quit(7);
  });
  EXPECT_EQ(loop.Run(), 7);
  other.join();
  EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(PollEventLoopTest, SocketReadAndCloseEvents) {
  SystemClock clock;
  PollEventLoop loop(clock);
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  std::vector<SocketEvent> seen;
  loop.WatchSocket(fds[0], kSocketRead | kSocketClose, [&](int fd, SocketEvent ev) {
    seen.push_back(ev);
    char buf[16];
    if (read(fd, buf, sizeof buf) <= 0) loop.UnwatchSocket(fd);
  });
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  loop.RunOnce(1000);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], kSocketRead);
  close(fds[1]);
  loop.RunOnce(1000);
  EXPECT_EQ(seen.size(), 2u);
  loop.RunOnce(0);  // unwatched: nothing more
  EXPECT_EQ(seen.size(), 2u);
  close(fds[0]);
}

// A descriptor closed by posted work and reused at once for a new socket in the same round:
// the old socket's event must not reach the new socket's watch.
TEST(PollEventLoopTest, AnEventOfAClosedSocketNeverReachesTheSocketReusingItsNumber) {
  SystemClock clock;
  PollEventLoop loop(clock);
  int old_pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, old_pair), 0);
  const int reused = old_pair[0];
  loop.WatchSocket(reused, kSocketRead | kSocketClose, [](int, SocketEvent) {});
  int new_pair[2] = {-1, -1};
  std::vector<SocketEvent> seen_by_new;
  loop.Post([&] {
    loop.UnwatchSocket(reused);
    close(reused);
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, new_pair), 0);
    ASSERT_EQ(new_pair[0], reused);  // the lowest free number comes back
    loop.WatchSocket(new_pair[0], kSocketRead | kSocketClose,
                     [&](int, SocketEvent ev) { seen_by_new.push_back(ev); });
  });
  close(old_pair[1]);  // the old socket is readable (end of stream) in this round
  loop.RunOnce(1000);
  EXPECT_TRUE(seen_by_new.empty());
  ASSERT_EQ(write(new_pair[1], "x", 1), 1);
  loop.RunOnce(1000);
  EXPECT_EQ(seen_by_new, std::vector<SocketEvent>{kSocketRead});
  close(new_pair[0]);
  close(new_pair[1]);
}

}  // namespace
}  // namespace varnholt
