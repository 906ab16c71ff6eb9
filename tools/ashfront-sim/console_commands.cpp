#include "console_commands.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "platform/ip_address.h"

namespace varnholt::sim {
namespace {

// The game's console line carries at most this much message text.
constexpr size_t kMaxMessageText = 63;

bool Is(const std::string& command, const char* name) {
  return strcasecmp(command.c_str(), name) == 0;
}

bool ParseId(const std::string& argument, int* id) {
  std::string word = argument.substr(0, argument.find(' '));
  if (word.empty()) return false;
  char* end = nullptr;
  long v = strtol(word.c_str(), &end, 10);
  if (*end != '\0' || v < -1 || v > 1000) return false;
  *id = static_cast<int>(v);
  return true;
}

// "1.2.3.4:0 Perm" -> "1.2.3.4"; "ABC Perm" -> "ABC".
std::string BanTarget(const std::string& argument, bool address) {
  std::string word = Unquote(argument);
  word = word.substr(0, word.find(' '));
  if (address) word = word.substr(0, word.find(':'));
  return word.substr(0, 64);  // addresses, keyhashes and GUIDs are far shorter
}

}  // namespace

std::string ListPlayersLine(const Player& p) {
  char line[256];
  if (p.bot) {
    snprintf(line, sizeof line, "Id:%d - %s is an AI bot", p.id, p.name.c_str());
  } else if (p.keyhash.empty()) {
    snprintf(line, sizeof line, "Id:%d - %s is remote ip: %s:%d", p.id, p.name.c_str(),
             IpToText(p.address).c_str(), p.port);
  } else {
    snprintf(line, sizeof line, "Id:%d - %s is remote ip: %s:%d hash:%s", p.id, p.name.c_str(),
             IpToText(p.address).c_str(), p.port, p.keyhash.c_str());
  }
  return line;
}

ConsoleCommands::ConsoleCommands(ServerInfo& info, LiveSettings& settings, Roster& roster,
                                 Match& match, GameEvents& events)
    : info_(info), settings_(settings), roster_(roster), match_(match), events_(events) {}

bool ConsoleCommands::TakeBansChanged() {
  bool changed = bans_changed_;
  bans_changed_ = false;
  return changed;
}

bool ConsoleCommands::TakeGuidFileRequested() {
  bool requested = guid_file_requested_;
  guid_file_requested_ = false;
  return requested;
}

void ConsoleCommands::Execute(std::string_view line, std::vector<std::string>* out) {
  std::string command, argument;
  SplitConLine(line, &command, &argument);
  if (command.empty() || command.rfind("//", 0) == 0) return;

  if (const LiveSetting* setting = settings_.Find(command)) {
    if (argument.empty()) {
      out->push_back(settings_.ValueText(setting->key));
    } else if (!settings_.Set(setting->key, argument)) {
      out->push_back("Invalid value for " + command + ": " + argument);
    }
    return;
  }
  if (command.size() > 4 && strncasecmp(command.c_str(), "sim.", 4) == 0) {
    if (control_) {
      control_(command.substr(4) + (argument.empty() ? "" : " " + argument), out);
    }
    return;
  }
  if (command.size() > 6 && strncasecmp(command.c_str(), "pb_sv_", 6) == 0) {
    PunkBuster(command, argument, out);
    return;
  }
  if (LevelCommand(command, argument, out)) return;

  int id = 0;
  if (Is(command, "quit")) {
    quit_requested_ = true;
    events_.ConsoleLine("Server shutting down");
  } else if (Is(command, "game.listPlayers")) {
    ListPlayers(out);
  } else if (Is(command, "admin.kickPlayer")) {
    if (!ParseId(argument, &id)) {
      out->push_back("Invalid player id: " + argument);
    } else {
      KickPlayer(id, "kicked by admin", out);
    }
  } else if (Is(command, "admin.admin_killplayer")) {
    Player* p = ParseId(argument, &id) ? roster_.FindById(id) : nullptr;
    if (p == nullptr) {
      out->push_back("Invalid player id: " + argument);
    } else {
      p->deaths += 1;
      events_.ConsoleLine(p->name + " was killed by the admin");
    }
  } else if (Is(command, "admin.banPlayer") || Is(command, "admin.banPlayerKey")) {
    if (!ParseId(argument, &id)) {
      out->push_back("Invalid player id: " + argument);
    } else {
      BanPlayerById(id, Is(command, "admin.banPlayerKey"), out);
    }
  } else if (Is(command, "admin.addAddressToBanList")) {
    std::string address = BanTarget(argument, true);
    if (address.empty()) return out->push_back("Missing address");
    roster_.BanAddress(address);
    bans_changed_ = true;
    RemoveBannedPlayers("address banned");
  } else if (Is(command, "admin.addKeyToBanList")) {
    std::string key = BanTarget(argument, false);
    if (key.empty()) return out->push_back("Missing key");
    roster_.BanKey(key);
    bans_changed_ = true;
    RemoveBannedPlayers("key banned");
  } else if (Is(command, "admin.removeAddressFromBanList")) {
    if (!roster_.UnbanAddress(BanTarget(argument, true))) out->push_back("Address not banned");
    bans_changed_ = true;
  } else if (Is(command, "admin.removeKeyFromBanList")) {
    if (!roster_.UnbanKey(BanTarget(argument, false))) out->push_back("Key not banned");
    bans_changed_ = true;
  } else if (Is(command, "admin.clearBanList")) {
    roster_.ClearBans();
    bans_changed_ = true;
  } else if (Is(command, "admin.listBannedAddresses")) {
    for (const std::string& a : roster_.banned_addresses()) out->push_back(a);
  } else if (Is(command, "admin.listBannedKeys")) {
    for (const std::string& k : roster_.banned_keys()) out->push_back(k);
  } else if (Is(command, "game.sayAll")) {
    Say('0', "ALL", argument);
  } else if (Is(command, "admin.serverMessage")) {
    Say('9', "ADMIN", argument);
  } else if (Is(command, "admin.toggleGamePause")) {
    match_.TogglePause();
  } else if (Is(command, "admin.enableRemoteConsole")) {
    // user password port
    std::string user, rest, password, port;
    SplitConLine(argument, &user, &rest);
    SplitConLine(rest, &password, &port);
    int port_number = atoi(port.c_str());
    if (user.empty() || password.empty() || port_number < 0 || port_number > 65535) {
      out->push_back("Usage: admin.enableRemoteConsole <user> <password> <port>");
    } else {
      info_.console_enabled = true;
      info_.console_user = user;
      info_.console_password = password;
      info_.console_port = port_number;
    }
  } else if (Is(command, "admin.enableRemoteAdmin")) {
    info_.remote_admin = true;
  } else {
    out->push_back("Unknown command: " + command);
  }
}

void ConsoleCommands::Say(char channel, const char* word, const std::string& argument) {
  std::string text = Unquote(argument).substr(0, kMaxMessageText);
  events_.ChatLine(channel, std::string(word) + " Server: " + text);
}

void ConsoleCommands::ListPlayers(std::vector<std::string>* out) {
  if (roster_.players().empty()) {
    out->push_back("");  // an empty first line tells the reader there is nobody
    return;
  }
  for (const Player& p : roster_.players()) out->push_back(ListPlayersLine(p));
}

void ConsoleCommands::KickPlayer(int id, const std::string& reason, std::vector<std::string>* out) {
  std::string name;
  if (!roster_.Remove(id, &name)) {
    out->push_back("No player with id " + std::to_string(id));
    return;
  }
  events_.ConsoleLine(name + " was kicked (" + reason + ")");
  out->push_back("Kicked player " + std::to_string(id) + " " + name);
}

void ConsoleCommands::BanPlayerById(int id, bool by_key, std::vector<std::string>* out) {
  Player* p = roster_.FindById(id);
  if (p == nullptr || p->bot) {
    out->push_back("No player with id " + std::to_string(id));
    return;
  }
  if (by_key && !p->keyhash.empty()) {
    roster_.BanKey(p->keyhash);
  } else {
    roster_.BanAddress(IpToText(p->address));
  }
  bans_changed_ = true;
  KickPlayer(id, "banned", out);
}

void ConsoleCommands::RemoveBannedPlayers(const char* why) {
  std::vector<int> ids;
  for (const Player& p : roster_.players()) {
    if (roster_.IsBanned(p, info_.punkbuster)) ids.push_back(p.id);
  }
  std::vector<std::string> ignored;
  for (int id : ids) KickPlayer(id, why, &ignored);
}

void ConsoleCommands::PunkBuster(const std::string& command, const std::string& argument,
                                 std::vector<std::string>* out) {
  if (!info_.punkbuster) {
    out->push_back("Unknown command: " + command + " (PunkBuster is not running)");
    return;
  }
  int slot = 0;
  if (Is(command, "pb_sv_ver")) {
    std::string version = "PunkBuster Server (v1.180 | A1386 C2.218) ashfront";
    events_.ConsoleLine(version);
    out->push_back(version);
  } else if (Is(command, "pb_sv_plist")) {
    // PunkBuster's view of the players, the one place their GUIDs show.
    out->push_back("PunkBuster Server: Player List: [Slot #] [GUID] [Address] [Name]");
    int count = 0;
    for (const Player& p : roster_.players()) {
      if (p.bot) continue;
      out->push_back("PunkBuster Server: " + std::to_string(p.id + 1) + " " + p.guid + " " +
                     IpToText(p.address) + ":" + std::to_string(p.port) + " \"" + p.name + "\"");
      ++count;
    }
    out->push_back("PunkBuster Server: End of Player List (" + std::to_string(count) + " Players)");
  } else if (Is(command, "pb_sv_kick")) {
    if (!ParseId(argument, &slot) || slot < 1) {
      out->push_back("PunkBuster: invalid slot " + argument);
    } else {
      KickPlayer(slot - 1, "PunkBuster kick", out);
    }
  } else if (Is(command, "pb_sv_banguid")) {
    std::string guid = BanTarget(argument, false);
    if (guid.empty()) return out->push_back("PunkBuster: missing GUID");
    roster_.BanGuid(guid);
    RemoveBannedPlayers("GUID banned");
  } else if (Is(command, "pb_sv_unbanguid")) {
    if (!roster_.UnbanGuid(BanTarget(argument, false))) out->push_back("PunkBuster: not banned");
  } else if (Is(command, "pb_sv_banempty")) {
    std::vector<std::string> guids = roster_.banned_guids();
    for (const std::string& guid : guids) roster_.UnbanGuid(guid);
    guid_file_requested_ = true;
  } else if (Is(command, "pb_sv_updbanfile")) {
    guid_file_requested_ = true;
  } else if (Is(command, "pb_sv_writecfg")) {
    out->push_back("PunkBuster: settings written");
  } else if (Is(command, "pb_sv_load")) {
    out->push_back("PunkBuster: loaded " + argument);
  } else if (Is(command, "pb_sv_getss")) {
    out->push_back("PunkBuster: screenshot requested from slot " + argument);
  } else {
    out->push_back("PunkBuster: unknown command " + command);
  }
}

bool ConsoleCommands::LevelCommand(const std::string& command, const std::string& argument,
                                   std::vector<std::string>* out) {
  Level level;
  bool needs_level = Is(command, "game.addLevel") || Is(command, "game.setCurrentLevel") ||
                     Is(command, "game.setIdleLevel") || Is(command, "admin.changeMap") ||
                     Is(command, "admin.setNextLevel");
  if (needs_level) {
    if (!ParseLevel(argument, &level)) {
      out->push_back("Invalid level: " + argument);
      return true;
    }
    if (Is(command, "game.addLevel")) {
      if (!match_.AddLevel(level)) out->push_back("Map list is full");
    } else if (Is(command, "game.setCurrentLevel")) {
      match_.SetStartLevel(level);
    } else if (Is(command, "game.setIdleLevel")) {
      match_.SetIdleLevel(level);
    } else if (Is(command, "admin.changeMap")) {
      match_.ChangeMap(level);
    } else {
      match_.SetNextLevel(level);
    }
    return true;
  }
  if (Is(command, "admin.runNextLevel")) {
    match_.RunNextLevel();
  } else if (Is(command, "admin.restartMap")) {
    match_.RestartMap();
  } else {
    return false;
  }
  return true;
}

}  // namespace varnholt::sim
