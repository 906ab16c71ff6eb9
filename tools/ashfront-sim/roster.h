// The simulated players on the server, the ones that left and may come back, and the
// server's own ban list (addresses, keyhashes, PunkBuster GUIDs). Owned by the simulated
// server's single thread.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::sim {

constexpr int kMaxPlayerSlots = 64;

struct Player {
  int id = -1;
  std::string name;
  int team = 1;  // 1 or 2
  int score = 0;
  int kills = 0;
  int deaths = 0;
  int ping = 50;
  uint32_t address = 0;
  int port = 0;
  std::string keyhash;  // empty for a LAN player without a CD key
  std::string guid;     // PunkBuster GUID
  bool bot = false;
  // Held figures stay as set: the simulation neither moves the ping nor changes the score
  // (a new round keeps a held score too).
  bool ping_held = false;
  bool score_held = false;
};

// A player described on the command line or in a players file:
// name|team|ping|address|keyhash|guid|bot. Every field after the name may be empty or
// missing and is then generated; "bot" (or 1) in the last field makes an AI bot.
bool ParsePlayerDescription(std::string_view text, Player* player, std::string* error);

enum class JoinResult { kJoined, kBanned, kFull, kNoSlot };

class Roster {
 public:
  explicit Roster(uint32_t seed);

  // Fills generated fields of a player line (address, keyhash, guid, ping, team) and adds it.
  JoinResult Join(Player player, int max_players, bool punkbuster);
  // A generated player with a fresh name; bots get names of their own.
  Player MakeGeneratedPlayer(bool bot);

  // Removes the player; he waits outside and tries again at the next `RejoinAll`.
  bool Remove(int id, std::string* name);
  // Lets every departed player try to join again; returns the lines to log.
  std::vector<std::string> RejoinAll(int max_players, bool punkbuster);

  Player* FindById(int id);
  // Exact name first, then case-insensitive.
  Player* FindByName(std::string_view name);
  std::vector<Player>& players() { return players_; }
  const std::vector<Player>& players() const { return players_; }
  int CountTeam(int team) const;
  int HumanCount() const;

  // Bans. Addresses are kept as text without port; keys and GUIDs ignoring case.
  void BanAddress(std::string_view address);
  void BanKey(std::string_view key);
  void BanGuid(std::string_view guid);
  bool UnbanAddress(std::string_view address);
  bool UnbanKey(std::string_view key);
  bool UnbanGuid(std::string_view guid);
  void ClearBans();
  bool IsBanned(const Player& player, bool punkbuster) const;
  const std::vector<std::string>& banned_addresses() const { return banned_addresses_; }
  const std::vector<std::string>& banned_keys() const { return banned_keys_; }
  const std::vector<std::string>& banned_guids() const { return banned_guids_; }

  std::mt19937& rng() { return rng_; }

 private:
  std::string RandomHex(int digits);
  int FreeSlot() const;

  std::vector<Player> players_;
  std::vector<Player> departed_;
  std::vector<std::string> banned_addresses_;
  std::vector<std::string> banned_keys_;
  std::vector<std::string> banned_guids_;
  std::mt19937 rng_;
  int generated_count_ = 0;
};

}  // namespace varnholt::sim
