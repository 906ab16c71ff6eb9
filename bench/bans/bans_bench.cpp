// A ban list of 100,000 records: load, save, one unban (server stopped, so BanList.con of
// the same size is rewritten too), one expiry pass with one ban due, and verification of
// the list against server files of the same size.
#include <benchmark/benchmark.h>

#include <string>

#include "bans/bans.h"
#include "platform/files.h"
#include "support/file_text.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr int kRecords = 100000;

std::string Address(int i) {
  return "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
         std::to_string(i % 256);
}

std::string Key(int i) {
  char text[40];
  std::snprintf(text, sizeof text, "%032x", i * 2654435761u);
  return text;
}

// A server that takes every console command.
class AcceptingLink final : public GameLink {
 public:
  bool ConsoleConnected() const override { return true; }
  bool RunConsoleCommand(std::string_view, std::string* response) override {
    if (response != nullptr) response->clear();
    return true;
  }
  bool StatusPortIdentified() const override { return true; }
  bool QueryServerStatus(std::string*) override { return false; }
  bool GetQueryValue(std::string_view, std::string*) override { return false; }
  std::vector<PlayerRecord> Players() const override { return {}; }
  bool FindPlayerById(int, PlayerRecord*) const override { return false; }
  int FindPlayerByExactName(std::string_view) const override { return -1; }
  bool RemovePlayer(int) override { return false; }
};

struct Setup {
  testing::TempFolder folder;
  ManualClock clock{1'700'000'000};
  EventLog log{folder.path(), clock};
  AcceptingLink link;
  BanList list{log};
  AdminLog admin_log{folder.path(), false};
  bool running = false;
  BanFiles files;
  std::unique_ptr<Bans> bans;

  Setup() {
    CreateFolders(folder.Sub("Mods/ashfront/Settings"));
    files = BanFiles::In(folder.path(), folder.Sub("Mods/ashfront/Settings"));
    BanEnvironment env;
    env.server_running = [this] { return running; };
    env.punkbuster_installed = [] { return false; };
    env.punkbuster_enabled = [] { return false; };
    env.server_internet = [] { return true; };
    env.ban_in_af_and_pb = [] { return true; };
    bans = std::make_unique<Bans>(log, clock, link, list, admin_log, files, env);
    std::vector<BanRecord> records;
    std::string con;
    for (int i = 0; i < kRecords; ++i) {
      // The last record is a timed ban that is due.
      int64_t expires = i == kRecords - 1 ? 1'699'999'000 : (i % 10 == 0 ? 1'800'000'000 : 0);
      records.push_back({"Player" + std::to_string(i), Address(i), Key(i), "", "operator",
                         1'600'000'000, expires, "reason"});
      con += "admin.addAddressToBanList " + Address(i) + ":0 Perm\n";
      con += "admin.addKeyToBanList " + Key(i) + " Perm\n";
    }
    list.Replace(std::move(records));
    list.SaveBanList(files.server_ban_list);
    testing::WriteFileText(files.ban_list_con, con);
  }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void BM_LoadBanList(benchmark::State& state) {
  Setup& s = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(s.list.LoadBanList(s.files.server_ban_list));
}

void BM_SaveBanList(benchmark::State& state) {
  Setup& s = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(s.list.SaveBanList(s.files.server_ban_list));
}

void BM_UnbanOneWhileStopped(benchmark::State& state) {
  Setup& s = Shared();
  std::string con;
  con = testing::ReadFileText(s.files.ban_list_con);
  for (auto _ : state) {
    state.PauseTiming();
    s.list.LoadBanList(s.files.server_ban_list);
    testing::WriteFileText(s.files.ban_list_con, con);
    state.ResumeTiming();
    benchmark::DoNotOptimize(s.bans->UnbanPlayer("P", Address(5000), "", ""));
  }
}

void BM_ExpireTimedBans(benchmark::State& state) {
  Setup& s = Shared();
  s.running = true;
  std::string saved;
  saved = testing::ReadFileText(s.files.server_ban_list);
  for (auto _ : state) {
    state.PauseTiming();
    testing::WriteFileText(s.files.server_ban_list, saved);
    s.list.LoadBanList(s.files.server_ban_list);
    state.ResumeTiming();
    benchmark::DoNotOptimize(s.bans->ExpireTimedBans());
  }
  s.running = false;
  testing::WriteFileText(s.files.server_ban_list, saved);
}

void BM_VerifyBanListSync(benchmark::State& state) {
  Setup& s = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(s.bans->VerifyBanListSync());
}

BENCHMARK(BM_LoadBanList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBanList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnbanOneWhileStopped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpireTimedBans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyBanListSync)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
