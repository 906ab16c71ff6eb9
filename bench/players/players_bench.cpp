// Rebuilding the player list of a full server (64 players, every status field): parsing the
// console's game.listPlayers, joining it with the status reply by name, and the summary
// texts; with and without a sort. For comparison, the same join done by searching the reply
// once per key as GetQueryValue does.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "gamelink/player_list.h"
#include "gamelink/status_datagram.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/recording_game_link.h"

namespace varnholt {
namespace {

constexpr int kPlayers = 64;

// A connected link that answers every status query and console command with the canned
// texts, recording nothing.
class CannedLink : public testing::RecordingGameLink {
 public:
  CannedLink(const std::string& status, const std::string& players)
      : status_(status), players_(players) {
    connected = true;
  }
  bool QueryServerStatus(std::string* reply) override {
    *reply = status_;
    return true;
  }
  bool RunConsoleCommand(std::string_view /*command*/, std::string* response = nullptr) override {
    if (response != nullptr) *response = players_;
    return true;
  }

 private:
  const std::string& status_;
  const std::string& players_;
};

std::string Name(int i) {
  return "Soldier_" + std::to_string(i * 7919 % 1000) + (i % 2 ? "x" : "X");
}

std::string StatusText() {
  std::string t = "\\hostname\\Bench\\gamename\\ashfront\\mapname\\harbor\\numplayers\\64\\";
  for (int i = 0; i < kPlayers; ++i) {
    const std::string n = std::to_string(i);
    t += "player_" + n + "\\" + Name(kPlayers - 1 - i) + "\\score_" + n + "\\" +
         std::to_string(i * 3 - 20) + "\\ping_" + n + "\\" + std::to_string(40 + i) + "\\team_" +
         n + "\\" + std::to_string(1 + i % 2) + "\\kills_" + n + "\\" + std::to_string(i) +
         "\\deaths_" + n + "\\" + std::to_string(i / 2) + "\\";
  }
  return t + "team_t0\\vyr\\score_t0\\100\\team_t1\\dak\\score_t1\\90\\";
}

std::string ListPlayersText() {
  std::string t;
  for (int i = 0; i < kPlayers; ++i) {
    t += "Id:" + std::to_string(i) + " - " + Name(i) + " is remote ip: 10.0." +
         std::to_string(i / 200) + "." + std::to_string(i % 200 + 1) +
         ":23000 hash:0123456789abcdef0123456789abcdef\n";
  }
  return t;
}

struct Fixture {
  Fixture()
      : folder(MakeFolder()),
        log(folder, clock),
        list(log, settings),
        status(StatusText()),
        players(ListPlayersText()),
        link(status, players) {
    settings.InitSettings();
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  static std::string MakeFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-bench-XXXXXX").string();
    return mkdtemp(tmpl.data());
  }

  std::string folder;
  ManualClock clock;
  EventLog log;
  SettingsTable settings;
  PlayerList list;
  std::string status;
  std::string players;
  CannedLink link;
};

void BM_GetPlayerList64(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    if (!f.list.GetPlayerList(f.link)) state.SkipWithError("rebuild failed");
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_GetPlayerList64);

void BM_GetPlayerList64SortedByName(benchmark::State& state) {
  Fixture f;
  f.list.SetSortOrder(PlayerColumn::kName, false);
  for (auto _ : state) {
    if (!f.list.GetPlayerList(f.link)) state.SkipWithError("rebuild failed");
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_GetPlayerList64SortedByName);

// The join as a search of the whole reply per key: each row looks for its name among the
// player_N values, then reads its five figures.
void BM_JoinBySearchingTheReply64(benchmark::State& state) {
  const std::string status = StatusText();
  std::string value;
  for (auto _ : state) {
    int found = 0;
    for (int row = 0; row < kPlayers; ++row) {
      const std::string name = Name(row);
      for (int i = 0; i < kPlayers; ++i) {
        if (FindQueryValue(status, "player_" + std::to_string(i), &value) && value == name) {
          for (const char* field : {"team_", "score_", "kills_", "deaths_", "ping_"}) {
            FindQueryValue(status, field + std::to_string(i), &value);
          }
          ++found;
          break;
        }
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_JoinBySearchingTheReply64);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
