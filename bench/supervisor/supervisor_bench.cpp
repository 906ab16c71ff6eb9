// CPU cost of one monitor tick and one status tick against a running sim with 64 players.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/command_queue.h"
#include "core/interface_list.h"
#include "gamelink/console_client.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/status_query.h"
#include "maps/map_rotation.h"
#include "platform/poll_event_loop.h"
#include "settings/settings_files.h"
#include "supervisor/supervisor.h"
#include "support/free_port.h"

namespace varnholt {
namespace {

using testing::FreePort;

void Write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class NoWindows : public WindowProbe {
 public:
  bool FindVisibleWindow(pid_t, std::string*) override { return false; }
};

// One game folder with a launched sim, shared by both benchmarks.
struct Rig {
  Rig()
      : folder(MakeFolder()),
        log(folder, clock),
        loop(clock),
        queue(clock, log),
        files(settings, log),
        rotation(folder + "/Mods/ashfront/Settings", log),
        interfaces(log),
        status(log, settings, clock),
        console(log, settings, status),
        players(log, settings),
        link(console, status, players),
        process(folder, log, clock),
        supervisor(SupervisorDeps{log, clock, loop, queue, settings, files, rotation, interfaces,
                                  link, console, status, windows, process, folder,
                                  folder + "/Mods/ashfront/Settings"}) {
    settings.InitSettings();
    settings.SetAddress("game.serverIP", 0x7F000001);
    settings.SetInt("game.serverPort", FreePort(SOCK_DGRAM));
    settings.SetInt("manager.consolePort", FreePort(SOCK_STREAM));
    settings.SetInt("game.gameSpyLANPort", FreePort(SOCK_DGRAM));
    settings.SetInt("game.serverInternet", 0);
    settings.SetInt("game.serverMaxPlayers", 64);
    settings.SetText("manager.consoleUsername", "admin");
    settings.SetText("manager.consolePassword", "secret");
    rotation.LoadMapRotation(rotation.ServerMapListPath(), false);
    ok = supervisor.StartServer();
    for (int i = 0; ok && i < 200 && !console.ConsoleConnect(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ok = ok && console.ConsoleConnected();
  }
  ~Rig() {
    supervisor.StopServer();
    std::filesystem::remove_all(folder);
  }
  static std::string MakeFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-bench-XXXXXX").string();
    std::string folder = mkdtemp(tmpl.data());
    Write(folder + "/Mods/ashfront/init.con", "");
    Write(folder + "/Mods/ashfront/Settings/Maps.con", "ashfront,hue,15\r\n");
    Write(folder + "/Mods/ashfront/Settings/Mods.con", "ashfront\r\n");
    Write(folder + "/Mods/ashfront/Settings/ServerMapList.con",
          "game.addLevel hue GPM_CQ ashfront\r\n");
    Write(folder + "/ashfront-sim.options", "--static\n--players=64\n--chat-every=0\n");
    std::filesystem::copy_file(ASHFRONT_SIM_PATH, folder + "/ashfront_w32ded.exe");
    return folder;
  }

  std::string folder;
  SystemClock clock;
  EventLog log;
  PollEventLoop loop;
  CommandQueue queue;
  SettingsTable settings;
  SettingsFiles files;
  MapRotation rotation;
  InterfaceList interfaces;
  StatusQuery status;
  ConsoleClient console;
  PlayerList players;
  GameLinkClients link;
  NoWindows windows;
  ServerProcess process;
  Supervisor supervisor;
  bool ok = false;
};

void BM_MonitorTick(benchmark::State& state) {
  Rig rig;
  if (!rig.ok) {
    state.SkipWithError("the sim did not come up");
    return;
  }
  for (auto _ : state) rig.supervisor.MonitorTick();
}
BENCHMARK(BM_MonitorTick)->Unit(benchmark::kMicrosecond)->Iterations(50);

void BM_StatusTick(benchmark::State& state) {
  Rig rig;
  if (!rig.ok) {
    state.SkipWithError("the sim did not come up");
    return;
  }
  for (auto _ : state) rig.supervisor.MonitorServerStatus();
}
BENCHMARK(BM_StatusTick)->Unit(benchmark::kMicrosecond)->Iterations(50);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
