// Faults of the substitute server that the supervisor must notice: crash, hang, slowness.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

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
  ASSERT_TRUE(sim.Start(folder, With({"--fault=crash@0.3"})));
  int status = 0;
  ASSERT_TRUE(sim.WaitExit(kPatienceMs, &status));
  EXPECT_TRUE(WIFSIGNALED(status));

  SimGameFolder other_folder;
  SimProcess on_command;
  ASSERT_TRUE(on_command.Start(other_folder, With({})));
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
  ASSERT_TRUE(sim.Start(folder, With({})));
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
  ASSERT_TRUE(sim.Start(folder, With({"--fault=hang:2@0"})));
  ASSERT_TRUE(sim.WaitForOutput("Hanging for 2 seconds", kPatienceMs));
  std::string reply;
  EXPECT_FALSE(QueryStatus(sim.query_port(), true, false, false, &reply, 200));
  EXPECT_TRUE(QueryStatus(sim.query_port(), true, false, false, &reply));
}

TEST(SimFaultsTest, SlowAnswersStillArriveInOrder) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder, With({"--fault=slow:300"})));
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

TEST(SimFaultsTest, FreezeStopsTheProcess) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder, With({"--fault=freeze@0"})));
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
  ASSERT_TRUE(sim.Start(folder, With({"--fault=popup"})));
  EXPECT_TRUE(sim.WaitForOutput("would open an error popup", kPatienceMs));
}

TEST(SimFaultsTest, SignalsEndTheServerCleanly) {
  SimGameFolder folder;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(folder, With({"--write-pid"})));
  kill(sim.pid(), SIGTERM);
  int status = 0;
  ASSERT_TRUE(sim.WaitExit(4000, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(folder.Read("ashfront.pid"), "");
}

}  // namespace
}  // namespace varnholt::testing
