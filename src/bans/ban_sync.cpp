// The program's ban list against the server's own ban files: verification both ways with
// sets of whole identities, and replacing one side by the other.
#include "bans/ban_file_format.h"
#include "bans/ban_file_io.h"
#include "bans/bans.h"
#include "bans/server_ban_files.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "schedule/time_conversions.h"

namespace varnholt {
namespace {

constexpr const char* kOpenList = "Couldn't open banlist file! %s";
constexpr const char* kReadList = "Couldn't read banlist file! %s";
constexpr const char* kOpenServer = "Couldn't open server banlist file! %s";
constexpr const char* kReadServer = "Couldn't read server banlist file! %s";
constexpr const char* kOpenPb = "Couldn't open PunkBuster banlist file! %s";
constexpr const char* kReadPb = "Couldn't read PunkBuster banlist file! %s";

// The three files as verification reads them: each at most once, and only when needed.
// The identity sets are views into the texts kept here.
struct SyncFiles {
  bool list_read = false;
  std::string list_storage;
  std::string list_clean;
  BanIdentities list;
  bool list_found = false;  // every list identity is in the server's files
  bool con_read = false;
  std::string con_text;
  BanIdentities con;
  bool pb_read = false;
  std::string pb_text;
  BanIdentities pb;
};

// The identities of the ServerBanList.con lines the list itself would load (all eight
// fields), so a line the list skips cannot make the two sides disagree.
bool ReadListFile(EventLog& log, const std::string& path, SyncFiles* f) {
  if (f->list_read) return true;
  if (!ReadBanFile(log, path, &f->list_storage, kOpenList, kReadList)) return false;
  std::string_view text = WithoutCarriageReturns(f->list_storage, &f->list_clean);
  const size_t expected = text.size() / 100 + 16;  // lines are rarely shorter
  f->list.addresses.reserve(expected);
  f->list.keys.reserve(expected);
  f->list.guids.reserve(expected / 4);
  ForEachBanFileLine(text, [f](std::string_view line) {
    std::string_view fields[8];
    if (!SplitBanLine(line, fields)) return;
    if (!fields[1].empty()) f->list.addresses.insert(fields[1]);
    if (!fields[2].empty()) f->list.keys.insert(fields[2]);
    if (!fields[3].empty()) f->list.guids.insert(fields[3]);
  });
  f->list_read = true;
  return true;
}

bool ReadConFile(EventLog& log, const std::string& path, const char* open_failure,
                 const char* read_failure, SyncFiles* f) {
  if (f->con_read) return true;
  if (!ReadBanFile(log, path, &f->con_text, open_failure, read_failure)) return false;
  f->con.addresses.reserve(f->con_text.size() / 120 + 16);
  f->con.keys.reserve(f->con_text.size() / 120 + 16);
  ReadBanListConText(f->con_text, &f->con);
  f->con_read = true;
  return true;
}

bool ReadPbFile(EventLog& log, const std::string& path, const char* open_failure,
                const char* read_failure, SyncFiles* f) {
  if (f->pb_read) return true;
  if (!ReadBanFile(log, path, &f->pb_text, open_failure, read_failure)) return false;
  ReadPbBansText(f->pb_text, &f->pb);
  f->pb_read = true;
  return true;
}

bool Missing(EventLog& log, const char* where, const char* kind, std::string_view value) {
  std::string text(value);
  log.LogMessage(kSoundNone, "The %s banlist has no ban on %s %s.", where, kind, text.c_str());
  return false;
}

// The first identity of `wanted` that `held` lacks, or empty.
std::string_view FirstMissing(const IdentitySet& wanted, const IdentitySet& held) {
  return wanted.FirstNotIn(held);
}

bool ListFound(EventLog& log, const BanFiles& files, SyncFiles* f) {
  if (!ReadListFile(log, files.server_ban_list, f)) return false;
  if (f->list.addresses.size() + f->list.keys.size() > 0) {
    if (!ReadConFile(log, files.ban_list_con, kOpenList, kReadList, f)) return false;
    std::string_view m = FirstMissing(f->list.addresses, f->con.addresses);
    if (!m.empty()) return Missing(log, "server", "address", m);
    m = FirstMissing(f->list.keys, f->con.keys);
    if (!m.empty()) return Missing(log, "server", "keyhash", m);
  }
  if (f->list.guids.size() > 0) {
    if (!ReadPbFile(log, files.pb_bans, kOpenList, kReadList, f)) return false;
    std::string_view m = FirstMissing(f->list.guids, f->pb.guids);
    if (!m.empty()) return Missing(log, "server", "GUID", m);
  }
  f->list_found = true;
  return true;
}

// Once every identity of the list was found in the server's files, the files hold nothing
// more exactly when their sets are no larger; only a difference needs a search.
bool Covered(const IdentitySet& server, const IdentitySet& mine, bool list_found,
             std::string_view* missing) {
  if (list_found && server.size() == mine.size()) return true;
  *missing = FirstMissing(server, mine);
  return missing->empty();
}

bool FilesFound(EventLog& log, const BanFiles& files, bool punkbuster, SyncFiles* f) {
  if (!ReadConFile(log, files.ban_list_con, kOpenServer, kReadServer, f)) return false;
  if (!ReadListFile(log, files.server_ban_list, f)) return false;
  std::string_view m;
  if (!Covered(f->con.addresses, f->list.addresses, f->list_found, &m)) {
    return Missing(log, "Varnholt", "address", m);
  }
  if (!Covered(f->con.keys, f->list.keys, f->list_found, &m)) {
    return Missing(log, "Varnholt", "keyhash", m);
  }
  if (!punkbuster) return true;
  if (!ReadPbFile(log, files.pb_bans, kOpenPb, kReadPb, f)) return false;
  if (!Covered(f->pb.guids, f->list.guids, f->list_found, &m)) {
    return Missing(log, "Varnholt", "GUID", m);
  }
  return true;
}

BanRecord ServerFileRecord(std::string address, std::string keyhash, std::string guid) {
  return BanRecord{
      "[unknown]", std::move(address), std::move(keyhash), std::move(guid), "operator", 0,
      0,           "unknown reason"};
}

}  // namespace

bool Bans::ListFoundInServerFiles() {
  SyncFiles f;
  return ListFound(log_, files_, &f);
}

bool Bans::ServerFilesFoundInList() {
  SyncFiles f;
  return FilesFound(log_, files_, env_.punkbuster_installed(), &f);
}

bool Bans::VerifyBanListSync() {
  SyncFiles f;  // each file is read once for both directions
  return ListFound(log_, files_, &f) && FilesFound(log_, files_, env_.punkbuster_installed(), &f);
}

bool Bans::SyncToServer() {
  if (env_.server_running()) {
    SetLastErrorCode(kErrorSharingViolation);  // the running server owns its files
    return false;
  }
  std::string text;
  if (!ReadBanFile(log_, files_.server_ban_list, &text, kOpenList, kReadList)) return false;
  const bool pb = env_.punkbuster_installed();
  const int64_t now = clock_.CalendarSeconds();
  CalendarFields local;
  if (!SecondsToLocalFields(now, &local)) local = SecondsToUtcFields(now);
  std::string con;
  std::string guids;
  for (const BanRecord& r : ParseBanListText(text)) {
    if (!r.address.empty()) con += AddressBanLine(r.address);
    if (!r.keyhash.empty()) con += KeyBanLine(r.keyhash);
    if (pb && !r.guid.empty()) guids += GuidBanEntry(local, r.guid);
  }
  if (!WriteWholeFile(files_.ban_list_con, con)) return false;
  if (pb && !WriteWholeFile(files_.pb_bans, guids)) return false;
  return true;
}

bool Bans::SyncFromServer() {
  std::string con;
  if (!ReadBanFile(log_, files_.ban_list_con, &con, kOpenServer, kReadServer)) return false;
  std::vector<BanRecord> records;
  ForEachBanFileLine(con, [&records](std::string_view line) {
    ServerBanLine ban = ParseServerBanLine(line);
    if (ban.kind == ServerBanLine::kAddress) {
      records.push_back(ServerFileRecord(std::string(ban.value), "", ""));
    }
    if (ban.kind == ServerBanLine::kKey) {
      records.push_back(ServerFileRecord("", std::string(ban.value), ""));
    }
  });
  if (env_.punkbuster_installed()) {
    std::string pb;
    if (!ReadBanFile(log_, files_.pb_bans, &pb, kOpenPb, kReadPb)) return false;
    ForEachBanFileLine(pb, [&records](std::string_view line) {
      std::string guid = GuidWord(line);
      if (!guid.empty()) records.push_back(ServerFileRecord("", "", guid));
    });
  }
  if (!WriteWholeFile(files_.server_ban_list, BanListText(records))) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, kOpenList, ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  if (!list_.LoadBanList(files_.server_ban_list)) return false;
  list_.SetDirty(false);
  return true;
}

bool Bans::ExportBanList(const std::string& path) {
  return list_.SaveBanList(path);
}

bool Bans::ImportBanList(const std::string& path) {
  if (!list_.LoadBanList(path)) return false;
  list_.SetDirty(true);
  return true;
}

bool Bans::RefreshBanList() {
  // The page refresh reports a failure as "Couldn't refresh banlist!".
  if (!list_.LoadBanList(files_.server_ban_list)) return false;
  list_.SetDirty(false);
  return true;
}

bool Bans::ApplyBanList() {
  if (!list_.Dirty()) return true;
  if (!list_.SaveBanList(files_.server_ban_list)) {
    log_.LogMessage(kSoundNone, "Couldn't save banlist file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  list_.SetDirty(false);
  log_.LogMessage(kSoundNone, "User %s at %s updated the banlist.", "operator", "console");
  Notify(kNotifyBanListChanged, {}, false);
  return true;
}

}  // namespace varnholt
