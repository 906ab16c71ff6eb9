#include "bans/bans.h"

#include <climits>
#include <cstdlib>

#include "bans/ban_file_format.h"
#include "bans/ban_file_io.h"
#include "bans/server_ban_files.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "schedule/time_conversions.h"

namespace varnholt {
namespace {

constexpr const char* kUnknown = "[unknown]";
constexpr char kFieldEnd = '\xFF';
constexpr size_t kCommandTextMax = kCommandTextSize - 1;  // what a queued Command holds

// An identity goes into a console command as one word: a line break or blank in it would
// start another command or argument.
std::string ConsoleWord(std::string_view text, size_t width) {
  size_t end = 0;
  while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ' && text[end] != '\x7F') {
    ++end;
  }
  return std::string(text.substr(0, std::min(end, width - 1)));
}

// Free text in a console command stays on its line.
std::string ConsoleText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

std::string KnownIdentity(std::string_view text, size_t width) {
  if (SameIdentity(text, kUnknown) || text == "*") return std::string();
  return ConsoleWord(text, width);
}

std::string OrUnknown(const std::string& text) {
  return text.empty() ? std::string(kUnknown) : text;
}

bool ParseInt(std::string_view text, int64_t min, int64_t max, int64_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == text.size() || text.size() - i > 18) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v < min || v > max) return false;
  *value = v;
  return true;
}

std::string Piece(const std::vector<std::string_view>& pieces, size_t i) {
  return i < pieces.size() ? std::string(pieces[i]) : std::string();
}

}  // namespace

BanFiles BanFiles::In(const std::string& game_folder, const std::string& settings_folder) {
  BanFiles f;
  f.server_ban_list = JoinPath(settings_folder, "ServerBanList.con");
  f.ban_list_con = FindPathNoCase(settings_folder, "BanList.con");
  f.pb_bans = FindPathNoCase(game_folder, "pb/pbbans.dat");
  f.banned_words = FindPathNoCase(settings_folder, "BannedWords.con");
  return f;
}

std::string KickText(int id, std::string_view reason, std::string_view name,
                     std::string_view keyhash) {
  std::string tail;
  if (!name.empty()) {
    tail += kFieldEnd;
    tail += std::string(name.substr(0, kBanPlayerWidth - 1)) + kFieldEnd;
    tail += (keyhash.empty() ? std::string(kUnknown)
                             : std::string(keyhash.substr(0, kBanKeyhashWidth - 1))) +
            kFieldEnd;
  }
  std::string text = std::to_string(id) + ",";
  // The reason gives way so that the whole text fits a Command and the check stays whole.
  const size_t room = kCommandTextMax - std::min(kCommandTextMax, text.size() + 1 + tail.size());
  for (char c : reason.substr(0, room)) text += c == ',' ? ';' : c;
  return text + "," + tail;
}

std::string BanText(int id, std::string_view player, std::string_view address,
                    std::string_view keyhash, std::string_view guid, int64_t seconds,
                    std::string_view reason) {
  std::string text;
  auto add = [&text](std::string_view field, const char* missing) {
    text += field.empty() ? std::string(missing) : std::string(field);
    text += kFieldEnd;
  };
  add(std::to_string(id), kUnknown);
  add(player.substr(0, kBanPlayerWidth - 1), kUnknown);
  add(address.substr(0, kBanAddressWidth - 1), kUnknown);
  add(keyhash.substr(0, kBanKeyhashWidth - 1), kUnknown);
  add(guid.substr(0, kBanGuidWidth - 1), kUnknown);
  add(std::to_string(seconds), kUnknown);
  add(reason.substr(0, kBanReasonWidth - 1), "unknown reason");
  return text;
}

bool QueueKick(CommandQueue& queue, const PlayerRecord& player, std::string_view reason,
               int32_t origin, bool delayed) {
  return queue.QueueCommand(kCmdKick, KickText(player.id, reason, player.name, player.keyhash),
                            origin, delayed ? kKickBanDelaySeconds : 0);
}

bool QueueBan(CommandQueue& queue, const PlayerRecord& player, int64_t seconds,
              std::string_view reason, int32_t origin, bool delayed) {
  return queue.QueueCommand(
      kCmdBan,
      BanText(player.id, player.name, player.address, player.keyhash, player.guid, seconds, reason),
      origin, delayed ? kKickBanDelaySeconds : 0);
}

std::string UnbanText(std::string_view player, std::string_view address, std::string_view keyhash,
                      std::string_view guid) {
  auto known = [](std::string_view s) {
    return s.empty() ? std::string(kUnknown) : std::string(s);
  };
  return known(player) + "," + known(address) + "," + known(keyhash) + "," + known(guid);
}

Bans::Bans(EventLog& log, const Clock& clock, GameLink& link, BanList& list,
           const AdminLog& admin_log, BanFiles files, BanEnvironment env)
    : log_(log),
      clock_(clock),
      link_(link),
      list_(list),
      admin_log_(admin_log),
      files_(std::move(files)),
      env_(std::move(env)) {}

void Bans::Notify(uint32_t code, std::string_view data, bool has_data) {
  if (env_.notify_clients) env_.notify_clients(code, data, has_data);
}

std::string Bans::CurrentMap() {
  std::string map;
  if (!link_.GetQueryValue("mapname", &map)) map.clear();
  return map;
}

// ---- Kick ----

bool Bans::KickCommand(std::string_view text, const std::string& user, const std::string& host) {
  // "id,reason," and, from a delayed kick, the name and keyhash it was meant for.
  size_t extra = text.find(kFieldEnd);
  std::vector<std::string_view> pieces = SplitCollapsing(text.substr(0, extra), ",");
  std::vector<std::string_view> expected;
  if (extra != std::string_view::npos) {
    expected = SplitCollapsing(text.substr(extra), std::string_view(&kFieldEnd, 1));
  }
  int64_t id = -1;
  if (pieces.empty() || !ParseInt(pieces[0], 0, INT_MAX, &id)) {
    log_.LogMessage(kSoundNone, "Couldn't kick player %s! The command failed.",
                    expected.empty() ? kUnknown : std::string(expected[0]).c_str());
    return false;
  }
  const std::string reason = Piece(pieces, 1);
  PlayerRecord p;
  const bool found = link_.FindPlayerById(static_cast<int>(id), &p);
  if (!expected.empty()) {
    const std::string name(expected[0]);
    const std::string keyhash = expected.size() > 1 ? std::string(expected[1]) : std::string();
    const bool keys_differ = !KnownIdentity(keyhash, kBanKeyhashWidth).empty() &&
                             !p.keyhash.empty() && !SameIdentity(p.keyhash, keyhash);
    if (!found || !SameIdentity(p.name, name) || keys_differ) {
      log_.LogMessage(kSoundNone, "Couldn't kick player %s! Player id %i is no longer that player.",
                      name.c_str(), static_cast<int>(id));
      return false;
    }
  }
  const std::string name = found ? OrUnknown(p.name) : kUnknown;
  const std::string address = found ? OrUnknown(p.address) : kUnknown;
  const std::string keyhash = found ? OrUnknown(p.keyhash) : kUnknown;
  const std::string guid = found ? OrUnknown(p.guid) : kUnknown;
  if (env_.debug) log_.LogMessage(kSoundNone, "DEBUG: Kicked player id %i.", static_cast<int>(id));
  std::string command = env_.punkbuster_enabled()
                            ? "pb_sv_kick " + std::to_string(id + 1) + " 1 " + ConsoleText(reason)
                            : "admin.kickPlayer " + std::to_string(id);
  if (!Run(command)) {
    log_.LogMessage(kSoundNone, "Couldn't kick player %s! The command failed.", name.c_str());
    return false;
  }
  log_.LogMessage(kSoundNone, "User %s at %s kicked player %s (%s) at %s for %s.", user.c_str(),
                  host.c_str(), name.c_str(), keyhash.c_str(), address.c_str(), reason.c_str());
  AdminLogRecord entry{name,         address, keyhash, guid,  user, clock_.CalendarSeconds(),
                       CurrentMap(), "kick",  0,       reason};
  admin_log_.WriteAdminLog(entry);
  Notify(kNotifyPlayerKicked, name, true);
  link_.RemovePlayer(static_cast<int>(id));
  return true;
}

// ---- Ban ----

bool Bans::BanCommand(std::string_view text, const std::string& user, const std::string& host) {
  std::vector<std::string_view> f = SplitCollapsing(text, std::string_view(&kFieldEnd, 1));
  const std::string player = f.size() > 1 ? std::string(f[1]) : std::string(kUnknown);
  int64_t id = 0;
  int64_t seconds = 0;
  const int64_t now = clock_.CalendarSeconds();
  if (f.size() < 7 || !ParseInt(f[0], -1, INT_MAX, &id) ||
      !ParseInt(f[5], 0, kMaxBanSeconds, &seconds)) {
    log_.LogMessage(kSoundNone, "Couldn't ban player %s! The command failed.", player.c_str());
    return false;
  }
  if (env_.debug) log_.LogMessage(kSoundNone, "DEBUG: Banned player id %i.", static_cast<int>(id));
  BanRecord record{player,
                   std::string(f[2]),
                   std::string(f[3]),
                   std::string(f[4]),
                   user,
                   now,
                   seconds != 0 ? now + seconds : 0,
                   std::string(f[6])};
  if (!BanPlayer(record, static_cast<int>(id))) {
    log_.LogMessage(kSoundNone, "Couldn't ban player %s! The command failed.", player.c_str());
    return false;
  }
  if (record.expires != 0) {
    log_.LogMessage(kSoundNone, "User %s at %s banned player %s (%s) until %s for %s.",
                    user.c_str(), host.c_str(), player.c_str(), record.keyhash.c_str(),
                    ExpiresText(record.expires).c_str(), record.reason.c_str());
  } else {
    log_.LogMessage(kSoundNone, "User %s at %s banned player %s (%s) permanently for %s.",
                    user.c_str(), host.c_str(), player.c_str(), record.keyhash.c_str(),
                    record.reason.c_str());
  }
  AdminLogRecord entry{player, record.address, record.keyhash, record.guid,    user,
                       now,    CurrentMap(),   "ban",          record.expires, record.reason};
  admin_log_.WriteAdminLog(entry);
  Notify(kNotifyPlayerBanned, player, true);
  Notify(kNotifyBanListChanged, {}, false);
  return true;
}

bool Bans::BanPlayer(const BanRecord& record, int id) {
  Identities ids{KnownIdentity(record.address, kBanAddressWidth),
                 KnownIdentity(record.keyhash, kBanKeyhashWidth),
                 KnownIdentity(record.guid, kBanGuidWidth)};
  if (ids.address.empty() && ids.keyhash.empty() && ids.guid.empty()) return false;
  BanRecord wanted = record;
  wanted.address = ids.address;
  wanted.keyhash = ids.keyhash;
  wanted.guid = ids.guid;
  Identities banned;
  bool on_server = false;
  if (env_.server_running()) {
    if (!link_.ConsoleConnected()) {
      log_.LogMessage(kSoundNone,
                      "Couldn't ban player %s! Varnholt is not connected to the server. Try "
                      "again later.",
                      record.player.c_str());
      return false;
    }
    BanWhileRunning(wanted, id, &banned, &on_server);
  } else {
    BanInFiles(wanted, &banned);
  }
  if (env_.punkbuster_enabled()) Run("pb_sv_updbanfile");  // result ignored
  if (banned.address.empty() && banned.keyhash.empty() && banned.guid.empty()) return false;

  BanRecord stored = record;
  stored.address = banned.address;
  stored.keyhash = banned.keyhash;
  stored.guid = banned.guid;
  if (!AppendToFile(files_.server_ban_list, FormatBanLine(stored))) {
    uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open banlist file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  list_.Append(stored);
  // Only the player who was banned by id leaves the list; an id now held by someone else
  // stays.
  if (on_server) link_.RemovePlayer(id);
  return true;
}

bool Bans::BanWhileRunning(const BanRecord& r, int id, Identities* banned, bool* on_server) {
  PlayerRecord p;
  const bool found = id != -1 && link_.FindPlayerById(id, &p);
  const std::string list_key = KnownIdentity(p.keyhash, kBanKeyhashWidth);
  const bool same_player =
      found && SameIdentity(p.name, r.player) &&
      (r.keyhash.empty() || list_key.empty() || SameIdentity(list_key, r.keyhash));
  if (!same_player) {
    if (!r.address.empty()) {
      if (Run("admin.addAddressToBanList " + r.address)) {
        log_.LogMessage(kSoundNone, "Ban added on address %s.", r.address.c_str());
        banned->address = r.address;
      } else {
        log_.LogMessage(kSoundNone, "Couldn't ban address %s! The command failed.",
                        r.address.c_str());
      }
    }
    if (!r.keyhash.empty()) {
      if (Run("admin.addKeyToBanList " + r.keyhash)) {
        log_.LogMessage(kSoundNone, "Ban added on keyhash %s.", r.keyhash.c_str());
        banned->keyhash = r.keyhash;
      } else {
        log_.LogMessage(kSoundNone, "Couldn't ban keyhash %s! The command failed.",
                        r.keyhash.c_str());
      }
    }
  } else {
    *on_server = true;
    const std::string address =
        r.address.empty() ? KnownIdentity(p.address, kBanAddressWidth) : r.address;
    const bool internet = env_.server_internet();
    const std::string key = r.keyhash.empty() ? list_key : r.keyhash;
    if (Run((internet ? "admin.banPlayerKey " : "admin.banPlayer ") + std::to_string(id))) {
      // A player without a CD key is banned on his address even on an Internet server.
      if (internet && !key.empty()) {
        log_.LogMessage(kSoundNone, "Ban added on keyhash %s.", key.c_str());
        banned->keyhash = key;
      } else {
        log_.LogMessage(kSoundNone, "Ban added on address %s.", address.c_str());
        banned->address = address;
      }
    } else {
      log_.LogMessage(kSoundNone, "Couldn't ban player %s! The command failed.", r.player.c_str());
    }
  }
  if (!r.guid.empty() && env_.ban_in_af_and_pb()) {
    if (!env_.punkbuster_enabled()) {
      log_.LogMessage(kSoundNone, "Couldn't ban guid %s! PunkBuster is not enabled.",
                      r.guid.c_str());
    } else if (Run("pb_sv_banguid " + r.guid)) {
      log_.LogMessage(kSoundNone, "Ban added on GUID %s.", r.guid.c_str());
      banned->guid = r.guid;
    } else {
      log_.LogMessage(kSoundNone, "Couldn't ban guid %s! The command failed.", r.guid.c_str());
    }
  }
  return true;
}

bool Bans::AppendBanFileLine(const std::string& path, const std::string& line, const char* kind,
                             const std::string& value, const char* open_failure) {
  if (AppendToFile(path, line)) return true;
  const uint32_t error = GetLastErrorCode();
  log_.LogMessage(kSoundNone, open_failure, ErrorText(error));
  log_.LogMessage(kSoundNone, "Couldn't ban %s %s! %s", kind, value.c_str(), ErrorText(error));
  SetLastErrorCode(error);
  return false;
}

void Bans::BanInFiles(const BanRecord& r, Identities* banned) {
  if (!r.address.empty() &&
      AppendBanFileLine(files_.ban_list_con, AddressBanLine(r.address), "address", r.address,
                        "Couldn't open server banlist file! %s")) {
    log_.LogMessage(kSoundNone, "Ban added on address %s.", r.address.c_str());
    banned->address = r.address;
  }
  if (!r.keyhash.empty() && AppendBanFileLine(files_.ban_list_con, KeyBanLine(r.keyhash), "keyhash",
                                              r.keyhash, "Couldn't open server banlist file! %s")) {
    log_.LogMessage(kSoundNone, "Ban added on keyhash %s.", r.keyhash.c_str());
    banned->keyhash = r.keyhash;
  }
  if (r.guid.empty()) return;
  if (!env_.punkbuster_installed()) {
    log_.LogMessage(kSoundNone, "Couldn't ban guid %s! PunkBuster is not installed.",
                    r.guid.c_str());
    return;
  }
  const int64_t now = clock_.CalendarSeconds();
  CalendarFields local;
  if (!SecondsToLocalFields(now, &local)) local = SecondsToUtcFields(now);
  if (AppendBanFileLine(files_.pb_bans, GuidBanEntry(local, r.guid), "guid", r.guid,
                        "Couldn't open PB banlist file! %s")) {
    log_.LogMessage(kSoundNone, "Ban added on GUID %s.", r.guid.c_str());
    banned->guid = r.guid;
  }
}

}  // namespace varnholt
