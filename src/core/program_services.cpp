#include "core/program_services.h"

#include "core/program.h"

namespace varnholt {

void ProgramServices::MonitorTick() {
  // The monitor's checks come with the supervisor; the tick keeps the worker waking
  // regularly, which delayed Commands rely on.
}

bool ProgramServices::ServerRunning() { return program_.Server().ServerRunning(); }

void ProgramServices::RefreshStatusDisplay(bool busy) {
  StatusInputs in;
  in.server_name = program_.Settings().GetText("game.serverName");
  in.server_ip = program_.Settings().GetAddress("game.serverIP");
  in.listen_port = program_.Options().port;
  in.dedicated = program_.DedicatedMode();
  in.server_running = program_.Server().ServerRunning();
  in.console_connected = ConsoleConnected();
  in.busy = busy;
  program_.Status().Refresh(in);
}

}  // namespace varnholt
