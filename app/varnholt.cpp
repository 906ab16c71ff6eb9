// varnholt: the manager with its main window. Run it in the game folder; Exit, closing the
// window, SIGTERM or SIGINT end it in order.
#include <QApplication>
#include <clocale>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/instance_channel.h"
#include "platform/shutdown_signals.h"
#include "program/program.h"
#include "ui/page_capture.h"
#include "ui/qt_event_loop.h"
#include "ui/qt_presenter.h"
#include "ui/window_front_end.h"
#include "varnholt_version.h"

int main(int argc, char** argv) {
  using namespace varnholt;
  if (PrintVersionIfAsked("varnholt", argc, argv)) return 0;
  // A peer that goes away mid-send is an error to handle, not a reason to die.
  signal(SIGPIPE, SIG_IGN);

  // Signals are blocked before Qt or the worker start threads, so only the loop gets them.
  const int signal_fd = OpenShutdownSignals();
  Program* program_ptr = nullptr;
  QApplication app(argc, argv);
  // Qt has set every locale category from the environment: dates on the pages and in the
  // log follow the user, numbers in every file and on the wire stay in the C locale.
  setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName("Varnholt");
  QApplication::setQuitOnLastWindowClosed(false);

  SystemClock clock;
  QtEventLoop loop;
  loop.EnableShutdownSignals(signal_fd, [&program_ptr](int signal) {
    if (program_ptr != nullptr) program_ptr->OnShutdownSignal(signal);
  });
  QtPresenter presenter;
  WindowFrontEnd front_end(&presenter);
  ProgramSetup setup;
  setup.game_folder = CurrentFolder();
  // Qt takes its own options (-platform, -style) out of the arguments first.
  for (int i = 1; i < argc; ++i) setup.arguments.emplace_back(argv[i]);
  setup.runtime_folder = InstanceRuntimeFolder();

  Program program(std::move(setup), clock, loop, presenter, front_end);
  front_end.Attach(&program);
  program_ptr = &program;
  if (!program.Initialise()) return 1;
  front_end.ShowMainWindow();
  // VARNHOLT_SCREENSHOTS=FOLDER: pictures of every page once the server has had time to fill
  // them, then an orderly end (scripts/screenshots.sh).
  if (std::optional<std::string> folder = EnvironmentValue("VARNHOLT_SCREENSHOTS")) {
    CapturePagesLater(front_end.Window(), QString::fromStdString(*folder), 12000,
                      [&program](int written) { program.ShutdownProgram(written == 0 ? 1 : 0); });
  }
  const int code = loop.Run();
  // The window was let go with deleteLater(); it goes before the program it shows.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return code;
}
