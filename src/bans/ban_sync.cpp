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

// The identities of the ServerBanList.con lines the list itself would load (all eight
// fields), so a line the list skips cannot make the two sides disagree.
void ReadListIdentities(std::string_view text, std::vector<BanRecord>* records,
                        BanIdentities* ids) {
  ForEachBanFileLine(text, [&](std::string_view line) {
    BanRecord r;
    if (!ParseBanLine(line, &r)) return;
    if (!r.address.empty()) ids->addresses.insert(r.address);
    if (!r.keyhash.empty()) ids->keys.insert(LowerHex(r.keyhash));
    if (!r.guid.empty()) ids->guids.insert(LowerHex(r.guid));
    if (records != nullptr) records->push_back(std::move(r));
  });
}

BanRecord ServerFileRecord(std::string address, std::string keyhash, std::string guid) {
  return BanRecord{
      "[unknown]", std::move(address), std::move(keyhash), std::move(guid), "operator", 0,
      0,           "unknown reason"};
}

}  // namespace

bool Bans::ListFoundInServerFiles() {
  std::string text;
  if (!ReadBanFile(log_, files_.server_ban_list, &text, kOpenList, kReadList)) return false;
  std::vector<BanRecord> records;
  BanIdentities unused;
  ReadListIdentities(text, &records, &unused);
  // Each server file is read once, and only when an identity needs it.
  BanIdentities server;
  bool con_read = false;
  bool pb_read = false;
  for (const BanRecord& r : records) {
    if (!r.address.empty() || !r.keyhash.empty()) {
      if (!con_read) {
        std::string con;
        if (!ReadBanFile(log_, files_.ban_list_con, &con, kOpenList, kReadList)) return false;
        ReadBanListConText(con, &server);
        con_read = true;
      }
      if (!r.address.empty() && !server.addresses.count(r.address)) {
        log_.LogMessage(kSoundNone, "The server banlist has no ban on address %s.",
                        r.address.c_str());
        return false;
      }
      if (!r.keyhash.empty() && !server.keys.count(LowerHex(r.keyhash))) {
        log_.LogMessage(kSoundNone, "The server banlist has no ban on keyhash %s.",
                        r.keyhash.c_str());
        return false;
      }
    }
    if (!r.guid.empty()) {
      if (!pb_read) {
        std::string pb;
        if (!ReadBanFile(log_, files_.pb_bans, &pb, kOpenList, kReadList)) return false;
        ReadPbBansText(pb, &server);
        pb_read = true;
      }
      if (!server.guids.count(LowerHex(r.guid))) {
        log_.LogMessage(kSoundNone, "The server banlist has no ban on GUID %s.", r.guid.c_str());
        return false;
      }
    }
  }
  return true;
}

bool Bans::ServerFilesFoundInList() {
  std::string con;
  if (!ReadBanFile(log_, files_.ban_list_con, &con, kOpenServer, kReadServer)) return false;
  std::string text;
  if (!ReadBanFile(log_, files_.server_ban_list, &text, kOpenList, kReadList)) return false;
  BanIdentities mine;
  ReadListIdentities(text, nullptr, &mine);
  BanIdentities server;
  ReadBanListConText(con, &server);
  for (const std::string& a : server.addresses) {
    if (!mine.addresses.count(a)) {
      log_.LogMessage(kSoundNone, "The Varnholt banlist has no ban on address %s.", a.c_str());
      return false;
    }
  }
  for (const std::string& k : server.keys) {
    if (!mine.keys.count(k)) {
      log_.LogMessage(kSoundNone, "The Varnholt banlist has no ban on keyhash %s.", k.c_str());
      return false;
    }
  }
  if (env_.punkbuster_installed()) {
    std::string pb;
    if (!ReadBanFile(log_, files_.pb_bans, &pb, kOpenPb, kReadPb)) return false;
    ReadPbBansText(pb, &server);
    for (const std::string& g : server.guids) {
      if (!mine.guids.count(g)) {
        log_.LogMessage(kSoundNone, "The Varnholt banlist has no ban on GUID %s.", g.c_str());
        return false;
      }
    }
  }
  return true;
}

bool Bans::VerifyBanListSync() {
  return ListFoundInServerFiles() && ServerFilesFoundInList();
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
    if (ban.kind == ServerBanLine::kAddress) records.push_back(ServerFileRecord(ban.value, "", ""));
    if (ban.kind == ServerBanLine::kKey) records.push_back(ServerFileRecord("", ban.value, ""));
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
  if (list_.LoadBanList(files_.server_ban_list)) {
    list_.SetDirty(false);
    return true;
  }
  log_.LogMessage(kSoundError, "Couldn't refresh banlist!");
  return false;
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
