// Faults of the substitute server that the supervisor must notice: crash, hang, slowness.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "sim_harness.h"

namespace varnholt::testing {
namespace {

const std::vector<std::string> kQuiet = {"--static", "--chat-every=0"};

std::vector<std::string> With(std::vector<std::string> options) {
  options.insert(options.end(), kQuiet.begin(), kQuiet.end());
  return options;
}

TEST(SimFaultsTest, CrashEndsTheProcessAbnormally) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=crash@0.3"})));
  int status = 0;
  ASSERT_TRUE(sim.WaitExit(kPatienceMs, &status));
  EXPECT_TRUE(WIFSIGNALED(status));

  SimGameFolder other_folder;
  SimProcess on_command;
  ASSERT_TRUE(on_command.Start(other_folder.path(), With({})));
  ConsoleClient console;
  ASSERT_EQ(console.Login(on_command.console_port(), "admin", "s3cret"), 1);
  std::vector<std::string> out;
  EXPECT_FALSE(console.Run("sim.crash", &out));  // no answer: the process is gone
  ASSERT_TRUE(on_command.WaitExit(kPatienceMs, &status));
  EXPECT_TRUE(WIFSIGNALED(status));
}

TEST(SimFaultsTest, HangStopsBothChannelsUntilLifted) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({})));
  ConsoleClient console;
  ASSERT_EQ(console.Login(sim.console_port(), "admin", "s3cret"), 1);
  std::vector<std::string> out;
  ASSERT_TRUE(console.Run("sim.hang", &out));
  std::string reply;
  EXPECT_FALSE(QueryStatus(sim.query_port(), true, false, false, &reply, 300));
  ConsoleClient late;
  EXPECT_FALSE(late.ReceiveKey(sim.console_port(), 300));
  EXPECT_EQ(waitpid(sim.pid(), nullptr, WNOHANG), 0);  // still there

  sim.Control("unhang");
  EXPECT_TRUE(QueryStatus(sim.query_port(), true, false, false, &reply));
  EXPECT_TRUE(console.Run("admin.votingTime", &out));
  EXPECT_THAT(out, ::testing::ElementsAre("60"));
}

TEST(SimFaultsTest, ScheduledHangEndsByItself) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=hang:2@0"})));
  ASSERT_TRUE(sim.WaitForOutput("Hanging for 2 seconds", kPatienceMs));
  std::string reply;
  EXPECT_FALSE(QueryStatus(sim.query_port(), true, false, false, &reply, 200));
  EXPECT_TRUE(QueryStatus(sim.query_port(), true, false, false, &reply));
}

TEST(SimFaultsTest, SlowAnswersStillArriveInOrder) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=slow:300"})));
  ConsoleClient console;
  ASSERT_EQ(console.Login(sim.console_port(), "admin", "s3cret"), 1);
  auto start = std::chrono::steady_clock::now();
  std::vector<std::string> out;
  ASSERT_TRUE(console.Run("admin.votingTime", &out));
  EXPECT_THAT(out, ::testing::ElementsAre("60"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  std::string reply;
  EXPECT_TRUE(QueryStatus(sim.query_port(), true, false, false, &reply));
  ASSERT_TRUE(console.Run("sim.slow 0\nadmin.votingTime 30", &out));
  ASSERT_TRUE(console.Run("admin.votingTime", &out));
  EXPECT_THAT(out, ::testing::ElementsAre("30"));

  // Even a slow server answers "quit" before it goes.
  EXPECT_TRUE(console.Run("sim.slow 2000\nquit", &out));
  EXPECT_TRUE(sim.WaitExit(4000, nullptr));
}

// Receives every datagram that answers one status query within `wait_ms`.
std::vector<std::string> StatusDatagrams(int port, int wait_ms) {
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const unsigned char request[10] = {0xFE, 0xFD, 0x00, 1, 2, 3, 4, 0xFF, 0, 0};
  sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  std::vector<std::string> datagrams;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, wait_ms) == 1) {
    std::string buffer(65536, '\0');
    ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    buffer.resize(static_cast<size_t>(n));
    datagrams.push_back(buffer);
  }
  close(fd);
  return datagrams;
}

TEST(SimFaultsTest, StaleAndOversizedStatusReplies) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=stale-reply"})));
  ASSERT_TRUE(sim.WaitForOutput("Sending a stale datagram before each status reply", kPatienceMs));
  std::vector<std::string> got = StatusDatagrams(sim.query_port(), 300);
  ASSERT_EQ(got.size(), 2u);
  // First an answer to some other query, then the right one.
  EXPECT_NE(got[0].substr(1, 4), std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(got[1].substr(1, 4), std::string("\x01\x02\x03\x04"));

  sim.Control("stale-reply off\noversized-reply");
  ASSERT_TRUE(sim.WaitForOutput("Sending oversized status replies", kPatienceMs));
  got = StatusDatagrams(sim.query_port(), 300);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_GT(got[0].size(), 32768u);
}

TEST(SimFaultsTest, FreezeStopsTheProcess) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=freeze@0"})));
  int status = 0;
  ASSERT_EQ(waitpid(sim.pid(), &status, WUNTRACED), sim.pid());
  EXPECT_TRUE(WIFSTOPPED(status));
  kill(sim.pid(), SIGCONT);
  std::string reply;
  EXPECT_TRUE(QueryStatus(sim.query_port(), true, false, false, &reply));
}

TEST(SimFaultsTest, PopupWithoutDisplayIsOnlyLogged) {
  SimGameFolder folder;
  SimProcess sim;
  unsetenv("DISPLAY");
  ASSERT_TRUE(sim.Start(folder.path(), With({"--fault=popup"})));
  EXPECT_TRUE(sim.WaitForOutput("would open an error popup", kPatienceMs));
}

TEST(SimFaultsTest, SignalsEndTheServerCleanly) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder.path(), With({"--write-pid"})));
  kill(sim.pid(), SIGTERM);
  int status = 0;
  ASSERT_TRUE(sim.WaitExit(4000, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(folder.Read("ashfront.pid"), "");
}

}  // namespace
}  // namespace varnholt::testing
