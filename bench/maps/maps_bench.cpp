// Catalogue discovery over the demo installation and a large generated one, and extraction
// throughput of a large LZO-chunked archive entry (from memory and file to file). The
// comparison with lzop on the same data is extract_vs_lzop.sh beside this file.
#include <benchmark/benchmark.h>
#include <lzo/lzoconf.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "maps/archive_reader.h"
#include "maps/archive_writer.h"
#include "maps/map_rotation.h"
#include "maps/mod_catalog.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/file_text.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr int kMods = 50;
constexpr int kLevelsPerMod = 40;
constexpr size_t kEntryBytes = 20u * 1024u * 1024u;

// A folder removed with everything in it at exit.
using ScratchFolder = testing::TempFolder;

// Text made of words picked by a fixed generator: compresses about as well as game
// configuration and description files do.
std::string WordText(size_t size) {
  static const char* const kWords[] = {
      "gameLogic", ".setTickets", " 300",   "\n",    "controlPoint", ".create",  " CP_",
      "north",     "south",       "bridge", "<kit ", "name=\"",      "rifleman", "\"/>",
      " tier=",    "2",           "3",      "\t"};
  std::string s;
  s.reserve(size + 32);
  uint32_t seed = 2024;
  while (s.size() < size) {
    seed = seed * 1103515245u + 12345u;
    s += kWords[(seed >> 16) % (sizeof kWords / sizeof kWords[0])];
    if ((seed & 0xF) == 0) s += std::to_string(seed % 100000);
  }
  s.resize(size);
  return s;
}

// 50 mods of 40 levels, every level archive with game-type files, an evolution file.
class Installation {
 public:
  Installation() {
    std::string evolution = "<evolution>";
    for (int m = 0; m < kMods; ++m) {
      const std::string mod = m == 0 ? std::string("ashfront") : "mod" + std::to_string(m);
      CreateFolders(JoinPath(folder_.path(), "Mods/" + mod));
      testing::WriteFileText(JoinPath(folder_.path(), "Mods/" + mod + "/Init.con"), "");
      const std::string levels =
          JoinPath(folder_.path(), "Mods/" + mod + "/Archives/AshFront/Levels");
      CreateFolders(levels);
      for (int l = 0; l < kLevelsPerMod; ++l) {
        const std::string level = "level" + std::to_string(l);
        ArchiveWriter writer(l % 2 == 0);
        writer.AddStored("Levels/" + level + "/Info/" + level + ".desc", WordText(300));
        writer.AddStored("Levels/" + level + "/Heightmap.raw", std::string(4096, '\0'));
        writer.AddStored("Levels/" + level + "/GameTypes/Conquest.con", WordText(200));
        if (l % 3 == 0) writer.AddStored("Levels/" + level + "/GameTypes/Coop.con", "x");
        writer.WriteTo(JoinPath(levels, level + ".rfa"));
      }
    }
    for (int l = 0; l < kLevelsPerMod; l += 4) {
      evolution += "<stage><maps><map_ name=\"level" + std::to_string(l) + "\"/></maps></stage>";
    }
    evolution += "</evolution>";
    const std::string save = JoinPath(folder_.path(), "Mods/ashfront/save/GameModeSettings");
    CreateFolders(save);
    testing::WriteFileText(JoinPath(save, "Evolution.wst"), evolution);
  }
  const std::string& path() const { return folder_.path(); }

 private:
  ScratchFolder folder_;
};

const Installation& SharedInstallation() {
  static Installation installation;
  return installation;
}

void BM_DiscoverModsAndMaps(benchmark::State& state) {
  const Installation& installation = SharedInstallation();
  ManualClock clock;
  EventLog log(installation.path(), clock);
  ModCatalog catalog(installation.path(), JoinPath(installation.path(), "settings"), log);
  for (auto _ : state) {
    if (!catalog.BuildModList(catalog.ModsFilePath()) ||
        !catalog.BuildMapList(catalog.MapsFilePath())) {
      state.SkipWithError("discovery failed");
      break;
    }
  }
  state.counters["levels"] = benchmark::Counter(
      static_cast<double>(kMods * kLevelsPerMod) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DiscoverModsAndMaps)->Unit(benchmark::kMillisecond);

// The demo installation as the demo script builds it with the archive tool: two mods, nine
// levels, the main game archive.
class DemoInstallation {
 public:
  DemoInstallation() {
    CreateFolders(JoinPath(folder_.path(), "Mods/ashfront"));
    testing::WriteFileText(JoinPath(folder_.path(), "Mods/ashfront/init.con"), "");
    const std::string command = std::string("'" VARNHOLT_SOURCE_DIR "/scripts/demo-content.sh' '") +
                                folder_.path() + "' '" RFA_PACK_PATH "' > /dev/null";
    ok_ = std::system(command.c_str()) == 0;
  }
  const std::string& path() const { return folder_.path(); }
  bool ok() const { return ok_; }

 private:
  ScratchFolder folder_;
  bool ok_ = false;
};

void BM_DiscoverDemoInstallation(benchmark::State& state) {
  DemoInstallation installation;
  if (!installation.ok()) {
    state.SkipWithError("demo content script failed");
    return;
  }
  ManualClock clock;
  EventLog log(installation.path(), clock);
  ModCatalog catalog(installation.path(), JoinPath(installation.path(), "Mods/ashfront/Settings"),
                     log);
  for (auto _ : state) {
    if (!DiscoverModsAndMaps(catalog, log)) {
      state.SkipWithError("discovery failed");
      break;
    }
  }
}
BENCHMARK(BM_DiscoverDemoInstallation)->Unit(benchmark::kMicrosecond);

// Loading the rotation page from the catalogue of the same installation (2000 levels, 8000
// rows with every mode) with a rotation of 100 levels.
void BM_LoadMapRotation(benchmark::State& state) {
  const Installation& installation = SharedInstallation();
  ManualClock clock;
  EventLog log(installation.path(), clock);
  const std::string settings = JoinPath(installation.path(), "settings");
  ModCatalog catalog(installation.path(), settings, log);
  if (!catalog.BuildModList(catalog.ModsFilePath()) ||
      !catalog.BuildMapList(catalog.MapsFilePath())) {
    state.SkipWithError("discovery failed");
    return;
  }
  std::string list;
  for (int i = 0; i < 100; ++i) {
    list += "game.addLevel level" + std::to_string(i % kLevelsPerMod) + " GPM_CQ mod" +
            std::to_string(1 + i % (kMods - 1)) + "\n";
  }
  const std::string path = JoinPath(settings, "ServerMapList.con");
  testing::WriteFileText(path, list);
  MapRotation rotation(settings, log);
  for (auto _ : state) {
    if (!rotation.LoadMapRotation(path, false)) {
      state.SkipWithError("load failed");
      break;
    }
  }
  state.counters["rows"] = static_cast<double>(rotation.RowCount());
}
BENCHMARK(BM_LoadMapRotation)->Unit(benchmark::kMillisecond);

const std::string& ChunkedArchive() {
  static const std::string archive = [] {
    lzo_init();
    ArchiveWriter writer(true);
    writer.AddStored("AshFront/readme.txt", "x");
    writer.AddCompressed("AshFront/game/Big.bin", WordText(kEntryBytes));
    std::string bytes;
    writer.Build(&bytes);
    return bytes;
  }();
  return archive;
}

class NullSink final : public ByteSink {
 public:
  bool Write(const void*, size_t) override { return true; }
};

void BM_ExtractChunkedEntryFromMemory(benchmark::State& state) {
  MemoryArchiveSource source(ChunkedArchive());
  ArchiveEntry entry;
  if (!FindArchiveEntry(source, "ashfront/game/big.bin", &entry)) {
    state.SkipWithError("entry missing");
    return;
  }
  for (auto _ : state) {
    NullSink sink;
    if (ExtractEntry(source, entry, sink) != kExtractWritten) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(kEntryBytes) * state.iterations());
}
BENCHMARK(BM_ExtractChunkedEntryFromMemory)->Unit(benchmark::kMillisecond);

void BM_ExtractArchiveEntryToFile(benchmark::State& state) {
  ScratchFolder folder;
  const std::string archive = JoinPath(folder.path(), "game.rfa");
  const std::string output = JoinPath(folder.path(), "Big.bin");
  testing::WriteFileText(archive, ChunkedArchive());
  for (auto _ : state) {
    if (ExtractArchiveEntry(archive, "AshFront/game/Big.bin", output) != kExtractWritten) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(kEntryBytes) * state.iterations());
}
BENCHMARK(BM_ExtractArchiveEntryToFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
