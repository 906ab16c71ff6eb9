// varnholtd: the manager without a window, for servers without a display. Run it in the game
// folder; it stops in order on SIGTERM or SIGINT.
#include <clocale>
#include <csignal>
#include <string>
#include <vector>

#include "log/stderr_presenter.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/instance_channel.h"
#include "platform/poll_event_loop.h"
#include "program/program.h"
#include "varnholt_version.h"

int main(int argc, char** argv) {
  using namespace varnholt;
  if (PrintVersionIfAsked("varnholtd", argc, argv)) return 0;
  // Dates in the log follow the user's locale; numbers stay in the C locale everywhere.
  setlocale(LC_TIME, "");
  // A peer that goes away mid-send is an error to handle, not a reason to die.
  signal(SIGPIPE, SIG_IGN);

  SystemClock clock;
  PollEventLoop loop(clock);
  StderrPresenter presenter;
  FrontEnd no_window;
  ProgramSetup setup;
  setup.game_folder = CurrentFolder();
  setup.arguments.assign(argv + 1, argv + argc);
  setup.runtime_folder = InstanceRuntimeFolder();

  // Signals are blocked before the worker thread starts, so only the loop receives them.
  Program* program_ptr = nullptr;
  loop.EnableShutdownSignals([&program_ptr](int signal) {
    if (program_ptr != nullptr) program_ptr->OnShutdownSignal(signal);
  });
  Program program(std::move(setup), clock, loop, presenter, no_window);
  presenter.SetLog(&program.Log());
  program_ptr = &program;
  return program.Run();
}
