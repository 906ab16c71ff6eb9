// The list of players on the running server and smart balance. Each rebuild joins the
// console's game.listPlayers (id, name, address, keyhash) with a status query (team, score,
// kills, deaths, ping) by exact player name, makes the team summary texts and switches the
// server's own auto-balance on or off when the team sizes drift apart or even out.
//
// The server is reached through the game link (core/game_link.h) handed to each rebuild.
//
// Threads: GetPlayerList, the smart-balance flag and the removals run on the worker thread;
// the Players page reads the rows from the user-interface thread. One mutex guards rows,
// summary texts and sort order and is held only while they are copied in or out, never
// across console or status traffic. Lookups return copies, so no buffer outlives the lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_link.h"
#include "gamelink/player_list_parse.h"
#include "log/event_log.h"
#include "settings/settings_table.h"

namespace varnholt {

// The columns the Players page can sort by; kNone keeps the order built.
enum class PlayerColumn {
  kNone,
  kName,
  kId,
  kTeam,
  kScore,
  kKills,
  kDeaths,
  kPing,
  kAddress,
  kKeyhash,
  kGuid
};

// More rows than a server can hold are not kept.
constexpr size_t kMaxPlayerRows = 256;
// Status indexes searched for a name; the reply's player count is one byte.
constexpr int kMaxStatusPlayers = 256;

class PlayerList {
 public:
  PlayerList(EventLog& log, const SettingsTable& settings);
  PlayerList(const PlayerList&) = delete;
  PlayerList& operator=(const PlayerList&) = delete;

  // -debug lines.
  void SetDebug(bool on) { debug_ = on; }
  // The AdminMessages option: smart-balance announcements go out as admin.serverMessage
  // when on, else as game.sayAll.
  void SetAdminMessages(bool on) { admin_messages_ = on; }
  // Replaces the console announcement (the text already carries its "[VRNH]" prefix).
  // Set while wiring the program, before the worker runs a rebuild.
  void SetAnnouncer(std::function<void(const std::string& text)> announce) {
    announce_ = std::move(announce);
  }

  // Rebuilds the list from the server, then runs smart balance and sorts. Failure leaves
  // the list empty or partly filled, with the last error set (13 for a reply that could not
  // be read, 1251 when the console is not connected).
  bool GetPlayerList(GameLink& link);

  // At a console disconnect: no rows, smart balance not engaged.
  void ClearOnDisconnect();
  // When the server stops, the summary texts are not known.
  void SetSummaryUnknown();

  // Copies for the pages and the per-player rules.
  std::vector<PlayerRecord> Rows() const;
  size_t RowCount() const;
  // "%d / %d / %d": players in team 2, in team 1, rows listed.
  std::string TeamCountsText() const;
  // "%d / %d / %d": score sums of team 2, of team 1, and both.
  std::string TeamScoresText() const;
  bool SmartBalanceEngaged() const { return smart_balance_engaged_.load(); }

  // Field of the row with this id; "[unknown]" when there is no such row (keyhash and GUID
  // also when the field is empty).
  std::string PlayerNameById(int id) const;
  std::string PlayerAddressById(int id) const;
  std::string PlayerKeyhashById(int id) const;
  std::string PlayerGuidById(int id) const;
  bool FindPlayerById(int id, PlayerRecord* record) const;

  // The id of the only row whose name contains `text`, ignoring case; -1 when no row or
  // more than one row matches. A search for players by part of their name.
  int FindPlayerByName(std::string_view text) const;
  // Every row whose name contains `text` (at most 32 characters), ignoring case, in list
  // order.
  std::vector<int> FindPlayersContaining(std::string_view text) const;
  // The id of the only row whose name is exactly `name` (letter case counts; both cut to
  // 31 characters); -1 when none or several match. This identifies a speaker or a ban target:
  // "bob" is not "Bob", and "Bob" is not "Bobby".
  int FindPlayerByExactName(std::string_view name) const;

  // Removes the row with this id (after a kick or ban); false when there is none.
  bool RemovePlayer(int id);
  // Appends a mark to the ping shown for this id (display only, gone at the next rebuild).
  bool MarkPing(int id, std::string_view mark);

  void SetSortOrder(PlayerColumn column, bool descending);

 private:
  struct Rebuild;
  static bool PunkBusterRuns(const StatusIndex& status);
  // Sets the GUIDs PunkBuster reports for the rows built.
  void FillGuids(GameLink& link, std::vector<PlayerRecord>* rows);
  bool ParseConsoleList(const std::string& response, const StatusIndex& status, int numplayers,
                        Rebuild* rebuild);
  void Publish(std::vector<PlayerRecord> rows);
  void Publish(std::vector<PlayerRecord> rows, std::string counts, std::string scores);
  void SmartBalance(GameLink& link, int team1, int team2);
  void Announce(GameLink& link, const std::string& text);
  void SortRows(std::vector<PlayerRecord>* rows) const;

  EventLog& log_;
  const SettingsTable& settings_;
  // Set by start-up or the options dialog (user-interface thread), read by the worker.
  std::atomic<bool> debug_{false};
  std::atomic<bool> admin_messages_{true};
  // Set by start-up before the worker rebuilds the list; read-only afterwards.
  std::function<void(const std::string&)> announce_;
  // Written by the worker's rebuilds, read by any thread.
  std::atomic<bool> smart_balance_engaged_{false};

  // Guards the rows, the summary texts and the sort order below: the worker publishes a
  // rebuild, the user-interface thread reads and sorts.
  mutable std::mutex mutex_;
  std::vector<PlayerRecord> rows_;
  std::string team_counts_text_;
  std::string team_scores_text_;
  PlayerColumn sort_column_ = PlayerColumn::kNone;
  bool sort_descending_ = false;
};

}  // namespace varnholt
