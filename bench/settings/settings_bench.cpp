// Writing the three settings files and reading Varnholt.con back, and a whole save with
// every setting changed, the four other lists dirty and the CustomCombat file to copy.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "core/command_queue.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "settings/setting_forms.h"
#include "settings/settings_store.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

// A folder removed with everything in it at exit.
using ScratchFolder = testing::TempFolder;

// Every row moved to another valid value, alternating between two sets.
void ChangeEverySetting(SettingsTable& table, bool flip) {
  for (int row = 0; row < kSettingCount; ++row) {
    const SettingDef& def = kSettingDefs[row];
    switch (def.type) {
      case SettingType::kText:
        table.SetText(row, std::string(static_cast<size_t>(def.high_bound) - 1, flip ? 'a' : 'b'));
        break;
      case SettingType::kMessageLines:
        table.SetText(row, flip ? "Welcome to the front\r\nNo camping" : "Play fair\r\nHave fun");
        break;
      case SettingType::kChoice:
        table.SetText(row, ChoiceCode(def.default_text, flip ? 2 : 3));
        break;
      case SettingType::kAddress:
        table.SetAddress(row, flip ? 0xC0A8000A : 0xC0A8000B);
        break;
      default:
        table.SetInt(row, flip ? def.low_bound : def.high_bound);
        break;
    }
  }
  table.SetInt(setting_rows::kSmartBalance, 0);
}

void BM_WriteSettingsFilesAndReadBack(benchmark::State& state) {
  ScratchFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  SettingsTable table;
  SettingsFiles files(table, log);
  ChangeEverySetting(table, true);
  std::string manager = JoinPath(folder.path(), kManagerSettingsFile);
  std::string server = JoinPath(folder.path(), kServerSettingsFile);
  std::string autoexec = JoinPath(folder.path(), kServerAutoexecFile);
  for (auto _ : state) {
    bool ok = files.SaveSettingsFile(manager, kAllPages) && files.WriteServerSettingsFile(server) &&
              files.WriteServerAutoexecFile(autoexec) &&
              files.LoadSettingsFile(manager, kAllPages, SettingsUser::LocalOperator(), false);
    if (!ok) state.SkipWithError("settings file failed");
  }
}
BENCHMARK(BM_WriteSettingsFilesAndReadBack)->Unit(benchmark::kMicrosecond);

void BM_SaveAllChanges(benchmark::State& state) {
  ScratchFolder folder;
  ManualClock clock;
  EventLog log(folder.path(), clock);
  SettingsTable table;
  SettingsFiles files(table, log);
  CommandQueue queue(clock, log);
  std::string settings_folder = JoinPath(folder.path(), "Mods/ashfront/Settings");
  CreateFolders(settings_folder);
  testing::RecordingGameLink link;  // not connected: a save moves the snapshot itself
  SettingsStore store(table, files, log, queue, link, folder.path(), settings_folder);
  // Each list a few hundred lines, as a busy server's ban list or rotation is.
  std::string list_text;
  for (int i = 0; i < 300; ++i) list_text += "entry " + std::to_string(i) + " 10.0.0.1 Perm\r\n";
  for (int i = 0; i < kSavedListCount; ++i) {
    store.SetListHooks(
        static_cast<SavedList>(i),
        {.load = {},
         .save = [&](const std::string& path) { return WriteWholeFile(path, list_text); },
         .dirty = [] { return true; },
         .clear_dirty = [] {}});
  }
  std::string custom_combat(64 * 1024, 'x');
  std::string working = JoinPath(folder.path(), kCustomCombatFile);
  bool flip = false;
  for (auto _ : state) {
    state.PauseTiming();
    flip = !flip;
    ChangeEverySetting(table, flip);
    testing::WriteFileText(working, custom_combat);
    // The game's copy older than the working copy, so that every save copies it.
    std::error_code ec;
    std::filesystem::last_write_time(
        store.CustomCombat().ServerFilePath(),
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1), ec);
    Command command;
    while (queue.TakeExecutable(&command)) {
    }
    state.ResumeTiming();
    if (!store.SaveAllChanges()) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_SaveAllChanges)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
