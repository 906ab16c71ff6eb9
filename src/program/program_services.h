// The program's answers to what the dispatcher asks: each method hands the work to the
// subsystem that owns it. Runs on the worker thread.
#pragma once

#include "program/dispatch_services.h"

namespace varnholt {

class Program;

class ProgramServices final : public DispatchServices {
 public:
  explicit ProgramServices(Program& program) : program_(program) {}

  std::string ClientSlotName(int slot) override;
  std::string ClientSlotAddress(int slot) override;
  std::string AccountName(int row) override;
  bool ClientIsCurrent(int slot, uint32_t generation) override;
  void NotifyClient(int32_t origin, uint32_t code) override;
  void NotifyClients(uint32_t code, std::string_view data, bool has_data) override;
  void DisconnectClient(int slot) override;
  void HandleClientRequest(int slot, uint32_t generation) override;
  bool SetOwnPassword(const std::string& user, const std::string& enciphered) override;

  bool ConsoleConnect() override;
  bool PunkBusterEnabled() override;

  void MonitorTick() override;
  void MonitorServerStatus() override;
  bool ServerRunning() override;
  bool GamePaused() override;
  void SetGamePaused(bool paused) override;

  void SetCurrentLevel(const std::string& level) override;
  void SetIdleLevel(const std::string& level) override;
  void SetRotationDirty() override;
  bool WriteIdleLevel(const std::string& level) override;

  const char* RefreshCurrentPage() override;

  bool KickPlayer(std::string_view text, const std::string& user,
                  const std::string& address) override;
  bool BanPlayer(std::string_view text, const std::string& user,
                 const std::string& address) override;
  bool UnbanPlayer(std::string_view text, const std::string& user,
                   const std::string& address) override;
  bool ClearBanList(const std::string& user, const std::string& address) override;
  void BanPlayerName(std::string_view name, const std::string& user,
                     const std::string& address) override;
  bool VerifyBanListSync(const std::string& user, const std::string& address) override;
  bool SyncToServerBanList(const std::string& user, const std::string& address) override;
  bool SyncFromServerBanList(const std::string& user, const std::string& address) override;
  bool TakeAnnouncementsEdited() override;
  bool ReadSettingsFromServer() override;
  bool ApplySettingsToServer() override;

  void RefreshStatusDisplay(bool busy) override;

 private:
  Program& program_;
};

}  // namespace varnholt
