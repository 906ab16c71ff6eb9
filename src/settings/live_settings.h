// The live settings exchange with the running server: reading the values the server can
// change at run time back into the settings table right after a console connection, and
// pushing the rows that differ from the snapshot after a change. Both run on the worker
// thread; the table's own lock is taken only to copy values in and out.
//
// The server is reached through the game link (core/game_link.h), which the program hands in.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_link.h"
#include "log/event_log.h"
#include "settings/settings_table.h"

namespace varnholt {

// Keys of the status reply that stand for rows the console cannot be asked for.
constexpr const char* kQueryRoundsKey = "Number Of Rounds";
constexpr const char* kQueryTicketRatioKey = "Ticket Ratio";

// The rows read back over the console, in table order (29 with the current table).
const std::vector<int>& ReadBackRows();

// The read-back request: the bare console key of every read-back row, each ending in a
// line feed.
std::string BuildReadSettingsRequest();

// The answers in a read-back response, one per line: a line feed ends each answer, carriage
// returns are dropped, and an empty line stays an empty answer so that later answers keep
// their rows. Text after the last line feed is one more answer; a response without any line
// feed is a single answer.
std::vector<std::string> SplitReadBackAnswers(std::string_view response);

// Stores one answer per read-back row into `values`. Fails, storing nothing, unless there
// are exactly as many answers as rows. An empty answer leaves its row as it was; numbers are
// kept inside the row's bounds, and a Choice that is not a code of the list is ignored.
bool StoreReadBackAnswers(const std::vector<std::string>& answers, SettingValues* values);

// Stores a status reply value (a decimal integer) into a row, kept inside its bounds.
void StoreQueryValue(int row, std::string_view text, SettingValues* values);

// The push request: the console form of every row the server takes live that differs from
// the snapshot, each ending in a line feed, in table order. Empty when nothing differs.
std::string BuildApplySettingsRequest(const SettingValues& values,
                                      const SettingsSnapshot& snapshot);

class LiveSettings {
 public:
  LiveSettings(SettingsTable& table, GameLink& link);
  LiveSettings(const LiveSettings&) = delete;
  LiveSettings& operator=(const LiveSettings&) = delete;

  // Called after the table was changed from the server, to show the new values.
  void SetPagesRefresh(std::function<void()> refresh) { refresh_pages_ = std::move(refresh); }

  // Reads the live values back (and the two that only the status reply holds), then takes
  // the snapshot. Fails when the console is not connected, no response came or the answers
  // do not match the request; the table and snapshot are then unchanged.
  bool ReadSettingsFromServer();
  // Sends the changed rows in one exchange (none at all when nothing changed) and moves the
  // snapshot to what was sent. Fails when the console is not connected or no response came.
  bool ApplySettingsToServer();

 private:
  SettingsTable& table_;
  GameLink& link_;
  // Set by start-up before the worker reads settings back; called on the worker.
  std::function<void()> refresh_pages_;
};

}  // namespace varnholt
