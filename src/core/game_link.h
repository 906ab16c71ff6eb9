// The one way every subsystem reaches the running game server: a console command, whether
// the console is connected, a full status query, the last status reply and the player list.
// The game link implements it once (gamelink/game_link_clients.h). Settings, the player list,
// the dispatcher and the supervisor take a GameLink&, as bans, auto-admin and remote
// administration will, and never the clients themselves, so a test can hand them the real
// link to a substitute server or a recording one. Only the supervisor holds the clients as
// well, because it drives the link's lifecycle (credentials, connecting, polling).
//
// Threads: every method runs on the worker thread, apart from ConsoleConnected, which reads
// an atomic flag, and the player lookups, which copy out of the player list under its lock;
// those may be called from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// One row of the player list, every field as text as the server reported it.
struct PlayerRecord {
  std::string name;
  int id = -1;
  std::string team;  // "[unknown]", "vyr" or "dak"; empty when the status did not know him
  std::string score;
  std::string kills;
  std::string deaths;
  std::string ping;
  std::string address;
  std::string keyhash;
  std::string guid;  // PunkBuster GUID

  bool operator==(const PlayerRecord&) const = default;
};

class GameLink {
 public:
  virtual ~GameLink() = default;

  virtual bool ConsoleConnected() const = 0;
  // One console exchange; `command` may hold several commands, one per line. True when a
  // response arrived; `response` (when given) then holds its lines, each followed by a line
  // feed. False with the last error set otherwise.
  virtual bool RunConsoleCommand(std::string_view command, std::string* response = nullptr) = 0;

  // A full "\status\" query on the identified status port: true with the reply text (a copy
  // of its own), false with the last error set.
  virtual bool QueryServerStatus(std::string* reply) = 0;
  // True once the port the server answers status queries on is known.
  virtual bool StatusPortIdentified() const = 0;
  // The value of `key` in the last status reply; false when the reply has no such key.
  virtual bool GetQueryValue(std::string_view key, std::string* value) = 0;

  // Copies of the player list's rows.
  virtual std::vector<PlayerRecord> Players() const = 0;
  virtual bool FindPlayerById(int id, PlayerRecord* record) const = 0;
  // The id of the only row whose name is exactly `name`; -1 when none or several match.
  virtual int FindPlayerByExactName(std::string_view name) const = 0;
  // Drops the row of a player who was kicked or banned; false when there is none.
  virtual bool RemovePlayer(int id) = 0;
};

}  // namespace varnholt
