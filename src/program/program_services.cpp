#include "program/program_services.h"

#include "maps/map_page.h"
#include "program/program.h"
#include "settings/con_file.h"

namespace varnholt {

std::string ProgramServices::ClientSlotName(int slot) {
  return program_.Listener().clients().GetClientName(static_cast<uint32_t>(slot));
}

std::string ProgramServices::ClientSlotAddress(int slot) {
  return program_.Listener().clients().GetClientAddress(static_cast<uint32_t>(slot));
}

std::string ProgramServices::AccountName(int row) {
  if (row < 0) return std::string();
  std::optional<UserAccount> account = program_.Accounts().AccountAt(static_cast<size_t>(row));
  return account ? account->name : std::string();
}

bool ProgramServices::ClientIsCurrent(int slot, uint32_t generation) {
  return program_.Listener().clients().IsCurrent(slot, generation);
}

void ProgramServices::NotifyClient(int32_t origin, uint32_t code) {
  // Only remote clients have a connection to answer on.
  if (origin >= 1 && origin <= kMaxRemoteClients) program_.Listener().NotifyClient(code, origin);
}

void ProgramServices::NotifyClients(uint32_t code, std::string_view data, bool has_data) {
  program_.Listener().NotifyClients(code, has_data ? data : std::string_view());
}

void ProgramServices::DisconnectClient(int slot) {
  program_.Listener().DisconnectClient(slot);
}

void ProgramServices::HandleClientRequest(int slot, uint32_t generation) {
  program_.Requests().HandleClientRequest(slot, generation);
}

bool ProgramServices::SetOwnPassword(const std::string& user, const std::string& enciphered) {
  return program_.Accounts().SetOwnPassword(user, enciphered);
}

bool ProgramServices::ConsoleConnect() {
  return program_.Console().ConsoleConnect();
}

bool ProgramServices::PunkBusterEnabled() {
  return program_.Supervision().PunkBusterEnabled();
}

void ProgramServices::MonitorTick() {
  program_.Supervision().MonitorTick();
}

void ProgramServices::MonitorServerStatus() {
  program_.Supervision().MonitorServerStatus();
}

bool ProgramServices::ServerRunning() {
  return program_.Supervision().ServerRunning();
}

bool ProgramServices::GamePaused() {
  return program_.Supervision().GamePaused();
}

void ProgramServices::SetGamePaused(bool paused) {
  program_.Supervision().SetGamePaused(paused);
}

void ProgramServices::SetCurrentLevel(const std::string& level) {
  program_.Rotation().SetCurrentLevel(level);
}

void ProgramServices::SetIdleLevel(const std::string& level) {
  program_.Rotation().SetIdleLevel(level);
}

void ProgramServices::SetRotationDirty() {
  program_.Rotation().SetDirty();
}

bool ProgramServices::WriteIdleLevel(const std::string& level) {
  // An empty level removes the line.
  return SetConSetting(program_.Log(), program_.Rotation().ServerMapListPath(), "game.setIdleLevel",
                       level);
}

const char* ProgramServices::RefreshCurrentPage() {
  // The page the window shows is read again from its files (unsaved edits of the others
  // stay); without a window every page counts as shown.
  const int shown = program_.ShownPage();
  auto shows = [shown](int first, int last) {
    return shown < 0 || (shown >= first && shown <= last);
  };
  const char* failure = nullptr;
  if (shows(kPageServer, kPageAdmin) && !program_.Store().RefreshSettings()) {
    failure = kRefreshFailedText;
  }
  if (shows(kTabMaps, kTabMaps)) {
    // The maps page logs its own failures.
    RefreshMapsPage(program_.Catalog(), program_.Rotation(), program_.Log(),
                    program_.Supervision().ServerRunning());
  }
  if (shows(kTabBans, kTabBans) && !program_.BanActions().RefreshBanList() && failure == nullptr) {
    failure = "Couldn't refresh banlist!";
  }
  if (shows(kTabUsers, kTabUsers) && !program_.Accounts().RefreshUserList() && failure == nullptr) {
    failure = "Couldn't refresh user list!";
  }
  if (shows(kTabSchedule, kTabSchedule) && !program_.EventSchedule().RefreshSchedule() &&
      failure == nullptr) {
    failure = "Couldn't refresh server schedule!";
  }
  if (shows(kTabPlayers, kTabPlayers) && program_.Link().ConsoleConnected() &&
      !program_.Players().GetPlayerList(program_.Link()) && failure == nullptr) {
    failure = "Couldn't refresh player list!";
  }
  if (shows(kTabStatus, kTabStatus)) program_.RefreshServerStatus();
  return failure;
}

bool ProgramServices::KickPlayer(std::string_view text, const std::string& user,
                                 const std::string& address) {
  return program_.BanActions().KickCommand(text, user, address);
}

bool ProgramServices::BanPlayer(std::string_view text, const std::string& user,
                                const std::string& address) {
  return program_.BanActions().BanCommand(text, user, address);
}

bool ProgramServices::UnbanPlayer(std::string_view text, const std::string& user,
                                  const std::string& address) {
  return program_.BanActions().UnbanCommand(text, user, address);
}

bool ProgramServices::ClearBanList(const std::string& user, const std::string& address) {
  return program_.BanActions().ClearCommand(user, address);
}

void ProgramServices::BanPlayerName(std::string_view name, const std::string& user,
                                    const std::string& address) {
  program_.BanActions().BanPlayerNameCommand(name, user, address);
}

bool ProgramServices::VerifyBanListSync(const std::string&, const std::string&) {
  return program_.BanActions().VerifyBanListSync();
}

bool ProgramServices::SyncToServerBanList(const std::string&, const std::string&) {
  return program_.BanActions().SyncToServer();
}

bool ProgramServices::SyncFromServerBanList(const std::string&, const std::string&) {
  return program_.BanActions().SyncFromServer();
}

bool ProgramServices::TakeAnnouncementsEdited() {
  return program_.Store().TakeAnnouncementsEdited();
}

bool ProgramServices::ReadSettingsFromServer() {
  return program_.Live().ReadSettingsFromServer();
}

bool ProgramServices::ApplySettingsToServer() {
  return program_.Live().ApplySettingsToServer();
}

void ProgramServices::RefreshStatusDisplay(bool busy) {
  StatusInputs in;
  in.server_name = program_.Settings().GetText("game.serverName");
  in.server_ip = program_.Settings().GetAddress("game.serverIP");
  in.listen_port = program_.ParsedCommandLine().port;
  in.dedicated = program_.DedicatedMode();
  in.server_running = program_.Supervision().ServerRunning();
  in.console_connected = program_.Link().ConsoleConnected();
  in.busy = busy;
  program_.Status().Refresh(in);
  if (!busy) program_.ReportServiceStatus();
}

}  // namespace varnholt
