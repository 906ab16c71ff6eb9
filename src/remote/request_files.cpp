// The requests that move files and texts: each sends or receives its file, then does the
// follow-up work of its row only when the transfer succeeded.
#include <mutex>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "remote/file_frame.h"
#include "remote/request_handler.h"
#include "remote/request_state.h"

namespace varnholt {
namespace {

// Socket errors (10000 and up) mean the connection itself failed; anything else (a file
// that could not be read) left the stream whole.
bool ConnectionFailed(uint32_t error) {
  return error >= 10000;
}

}  // namespace

bool RequestHandler::Send(Request& r, const std::string& path) {
  std::unique_lock<std::mutex> sending = listener_.clients().LockSending(r.client.slot);
  const bool sent = SendFile(path, r.sink, r.client.address, log_);
  if (!sent && ConnectionFailed(GetLastErrorCode())) r.in_step = false;
  return sent;
}

void RequestHandler::SendErrorMarker(Request& r) {
  std::unique_lock<std::mutex> sending = listener_.clients().LockSending(r.client.slot);
  if (!WriteWord(r.sink, kErrorMarker)) r.in_step = false;
}

bool RequestHandler::Receive(Request& r, const std::string& path, uint32_t max_size) {
  r.source.BeginFrame();
  bool in_step = true;
  const bool received = ReceiveFile(path, r.source, r.client.address, log_, max_size, &in_step);
  if (!in_step) r.in_step = false;
  return received;
}

bool RequestHandler::SendText(Request& r, const std::string& text, bool present) {
  std::unique_lock<std::mutex> sending = listener_.clients().LockSending(r.client.slot);
  const bool sent = present ? SendTextReply(r.sink, text) : SendNoTextReply(r.sink);
  if (!sent) r.in_step = false;
  return sent;
}

void RequestHandler::SendTemporary(Request& r, const std::string& name,
                                   bool (RequestHandler::*write)(const std::string&,
                                                                 const Request&)) {
  const std::string path = JoinPath(folders_.game_folder, name);
  RemoveFile(path);  // never send what an earlier request left behind
  if ((this->*write)(path, r)) {
    Send(r, path);
  } else {
    // The client waits for a frame: the error marker tells it there is none.
    SendErrorMarker(r);
  }
  RemoveFile(path);
}

bool RequestHandler::WritePlayerList(const std::string& path, const Request&) {
  return services_.WritePlayerListFile(path);
}

bool RequestHandler::WriteClientListFor(const std::string& path, const Request&) {
  return WriteClientList(path);
}

bool RequestHandler::ExportUsers(const std::string& path, const Request& r) {
  return accounts_.ExportUserListForClient(path, r.Identity());
}

bool RequestHandler::WriteClientList(const std::string& path) {
  std::string text;
  auto field = [](const std::string& value) { return value.empty() ? std::string("*") : value; };
  for (const ClientRow& row : listener_.clients().ClientRows()) {
    text += "\"" + row.user + "\"," + std::to_string(row.slot) + "," + field(row.address) + "," +
            field(row.status) + "," + field(row.last_request) + "\n";
  }
  if (!WriteWholeFile(path, text)) {
    log_.LogMessage(kSoundNone, "Couldn't open client list file! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

void RequestHandler::SendSettings(Request& r) {
  const std::string path = JoinPath(folders_.game_folder, "Varnholt.con");
  if (!services_.WriteSettingsForClient(path, r.client.rights)) {
    log_.LogMessage(kSoundNone, "Couldn't write settings file for client at %s! %s", r.address(),
                    ErrorText(GetLastErrorCode()));
    SendErrorMarker(r);
  } else {
    Send(r, path);
  }
  RemoveFile(path);
}

void RequestHandler::ReceiveSettings(Request& r) {
  const std::string path = JoinPath(folders_.game_folder, "Varnholt.con");
  if (!Receive(r, path, kMaxListUpload)) return;
  const bool taken = services_.TakeSettingsFromClient(path, r.Identity());
  RemoveFile(path);
  if (taken) listener_.NotifyClients(kNotifySettingsChanged, {}, r.client.slot);
}

void RequestHandler::SendPunkBusterConfig(Request& r) {
  if (link_.ConsoleConnected() && services_.PunkBusterEnabled() &&
      link_.RunConsoleCommand("pb_sv_writecfg")) {
    clock_.SleepMs(500);  // PunkBuster writes the file after it answered
  }
  Send(r, GamePath("pb/pbsv.cfg"));
}

void RequestHandler::ReceiveWithLog(Request& r, const std::string& path, uint32_t max_size,
                                    const char* done_format) {
  if (Receive(r, path, max_size)) log_.LogMessage(kSoundNone, done_format, r.user(), r.address());
}

void RequestHandler::SendModOrMapList(Request& r, bool mods) {
  const std::string path = SettingsPath(mods ? "Mods.con" : "Maps.con");
  if (mods ? !services_.BuildModList(path) : !services_.BuildMapList(path)) {
    // The catalogue logged why; the last good file is still worth sending.
    ClearLastError();
  }
  Send(r, path);
  services_.ReloadMapPage(false);
}

void RequestHandler::ReceiveRotation(Request& r) {
  if (!Receive(r, SettingsPath("ServerMapList.con"), kMaxListUpload)) return;
  services_.ReloadMapPage(true);
  listener_.NotifyClients(kNotifyRotationChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the map rotation.", r.user(), r.address());
}

void RequestHandler::ReceiveBanList(Request& r) {
  const std::string path = SettingsPath("ServerBanList.con");
  if (!Receive(r, path, kMaxLargeUpload)) return;
  services_.LoadBanList(path);
  listener_.NotifyClients(kNotifyBanListChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the banlist.", r.user(), r.address());
}

void RequestHandler::ReceiveUsers(Request& r) {
  const std::string path = JoinPath(folders_.game_folder, "UserAccess.con");
  if (!Receive(r, path, kMaxListUpload)) return;
  accounts_.MergeUserList(path, r.Identity());
  RemoveFile(path);
  listener_.NotifyClients(kNotifyUsersChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the user list.", r.user(), r.address());
}

void RequestHandler::ReceiveSchedule(Request& r) {
  const std::string path = SettingsPath("ServerSchedule.con");
  if (!Receive(r, path, kMaxListUpload)) return;
  services_.LoadSchedule(path);
  listener_.NotifyClients(kNotifyScheduleChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the event schedule.", r.user(), r.address());
}

void RequestHandler::ReceiveAnnouncements(Request& r) {
  if (!Receive(r, SettingsPath("Announcements.con"), kMaxListUpload)) return;
  listener_.NotifyClients(kNotifyAnnouncementsChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the announcements.", r.user(), r.address());
}

void RequestHandler::ReceiveBannedWords(Request& r) {
  if (!Receive(r, SettingsPath("BannedWords.con"), kMaxListUpload)) return;
  services_.ReloadBannedWords();
  listener_.NotifyClients(kNotifyBannedWordsChanged, {}, r.client.slot);
  log_.LogMessage(kSoundNone, "User %s at %s updated the banned words.", r.user(), r.address());
}

void RequestHandler::SendStatus(Request& r) {
  std::string text;
  const bool present = services_.GetServerStatusString(&text);
  SendText(r, text, present);
}

void RequestHandler::SendGamePort(Request& r) {
  std::string port;
  if (services_.ServerRunning() && link_.StatusPortIdentified() &&
      link_.GetQueryValue("hostport", &port) && !port.empty()) {
    SendText(r, port + (services_.ServerInternet() ? ",1" : ",0"), true);
  } else {
    SendText(r, std::string(), false);
  }
}

void RequestHandler::SendEventLog(Request& r) {
  const std::string path = JoinPath(folders_.game_folder, "Varnholt.log");
  const int64_t size = FileSize(path);
  if (size >= 0 && static_cast<uint64_t>(size) <= kLogTailBytes) {
    Send(r, path);
    return;
  }
  // Only the end of a long log goes out. It is sent from memory: a temporary file in a
  // folder shared with other programs could be taken or replaced meanwhile.
  std::string tail;
  std::string frame;
  if (!ReadLogTail(path, &tail) || !EncodeFileFrame(tail, &frame)) return SendErrorMarker(r);
  std::unique_lock<std::mutex> sending = listener_.clients().LockSending(r.client.slot);
  if (!r.sink.Write(frame.data(), frame.size())) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't send Varnholt.log to peer at %s! %s", r.address(),
                    ErrorText(error));
    r.in_step = false;
  }
}

bool RequestHandler::ReadLogTail(const std::string& path, std::string* tail) {
  if (!ReadFileTail(path, kLogTailBytes, tail)) {
    log_.LogMessage(kSoundNone, "Couldn't read log file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

}  // namespace varnholt
