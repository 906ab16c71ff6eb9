// An error popup of the real sim on a real X server (Xvfb), found by the window probe the
// monitor uses: as a plain child of the root, inside a window manager's frame, and through a
// window manager's client list.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/window_probe.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::TempFolder;
using testing::WaitUntil;

class PopupOnXvfbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(StartXvfb());

    game_.Write("Mods/ashfront/Settings/ServerSettings.con", "game.serverIP 127.0.0.1\n");
    game_.Write("Mods/ashfront/Settings/ServerAutoexec.con", "");
    std::filesystem::copy_file(ASHFRONT_SIM_PATH, game_.Sub("ashfront_w32ded.exe"));
    ASSERT_TRUE(sim_.Start(game_.Sub("ashfront_w32ded.exe"),
                           {"+restart", "1", "+dedicated", "1", "+hostServer", "0",
                            "--query-port=0", "--console-port=0", "--fault=popup@0"},
                           game_.path(), {"DISPLAY=" + display_name_}, game_.Sub("sim.txt")));
    setenv("DISPLAY", display_name_.c_str(), 1);
    display_ = XOpenDisplay(display_name_.c_str());
    ASSERT_NE(display_, nullptr) << display_name_ << ": " << tmp_.Read("xvfb.txt");
    root_ = DefaultRootWindow(display_);
    ASSERT_TRUE(WaitUntil([&] { return (popup_ = SimWindow()) != 0; }, 10000))
        << game_.Read("sim.txt");
  }

  // An X server on a display of its own: Xvfb picks a free number itself and reports it
  // once it accepts clients, so another run's server is never taken for ours.
  bool StartXvfb() {
    const std::string report = tmp_.Sub("xvfb.txt");
    if (!xvfb_.Start(
            "/usr/bin/Xvfb",
            {"-displayfd", "2", "-noreset", "-nolisten", "tcp", "-screen", "0", "640x480x24"},
            tmp_.path(), {}, report)) {
      return false;
    }
    return WaitUntil(
               [&] {
                 std::istringstream lines(tmp_.Read("xvfb.txt"));
                 for (std::string line; std::getline(lines, line);) {
                   if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
                     display_name_ = ":" + line;
                     return true;
                   }
                 }
                 return false;
               },
               10000) &&
           X11DisplayAnswers(display_name_);
  }

  void TearDown() override {
    unsetenv("DISPLAY");
    if (display_ != nullptr) XCloseDisplay(display_);
    sim_.Kill();
    if (xvfb_.running()) {
      xvfb_.Signal(SIGTERM);
      xvfb_.Wait(5000);
    }
  }

  // The sim's popup, while it is still a plain child of the root.
  Window SimWindow() {
    Atom pid_atom = XInternAtom(display_, "_NET_WM_PID", True);
    if (pid_atom == None) return 0;
    Window root_return = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, root_, &root_return, &parent, &children, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
      Atom type = None;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display_, children[i], pid_atom, 0, 1, False, XA_CARDINAL, &type,
                             &format, &items, &after, &data) == Success &&
          data != nullptr && items == 1 &&
          static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == sim_.pid()) {
        found = children[i];
      }
      if (data != nullptr) XFree(data);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  // What a reparenting window manager does to a new window: a frame of its own on the root,
  // the application's window moved inside it.
  Window Reframe(Window client) {
    Window frame = XCreateSimpleWindow(display_, root_, 50, 50, 400, 200, 0, 0, 0);
    XMapWindow(display_, frame);
    XReparentWindow(display_, client, frame, 10, 20);
    XMapWindow(display_, client);
    XSync(display_, False);
    return frame;
  }

  void SetWindows(Window on, const char* property, const std::vector<unsigned long>& windows) {
    XChangeProperty(display_, on, XInternAtom(display_, property, False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(windows.data()),
                    static_cast<int>(windows.size()));
    XSync(display_, False);
  }

  // A running manager's announcement: a check window that names itself, named on the root.
  Window AnnounceManager() {
    Window check = XCreateSimpleWindow(display_, root_, 0, 0, 1, 1, 0, 0, 0);
    SetWindows(check, "_NET_SUPPORTING_WM_CHECK", {check});
    SetWindows(root_, "_NET_SUPPORTING_WM_CHECK", {check});
    return check;
  }

  bool ProbeFindsSim() {
    std::string description;
    return probe_.FindVisibleWindow(sim_.pid(), &description);
  }

  TempFolder tmp_;
  TempFolder game_;
  ChildProcess xvfb_;
  ChildProcess sim_;
  std::string display_name_;
  Display* display_ = nullptr;
  Window root_ = 0;
  Window popup_ = 0;
  X11WindowProbe probe_;
};

TEST_F(PopupOnXvfbTest, TheSimsErrorWindowIsFoundByItsPid) {
  EXPECT_TRUE(ProbeFindsSim());
  // Another process has no window there.
  std::string description;
  EXPECT_FALSE(probe_.FindVisibleWindow(getpid(), &description));
}

TEST_F(PopupOnXvfbTest, AWindowInsideAFrameIsFoundAndAHiddenFrameHidesIt) {
  Window frame = Reframe(popup_);
  EXPECT_TRUE(ProbeFindsSim());
  // A frame the manager has unmapped (a minimised window) is no popup.
  XUnmapWindow(display_, frame);
  XSync(display_, False);
  EXPECT_FALSE(ProbeFindsSim());
}

TEST_F(PopupOnXvfbTest, TheManagersClientListIsReadAndItsVanishedEntriesAreHarmless) {
  Reframe(popup_);
  AnnounceManager();
  // A window the manager still lists has gone: looking at it is an X error to ignore.
  Window gone = XCreateSimpleWindow(display_, root_, 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(display_, gone);
  SetWindows(root_, "_NET_CLIENT_LIST", {gone, popup_});
  EXPECT_TRUE(ProbeFindsSim());
  // The probe answers the same on the next tick: the ignored errors left nothing behind.
  EXPECT_TRUE(ProbeFindsSim());
}

TEST_F(PopupOnXvfbTest, AListLeftByAManagerThatHasGoneIsNotTrusted) {
  Reframe(popup_);
  Window check = AnnounceManager();
  // The manager listed nothing of the sim, then ended: its check window went with it.
  SetWindows(root_, "_NET_CLIENT_LIST", {});
  XDestroyWindow(display_, check);
  XSync(display_, False);
  EXPECT_TRUE(ProbeFindsSim());
}

TEST_F(PopupOnXvfbTest, ADisplayThatEndsDuringALookEndsOnlyTheLook) {
  // Enough windows that a full walk takes a while, so the end lands in the middle of one.
  for (int i = 0; i < 4000; ++i) XCreateSimpleWindow(display_, root_, 0, 0, 1, 1, 0, 0, 0);
  XSync(display_, False);
  // A write to the ended server's socket raises SIGPIPE; the programs ignore it, so do we.
  signal(SIGPIPE, SIG_IGN);
  // Our own connection would meet the same end at its close; it goes first.
  XCloseDisplay(display_);
  display_ = nullptr;
  std::atomic<int> looks{0};
  std::atomic<bool> stop{false};
  std::thread looker([&] {
    std::string description;
    // Not the sim: no window of this process exists, so every look walks the whole tree.
    while (!stop) {
      probe_.FindVisibleWindow(getpid(), &description);
      ++looks;
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return looks > 0; }, 10000));
  xvfb_.Signal(SIGTERM);
  EXPECT_TRUE(xvfb_.Wait(5000));
  int after_end = looks;
  // Still here, and looking again answers at once.
  EXPECT_TRUE(WaitUntil([&] { return looks > after_end + 1; }, 5000));
  stop = true;
  looker.join();
  EXPECT_FALSE(ProbeFindsSim());
}

}  // namespace
}  // namespace varnholt
