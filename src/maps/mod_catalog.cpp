#include "maps/mod_catalog.h"

#include <algorithm>
#include <cstdlib>

#include "log/error_text.h"
#include "maps/archive_reader.h"
#include "maps/text_file.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr std::string_view kLevelsFolder = "Archives/AshFront/Levels";
constexpr std::string_view kArchiveSuffix = ".rfa";
constexpr size_t kMaxModsFileBytes = 1024 * 1024;

// Folder listings come back in the file system's own order; sorting them the way the
// game's home platform lists folders keeps the catalogue (and mod positions) stable.
void SortNoCase(std::vector<std::string>* names) {
  std::sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
}

bool IsMissing(uint32_t code) {
  return code == kErrorFileNotFound || code == kErrorPathNotFound;
}

// A name from Mods.con becomes part of a path: refuse anything that leaves the Mods folder.
bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

ModCatalog::ModCatalog(std::string game_folder, std::string settings_folder, EventLog& log)
    : game_folder_(std::move(game_folder)),
      settings_folder_(std::move(settings_folder)),
      log_(log) {}

std::string ModCatalog::ModsFilePath() const {
  return FindPathNoCase(settings_folder_, "Mods.con");
}

std::string ModCatalog::MapsFilePath() const {
  return FindPathNoCase(settings_folder_, "Maps.con");
}

std::string ModCatalog::EvolutionFilePath() const {
  return FindPathNoCase(game_folder_, "Mods/AshFront/save/GameModeSettings/Evolution.wst");
}

bool ModCatalog::BuildModList(const std::string& path) {
  if (!EnsureFile(path, EnsureMode::kCreateIfMissing)) {
    log_.LogMessage(kSoundNone, "Couldn't open mods file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  const std::string mods_folder = FindPathNoCase(game_folder_, "Mods");
  std::vector<std::string> names;
  if (!ListFolder(mods_folder, &names)) {
    log_.LogMessage(kSoundNone, "Couldn't detect available mods! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  SortNoCase(&names);
  std::string contents;
  for (const std::string& name : names) {
    // A name with a line break cannot stand on one line of Mods.con; writing it would shift
    // the line positions the mod filter relies on.
    if (name.find_first_of("\r\n") != std::string::npos) continue;
    const std::string folder = JoinPath(mods_folder, name);
    if (!FolderExists(folder)) continue;
    if (FileExists(FindPathNoCase(folder, "Init.con"))) {
      contents.append(name).append("\n");
    } else if (debug_) {
      log_.LogMessage(kSoundNone, "DEBUG: Couldn't detect init.con for mod %s!", name.c_str());
    }
  }
  if (!WriteWholeFile(path, contents)) {
    log_.LogMessage(kSoundNone, "Couldn't open mods file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

bool ModCatalog::ReadModNames(std::vector<std::string>* mods) {
  mods->clear();
  std::string text;
  if (!ReadModsFile(ModsFilePath(), &text, log_, kMaxModsFileBytes)) return false;
  // One word at a time; a word too long for a mod name is no mod of ours.
  size_t at = 0;
  while (at < text.size()) {
    at = text.find_first_not_of(" \t\r\n\v\f", at);
    if (at == std::string::npos) break;
    size_t end = text.find_first_of(" \t\r\n\v\f", at);
    if (end == std::string::npos) end = text.size();
    std::string_view word(text.data() + at, end - at);
    if (word.size() <= kMaxModNameLength && IsPlainFolderName(word)) mods->emplace_back(word);
    at = end;
  }
  return true;
}

EvolutionData ModCatalog::LoadEvolutionData() {
  EvolutionData data;
  if (!ReadEvolutionFile(EvolutionFilePath(), &data)) {
    log_.LogMessage(kSoundNone, "Couldn't open Evolution data file! %s",
                    ErrorText(GetLastErrorCode()));
    return data;
  }
  if (data.parse_failed) {
    log_.LogMessage(kSoundNone, "Couldn't parse Evolution.wst! %s at line %d.",
                    data.error_text.c_str(), data.error_line);
  }
  return data;
}

uint32_t ModCatalog::IsEvolutionLevel(std::string_view level) {
  return LoadEvolutionData().NamesLevel(level) ? kModeEvolution : 0;
}

uint32_t ModCatalog::ArchiveGameTypes(const std::string& archivePath) {
  FileArchiveSource source;
  if (!source.Open(archivePath)) {
    log_.LogMessage(kSoundNone, "Couldn't open file %s! %s", archivePath.c_str(),
                    ErrorText(GetLastErrorCode()));
    return 0;
  }
  return GameTypesInDirectory(source);
}

bool ModCatalog::BuildMapList(const std::string& path) {
  if (!EnsureFile(path, EnsureMode::kCreateIfMissing)) {
    log_.LogMessage(kSoundNone, "Couldn't open %s file! %s", path.c_str(),
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  std::vector<std::string> mods;
  if (!ReadModNames(&mods)) return false;

  const std::string base_levels =
      FindPathNoCase(game_folder_, std::string("Mods/AFBASE/") + std::string(kLevelsFolder));
  const bool have_base = FolderExists(base_levels);
  bool evolution_loaded = false;
  EvolutionData evolution;
  std::string contents;
  std::vector<std::string> files;
  for (const std::string& mod : mods) {
    const std::string levels =
        FindPathNoCase(game_folder_, "Mods/" + mod + "/" + std::string(kLevelsFolder));
    if (!ListFolder(levels, &files)) {
      if (IsMissing(GetLastErrorCode())) continue;
      log_.LogMessage(kSoundNone, "Couldn't detect available maps! %s",
                      ErrorText(GetLastErrorCode()));
      return false;
    }
    SortNoCase(&files);
    const bool is_base = EqualsNoCase(mod, "afbase");
    for (const std::string& file : files) {
      // Patch archives ("hue_000.rfa") are no levels.
      if (!EndsWithNoCase(file, kArchiveSuffix) || file.find("_0") != std::string::npos) {
        continue;
      }
      const std::string archive = JoinPath(levels, file);
      if (!FileExists(archive)) continue;
      const std::string level = Lower(file.substr(0, file.size() - kArchiveSuffix.size()));
      if (level.empty() || level.size() > kMaxLevelNameLength) {
        if (debug_) {
          log_.LogMessage(kSoundNone, "DEBUG: Level archive name %s of mod %s is too long!",
                          file.c_str(), mod.c_str());
        }
        continue;
      }
      uint32_t mask = 0;
      if (!is_base && have_base) {
        const std::string base = FindPathNoCase(base_levels, level + std::string(kArchiveSuffix));
        if (FileExists(base)) mask |= ArchiveGameTypes(base);
      }
      mask |= ArchiveGameTypes(archive);
      if (!evolution_loaded) {
        evolution = LoadEvolutionData();
        evolution_loaded = true;
      }
      if (evolution.NamesLevel(level)) mask |= kModeEvolution;
      mask |= kModeCustomCombat;
      contents.append(mod).append(",").append(level).append(",").append(std::to_string(mask));
      contents.append("\n");
    }
  }
  if (!WriteWholeFile(path, contents)) {
    log_.LogMessage(kSoundNone, "Couldn't open %s file! %s", path.c_str(),
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

bool DiscoverModsAndMaps(ModCatalog& catalog, EventLog& log) {
  if (!catalog.BuildModList(catalog.ModsFilePath())) {
    log.ShowMessage(kMessageError, "Couldn't determine available mods! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  if (!catalog.BuildMapList(catalog.MapsFilePath())) {
    log.ShowMessage(kMessageError, "Couldn't determine available maps! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

bool ReadMapCatalog(const std::string& path, std::vector<MapCatalogLine>* lines) {
  lines->clear();
  std::string text;
  if (!ReadWholeFile(path, &text, 16u * 1024u * 1024u)) return false;
  ParseMapCatalog(text, lines);
  return true;
}

void ParseMapCatalog(std::string_view text, std::vector<MapCatalogLine>* lines) {
  lines->clear();
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    const size_t c1 = line.find(',');
    const size_t c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
    if (c2 == std::string_view::npos || c1 == 0 || c2 == c1 + 1) continue;
    MapCatalogLine entry;
    entry.mod = std::string(line.substr(0, c1));
    entry.level = std::string(line.substr(c1 + 1, c2 - c1 - 1));
    const std::string mask(line.substr(c2 + 1));
    char* stop = nullptr;
    const unsigned long value = strtoul(mask.c_str(), &stop, 10);
    if (mask.empty() || *stop != '\0' || value > 15) continue;
    entry.mask = static_cast<uint32_t>(value);
    lines->push_back(std::move(entry));
  }
}

}  // namespace varnholt
