// An error popup of the real sim on a real X server (Xvfb), found by the window probe the
// monitor uses.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/window_probe.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::TempFolder;
using testing::WaitUntil;

TEST(PopupOnXvfbTest, TheSimsErrorWindowIsFoundByItsPid) {
  if (!std::filesystem::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  // A display number of our own, away from any desktop.
  int number = 90 + static_cast<int>(getpid() % 400);
  std::string display = ":" + std::to_string(number);
  TempFolder tmp;
  ChildProcess xvfb;
  ASSERT_TRUE(xvfb.Start("/usr/bin/Xvfb",
                         {display, "-nolisten", "tcp", "-screen", "0", "640x480x24"}, tmp.path()));
  // Ready when it accepts a client, not merely when its socket appears.
  ASSERT_TRUE(WaitUntil([&] { return X11DisplayAnswers(display); }, 10000));

  TempFolder game;
  game.Write("Mods/ashfront/Settings/ServerSettings.con", "game.serverIP 127.0.0.1\n");
  game.Write("Mods/ashfront/Settings/ServerAutoexec.con", "");
  std::filesystem::copy_file(ASHFRONT_SIM_PATH, game.Sub("ashfront_w32ded.exe"));
  ChildProcess sim;
  ASSERT_TRUE(sim.Start(game.Sub("ashfront_w32ded.exe"),
                        {"+restart", "1", "+dedicated", "1", "+hostServer", "0", "--query-port=0",
                         "--console-port=0", "--fault=popup@0"},
                        game.path(), {"DISPLAY=" + display}, game.Sub("sim.txt")));

  setenv("DISPLAY", display.c_str(), 1);
  X11WindowProbe probe;
  std::string description;
  EXPECT_TRUE(WaitUntil([&] { return probe.FindVisibleWindow(sim.pid(), &description); }, 10000))
      << game.Read("sim.txt");
  // Another process has no window there.
  EXPECT_FALSE(probe.FindVisibleWindow(getpid(), &description));
  unsetenv("DISPLAY");
  sim.Kill();
  xvfb.Signal(SIGTERM);
  xvfb.Wait(5000);
}

}  // namespace
}  // namespace varnholt
