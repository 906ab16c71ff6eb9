// The server status summary: one line of nineteen comma-terminated fields (name, address,
// players, maps, process and console state, the game's own values, team totals, PunkBuster)
// built from the settings, the supervisor's state and a fresh "\status\" query. Varnlink
// receives the same text, so its field order and wording are a wire format.
//
// Threads: the worker builds it (monitor tick, page refresh, client requests); start-up
// builds it once on the user-interface thread while the console is still disconnected, so
// no query runs there. The text last shown is kept under a mutex for any thread to read.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/game_link.h"
#include "gamelink/player_list.h"
#include "log/event_log.h"

namespace varnholt {

constexpr size_t kStatusFieldCount = 19;
// No field carries more than this, so a server's long values cannot grow the text without
// bound (nineteen fields stay well inside a client's reply limit).
constexpr size_t kMaxStatusFieldLength = 255;

// What the summary takes from outside the game link, read after the status query so that
// the running level comes from the fresh reply.
struct ServerStatusFacts {
  std::string server_name;
  uint32_t server_ip = 0;
  int server_port = 0;
  std::string current_map;  // the running level, "-" when unknown
  std::string next_map;     // the next level of the rotation
  std::string idle_map;     // empty when none is set
  bool server_running = false;
  int64_t crash_time = 0;  // calendar seconds of the last crash, 0 when none
  bool punkbuster_installed = false;
  bool punkbuster_enabled = false;
};

// The values the summary takes from the game link and the player list.
struct ServerStatusLink {
  bool connected = false;
  const std::string* reply = nullptr;     // the fresh status reply; read only when connected
  std::optional<std::string> maxplayers;  // from the last reply, connected or not
  std::string team_scores;
  std::string team_counts;
};

// The nineteen fields, each followed by a comma (two after an enabled PunkBuster).
std::string FormatServerStatus(const ServerStatusFacts& facts, const ServerStatusLink& link);

// The summary as the Status page shows it: the server name after one blank, then one
// labelled line per field; `running` picks the page's icon.
struct StatusPageLines {
  std::array<std::string, kStatusFieldCount> lines;
  bool running = false;
};
// Splits a summary text into its labelled lines. False when the text has fewer fields;
// the lines up to the first missing field are filled.
bool SplitServerStatus(const std::string& text, StatusPageLines* page);

class StatusSummary {
 public:
  StatusSummary(EventLog& log, GameLink& link, const PlayerList& players);
  StatusSummary(const StatusSummary&) = delete;
  StatusSummary& operator=(const StatusSummary&) = delete;

  // Set while wiring the program, before any thread builds a summary.
  void SetFactsSource(std::function<ServerStatusFacts()> facts) { facts_ = std::move(facts); }
  void SetDebug(bool on) { debug_ = on; }

  // Builds the text; false with an empty text when connected and the status query failed.
  bool GetServerStatusString(std::string* text);
  // Keeps the text and its page lines for the Status page; false when fields are missing.
  bool ShowServerStatus(const std::string& text);
  // Builds and shows; what the ticks and start-up call.
  bool RefreshServerStatus();

  std::string ServerStatusText() const;
  StatusPageLines PageLines() const;

 private:
  EventLog& log_;
  GameLink& link_;
  const PlayerList& players_;
  // Fixed before the worker runs; read-only afterwards.
  std::function<ServerStatusFacts()> facts_;
  bool debug_ = false;
  // Guards the text shown last and its lines.
  mutable std::mutex mutex_;
  std::string shown_text_;
  StatusPageLines shown_lines_;
};

}  // namespace varnholt
