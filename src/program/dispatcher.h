// The dispatcher: executes one Command on the worker thread. It owns the table of command
// codes, the log lines that record who did what, and the replies and notifications that
// tell remote clients the outcome; the work itself belongs to the subsystems, reached
// through DispatchServices, and console commands go to the server through the game link.
#pragma once

#include <array>
#include <atomic>
#include <string>

#include "core/command_queue.h"
#include "core/game_link.h"
#include "core/notify_codes.h"
#include "log/event_log.h"
#include "program/dispatch_services.h"

namespace varnholt {

class Dispatcher {
 public:
  Dispatcher(EventLog& log, GameLink& link, DispatchServices& services);

  void DispatchCommand(const Command& command);

  // The originator's user name and address for a Command's number.
  std::string GetClientName(int32_t origin);
  std::string GetClientAddress(int32_t origin);

  bool Busy() const { return busy_; }

  // True when row n of the command table holds code kCommandBase + n, a name and a handler
  // that no other row uses. The codes are checked at build time; the handlers by a test.
  static bool CommandTableInPlace();

 private:
  // What every handler gets: the Command and its originator.
  struct Call {
    const Command& command;
    std::string user;
    std::string address;
    // The remote client who asked has left; another may hold his slot by now.
    bool client_gone = false;
  };
  using Handler = void (Dispatcher::*)(const Call&);

  // One row of the command table: the code, the handler that executes it and what it does.
  // Row n holds code kCommandBase + n; see CommandTableInPlace.
  struct CommandRow {
    uint32_t code;
    Handler handler;
    const char* name;
  };
  static const std::array<CommandRow, kCommandCount> kCommandTable;

  void ConnectConsole(const Call& c);
  void MonitorTick(const Call& c);
  void StatusTick(const Call& c);
  void ClientData(const Call& c);
  void NotifyAll(const Call& c);
  void DisconnectClient(const Call& c);
  void RefreshPage(const Call& c);
  void TogglePause(const Call& c);
  void ChangeMap(const Call& c);
  void NextMap(const Call& c);
  void SetNextMap(const Call& c);
  void IdleMap(const Call& c);
  void RestartMap(const Call& c);
  void Kick(const Call& c);
  void Ban(const Call& c);
  void Unban(const Call& c);
  void ClearBans(const Call& c);
  void BanName(const Call& c);
  void VerifyBans(const Call& c);
  void SyncToServerBans(const Call& c);
  void SyncFromServerBans(const Call& c);
  void Chat(const Call& c);
  void ServerMessage(const Call& c);
  void ConsoleCommand(const Call& c);
  void SetPassword(const Call& c);
  void Screenshot(const Call& c);
  void ReadSettings(const Call& c);
  void ApplySettings(const Call& c);
  void SavePunkBuster(const Call& c);
  void LoadPunkBuster(const Call& c);

  // Sends the pieces of a chat or server message; false after the first failure.
  bool SendPieces(const Call& c, bool chat);
  void Reply(const Call& c, uint32_t code) {
    if (!c.client_gone) services_.NotifyClient(c.command.Originator(), code);
  }
  void Notify(uint32_t code) { services_.NotifyClients(code, {}, false); }
  void Notify(uint32_t code, const std::string& data) { services_.NotifyClients(code, data, true); }

  EventLog& log_;
  GameLink& link_;
  DispatchServices& services_;
  // Written by the worker around every Command; read by the user-interface thread.
  std::atomic<bool> busy_{false};
};

}  // namespace varnholt
