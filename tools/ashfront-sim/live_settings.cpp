#include "live_settings.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace varnholt::sim {
namespace {

constexpr const char* kChokeCodes = "0,8,16,32,64,128,256,1024";
constexpr const char* kConnectionCodes = "CTModem56Kbps,CTCable128Kbps,CTCable256Kbps,CTLanT1";

LiveSetting Int(const char* key, double value, double low, double high) {
  return {key, LiveKind::kInteger, value, {}, low, high, nullptr};
}
LiveSetting Ratio(const char* key, double value, double low, double high) {
  return {key, LiveKind::kRatio, value, {}, low, high, nullptr};
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The first word of a console argument ("1200", "\"0.60\"" tolerated).
std::string FirstWord(std::string_view argument) {
  size_t start = argument.find_first_not_of(" \t\"");
  if (start == std::string_view::npos) return {};
  size_t end = argument.find_first_of(" \t\"", start);
  return std::string(argument.substr(start, end == std::string_view::npos ? end : end - start));
}

bool ParseNumber(const std::string& word, double* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  double v = strtod(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool FindChoice(const char* codes, const std::string& word, std::string* code) {
  std::string_view list(codes);
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view entry = list.substr(0, comma);
    if (EqualNoCase(entry, word)) {
      *code = word;  // kept as written, like the settings file reader does
      return true;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

LiveSettings::LiveSettings() {
  settings_ = {
      {"admin.bandwidthChokeLimit", LiveKind::kChoice, 0, "0", 0, 0, kChokeCodes},
      {"admin.maxAllowedConnectionType", LiveKind::kChoice, 0, "CTLanT1", 0, 0, kConnectionCodes},
      Int("admin.setNrOfRounds", 3, -1, 100),
      Int("admin.timeLimit", 0, 0, 100000),
      Int("admin.scoreLimit", 0, 0, 100000),
      Ratio("admin.setTicketRatio", 1.0, 0.0, 100.0),
      Int("admin.timeToNextWave", 15, 0, 1000),
      Int("admin.spawnWaveTime", 5, 0, 1000),
      Int("admin.delayBeforeStartingGame", 20, 0, 1000),
      Int("physics.gravity", -4, -100, 100),
      Int("admin.timeBeforeRestartMap", 10, 0, 1000),
      Ratio("admin.soldierFFRatio", 1.0, 0.0, 100.0),
      Ratio("admin.soldierFFRatioOnSplash", 1.0, 0.0, 100.0),
      Ratio("admin.vehicleFFRatio", 1.0, 0.0, 100.0),
      Ratio("admin.vehicleFFRatioOnSplash", 1.0, 0.0, 100.0),
      Ratio("admin.kickback", 0.0, 0.0, 100.0),
      Ratio("admin.kickbackOnSplash", 0.0, 0.0, 100.0),
      Int("admin.tkPunishMode", 0, 0, 1),
      Int("admin.banPlayerOnTKKick", 0, 0, 1),
      Int("admin.nrOfTKToKick", 3, 0, 1000),
      {"admin.spawnDelayPenaltyForTK", LiveKind::kTenths, 0.0, {}, 0.0, 1000.0, nullptr},
      Int("admin.enableKickPlayerVote", 1, 0, 1),
      Int("admin.enableMapVote", 1, 0, 1),
      Int("admin.enableKickTeamPlayerVote", 1, 0, 1),
      Int("admin.autoBalanceTeam", 0, 0, 1),
      Int("admin.votingTime", 60, 0, 10000),
      Ratio("admin.voteMapMajority", 0.6, 0.0, 1.0),
      Ratio("admin.voteKickPlayerMajority", 0.6, 0.0, 1.0),
      Ratio("admin.voteKickTeamPlayerMajority", 0.6, 0.0, 1.0),
      Int("admin.externalViews", 1, 0, 1),
      Int("admin.allowNoseCam", 1, 0, 1),
      Int("game.enableFreeCamera", 0, 0, 1),
      Int("admin.crossHairCenterPoint", 1, 0, 1),
  };
}

const LiveSetting* LiveSettings::Find(std::string_view key) const {
  for (const LiveSetting& s : settings_) {
    if (EqualNoCase(s.key, key)) return &s;
  }
  return nullptr;
}

LiveSetting* LiveSettings::FindMutable(std::string_view key) {
  return const_cast<LiveSetting*>(Find(key));
}

std::string LiveSettings::ValueText(std::string_view key) const {
  const LiveSetting* s = Find(key);
  if (s == nullptr) return {};
  char buffer[64];
  switch (s->kind) {
    case LiveKind::kInteger:
      snprintf(buffer, sizeof buffer, "%d", static_cast<int>(s->value));
      return buffer;
    case LiveKind::kRatio:
      snprintf(buffer, sizeof buffer, "%.2f", s->value);
      return buffer;
    case LiveKind::kTenths:
      snprintf(buffer, sizeof buffer, "%.1f", s->value);
      return buffer;
    case LiveKind::kChoice:
      return s->text;
  }
  return {};
}

bool LiveSettings::Set(std::string_view key, std::string_view argument) {
  LiveSetting* s = FindMutable(key);
  if (s == nullptr) return false;
  std::string word = FirstWord(argument);
  if (s->kind == LiveKind::kChoice) return FindChoice(s->choices, word, &s->text);
  double v = 0;
  if (!ParseNumber(word, &v)) return false;
  if (s->kind == LiveKind::kInteger) v = std::trunc(v);
  if (v < s->low || v > s->high) return false;
  // Values are kept at the precision the console shows, so a read-back returns what was set.
  if (s->kind == LiveKind::kRatio) v = std::round(v * 100.0) / 100.0;
  if (s->kind == LiveKind::kTenths) v = std::round(v * 10.0) / 10.0;
  s->value = v;
  return true;
}

double LiveSettings::Number(std::string_view key, double fallback) const {
  const LiveSetting* s = Find(key);
  if (s == nullptr) return fallback;
  if (s->kind == LiveKind::kChoice) return atof(s->text.c_str());
  return s->value;
}

bool FileSettingToConsole(std::string_view file_key, std::string_view file_value,
                          std::string* console_key, std::string* console_value) {
  enum Conversion { kPlain, kMinutesToSeconds, kPercentToRatio };
  struct Mapping {
    const char* file_key;
    const char* console_key;
    Conversion conversion;
  };
  static const Mapping kMappings[] = {
      {"game.serverBandwidthChokeLimit", "admin.bandwidthChokeLimit", kPlain},
      {"game.serverMaxAllowedConnectionType", "admin.maxAllowedConnectionType", kPlain},
      {"game.serverNumberOfRounds", "admin.setNrOfRounds", kPlain},
      {"game.serverGameTime", "admin.timeLimit", kMinutesToSeconds},
      {"game.serverScoreLimit", "admin.scoreLimit", kPlain},
      {"game.serverTicketRatio", "admin.setTicketRatio", kPercentToRatio},
      {"game.serverSpawnTime", "admin.timeToNextWave", kPlain},
      {"game.serverGameStartDelay", "admin.delayBeforeStartingGame", kPlain},
      {"game.serverSoldierFriendlyFire", "admin.soldierFFRatio", kPercentToRatio},
      {"game.serverSoldierFriendlyFireOnSplash", "admin.soldierFFRatioOnSplash", kPercentToRatio},
      {"game.serverVehicleFriendlyFire", "admin.vehicleFFRatio", kPercentToRatio},
      {"game.serverVehicleFriendlyFireOnSplash", "admin.vehicleFFRatioOnSplash", kPercentToRatio},
      {"game.serverKickback", "admin.kickback", kPlain},
      {"game.serverKickbackOnSplash", "admin.kickbackOnSplash", kPlain},
      {"game.serverTKPunishMode", "admin.tkPunishMode", kPlain},
      {"game.serverAutoBalanceTeams", "admin.autoBalanceTeam", kPlain},
      {"game.serverExternalViews", "admin.externalViews", kPlain},
      {"game.serverAllowNoseCam", "admin.allowNoseCam", kPlain},
      {"game.serverFreeCamera", "game.enableFreeCamera", kPlain},
      {"game.serverCrossHairCenterpoint", "admin.crossHairCenterPoint", kPlain},
  };
  for (const Mapping& m : kMappings) {
    if (!EqualNoCase(m.file_key, file_key)) continue;
    *console_key = m.console_key;
    std::string word = FirstWord(file_value);
    double v = 0;
    char buffer[64];
    if (m.conversion == kPlain || !ParseNumber(word, &v)) {
      *console_value = word;
    } else if (std::fabs(v) > 1e6) {
      *console_value = word;  // out of every range; Set() refuses it
    } else if (m.conversion == kMinutesToSeconds) {
      snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v) * 60);
      *console_value = buffer;
    } else {
      snprintf(buffer, sizeof buffer, "%.2f", v / 100.0);
      *console_value = buffer;
    }
    return true;
  }
  return false;
}

}  // namespace varnholt::sim
