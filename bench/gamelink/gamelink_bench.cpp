// The round trip of one console command against the real ashfront-sim over loopback, and
// the conversion of a full 32 KiB status reply datagram into text (plus a lookup in it).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "gamelink/console_client.h"
#include "gamelink/status_datagram.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ip_address.h"
#include "settings/setting_def.h"
#include "settings/settings_table.h"
#include "support/file_text.h"

namespace varnholt {
namespace {

// The sim in a scratch game folder, for the length of one benchmark.
class Sim {
 public:
  Sim() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-bench-XXXXXX").string();
    folder_ = mkdtemp(tmpl.data());
    const std::string settings = folder_ + "/Mods/ashfront/Settings/";
    CreateFolders(settings);
    testing::WriteFileText(
        settings + "ServerSettings.con",
        "game.serverIP 127.0.0.1\ngame.serverPort 15567\ngame.serverInternet 1\n");
    testing::WriteFileText(settings + "ServerAutoexec.con",
                           "admin.enableRemoteConsole admin pw 0\n");
    testing::WriteFileText(settings + "MapList.con", "game.addLevel harbor GPM_CQ ashfront\n");
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(folder_.c_str()) != 0) _exit(126);
      int fd = open("sim.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 1);
      dup2(fd, 2);
      execl(ASHFRONT_SIM_PATH, "ashfront_w32ded.exe", "+hostServer", "1", "--static",
            "--chat-every=0", "--console-port=0", "--query-port=0", "--players=16",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 500 && (console_port_ == 0 || query_port_ == 0); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::string out;
      out = testing::ReadFileText(folder_ + "/sim.out");
      std::smatch m;
      if (std::regex_search(out, m, std::regex("Console listening on [0-9.]+:([0-9]+)"))) {
        console_port_ = std::stoi(m[1]);
      }
      if (std::regex_search(out, m, std::regex("Status query listening on [0-9.]+:([0-9]+)"))) {
        query_port_ = std::stoi(m[1]);
      }
    }
  }
  ~Sim() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  int console_port() const { return console_port_; }
  int query_port() const { return query_port_; }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int console_port_ = 0;
  int query_port_ = 0;
};

void BM_RunConsoleCommand(benchmark::State& state) {
  Sim sim;
  if (sim.console_port() == 0) {
    state.SkipWithError("ashfront-sim did not start");
    return;
  }
  SystemClock clock;
  EventLog log(sim.folder(), clock);
  SettingsTable settings;
  settings.SetAddress(setting_rows::kServerIp, kLoopbackAddress);
  settings.SetInt(setting_rows::kServerPort, 15567);
  settings.SetInt(setting_rows::kConsolePort, sim.console_port());
  settings.SetInt("game.serverInternet", 1);
  settings.SetInt("game.gameSpyPort", sim.query_port());
  StatusQuery status(log, settings, clock);
  ConsoleClient console(log, settings, status);
  console.SetCredentials("admin", "pw");
  if (!console.ConsoleConnect()) {
    state.SkipWithError("no console connection");
    return;
  }
  const char* command = state.range(0) == 0 ? "admin.nrOfTKToKick" : "game.listPlayers";
  for (auto _ : state) {
    const std::string* r = console.RunConsoleCommand("%s", command);
    if (r == nullptr) {
      state.SkipWithError("command failed");
      break;
    }
    benchmark::DoNotOptimize(r->size());
  }
  state.SetLabel(command);
}
BENCHMARK(BM_RunConsoleCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

std::string Z(const std::string& s) {
  return s + std::string(1, '\0');
}

// A status datagram of exactly kMaxMsgSize bytes: 20 rules, 64 players with the game's six
// fields, two teams, and a host name that fills it up. Its text still fits the limit.
std::string FullDatagram() {
  std::string rules;
  for (int i = 0; i < 20; ++i)
    rules += Z("rule" + std::to_string(i)) + Z("value" + std::to_string(i));
  std::string players = std::string(2, '\0') + "\x40";
  for (const char* f : {"player_", "score_", "ping_", "team_", "kills_", "deaths_"})
    players += Z(f);
  players += Z("");
  for (int p = 0; p < 64; ++p) {
    players += Z("Player Number " + std::to_string(p)) + Z(std::to_string(p * 7)) +
               Z(std::to_string(40 + p)) + Z(std::to_string(1 + p % 2)) + Z(std::to_string(p)) +
               Z(std::to_string(p / 2));
  }
  std::string teams = std::string(1, '\0') + "\x02" + Z("team_t") + Z("score_t") + Z("") +
                      Z("vyr") + Z("10") + Z("dak") + Z("12");
  std::string head = std::string("\0\x01\x02\x03\x04", 5);
  size_t fixed =
      head.size() + Z("hostname").size() + 1 + rules.size() + 1 + players.size() + teams.size();
  // The filler is sized so that the text (longer than the datagram by the row numbers in
  // its keys) just fits as well.
  std::string text;
  for (size_t filler = kMaxMsgSize - fixed; filler > 0; filler -= 16) {
    std::string d =
        head + Z("hostname") + Z(std::string(filler - 1, 'h')) + rules + Z("") + players + teams;
    d.resize(kMaxMsgSize, '\0');
    QuerySections all{true, true, true};
    if (ConvertStatusDatagram(d, all, &text) == ConvertResult::kOk) return d;
  }
  return {};
}

void BM_ConvertStatusDatagram(benchmark::State& state) {
  const std::string datagram = FullDatagram();
  QuerySections all{true, true, true};
  std::string text;
  for (auto _ : state) {
    ConvertStatusDatagram(datagram, all, &text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * datagram.size()));
  state.counters["text_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ConvertStatusDatagram);

void BM_GetQueryValueLastPlayer(benchmark::State& state) {
  std::string text;
  ConvertStatusDatagram(FullDatagram(), QuerySections{true, true, true}, &text);
  std::string value;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindQueryValue(text, "deaths_63", &value));
  }
}
BENCHMARK(BM_GetQueryValueLastPlayer);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
