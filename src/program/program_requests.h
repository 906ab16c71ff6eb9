// The program's answers to what remote clients' requests ask of the subsystems: settings,
// maps, bans, banned words, the schedule, the player list, the status summary and the server
// process. Runs on the worker thread.
#pragma once

#include "remote/request_services.h"

namespace varnholt {

class Program;

class ProgramRequests final : public RequestServices {
 public:
  explicit ProgramRequests(Program& program) : program_(program) {}

  bool WriteSettingsForClient(const std::string& path, AccessRights rights) override;
  bool TakeSettingsFromClient(const std::string& path, const ClientIdentity& client) override;
  bool PunkBusterEnabled() override;
  bool BuildModList(const std::string& path) override;
  bool BuildMapList(const std::string& path) override;
  void ReloadMapPage(bool reset_filters) override;
  bool IsKnownLevel(const std::string& level_spec) override;
  bool WritePlayerListFile(const std::string& path) override;
  bool LoadBanList(const std::string& path) override;
  bool LoadSchedule(const std::string& path) override;
  void ReloadBannedWords() override;
  bool GetServerStatusString(std::string* text) override;
  bool ServerRunning() override;
  bool StartServer() override;
  bool StopServer() override;
  bool ServerInternet() override;

 private:
  Program& program_;
};

}  // namespace varnholt
