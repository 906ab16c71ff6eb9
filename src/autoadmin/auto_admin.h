// The automatic administration of players: the rules applied on every monitor tick (banned
// word in the name, minus score, high ping), the banned-words check of every chat line with
// its warnings, the repeat-offender count that turns a kick into a ban, and the periodic
// announcements. Kicks and bans are queued as the kick and ban Commands, which check when
// they run that the id still belongs to the same player; announcements of the rules are
// said at once, those of the chat check and the periodic ones are queued.
//
// Threads: everything runs on the worker thread (the monitor tick and the console exchanges
// that carry chat), except SetBannedWordsEdited, which the user-interface thread calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "autoadmin/announcement_picker.h"
#include "autoadmin/banned_words.h"
#include "autoadmin/player_counters.h"
#include "core/command_queue.h"
#include "core/game_link.h"
#include "gamelink/console_client.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"

namespace varnholt {

// The files this subsystem reads and writes, all in the settings folder.
struct AutoAdminFiles {
  std::string banned_words;   // BannedWords.con
  std::string kick_list;      // KickList.con
  std::string announcements;  // Announcements.con

  static AutoAdminFiles In(const std::string& settings_folder);
};

// State owned elsewhere, read when it is needed; any may be empty.
struct AutoAdminEnvironment {
  std::function<bool()> kick_ban_delay;  // the KickBanDelay option
  std::function<bool()> admin_messages;  // the AdminMessages option
  // Notifies every remote client; `data` goes with its terminating zero when `has_data`.
  std::function<void(uint32_t code, std::string_view data, bool has_data)> notify_clients;
  // Appends a mark to the ping the player list shows for this id (display only).
  std::function<void(int id, std::string_view mark)> mark_ping;
  // Auto-announce was switched off because its file could not be opened (the Admin page
  // clears its box).
  std::function<void()> auto_announce_disabled;
  bool debug = false;
};

// The prefix of every message the rules say to the players.
constexpr const char* kAutoAdminPrefix = "[VRNH]";
// Said after the last line of Announcements.con.
constexpr const char* kAnnouncementCredit = "*This server is managed by Varnholt v2.0";
// How long a queued kick or ban is awaited beyond its delay before the player is examined
// again.
constexpr int64_t kRemovalGraceSeconds = 5;

class AutoAdmin : public ChatSink {
 public:
  AutoAdmin(EventLog& log, const Clock& clock, GameLink& link, CommandQueue& queue,
            SettingsTable& settings, AutoAdminFiles files, AutoAdminEnvironment env);

  // Banned words (banned_words_file.cpp).
  bool LoadBannedWords();
  bool NameHasBannedWord(std::string_view name) const { return words_.NameHasBannedWord(name); }
  const BannedWordList& BannedWords() const { return words_; }
  // The operator began to edit BannedWords.con; the list is read again before the next chat
  // line is checked or at the next apply of the settings. Any thread.
  void SetBannedWordsEdited() { banned_words_edited_ = true; }
  bool BannedWordsEdited() const { return banned_words_edited_; }
  void ClearBannedWordsEdited() { banned_words_edited_ = false; }
  // When the file was edited: reloads it, notifies the clients and logs the update as the
  // operator's. True when it did.
  bool ReloadEditedBannedWords();

  // Repeat offenders (chat_check.cpp): true when this offence is to be a ban.
  bool KickListReached(std::string_view address, std::string_view keyhash);
  // One chat line (after the chat marker): warnings, then a kick or ban. False when the line
  // could not be examined (no list, no speaker).
  bool CheckChatLine(const std::string& line);

  // The monitor tick's work (player_rules.cpp, announcements.cpp).
  bool ApplyPlayerRules();
  bool AnnounceTick();

  // The in-game command parser that gets every chat line after the check.
  void SetChatCommandHandler(std::function<void(const std::string&)> handler) {
    chat_command_ = std::move(handler);
  }
  void SetDebug(bool on) { env_.debug = on; }
  const AutoAdminFiles& Files() const { return files_; }

  // ChatSink.
  void CheckChatWords(const std::string& chat) override { CheckChatLine(chat); }
  void ParseChatCommand(const std::string& chat) override {
    if (chat_command_) chat_command_(chat);
  }

 private:
  enum class Removal { kKick, kBan };
  // Says a rule's message to every player at once, through the console.
  void Announce(const std::string& text);
  // Queues the server-message Command with the text.
  void QueueServerMessage(const std::string& text);
  void Notify(uint32_t code, std::string_view data, bool has_data = true);
  // Queues the kick or permanent ban of `player` and marks him as on his way out.
  void QueueRemoval(const PlayerRecord& player, Removal removal, const char* reason);
  bool Delayed() const { return env_.kick_ban_delay && env_.kick_ban_delay(); }
  // True while a kick or ban queued for this player is awaited.
  bool RemovalPending(const PlayerCounts& counts) const;
  // The rules for one player; true when one of them removed him.
  bool ApplyNameRule(const PlayerRecord& p);
  bool ApplyScoreRule(const PlayerRecord& p);
  void ApplyPingRule(const PlayerRecord& p, PlayerCounts* counts);
  bool ReadAnnouncement(int line, std::string* text, bool* found);
  // The announcements file cannot be opened: auto-announce stays off until switched on.
  void DisableAutoAnnounce();

  EventLog& log_;
  const Clock& clock_;
  GameLink& link_;
  CommandQueue& queue_;
  SettingsTable& settings_;
  AutoAdminFiles files_;
  AutoAdminEnvironment env_;
  std::function<void(const std::string&)> chat_command_;

  // Worker thread only.
  BannedWordList words_;
  PlayerCounters counters_;
  uint32_t announce_ticks_ = 0;
  int announce_line_ = 1;
  // Set by the user-interface thread, taken by the worker.
  std::atomic<bool> banned_words_edited_{false};
};

}  // namespace varnholt
