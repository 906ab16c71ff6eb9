// A real program for the window's tests: a temporary demo installation with the substitute
// server on ports of its own, the whole start-up on Qt's loop, and the program shut down in
// order (stopping the server) at the end of each test.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "program/program.h"
#include "support/free_port.h"
#include "support/temp_folder.h"
#include "ui/qt_event_loop.h"
#include "ui/scripted_presenter.h"

namespace varnholt::testing {

class UiProgramTest : public ::testing::Test {
 protected:
  // Before any destructor: a derived test's front end must outlive the program's shutdown.
  void TearDown() override { ShutDown(); }
  ~UiProgramTest() override { ShutDown(); }

  // Builds the demo installation; `players` sim players join once the server runs.
  void MakeDemo(int players = 4) {
    std::string command = std::string("'") + SOURCE_DIR + "/scripts/make-demo.sh' '" +
                          game_.path() + "' '" + BINARY_DIR + "' > /dev/null";
    ASSERT_EQ(system(command.c_str()), 0);
    game_.Write("ashfront-sim.options",
                "--static\n--players=" + std::to_string(players) + "\n--chat-every=0\n");
    std::string con = game_.Read("Mods/ashfront/Settings/Varnholt.con");
    con += "game.serverPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "manager.consolePort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    con += "game.gameSpyLANPort " + std::to_string(FreePort(SOCK_STREAM)) + "\r\n";
    game_.Write("Mods/ashfront/Settings/Varnholt.con", con);
  }

  // Runs the start-up with `front_end` (none by default); false when it failed.
  bool StartProgram(FrontEnd* front_end = nullptr, std::vector<std::string> arguments = {}) {
    if (!std::filesystem::exists(game_.Sub("Mods"))) MakeDemo();
    std::filesystem::create_directories(runtime_.path());
    ProgramSetup setup;
    setup.game_folder = game_.path();
    // -exit: the server the test started goes down with the program.
    arguments.push_back("-exit");
    // A listener port of its own, so that tests running side by side never meet there.
    if (std::find(arguments.begin(), arguments.end(), "-port") == arguments.end()) {
      arguments.push_back("-port");
      arguments.push_back(std::to_string(FreePort(SOCK_STREAM)));
    }
    setup.arguments = std::move(arguments);
    setup.runtime_folder = runtime_.path();
    program_ = std::make_unique<Program>(std::move(setup), clock_, loop_, presenter_,
                                         front_end != nullptr ? *front_end : no_window_);
    BeforeStartUp(*program_);
    return program_->Initialise();
  }

  // Called between the program's construction and its start-up (a window front end is
  // attached here).
  virtual void BeforeStartUp(Program& /*program*/) {}

  // Spins the Qt loop until `condition` holds or `timeout_ms` has passed.
  bool ProcessUntil(const std::function<bool()>& condition, int timeout_ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
      if (timer.elapsed() > timeout_ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(5);
    }
    return true;
  }

  // Starts the server through the worker, as the Start button does, and waits until the
  // console is connected.
  bool StartServer() {
    if (!program_->Supervision().ServerRunning()) {
      program_->Supervision().ResetRestartCount();
      if (!program_->Supervision().StartServer()) return false;
    }
    program_->Queue().QueueUniqueCommand(kCmdConsoleConnect, "", kOriginLocal, 0);
    return ProcessUntil([this] { return program_->Link().ConsoleConnected(); });
  }

  void ShutDown() {
    if (!program_) return;
    program_->ShutdownProgram(0);
    QCoreApplication::processEvents();
    // The window goes with deleteLater(); it must be gone before the program it shows.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    program_.reset();
  }

  Program& program() { return *program_; }
  const TempFolder& game() const { return game_; }
  ScriptedPresenter& presenter() { return presenter_; }
  std::string Log() const { return game_.Read("Varnholt.log"); }

 private:
  TempFolder game_;
  TempFolder runtime_;
  SystemClock clock_;
  QtEventLoop loop_;
  ScriptedPresenter presenter_;
  FrontEnd no_window_;
  std::unique_ptr<Program> program_;
};

}  // namespace varnholt::testing
