// The auto-admin's share of the monitor tick on a full server: the player rules over 64
// players with every rule on and 1,000 banned words, none of which matches (so every word is
// tried against every name); and the banned-words check of one clean chat line. The tick's
// budget is 1 ms of CPU.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "autoadmin/auto_admin.h"
#include "platform/files.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr int kPlayers = 64;
constexpr int kWords = 1000;

class FullServer : public testing::RecordingGameLink {
 public:
  FullServer() {
    connected = true;
    for (int id = 0; id < kPlayers; ++id) {
      PlayerRecord p;
      p.id = id;
      p.name = "Player Number " + std::to_string(id) + " of the clan";
      p.score = std::to_string(id % 20);
      p.ping = std::to_string(40 + id);
      p.address = "10.0.0." + std::to_string(id + 1);
      p.keyhash = std::string(32, 'a');
      players_.push_back(p);
    }
  }
  std::vector<PlayerRecord> Players() const override { return players_; }
  bool FindPlayerById(int id, PlayerRecord* record) const override {
    if (id < 0 || id >= kPlayers) return false;
    *record = players_[static_cast<size_t>(id)];
    return true;
  }
  int FindPlayerByExactName(std::string_view name) const override {
    for (const PlayerRecord& p : players_) {
      if (p.name == name) return p.id;
    }
    return -1;
  }

 private:
  std::vector<PlayerRecord> players_;
};

struct Rig {
  Rig() : log(folder.path(), clock), queue(clock, log) {
    settings.SetInt("manager.autoKickWord", 1);
    settings.SetInt("manager.autoKickScore", 1);
    settings.SetInt("manager.autoKickPing", 1);
    settings.SetInt("manager.highPingWarnings", 1);
    std::string words;
    for (int i = 0; i < kWords; ++i) words += "forbidden" + std::to_string(i) + "\r\n";
    AutoAdminFiles files = AutoAdminFiles::In(folder.path());
    testing::WriteFileText(files.banned_words, words);
    admin = std::make_unique<AutoAdmin>(log, clock, link, queue, settings, files,
                                        AutoAdminEnvironment{});
    admin->LoadBannedWords();
  }
  testing::TempFolder folder;
  ManualClock clock;
  EventLog log;
  SettingsTable settings;
  CommandQueue queue;
  FullServer link;
  std::unique_ptr<AutoAdmin> admin;
};

void BM_ApplyPlayerRules(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) benchmark::DoNotOptimize(rig.admin->ApplyPlayerRules());
  state.counters["players"] = kPlayers;
  state.counters["words"] = static_cast<double>(rig.admin->BannedWords().Entries().size());
}
BENCHMARK(BM_ApplyPlayerRules)->Unit(benchmark::kMicrosecond);

void BM_CheckChatLine(benchmark::State& state) {
  Rig rig;
  const std::string line =
      "ALL Player Number 7 of the clan: hold the north point, the bridge is lost, need a medic "
      "and a pilot over there right now please";
  for (auto _ : state) benchmark::DoNotOptimize(rig.admin->CheckChatLine(line));
}
BENCHMARK(BM_CheckChatLine)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
