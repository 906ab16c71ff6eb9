// The requests of logged-in clients: one request read and carried out per read event. The
// handler checks the request against the client's rights, answers at once what it can
// (files, texts, keep-alives) and queues the rest as Commands with the client's slot as
// originator, so the dispatcher's log lines and replies name the client.
//
// Threads: HandleClientRequest runs on the worker, one request at a time. Frames to the
// client are sent under the slot's send lock, so notifications from other threads never
// cut into them.
#pragma once

#include <cstdint>
#include <string>

#include "core/command_queue.h"
#include "core/game_link.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "remote/file_frame.h"
#include "remote/listener.h"
#include "remote/request_services.h"
#include "remote/user_accounts.h"

namespace varnholt {

// The last part of the event log a client may download in one go.
constexpr size_t kLogTailBytes = 32768;
// Upload limits of the files a client may replace: text lists are small, ban lists and
// game-mode files may grow large.
constexpr uint32_t kMaxListUpload = 1024 * 1024;
constexpr uint32_t kMaxLargeUpload = kMaxReceivedFileSize;

struct RequestFolders {
  std::string game_folder;
  std::string settings_folder;
};

class RequestHandler {
 public:
  RequestHandler(EventLog& log, const Clock& clock, CommandQueue& queue, GameLink& link,
                 RemoteListener& listener, UserAccounts& accounts, RequestServices& services,
                 RequestFolders folders);

  // The -timing option: a line per processed request.
  void SetTiming(bool on) { timing_ = on; }

  // Reads and carries out one request of the client in `slot`, if that client still holds
  // the slot with `generation`; then watches its socket for the next request.
  void HandleClientRequest(int slot, uint32_t generation);

  // Writes ClientList.con: one line per row of the Clients page.
  bool WriteClientList(const std::string& path);

 private:
  struct Request;

  void CarryOut(Request& r);
  // Reads what follows a request's code; false when the stream is out of step.
  bool ReadInput(Request& r);
  void DropInput(Request& r);

  void SendSettings(Request& r);
  void ReceiveSettings(Request& r);
  void SendPunkBusterConfig(Request& r);
  void ReceiveWithLog(Request& r, const std::string& path, uint32_t max_size,
                      const char* done_format);
  void SendModOrMapList(Request& r, bool mods);
  void ReceiveRotation(Request& r);
  void SendTemporary(Request& r, const std::string& name,
                     bool (RequestHandler::*write)(const std::string& path, const Request& r));
  bool WritePlayerList(const std::string& path, const Request& r);
  bool WriteClientListFor(const std::string& path, const Request& r);
  bool ExportUsers(const std::string& path, const Request& r);
  void ReceiveBanList(Request& r);
  void ReceiveUsers(Request& r);
  void ReceiveSchedule(Request& r);
  void ReceiveAnnouncements(Request& r);
  void ReceiveBannedWords(Request& r);
  void SendStatus(Request& r);
  void StartServer(Request& r);
  void StopServer(Request& r);
  void SendGamePort(Request& r);
  void QueueLevelCommand(Request& r, uint32_t command, bool empty_allowed);
  void SendEventLog(Request& r);
  bool ReadLogTail(const std::string& path, std::string* tail);

  bool Send(Request& r, const std::string& path);
  void SendErrorMarker(Request& r);
  bool Receive(Request& r, const std::string& path, uint32_t max_size);
  bool SendText(Request& r, const std::string& text, bool present);
  void QueueFor(const Request& r, uint32_t command);

  std::string GamePath(const char* relative) const;
  std::string SettingsPath(const char* name) const;

  EventLog& log_;
  const Clock& clock_;
  CommandQueue& queue_;
  GameLink& link_;
  RemoteListener& listener_;
  UserAccounts& accounts_;
  RequestServices& services_;
  const RequestFolders folders_;
  bool timing_ = false;
};

}  // namespace varnholt
