// The rules applied to every player on each monitor tick: banned word in the name, minus
// score, high ping. The first rule that matches a player is the one applied to him.
#include <cstdio>
#include <cstdlib>

#include "autoadmin/auto_admin.h"
#include "core/notify_codes.h"

namespace varnholt {
namespace {

// High-ping checks in a row that only warn; the next one kicks.
constexpr uint8_t kHighPingWarnings = 3;

std::string OrUnknown(const std::string& text) {
  return text.empty() ? "[unknown]" : text;
}

// The leading whole number of a figure as the list shows it; false when it has none.
bool FigureOf(const std::string& text, long* value) {
  const char* start = text.c_str();
  char* end = nullptr;
  *value = strtol(start, &end, 10);
  return end != start;
}

}  // namespace

bool AutoAdmin::ApplyPlayerRules() {
  if (!link_.ConsoleConnected()) return false;
  // A copy: rows removed during the pass neither hide nor repeat anyone.
  for (const PlayerRecord& p : link_.Players()) {
    PlayerCounts* counts = counters_.For(p);
    if (counts != nullptr && RemovalPending(*counts)) continue;
    if (ApplyNameRule(p) || ApplyScoreRule(p)) continue;
    if (counts != nullptr) ApplyPingRule(p, counts);
  }
  return true;
}

bool AutoAdmin::ApplyNameRule(const PlayerRecord& p) {
  if (!settings_.GetBool("manager.autoKickWord") || !words_.NameHasBannedWord(p.name) ||
      !link_.ConsoleConnected()) {
    return false;
  }
  QueueRemoval(p, Removal::kKick, "banned word in name");
  char text[512];
  snprintf(text, sizeof text, "%s Kicking %s for banned word in player name", kAutoAdminPrefix,
           p.name.c_str());
  Announce(text);
  Notify(kNotifyAutoKickedWord, p.name);
  log_.LogMessage(kSoundNone, "Auto-kicked %s (%s) at %s for banned word in player name.",
                  p.name.c_str(), OrUnknown(p.keyhash).c_str(), OrUnknown(p.address).c_str());
  return true;
}

bool AutoAdmin::ApplyScoreRule(const PlayerRecord& p) {
  long score = 0;
  if (!settings_.GetBool("manager.autoKickScore") || !FigureOf(p.score, &score) ||
      score > -static_cast<long>(settings_.GetInt("manager.autoKickScoreValue")) ||
      !link_.ConsoleConnected()) {
    return false;
  }
  const std::string keyhash = OrUnknown(p.keyhash);
  const std::string address = OrUnknown(p.address);
  char text[512];
  if (settings_.GetBool("manager.autoBan") && KickListReached(address, keyhash)) {
    QueueRemoval(p, Removal::kBan, "too many kicks for minus-score");
    snprintf(text, sizeof text, "%s Banned %s for too many minus-score kicks", kAutoAdminPrefix,
             p.name.c_str());
    Announce(text);
    Notify(kNotifyAutoBannedMinusScore, p.name);
    log_.LogMessage(kSoundNone, "Auto-banned %s (%s) at %s for minus-score (%s).", p.name.c_str(),
                    keyhash.c_str(), address.c_str(), p.score.c_str());
    return true;
  }
  QueueRemoval(p, Removal::kKick, "minus-score");
  snprintf(text, sizeof text, "%s Kicking %s for minus-score", kAutoAdminPrefix, p.name.c_str());
  Announce(text);
  Notify(kNotifyAutoKickedMinusScore, p.name);
  log_.LogMessage(kSoundNone, "Auto-kicked %s (%s) at %s for minus-score (%s).", p.name.c_str(),
                  keyhash.c_str(), address.c_str(), p.score.c_str());
  return true;
}

void AutoAdmin::ApplyPingRule(const PlayerRecord& p, PlayerCounts* counts) {
  if (!settings_.GetBool("manager.autoKickPing")) return;
  const long limit = settings_.GetInt("manager.autoKickPingValue");
  long ping = 0;
  if (!FigureOf(p.ping, &ping) || ping < limit || !link_.ConsoleConnected()) {
    counts->high_ping = 0;
    return;
  }
  char text[512];
  if (counts->high_ping < kHighPingWarnings) {
    counts->high_ping += 1;
    if (settings_.GetBool("manager.highPingWarnings")) {
      snprintf(text, sizeof text, "%s %s ping %s exceeds maximum of %lu for %i times",
               kAutoAdminPrefix, p.name.c_str(), p.ping.c_str(), static_cast<unsigned long>(limit),
               static_cast<int>(counts->high_ping));
      Announce(text);
    }
    if (env_.mark_ping) env_.mark_ping(p.id, "*");
    return;
  }
  QueueRemoval(p, Removal::kKick, "high-ping");
  snprintf(text, sizeof text, "%s Kicking %s for high-ping", kAutoAdminPrefix, p.name.c_str());
  Announce(text);
  Notify(kNotifyAutoKickedPing, p.name);
  log_.LogMessage(kSoundNone, "Auto-kicked %s (%s) at %s for high-ping (%s).", p.name.c_str(),
                  OrUnknown(p.keyhash).c_str(), OrUnknown(p.address).c_str(), p.ping.c_str());
  counts->high_ping = 0;
}

}  // namespace varnholt
