// Unbans, timed-ban expiry, clearing every ban and banning player names.
#include <unordered_set>

#include "bans/ban_file_format.h"
#include "bans/ban_file_io.h"
#include "bans/bans.h"
#include "bans/server_ban_files.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

std::string Known(std::string_view text, size_t width) {
  if (SameIdentity(text, "[unknown]") || text == "*") return std::string();
  size_t end = 0;
  while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ' && text[end] != '\x7F') {
    ++end;
  }
  return std::string(text.substr(0, std::min(end, width - 1)));
}

}  // namespace

bool Bans::UnbanCommand(std::string_view text, const std::string& user, const std::string& host) {
  std::vector<std::string_view> f = SplitCollapsing(text, ",");
  auto piece = [&f](size_t i) { return i < f.size() ? std::string(f[i]) : std::string(); };
  const std::string player = piece(0);
  const std::string keyhash = piece(2);
  if (Known(piece(1), kBanAddressWidth).empty() && Known(keyhash, kBanKeyhashWidth).empty() &&
      Known(piece(3), kBanGuidWidth).empty()) {
    log_.LogMessage(kSoundNone, "Couldn't unban player %s! No address, keyhash or GUID was given.",
                    player.c_str());
    return false;
  }
  if (!UnbanPlayer(player, piece(1), keyhash, piece(3))) return false;
  log_.LogMessage(kSoundNone, "User %s at %s removed ban on player %s (%s).", user.c_str(),
                  host.c_str(), player.c_str(), keyhash.c_str());
  Notify(kNotifyBanRemoved, player, true);
  Notify(kNotifyBanListChanged, {}, false);
  return true;
}

bool Bans::RemoveIdentity(const char* shown, const char* failed, const std::string& value,
                          const std::string& command, const std::string& path,
                          const std::function<bool(std::string_view)>& line_bans) {
  if (env_.server_running()) {
    if (Run(command)) {
      log_.LogMessage(kSoundNone, "Ban removed on %s %s.", shown, value.c_str());
      return true;
    }
    log_.LogMessage(kSoundNone, "Couldn't unban %s %s! The command failed.", failed, value.c_str());
    return false;
  }
  if (RemoveMatchingLines(path, line_bans)) {
    log_.LogMessage(kSoundNone, "Ban removed on %s %s.", shown, value.c_str());
    return true;
  }
  const uint32_t error = GetLastErrorCode();
  log_.LogMessage(kSoundNone, "Couldn't unban %s %s! %s", failed, value.c_str(), ErrorText(error));
  SetLastErrorCode(error);
  return false;
}

bool Bans::RemoveIdentities(const Identities& ids, Identities* removed) {
  bool ok = true;
  if (!ids.address.empty()) {
    const std::string& a = ids.address;
    if (RemoveIdentity("address", "address", a, "admin.removeAddressFromBanList " + a,
                       files_.ban_list_con,
                       [&a](std::string_view line) { return BansAddress(line, a); })) {
      removed->address = a;
    } else {
      ok = false;
    }
  }
  if (!ids.keyhash.empty()) {
    const std::string& k = ids.keyhash;
    if (RemoveIdentity("keyhash", "keyhash", k, "admin.removeKeyFromBanList " + k,
                       files_.ban_list_con,
                       [&k](std::string_view line) { return BansKey(line, k); })) {
      removed->keyhash = k;
    } else {
      ok = false;
    }
  }
  if (!ids.guid.empty()) {
    const std::string& g = ids.guid;
    if (env_.server_running() && !env_.punkbuster_enabled()) {
      log_.LogMessage(kSoundNone, "Couldn't unban guid %s! PunkBuster is not enabled.", g.c_str());
      ok = false;
    } else if (RemoveIdentity("GUID", "guid", g, "pb_sv_unbanguid " + g, files_.pb_bans,
                              [&g](std::string_view line) { return BansGuid(line, g); })) {
      removed->guid = g;
    } else {
      ok = false;
    }
  }
  if (env_.punkbuster_enabled()) Run("pb_sv_updbanfile");
  return ok;
}

bool Bans::ForgetIdentities(const Identities& removed,
                            const std::function<bool(const BanRecord&)>& applies) {
  bool changed = false;
  list_.Update([&](std::vector<BanRecord>& records) {
    auto clear = [&changed](std::string& field, const std::string& gone) {
      if (!gone.empty() && !field.empty() && SameIdentity(field, gone)) {
        field.clear();
        changed = true;
      }
    };
    for (BanRecord& r : records) {
      if (applies && !applies(r)) continue;
      clear(r.address, removed.address);
      clear(r.keyhash, removed.keyhash);
      clear(r.guid, removed.guid);
    }
    std::erase_if(records, [](const BanRecord& r) { return !r.HasIdentity(); });
  });
  return changed;
}

bool Bans::UnbanPlayer(const std::string& /*player*/, const std::string& address,
                       const std::string& keyhash, const std::string& guid) {
  Identities ids{Known(address, kBanAddressWidth), Known(keyhash, kBanKeyhashWidth),
                 Known(guid, kBanGuidWidth)};
  if (ids.address.empty() && ids.keyhash.empty() && ids.guid.empty()) {
    ClearLastError();
    return false;
  }
  Identities removed;
  const bool ok = RemoveIdentities(ids, &removed);
  const uint32_t error = GetLastErrorCode();
  ForgetIdentities(removed, nullptr);
  if (list_.SaveBanList(files_.server_ban_list)) list_.SetDirty(false);
  SetLastErrorCode(error);
  return ok;
}

bool Bans::ExpireTimedBans() {
  if (!link_.ConsoleConnected()) return false;
  if (FileSize(files_.server_ban_list) <= 0) return true;
  // Read whole before anything is lifted: lifting rewrites the file.
  std::string text;
  if (!ReadBanFile(log_, files_.server_ban_list, &text, "Couldn't open banlist file! %s",
                   "Couldn't read banlist file! %s")) {
    return false;
  }
  const int64_t now = clock_.CalendarSeconds();
  // What live bans still hold (permanent or not yet ended) is never lifted. Only the ended
  // lines become records; the sets are views into the text and into those records.
  std::string storage;
  const std::string_view clean = WithoutCarriageReturns(text, &storage);
  BanIdentities live;
  live.addresses.reserve(clean.size() / 100 + 16);
  live.keys.reserve(clean.size() / 100 + 16);
  std::vector<BanRecord> records;  // the ended ones
  ForEachBanFileLine(clean, [&](std::string_view line) {
    std::string_view f[8];
    if (!SplitBanLine(line, f)) return;
    const int64_t expires = ParseBanTime(f[6]);
    if (expires == 0 || expires > now) {
      live.addresses.insert(f[1]);
      live.keys.insert(f[2]);
      live.guids.insert(f[3]);
    } else {
      BanRecord r;
      if (ParseBanLine(line, &r)) records.push_back(std::move(r));
    }
  });
  if (records.empty()) return true;

  BanIdentities lifted;
  auto take = [](const std::string& value, const IdentitySet& live_set, const IdentitySet& done) {
    return !value.empty() && !live_set.count(value) && !done.count(value) ? value : std::string();
  };
  for (const BanRecord& r : records) {
    Identities ids{take(r.address, live.addresses, lifted.addresses),
                   take(r.keyhash, live.keys, lifted.keys), take(r.guid, live.guids, lifted.guids)};
    Identities removed;
    bool ok = true;
    if (!ids.address.empty() || !ids.keyhash.empty() || !ids.guid.empty()) {
      ok = RemoveIdentities(ids, &removed);
    }
    if (!removed.address.empty()) lifted.addresses.insert(r.address);
    if (!removed.keyhash.empty()) lifted.keys.insert(r.keyhash);
    if (!removed.guid.empty()) lifted.guids.insert(r.guid);
    if (ok) {
      log_.LogMessage(kSoundNone, "Removed timed-ban on player %s (%s), the ban has expired.",
                      r.player.c_str(), r.keyhash.c_str());
    }
  }
  // Ended records let go of what was lifted and of what a live ban still covers; a record
  // whose lift failed keeps that identity and its expiry, and is tried again next time.
  list_.Update([&](std::vector<BanRecord>& list) {
    auto settle = [](std::string& field, const IdentitySet& a, const IdentitySet& b) {
      if (!field.empty() && (a.count(field) || b.count(field))) field.clear();
    };
    for (BanRecord& r : list) {
      if (r.LiveAt(now)) continue;
      settle(r.address, lifted.addresses, live.addresses);
      settle(r.keyhash, lifted.keys, live.keys);
      settle(r.guid, lifted.guids, live.guids);
    }
    std::erase_if(list, [](const BanRecord& r) { return !r.HasIdentity(); });
  });
  // Saved even when the list did not change: the file may hold ended bans the list never
  // had (a file replaced by hand or by a client), and they must not be lifted again.
  if (list_.SaveBanList(files_.server_ban_list)) list_.SetDirty(false);
  return true;
}

bool Bans::ClearCommand(const std::string& user, const std::string& host) {
  const bool running = env_.server_running();
  if (running && !Run("admin.clearBanList")) {
    log_.LogMessage(kSoundNone, "Couldn't clear server banlist! The command failed.");
    return false;
  }
  if (running && env_.punkbuster_enabled() && env_.ban_in_af_and_pb() && !Run("pb_sv_banempty")) {
    log_.LogMessage(kSoundNone, "Couldn't clear PunkBuster banlist! The command failed.");
  }
  list_.Clear();
  list_.SetDirty(false);
  // Emptied by replacing, so a failure leaves the old file whole; each failure is logged.
  auto empty = [this](const std::string& path) {
    if (WriteWholeFile(path, "")) return;
    log_.LogMessage(kSoundNone, "Couldn't clear %s! %s", path.c_str(),
                    ErrorText(GetLastErrorCode()));
  };
  empty(files_.server_ban_list);
  if (!running && FileExists(files_.ban_list_con)) empty(files_.ban_list_con);
  if (env_.punkbuster_installed() && FileExists(files_.pb_bans)) empty(files_.pb_bans);
  log_.LogMessage(kSoundNone, "User %s at %s cleared the banlist.", user.c_str(), host.c_str());
  Notify(kNotifyBanListCleared, {}, false);
  return true;
}

void Bans::BanPlayerNameCommand(std::string_view name, const std::string& user,
                                const std::string& host) {
  std::string clean;
  for (char c : name) {
    if (c != '\r' && c != '\n') clean += c;
  }
  if (clean.empty()) {
    // "$" alone would match every name.
    log_.LogMessage(kSoundNone, "Couldn't ban player name! The name is empty.");
    return;
  }
  std::string text;
  std::string line = "$" + clean + "\n";
  if (ReadWholeFile(files_.banned_words, &text, kMaxBanFileBytes) && !text.empty() &&
      text.back() != '\n') {
    line = "\n" + line;  // the last word must not run into the new one
  }
  if (!AppendToFile(files_.banned_words, line)) {
    log_.LogMessage(kSoundNone, "Couldn't ban player name %s! %s", clean.c_str(),
                    ErrorText(GetLastErrorCode()));
    return;
  }
  log_.LogMessage(kSoundNone, "User %s at %s banned player name %s.", user.c_str(), host.c_str(),
                  clean.c_str());
  Notify(kNotifyPlayerNameBanned, clean, true);
}

}  // namespace varnholt
