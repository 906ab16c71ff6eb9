#include "remote/request_handler.h"

#include <optional>

#include "core/notify_codes.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/local_time.h"
#include "platform/sockets.h"
#include "remote/request_state.h"
#include "remote/request_table.h"

namespace varnholt {

RequestHandler::RequestHandler(EventLog& log, const Clock& clock, CommandQueue& queue,
                               GameLink& link, RemoteListener& listener, UserAccounts& accounts,
                               RequestServices& services, RequestFolders folders)
    : log_(log),
      clock_(clock),
      queue_(queue),
      link_(link),
      listener_(listener),
      accounts_(accounts),
      services_(services),
      folders_(std::move(folders)) {}

void RequestHandler::HandleClientRequest(int slot, uint32_t generation) {
  ClientTable& clients = listener_.clients();
  std::optional<ClientLease> lease = clients.AcquireClient(slot, generation);
  if (!lease) return;  // the client has gone, or another one holds the slot now
  Request r(*lease, clock_);
  if (BytesWaiting(lease->socket) > 0) {
    if (!ReadRequestCode(r.source, &r.code)) {
      r.in_step = false;  // bytes came but not a whole code: the stream cannot be trusted
    } else if (const RequestRow* row = FindRequest(r.code)) {
      r.row = row;
      if (!RequestAllowed(lease->rights, r.code)) {
        log_.LogMessage(kSoundWarning,
                        "SECURITY ALERT! Client at %s does not have access to command %0X!",
                        lease->address.c_str(), r.code);
        DropInput(r);
      } else if (ReadInput(r)) {
        CarryOut(r);
      }
      if (timing_) log_.LogMessage(kSoundNone, "DEBUG: Processed command %X.", r.code);
      clients.SetLastRequest(slot, generation,
                             FormatLocalTime(clock_.CalendarSeconds(), "%a %b %e %H:%M:%S %Y"));
    }
  }
  clients.ReleaseClient(*lease);
  if (r.in_step) {
    listener_.ResumeReading(slot, generation);
  } else {
    listener_.DisconnectClient(slot, generation);
  }
}

bool RequestHandler::ReadInput(Request& r) {
  switch (r.row->input) {
    case RequestInput::kNone:
    case RequestInput::kFile:  // read by the request itself, into its file
      return true;
    case RequestInput::kText: {
      r.source.BeginFrame();
      const FrameStatus status = ReadRequestText(r.source, &r.text);
      if (status == FrameStatus::kBroken) r.in_step = false;
      return status == FrameStatus::kOk;
    }
  }
  return false;
}

void RequestHandler::DropInput(Request& r) {
  // A refused request's text or file is read and dropped, so its bytes are not taken for
  // the next request.
  if (r.row->input == RequestInput::kNone) return;
  r.source.BeginFrame();
  std::string ignored;
  const FrameStatus status = r.row->input == RequestInput::kText
                                 ? ReadRequestText(r.source, &ignored)
                                 : ReadFileFrame(r.source, kMaxLargeUpload, &ignored);
  if (status == FrameStatus::kBroken) r.in_step = false;
}

void RequestHandler::CarryOut(Request& r) {
  switch (r.code - kRequestBase) {
    case 0:
      return SendSettings(r);
    case 1:
      return ReceiveSettings(r);
    case 2:
      return SendPunkBusterConfig(r);
    case 3:
      return ReceiveWithLog(r, GamePath("pb/pbsv.cfg"), kMaxListUpload,
                            "User %s at %s updated the PunkBuster server config.");
    case 4:
      return QueueFor(r, kCmdSavePunkBuster);
    case 5:
      return QueueFor(r, kCmdLoadPunkBuster);
    case 6:
      Send(r, GamePath(kCustomCombatFile));
      return;
    case 7:
      return ReceiveWithLog(r, GamePath(kCustomCombatFile), kMaxLargeUpload,
                            "User %s at %s updated the CustomCombat settings.");
    case 8:
      return SendModOrMapList(r, true);
    case 9:
      return SendModOrMapList(r, false);
    case 10:
      Send(r, SettingsPath("ServerMapList.con"));
      return;
    case 11:
      return ReceiveRotation(r);
    case 12:
      return SendTemporary(r, "PlayerList.con", &RequestHandler::WritePlayerList);
    case 13:
      return SendTemporary(r, "ClientList.con", &RequestHandler::WriteClientListFor);
    case 14:
      Send(r, SettingsPath("PlayerMenu.con"));
      return;
    case 15:
      Send(r, SettingsPath("ServerBanList.con"));
      return;
    case 16:
      return ReceiveBanList(r);
    case 17:
      return SendTemporary(r, "UserAccess.con", &RequestHandler::ExportUsers);
    case 18:
      return ReceiveUsers(r);
    case 19:
      Send(r, SettingsPath("ServerSchedule.con"));
      return;
    case 20:
      return ReceiveSchedule(r);
    case 21:
      return SendStatus(r);
    case 22:
      Send(r, SettingsPath("Announcements.con"));
      return;
    case 23:
      return ReceiveAnnouncements(r);
    case 24:
      Send(r, SettingsPath("BannedWords.con"));
      return;
    case 25:
      return ReceiveBannedWords(r);
    case 26:
      return StartServer(r);
    case 27:
      return StopServer(r);
    case 28:
      return QueueFor(r, kCmdTogglePause);
    case 29:
      return SendGamePort(r);
    case 30:
      return QueueLevelCommand(r, kCmdChangeMap, false);
    case 31:
      return QueueFor(r, kCmdNextMap);
    case 32:
      return QueueLevelCommand(r, kCmdSetNextMap, false);
    case 33:
      return QueueLevelCommand(r, kCmdIdleMap, true);
    case 34:
      return QueueFor(r, kCmdRestartMap);
    case 35:
      return QueueFor(r, kCmdKick);
    case 36:
      return QueueFor(r, kCmdDisconnectClient);
    case 37:
      return QueueFor(r, kCmdBan);
    case 38:
      return QueueFor(r, kCmdUnban);
    case 39:
      return QueueFor(r, kCmdClearBans);
    case 40:
      return QueueFor(r, kCmdBanName);
    case 41:
      return QueueFor(r, kCmdVerifyBans);
    case 42:
      return QueueFor(r, kCmdSyncToServerBans);
    case 43:
      return QueueFor(r, kCmdSyncFromServerBans);
    case 44:
      return QueueFor(r, kCmdChat);
    case 45:
      return QueueFor(r, kCmdServerMessage);
    case 46:
      return QueueFor(r, kCmdConsoleCommand);
    case 47:
      return QueueFor(r, kCmdSetPassword);
    case 48:
      return SendEventLog(r);
    case 49:
      return QueueFor(r, kCmdScreenshot);
    case 50:
      listener_.NotifyClient(kNotifyKeepAlive, r.client.slot);
      return;
    default:
      return;
  }
}

void RequestHandler::QueueFor(const Request& r, uint32_t command) {
  queue_.QueueClientCommand(command, r.text, r.client.slot, r.client.generation);
}

std::string RequestHandler::GamePath(const char* relative) const {
  return FindPathNoCase(folders_.game_folder, relative);
}

std::string RequestHandler::SettingsPath(const char* name) const {
  return FindPathNoCase(folders_.settings_folder, name);
}

}  // namespace varnholt
