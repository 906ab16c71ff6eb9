#include "autoadmin/in_game_commands.h"

#include <vector>

#include "core/notify_codes.h"
#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr int32_t kGameAdminOrigin = 0xFF00;
constexpr int kHighestPlayerId = 64;

std::vector<std::string> Words(std::string_view text, size_t most) {
  std::vector<std::string> words;
  size_t start = 0;
  while (words.size() < most && start < text.size()) {
    const size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  return Lower(text).find(Lower(part)) != std::string::npos;
}

}  // namespace

InGameCommands::InGameCommands(EventLog& log, GameLink& link, CommandQueue& queue, PlayerMenu& menu,
                               InGameEnvironment env)
    : log_(log), link_(link), queue_(queue), menu_(menu), env_(std::move(env)) {}

bool InGameCommands::HandleChatCommand(std::string_view line) {
  const size_t colon = line.find(": ");
  if (colon == std::string_view::npos) return false;
  const std::vector<std::string> words = Words(line.substr(colon + 2), 4);
  if (words.empty() || words[0][0] != '!') return false;
  const std::string word = words[0].substr(1);
  const std::string p[3] = {words.size() > 1 ? words[1] : std::string(),
                            words.size() > 2 ? words[2] : std::string(),
                            words.size() > 3 ? words[3] : std::string()};
  if (EqualsNoCase(word, "nextmap")) {
    Reply("The next map is " + (env_.next_map_text ? env_.next_map_text() : std::string("-")));
    return true;
  }
  // The speaker: after the first blank of the line, up to the ": ".
  const size_t blank = line.find(' ');
  const std::string speaker(
      blank < colon ? Cut(line.substr(blank + 1, colon - blank - 1), kMaxSpeakerName) : "");
  const PlayerRecord* found = nullptr;
  const std::vector<PlayerRecord> players = link_.Players();
  for (const PlayerRecord& player : players) {
    if (EqualsNoCase(player.name, speaker)) {
      found = &player;
      break;
    }
  }
  if (found == nullptr) {
    if (env_.debug) {
      log_.LogMessage(kSoundNone,
                      "DEBUG: Couldn't determine player %s keyhash! Ignoring in-game admin "
                      "command.",
                      speaker.c_str());
    }
    return false;
  }
  const std::optional<GameAdminAccount> account =
      env_.find_account ? env_.find_account(found->keyhash) : std::nullopt;
  if (!account || !account->active) {
    if (env_.debug) {
      log_.LogMessage(kSoundNone,
                      account ? "DEBUG: Player %s user account is deactivated! Ignoring in-game "
                                "admin command."
                              : "DEBUG: Player %s is not authorised to use in-game admin! "
                                "Ignoring in-game admin command.",
                      speaker.c_str());
    }
    return false;
  }
  const int32_t origin = kGameAdminOrigin + (account->index & 0xFF);
  bool handled = false;
  const bool queued = RunMapCommand(word, account->rights, origin, p, &handled);
  if (handled) return queued;
  return RunShortcut(word, origin, p[0]);
}

bool InGameCommands::RunMapCommand(std::string_view word, uint32_t rights, int32_t origin,
                                   const std::string (&p)[3], bool* handled) {
  struct MapCommand {
    const char* word;
    uint32_t code;
    bool needs_level;
  };
  static constexpr MapCommand kMapCommands[] = {{"change", kCmdChangeMap, true},
                                                {"restart", kCmdRestartMap, false},
                                                {"setnext", kCmdSetNextMap, true},
                                                {"runnext", kCmdNextMap, false}};
  for (const MapCommand& command : kMapCommands) {
    if (!EqualsNoCase(word, command.word)) continue;
    *handled = true;
    const std::string name = std::string("!") + command.word;
    if ((rights & kGameAdminMapsRight) == 0) {
      Reply(name + " requires Maps page access");
      return false;
    }
    if (!command.needs_level) return queue_.QueueCommand(command.code, "", origin, 0);
    if (p[0].empty()) {
      Reply(name + " requires at least one parameter");
      return false;
    }
    const std::string level =
        p[0] + " " + (p[1].empty() ? "GPM_CQ" : p[1]) + " " + (p[2].empty() ? "ashfront" : p[2]);
    return queue_.QueueCommand(command.code, level, origin, 0);
  }
  return false;
}

bool InGameCommands::RunShortcut(std::string_view word, int32_t origin, const std::string& p1) {
  const int line = menu_.FindMenuShortcut(word);
  if (line == 0) {
    Reply("Command id " + std::string(word) + " is not valid");
    return false;
  }
  if (p1.empty()) {
    menu_.ApplyMenuLine(-1, line, origin);
    return true;
  }
  const std::vector<PlayerRecord> players = link_.Players();
  if (p1[0] == '.') {
    const std::string digits = p1.substr(1);
    const int id = atoi(digits.c_str());
    PlayerRecord player;
    if (digits.empty() || !(digits[0] >= '0' && digits[0] <= '9') || id < 0 ||
        id > kHighestPlayerId || !link_.FindPlayerById(id, &player) || player.name.empty() ||
        player.name == "[unknown]") {
      Reply("Player id " + digits + " is not valid");
      return false;
    }
    menu_.ApplyMenuLine(id, line, origin);
    return true;
  }
  if (p1[0] == '@') {
    const std::string part = Cut(std::string_view(p1).substr(1), kMaxSpeakerName);
    if (part.empty()) return false;
    bool any = false;
    for (const PlayerRecord& player : players) {
      if (!ContainsNoCase(player.name, part)) continue;
      menu_.ApplyMenuLine(player.id, line, origin);
      any = true;
    }
    if (!any) Reply("No matches for player name " + part);
    return any;
  }
  int match = -1;
  int matches = 0;
  for (const PlayerRecord& player : players) {
    if (ContainsNoCase(player.name, p1)) {
      match = player.id;
      ++matches;
    }
  }
  if (matches != 1) {
    Reply("No matches or player name " + Upper(p1) + " is ambiguous");
    return false;
  }
  menu_.ApplyMenuLine(match, line, origin);
  return true;
}

}  // namespace varnholt
