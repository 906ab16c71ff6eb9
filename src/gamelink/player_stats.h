// The end-of-game statistics and the player list file. At the end of each game the status
// tick appends to the statistics CSV one line about the game and one per player, from a
// fresh "\status\" reply joined with the player list for address, keyhash and GUID.
// PlayerList.con is a snapshot of the player list written for a remote client.
//
// The statistics file is named by a setting that remote clients can change, so it is always
// resolved inside the game folder. A game's lines are appended in one write once they are
// all known: a reply that lacks a key leaves the file as it was, and the retry at the next
// tick cannot leave half a block behind.
//
// Threads: worker only (status tick, client requests).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/game_link.h"
#include "log/event_log.h"
#include "platform/clock.h"

namespace varnholt {

// The statistics file's two header lines (an empty file gets them first).
constexpr const char* kStatsGameHeader =
    "date,time,server,map,gamemode,rounds,timelimit,axis_tickets,allied_tickets";
constexpr const char* kStatsPlayerHeader = "player,team,score,kills,deaths,ping,ip,keyhash,pbguid";

// The lines of one game from a status reply, each ending in CR LF. False with `missing_key`
// naming the first reply key that is absent (as the debug line names it); `out` is then
// left empty. `numplayers` is the count already read from the reply.
bool FormatPlayerStats(const std::string& reply, int numplayers,
                       const std::vector<PlayerRecord>& rows, int64_t now, std::string* out,
                       std::string* missing_key);

// PlayerList.con's text: one line per row, the name quoted, an empty field written "*".
std::string FormatPlayerListFile(const std::vector<PlayerRecord>& rows);

class PlayerStats {
 public:
  PlayerStats(EventLog& log, const Clock& clock, GameLink& link, std::string game_folder);

  void SetDebug(bool on) { debug_ = on; }

  // Appends the ended game to the statistics file named by `stat_file` (relative to the game
  // folder). False with the last error: 0 when there was nothing to log (no players).
  bool LogPlayerStats(const std::string& stat_file);
  // Replaces `path` with the current player list.
  bool WritePlayerListFile(const std::string& path);

 private:
  EventLog& log_;
  const Clock& clock_;
  GameLink& link_;
  std::string game_folder_;
  bool debug_ = false;
};

}  // namespace varnholt
