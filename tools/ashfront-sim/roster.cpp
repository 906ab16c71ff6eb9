#include "roster.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/ip_address.h"

namespace varnholt::sim {
namespace {

constexpr size_t kMaxNameLength = 31;
// Each ban list is rewritten whole after a change; beyond this, new bans are ignored.
constexpr size_t kMaxBans = 10000;

const char* const kHumanNames[] = {"Falk",   "Mira",    "Osric", "Tamsin", "Brann", "Ilse",
                                   "Corvin", "Yara",    "Dagny", "Leif",   "Runa",  "Edric",
                                   "Sabine", "Torvald", "Wren",  "Halvard"};
const char* const kBotNames[] = {"Grunt", "Sentry", "Drone", "Warden", "Scout", "Picket"};

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::vector<std::string_view> SplitBar(std::string_view text) {
  std::vector<std::string_view> fields;
  while (true) {
    size_t bar = text.find('|');
    fields.push_back(text.substr(0, bar));
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  return fields;
}

bool IsHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return isxdigit(c & 0xFF); });
}

bool RemoveNoCase(std::vector<std::string>* list, std::string_view value) {
  auto it = std::remove_if(list->begin(), list->end(),
                           [&](const std::string& entry) { return EqualNoCase(entry, value); });
  bool removed = it != list->end();
  list->erase(it, list->end());
  return removed;
}

bool ContainsNoCase(const std::vector<std::string>& list, std::string_view value) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& entry) { return EqualNoCase(entry, value); });
}

}  // namespace

bool ParsePlayerDescription(std::string_view text, Player* player, std::string* error) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  std::vector<std::string_view> f = SplitBar(text);
  *player = Player{};
  player->ping = -1;
  player->team = 0;
  if (f[0].empty()) {
    *error = "a player needs a name";
    return false;
  }
  player->name = std::string(f[0].substr(0, kMaxNameLength));
  if (f.size() > 1 && !f[1].empty()) {
    int team = atoi(std::string(f[1]).c_str());
    if (team != 1 && team != 2) {
      *error = "team must be 1 or 2";
      return false;
    }
    player->team = team;
  }
  if (f.size() > 2 && !f[2].empty())
    player->ping = std::clamp(atoi(std::string(f[2]).c_str()), 0, 9999);
  if (f.size() > 3 && !f[3].empty()) {
    std::string_view address = f[3];
    size_t colon = address.find(':');
    if (colon != std::string_view::npos) {
      player->port = std::clamp(atoi(std::string(address.substr(colon + 1)).c_str()), 0, 65535);
      address = address.substr(0, colon);
    }
    player->address = IpFromText(address);
  }
  if (f.size() > 4 && !f[4].empty()) {
    if (f[4] == "-") {
      player->keyhash.assign(1, '-');  // explicitly none
    } else if (f[4].size() != 32 || !IsHex(f[4])) {
      *error = "a keyhash has 32 hexadecimal digits";
      return false;
    } else {
      player->keyhash = std::string(f[4]);
    }
  }
  if (f.size() > 5 && !f[5].empty()) {
    if (f[5].size() != 32 || !IsHex(f[5])) {
      *error = "a GUID has 32 hexadecimal digits";
      return false;
    }
    player->guid = std::string(f[5]);
  }
  if (f.size() > 6) player->bot = f[6] == "bot" || f[6] == "1";
  return true;
}

Roster::Roster(uint32_t seed) : rng_(seed) {}

std::string Roster::RandomHex(int digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < digits; ++i) out += kDigits[rng_() % 16];
  return out;
}

int Roster::FreeSlot() const {
  for (int id = 0; id < kMaxPlayerSlots; ++id) {
    bool used =
        std::any_of(players_.begin(), players_.end(), [id](const Player& p) { return p.id == id; });
    if (!used) return id;
  }
  return -1;
}

Player Roster::MakeGeneratedPlayer(bool bot) {
  Player p;
  int n = generated_count_++;
  if (bot) {
    p.name = std::string(kBotNames[n % 6]) + std::to_string(n / 6 + 1);
  } else {
    p.name = kHumanNames[n % 16];
    if (n >= 16) p.name += std::to_string(n / 16 + 1);
  }
  p.bot = bot;
  p.ping = -1;
  p.team = 0;
  return p;
}

int Roster::CountTeam(int team) const {
  return static_cast<int>(std::count_if(players_.begin(), players_.end(),
                                        [team](const Player& p) { return p.team == team; }));
}

int Roster::HumanCount() const {
  return static_cast<int>(
      std::count_if(players_.begin(), players_.end(), [](const Player& p) { return !p.bot; }));
}

JoinResult Roster::Join(Player p, int max_players, bool punkbuster) {
  if (static_cast<int>(players_.size()) >= max_players) return JoinResult::kFull;
  int slot = FreeSlot();
  if (slot < 0) return JoinResult::kNoSlot;
  if (!p.bot) {
    if (p.address == 0) p.address = 0x0A000000u | (rng_() % 0xFFFEu + 1);
    if (p.port == 0) p.port = 2000 + static_cast<int>(rng_() % 60000);
    if (p.keyhash.empty()) p.keyhash = RandomHex(32);
    if (p.keyhash == "-") p.keyhash.clear();
    if (p.guid.empty()) p.guid = RandomHex(32);
  } else {
    p.keyhash.clear();
    p.guid.clear();
    p.address = 0;
  }
  if (IsBanned(p, punkbuster)) return JoinResult::kBanned;
  if (p.ping < 0) p.ping = p.bot ? 0 : 20 + static_cast<int>(rng_() % 120);
  if (p.team == 0) p.team = CountTeam(1) <= CountTeam(2) ? 1 : 2;
  p.id = slot;
  p.score = p.kills = p.deaths = 0;
  players_.push_back(std::move(p));
  return JoinResult::kJoined;
}

bool Roster::Remove(int id, std::string* name) {
  auto it =
      std::find_if(players_.begin(), players_.end(), [id](const Player& p) { return p.id == id; });
  if (it == players_.end()) return false;
  if (name != nullptr) *name = it->name;
  // One waiting entry per person, however often he was removed.
  std::erase_if(departed_, [&](const Player& d) {
    return d.name == it->name && d.address == it->address && d.keyhash == it->keyhash;
  });
  if (departed_.size() < 256) departed_.push_back(*it);
  players_.erase(it);
  return true;
}

std::vector<std::string> Roster::RejoinAll(int max_players, bool punkbuster) {
  std::vector<std::string> lines;
  std::vector<Player> waiting;
  waiting.swap(departed_);
  for (Player& p : waiting) {
    std::string name = p.name;
    switch (Join(p, max_players, punkbuster)) {
      case JoinResult::kJoined:
        lines.push_back(name + " joined the game");
        break;
      case JoinResult::kBanned:
        lines.push_back(name + " was refused: banned");
        departed_.push_back(p);  // keeps trying, as a banned player does
        break;
      default:
        lines.push_back(name + " was refused: server full");
        departed_.push_back(p);
        break;
    }
  }
  return lines;
}

Player* Roster::FindById(int id) {
  for (Player& p : players_) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

Player* Roster::FindByName(std::string_view name) {
  for (Player& p : players_) {
    if (p.name == name) return &p;
  }
  for (Player& p : players_) {
    if (EqualNoCase(p.name, name)) return &p;
  }
  return nullptr;
}

void Roster::BanAddress(std::string_view address) {
  if (banned_addresses_.size() < kMaxBans && !ContainsNoCase(banned_addresses_, address)) {
    banned_addresses_.emplace_back(address);
  }
}
void Roster::BanKey(std::string_view key) {
  if (banned_keys_.size() < kMaxBans && !ContainsNoCase(banned_keys_, key)) {
    banned_keys_.emplace_back(key);
  }
}
void Roster::BanGuid(std::string_view guid) {
  if (banned_guids_.size() < kMaxBans && !ContainsNoCase(banned_guids_, guid)) {
    banned_guids_.emplace_back(guid);
  }
}
bool Roster::UnbanAddress(std::string_view address) {
  return RemoveNoCase(&banned_addresses_, address);
}
bool Roster::UnbanKey(std::string_view key) {
  return RemoveNoCase(&banned_keys_, key);
}
bool Roster::UnbanGuid(std::string_view guid) {
  return RemoveNoCase(&banned_guids_, guid);
}

void Roster::ClearBans() {
  banned_addresses_.clear();
  banned_keys_.clear();
}

bool Roster::IsBanned(const Player& p, bool punkbuster) const {
  if (p.bot) return false;
  if (ContainsNoCase(banned_addresses_, IpToText(p.address))) return true;
  if (!p.keyhash.empty() && ContainsNoCase(banned_keys_, p.keyhash)) return true;
  return punkbuster && !p.guid.empty() && ContainsNoCase(banned_guids_, p.guid);
}

}  // namespace varnholt::sim
