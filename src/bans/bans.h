// Kicks, bans, unbans, clearing every ban and lifting timed bans when they end. While the
// game server runs, identities are banned and unbanned through console commands on the game
// link; while it is stopped, through the server's own ban files. Every ban made is recorded
// in the BanList and ServerBanList.con.
//
// Threads: everything here runs on the worker thread, one Command at a time; the BanList it
// changes guards itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "bans/ban_list.h"
#include "bans/ban_record.h"
#include "core/command_queue.h"
#include "core/game_link.h"
#include "log/admin_log.h"
#include "log/event_log.h"
#include "platform/clock.h"

namespace varnholt {

// The files this subsystem reads and writes.
struct BanFiles {
  std::string server_ban_list;  // settings folder: ServerBanList.con, the program's record
  std::string ban_list_con;     // settings folder: BanList.con, the game server's list
  std::string pb_bans;          // game folder: pb/pbbans.dat, PunkBuster's list
  std::string banned_words;     // settings folder: BannedWords.con

  static BanFiles In(const std::string& game_folder, const std::string& settings_folder);
};

// State owned elsewhere, read when it is needed.
struct BanEnvironment {
  std::function<bool()> server_running;
  std::function<bool()> punkbuster_installed;
  std::function<bool()> punkbuster_enabled;  // the server reports sv_punkbuster
  std::function<bool()> server_internet;     // game.serverInternet
  std::function<bool()> ban_in_af_and_pb;    // manager.banInAFandPB
  // Notifies every remote client; `data` goes with its terminating zero when `has_data`.
  std::function<void(uint32_t code, std::string_view data, bool has_data)> notify_clients;
  bool debug = false;
};

// Longest ban accepted: a hundred years. Longer (or negative) durations are refused.
constexpr int64_t kMaxBanSeconds = int64_t{100} * 365 * 24 * 3600;

// Command texts. A delayed kick carries the player's name and keyhash after the reason, so
// that it can tell, when it runs, whether the id still belongs to the same player.
std::string KickText(int id, std::string_view reason, std::string_view name = {},
                     std::string_view keyhash = {});
std::string BanText(int id, std::string_view player, std::string_view address,
                    std::string_view keyhash, std::string_view guid, int64_t seconds,
                    std::string_view reason);
std::string UnbanText(std::string_view player, std::string_view address, std::string_view keyhash,
                      std::string_view guid);

// Kicks and bans raised in the game (automatic rules, the player menu, in-game commands) wait
// this long when the KickBanDelay option is on, so the players read the announcement first.
constexpr int kKickBanDelaySeconds = 12;

// Queues a kick or a ban of a connected player, with the delay when `delayed`. The kick text
// carries the player's name and keyhash, so that the delayed kick leaves alone whoever holds
// the id by then; the ban text carries every identity, and is banned by value if so.
bool QueueKick(CommandQueue& queue, const PlayerRecord& player, std::string_view reason,
               int32_t origin, bool delayed);
bool QueueBan(CommandQueue& queue, const PlayerRecord& player, int64_t seconds,
              std::string_view reason, int32_t origin, bool delayed);

class Bans {
 public:
  Bans(EventLog& log, const Clock& clock, GameLink& link, BanList& list, const AdminLog& admin_log,
       BanFiles files, BanEnvironment env);

  // The Commands; `user` and `host` name who ordered them. Each logs its own outcome and
  // returns false when the originator should hear of a failure.
  bool KickCommand(std::string_view text, const std::string& user, const std::string& host);
  bool BanCommand(std::string_view text, const std::string& user, const std::string& host);
  bool UnbanCommand(std::string_view text, const std::string& user, const std::string& host);
  bool ClearCommand(const std::string& user, const std::string& host);
  void BanPlayerNameCommand(std::string_view name, const std::string& user,
                            const std::string& host);

  // Bans the identities of `record` (with `id` the game's player id, or -1).
  bool BanPlayer(const BanRecord& record, int id);
  // Lifts the bans on the identities; `player` is only for the messages.
  bool UnbanPlayer(const std::string& player, const std::string& address,
                   const std::string& keyhash, const std::string& guid);
  // Lifts every timed ban whose end has come. An identity that another live ban still
  // covers stays banned on the server.
  bool ExpireTimedBans();

  // Keeping the program's list and the server's ban files in step (ban_sync.cpp). Each
  // reads the files afresh; the writers replace their target whole only after the source
  // was read whole, so a failure in the middle leaves the old file.
  // True when every identity of ServerBanList.con is banned in the server's files.
  bool ListFoundInServerFiles();
  // True when every identity banned in the server's files is in ServerBanList.con.
  bool ServerFilesFoundInList();
  // Both directions; the second runs only when the first agreed.
  bool VerifyBanListSync();
  // Replaces the server's ban files with the identities of ServerBanList.con. Refused
  // while the server runs: it rewrites its files itself.
  bool SyncToServer();
  // Replaces ServerBanList.con and the BanList with the bans of the server's files.
  bool SyncFromServer();
  // The ban page's export and import: import replaces the list in memory and marks it for
  // the next apply; refresh reads ServerBanList.con again; apply saves a changed list.
  bool ExportBanList(const std::string& path);
  bool ImportBanList(const std::string& path);
  bool RefreshBanList();
  bool ApplyBanList();

  const BanFiles& Files() const { return files_; }
  void SetDebug(bool on) { env_.debug = on; }

 private:
  struct Identities {
    std::string address;
    std::string keyhash;
    std::string guid;
  };
  // Removes the server's bans on the identities; `removed` gets those that are gone.
  bool RemoveIdentities(const Identities& ids, Identities* removed);
  // One identity: by console command while the server runs, else from its file.
  bool RemoveIdentity(const char* shown, const char* failed, const std::string& value,
                      const std::string& command, const std::string& path,
                      const std::function<bool(std::string_view)>& line_bans);
  // Clears the removed identities from the records `applies` selects (every record when it
  // is empty) and drops records left without one. True when something changed.
  bool ForgetIdentities(const Identities& removed,
                        const std::function<bool(const BanRecord&)>& applies);
  bool BanWhileRunning(const BanRecord& record, int id, Identities* banned, bool* on_server);
  void BanInFiles(const BanRecord& record, Identities* banned);
  bool AppendBanFileLine(const std::string& path, const std::string& line, const char* kind,
                         const std::string& value, const char* open_failure);
  bool Run(const std::string& command) { return link_.RunConsoleCommand(command); }
  std::string CurrentMap();
  void Notify(uint32_t code, std::string_view data, bool has_data);

  EventLog& log_;
  const Clock& clock_;
  GameLink& link_;
  BanList& list_;
  const AdminLog& admin_log_;
  BanFiles files_;
  BanEnvironment env_;
};

}  // namespace varnholt
