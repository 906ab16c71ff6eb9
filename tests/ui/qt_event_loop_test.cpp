// The program on Qt's loop: timers, socket watches and the worker's posted work arrive on the
// user-interface thread, and the whole start-up runs as in the headless program.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>

#include "ui_program_fixture.h"

namespace varnholt {
namespace {

using testing::UiProgramTest;

class QtEventLoopTest : public UiProgramTest {};

TEST_F(QtEventLoopTest, TimersSocketsAndPostsRunOnTheLoopsThread) {
  QtEventLoop loop;
  int ticks = 0;
  EventLoop::TimerId timer = 0;
  timer = loop.StartTimer(1, [&] {
    if (++ticks == 3) loop.StopTimer(timer);  // a timer may stop itself
  });
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  std::string received;
  loop.WatchSocket(fds[0], kSocketRead, [&](int fd, SocketEvent event) {
    EXPECT_EQ(event, kSocketRead);
    char buffer[16];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<size_t>(n));
    loop.UnwatchSocket(fd);  // a watch may end itself
  });
  ASSERT_EQ(write(fds[1], "ping", 4), 4);
  std::atomic<bool> posted_on_ui_thread{false};
  const auto ui_thread = std::this_thread::get_id();
  std::thread other(
      [&] { loop.Post([&] { posted_on_ui_thread = std::this_thread::get_id() == ui_thread; }); });
  other.join();
  EXPECT_TRUE(
      ProcessUntil([&] { return ticks >= 3 && received == "ping" && posted_on_ui_thread; }, 5000));
  // Stopped means stopped: no tick after the third.
  ProcessUntil([] { return false; }, 50);
  EXPECT_EQ(ticks, 3);
  close(fds[0]);
  close(fds[1]);
}

TEST_F(QtEventLoopTest, TheProgramStartsSupervisesAndShutsDownOnQtsLoop) {
  ASSERT_TRUE(StartProgram()) << Log();
  ASSERT_TRUE(StartServer()) << Log();
  // The status timer and the worker's player list reach the loop's thread through Qt.
  EXPECT_TRUE(ProcessUntil([&] { return program().Players().Rows().size() == 4; })) << Log();
  ShutDown();
  EXPECT_NE(Log().find("Server stopped due to exit."), std::string::npos);
}

}  // namespace
}  // namespace varnholt
