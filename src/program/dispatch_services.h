// What the dispatcher asks of the other subsystems. Each method stands for one operation of
// the subsystem that owns the work; the defaults say "not available here", and the program
// overrides them with the real subsystems. Called only on the worker thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/last_error.h"

namespace varnholt {

class DispatchServices {
 public:
  virtual ~DispatchServices() = default;

  // Remote clients.
  virtual std::string ClientSlotName(int /*slot*/) { return "[unknown]"; }
  virtual std::string ClientSlotAddress(int /*slot*/) { return "[unknown]"; }
  // The user name of an account row, or "" when the row does not exist.
  virtual std::string AccountName(int /*row*/) { return std::string(); }
  // Whether the client of `generation` still holds slot 1..16.
  virtual bool ClientIsCurrent(int /*slot*/, uint32_t /*generation*/) { return true; }
  virtual void NotifyClient(int32_t /*origin*/, uint32_t /*code*/) {}
  // `data` is sent with its terminating zero when `has_data`.
  virtual void NotifyClients(uint32_t /*code*/, std::string_view /*data*/, bool /*has_data*/) {}
  virtual void DisconnectClient(int /*slot*/) {}
  // Reads one request of the client in `slot`, if it is still the client of `generation`.
  virtual void HandleClientRequest(int /*slot*/, uint32_t /*generation*/) {}
  virtual bool SetOwnPassword(const std::string& /*user*/, const std::string& /*enciphered*/) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
  }

  // Connecting the console is the program's action; console commands go through the game
  // link the dispatcher holds.
  virtual bool ConsoleConnect() {
    SetLastErrorCode(kWsaNotConnected);
    return false;
  }
  virtual bool PunkBusterEnabled() { return false; }

  // The supervisor.
  virtual void MonitorTick() {}
  virtual void MonitorServerStatus() {}
  virtual bool ServerRunning() { return false; }
  virtual bool GamePaused() { return false; }
  virtual void SetGamePaused(bool /*paused*/) {}

  // The map rotation.
  virtual void SetCurrentLevel(const std::string& /*level*/) {}
  virtual void SetIdleLevel(const std::string& /*level*/) {}
  virtual void SetRotationDirty() {}
  // Sets or removes the idle-level line of the rotation file.
  virtual bool WriteIdleLevel(const std::string& /*level*/) { return true; }

  // Refreshing the page shown: nullptr on success, else the failure line.
  virtual const char* RefreshCurrentPage() { return nullptr; }
  // True once when the announcements were edited locally since the last notification.
  virtual bool TakeAnnouncementsEdited() { return false; }

  // Bans and kicks; each logs its own outcome.
  virtual bool KickPlayer(std::string_view /*text*/, const std::string& /*user*/,
                          const std::string& /*address*/) {
    return false;
  }
  virtual bool BanPlayer(std::string_view /*text*/, const std::string& /*user*/,
                         const std::string& /*address*/) {
    return false;
  }
  virtual bool UnbanPlayer(std::string_view /*text*/, const std::string& /*user*/,
                           const std::string& /*address*/) {
    return false;
  }
  virtual bool ClearBanList(const std::string& /*user*/, const std::string& /*address*/) {
    return false;
  }
  virtual void BanPlayerName(std::string_view /*name*/, const std::string& /*user*/,
                             const std::string& /*address*/) {}
  // True when the lists agree.
  virtual bool VerifyBanListSync(const std::string& /*user*/, const std::string& /*address*/) {
    return false;
  }
  virtual bool SyncToServerBanList(const std::string& /*user*/, const std::string& /*address*/) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
  }
  virtual bool SyncFromServerBanList(const std::string& /*user*/, const std::string& /*address*/) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
  }

  // The live settings exchange.
  virtual bool ReadSettingsFromServer() { return false; }
  virtual bool ApplySettingsToServer() { return false; }

  // The status display's inputs besides the busy flag.
  virtual void RefreshStatusDisplay(bool /*busy*/) {}
};

}  // namespace varnholt
