// What the request handler asks of the rest of the program: the work of the subsystems a
// request reaches (settings, maps, bans, banned words, the server process, status). The
// program implements it; the defaults say "not available", so a request whose subsystem is
// missing answers with the error marker (files), no text (texts) or a failure notification.
// Called on the worker thread only.
#pragma once

#include <string>

#include "platform/last_error.h"
#include "remote/user_accounts.h"

namespace varnholt {

class RequestServices {
 public:
  virtual ~RequestServices() = default;

  // Settings: the pages `rights` holds written to `path` (request 0); a file a client sent
  // taken in for those pages with auditing, then saved, applied or kept for the next
  // start, and the server's autoexec file rewritten (request 1).
  virtual bool WriteSettingsForClient(const std::string& /*path*/, AccessRights /*rights*/) {
    return Unavailable();
  }
  virtual bool TakeSettingsFromClient(const std::string& /*path*/,
                                      const ClientIdentity& /*client*/) {
    return Unavailable();
  }

  virtual bool PunkBusterEnabled() { return false; }

  // Maps: rebuild the settings folder's Mods.con or Maps.con; reload the map page from the
  // rotation file (showing every mode and mod again when `reset_filters`).
  virtual bool BuildModList(const std::string& /*path*/) { return Unavailable(); }
  virtual bool BuildMapList(const std::string& /*path*/) { return Unavailable(); }
  virtual void ReloadMapPage(bool /*reset_filters*/) {}
  // Whether a level a client names is one of the catalogue.
  virtual bool IsKnownLevel(const std::string& /*level_spec*/) { return false; }

  // Lists written or loaded for a client.
  virtual bool WritePlayerListFile(const std::string& /*path*/) { return Unavailable(); }
  virtual bool LoadBanList(const std::string& /*path*/) { return Unavailable(); }
  virtual bool LoadSchedule(const std::string& /*path*/) { return Unavailable(); }
  virtual void ReloadBannedWords() {}

  // The status summary; false when there is none.
  virtual bool GetServerStatusString(std::string* /*text*/) { return Unavailable(); }

  // The server process.
  virtual bool ServerRunning() { return false; }
  // Starts the server with the restart count cleared.
  virtual bool StartServer() { return Unavailable(); }
  virtual bool StopServer() { return Unavailable(); }
  virtual bool ServerInternet() { return false; }

 protected:
  static bool Unavailable() {
    SetLastErrorCode(kErrorNotSupported);
    return false;
  }
};

}  // namespace varnholt
