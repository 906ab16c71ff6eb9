#include "program/dispatcher.h"

#include <cstdlib>

#include "core/notify_codes.h"
#include "gamelink/chat_pieces.h"
#include "gamelink/console_wire.h"
#include "log/error_text.h"
#include "maps/map_rotation.h"
#include "platform/ascii_text.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kUnknownName = "[unknown]";

// True when row n holds code kCommandBase + n and a name. A missing row is value-initialised
// (code 0) and fails too, so this runs at build time.
template <typename Table>
constexpr bool CodesInPlace(const Table& table) {
  for (size_t n = 0; n < table.size(); ++n) {
    if (table[n].code != kCommandBase + n || table[n].name == nullptr) return false;
  }
  return true;
}

// True when every row has a handler and no handler serves two codes. Member pointers cannot
// be compared at build time once the null sanitizer instruments them, so a test runs this.
template <typename Table>
bool HandlersInPlace(const Table& table) {
  for (size_t n = 0; n < table.size(); ++n) {
    if (table[n].handler == nullptr) return false;
    for (size_t m = 0; m < n; ++m) {
      if (table[m].handler == table[n].handler) return false;
    }
  }
  return true;
}

}  // namespace

constexpr std::array<Dispatcher::CommandRow, kCommandCount> Dispatcher::kCommandTable = {{
    {kCmdConsoleConnect, &Dispatcher::ConnectConsole, "connect the remote console"},
    {kCmdMonitorTick, &Dispatcher::MonitorTick, "monitor tick"},
    {kCmdStatusTick, &Dispatcher::StatusTick, "status tick"},
    {kCmdClientData, &Dispatcher::ClientData, "remote client data"},
    {kCmdNotifyAll, &Dispatcher::NotifyAll, "notify all clients"},
    {kCmdDisconnectClient, &Dispatcher::DisconnectClient, "disconnect a client"},
    {kCmdRefreshPage, &Dispatcher::RefreshPage, "refresh the current page"},
    {kCmdTogglePause, &Dispatcher::TogglePause, "toggle pause"},
    {kCmdChangeMap, &Dispatcher::ChangeMap, "change map"},
    {kCmdNextMap, &Dispatcher::NextMap, "run next map"},
    {kCmdSetNextMap, &Dispatcher::SetNextMap, "set next map"},
    {kCmdIdleMap, &Dispatcher::IdleMap, "set or clear the idle map"},
    {kCmdRestartMap, &Dispatcher::RestartMap, "restart map"},
    {kCmdKick, &Dispatcher::Kick, "kick a player"},
    {kCmdBan, &Dispatcher::Ban, "ban a player"},
    {kCmdUnban, &Dispatcher::Unban, "remove a ban"},
    {kCmdClearBans, &Dispatcher::ClearBans, "clear the ban list"},
    {kCmdBanName, &Dispatcher::BanName, "ban a player name"},
    {kCmdVerifyBans, &Dispatcher::VerifyBans, "verify ban list synchronisation"},
    {kCmdSyncToServerBans, &Dispatcher::SyncToServerBans, "synchronise to the server ban list"},
    {kCmdSyncFromServerBans, &Dispatcher::SyncFromServerBans,
     "synchronise from the server ban list"},
    {kCmdChat, &Dispatcher::Chat, "chat message to all players"},
    {kCmdServerMessage, &Dispatcher::ServerMessage, "server message"},
    {kCmdConsoleCommand, &Dispatcher::ConsoleCommand, "console command"},
    {kCmdSetPassword, &Dispatcher::SetPassword, "set own password"},
    {kCmdScreenshot, &Dispatcher::Screenshot, "PunkBuster screenshot"},
    {kCmdReadSettings, &Dispatcher::ReadSettings, "read the settings from the server"},
    {kCmdApplySettings, &Dispatcher::ApplySettings, "apply the settings to the server"},
    {kCmdSavePunkBuster, &Dispatcher::SavePunkBuster, "save the PunkBuster settings"},
    {kCmdLoadPunkBuster, &Dispatcher::LoadPunkBuster, "load the PunkBuster settings"},
}};

Dispatcher::Dispatcher(EventLog& log, GameLink& link, DispatchServices& services)
    : log_(log), link_(link), services_(services) {
  static_assert(CodesInPlace(kCommandTable),
                "row n of the command table must hold code kCommandBase + n and its name");
}

bool Dispatcher::CommandTableInPlace() {
  return CodesInPlace(kCommandTable) && HandlersInPlace(kCommandTable);
}

std::string Dispatcher::GetClientName(int32_t origin) {
  if (origin == kOriginLocal) return "operator";
  if (origin >= 1 && origin <= 16) return services_.ClientSlotName(origin);
  if (origin >= kOriginGameAdminBase && origin <= kOriginGameAdminBase + 0xFF) {
    std::string name = services_.AccountName(origin & 0xFF);
    return name.empty() ? "[unknown]" : name;
  }
  return "[unknown]";
}

std::string Dispatcher::GetClientAddress(int32_t origin) {
  if (origin == kOriginLocal) return "console";
  if (origin >= 1 && origin <= 16) return services_.ClientSlotAddress(origin);
  if (origin >= kOriginGameAdminBase && origin <= kOriginGameAdminBase + 0xFF) return "game";
  return "[unknown]";
}

void Dispatcher::DispatchCommand(const Command& command) {
  busy_ = true;
  services_.RefreshStatusDisplay(true);
  const int32_t origin = command.Originator();
  const bool gone = command.client_generation != 0 &&
                    !services_.ClientIsCurrent(origin, command.client_generation);
  // A client who left is not named after whoever took his slot since.
  Call call{command, gone ? kUnknownName : GetClientName(origin),
            gone ? kUnknownName : GetClientAddress(origin), gone};
  uint32_t n = command.code - kCommandBase;
  if (command.code >= kCommandBase && n < kCommandCount) (this->*kCommandTable[n].handler)(call);
  busy_ = false;
  services_.RefreshStatusDisplay(false);
}

void Dispatcher::ConnectConsole(const Call&) {
  if (link_.ConsoleConnected()) return;
  ClearLastError();
  if (!services_.ConsoleConnect()) {
    uint32_t err = GetLastErrorCode();
    if (err != 0 && err != kWsaTimedOut) {
      log_.LogMessage(kSoundNone, "Couldn't connect to server console! %s", ErrorText(err));
    }
  }
}

void Dispatcher::MonitorTick(const Call&) {
  services_.MonitorTick();
}

void Dispatcher::StatusTick(const Call&) {
  services_.MonitorServerStatus();
}

void Dispatcher::ClientData(const Call& c) {
  services_.HandleClientRequest(c.command.Originator(),
                                static_cast<uint32_t>(strtoul(c.command.text, nullptr, 10)));
}

void Dispatcher::NotifyAll(const Call& c) {
  Notify(static_cast<uint32_t>(strtol(c.command.text, nullptr, 10)));
}

void Dispatcher::DisconnectClient(const Call& c) {
  int slot = atoi(c.command.text);
  services_.NotifyClient(slot, kNotifyDisconnected);
  log_.LogMessage(kSoundNone, "User %s at %s disconnected client %s at %s.", c.user.c_str(),
                  c.address.c_str(), GetClientName(slot).c_str(), GetClientAddress(slot).c_str());
  services_.DisconnectClient(slot);
}

void Dispatcher::RefreshPage(const Call&) {
  if (const char* failure = services_.RefreshCurrentPage()) {
    log_.LogMessage(kSoundError, "%s", failure);
  }
  if (services_.TakeAnnouncementsEdited()) {
    Notify(kNotifyAnnouncementsChanged);
    log_.LogMessage(kSoundNone, "User %s at %s updated the announcements.", "operator", "console");
  }
}

void Dispatcher::TogglePause(const Call& c) {
  if (!link_.RunConsoleCommand("admin.toggleGamePause")) {
    log_.LogMessage(kSoundNone, "Couldn't pause game! The command failed.");
    Reply(c, kNotifyFailed);
    return;
  }
  if (services_.GamePaused()) {
    log_.LogMessage(kSoundNone, "User %s at %s unpaused the server.", c.user.c_str(),
                    c.address.c_str());
    Notify(kNotifyUnpaused);
    services_.SetGamePaused(false);
  } else {
    log_.LogMessage(kSoundNone, "User %s at %s paused the server.", c.user.c_str(),
                    c.address.c_str());
    Notify(kNotifyPaused);
    services_.SetGamePaused(true);
  }
}

void Dispatcher::ChangeMap(const Call& c) {
  std::string level = ConsoleSafeText(c.command.text);
  if (link_.RunConsoleCommand("admin.changeMap " + level)) {
    log_.LogMessage(kSoundNone, "User %s at %s changed the map to %s.", c.user.c_str(),
                    c.address.c_str(), level.c_str());
    Notify(kNotifyMapChanged, level);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't change to map %s! The command failed.", level.c_str());
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::NextMap(const Call& c) {
  if (link_.RunConsoleCommand("admin.runNextLevel")) {
    log_.LogMessage(kSoundNone, "User %s at %s changed to the next map in the rotation.",
                    c.user.c_str(), c.address.c_str());
    Notify(kNotifyNextMapRun);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't run next map! The command failed.");
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::SetNextMap(const Call& c) {
  std::string level = ConsoleSafeText(c.command.text);
  bool running = services_.ServerRunning();
  if (running && !link_.RunConsoleCommand("admin.setNextLevel " + level)) {
    log_.LogMessage(kSoundNone, "Couldn't set next map to %s! The command failed.", level.c_str());
    Reply(c, kNotifyFailed);
    return;
  }
  log_.LogMessage(kSoundNone, "User %s at %s changed the next map to %s.", c.user.c_str(),
                  c.address.c_str(), level.c_str());
  Notify(kNotifyNextMapSet, level);
  services_.SetCurrentLevel(Cut(level, kMaxLevelSpecLength));
  if (!running) services_.SetRotationDirty();
}

void Dispatcher::IdleMap(const Call& c) {
  std::string level = Cut(ConsoleSafeText(c.command.text), kMaxLevelSpecLength);
  services_.SetIdleLevel(level);
  services_.WriteIdleLevel(level);
  if (level.empty()) {
    log_.LogMessage(kSoundNone, "User %s at %s cleared the idle map.", c.user.c_str(),
                    c.address.c_str());
  } else {
    log_.LogMessage(kSoundNone, "User %s at %s changed the idle map to %s.", c.user.c_str(),
                    c.address.c_str(), level.c_str());
  }
  Notify(kNotifyIdleMapSet, level);
  services_.SetRotationDirty();
}

void Dispatcher::RestartMap(const Call& c) {
  if (link_.RunConsoleCommand("admin.restartMap")) {
    log_.LogMessage(kSoundNone, "User %s at %s restarted the current map.", c.user.c_str(),
                    c.address.c_str());
    Notify(kNotifyMapRestarted);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't restart map! The command failed.");
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::Kick(const Call& c) {
  if (!services_.KickPlayer(c.command.text, c.user, c.address)) Reply(c, kNotifyFailed);
}

void Dispatcher::Ban(const Call& c) {
  if (!services_.BanPlayer(c.command.text, c.user, c.address)) Reply(c, kNotifyFailed);
}

void Dispatcher::Unban(const Call& c) {
  if (!services_.UnbanPlayer(c.command.text, c.user, c.address)) Reply(c, kNotifyFailed);
}

void Dispatcher::ClearBans(const Call& c) {
  if (!services_.ClearBanList(c.user, c.address)) Reply(c, kNotifyFailed);
}

void Dispatcher::BanName(const Call& c) {
  services_.BanPlayerName(c.command.text, c.user, c.address);
}

void Dispatcher::VerifyBans(const Call& c) {
  log_.LogMessage(kSoundNone, "User %s at %s commanded a banlist sync verification.",
                  c.user.c_str(), c.address.c_str());
  if (services_.VerifyBanListSync(c.user, c.address)) {
    log_.LogMessage(kSoundNone, "The Varnholt banlist is synchronised with the server banlist.");
    Reply(c, kNotifySucceeded);
  } else {
    log_.LogMessage(kSoundNone,
                    "The Varnholt banlist is NOT synchronised with the server banlist.");
    Reply(c, kNotifyBanListNotSynchronised);
  }
}

void Dispatcher::SyncToServerBans(const Call& c) {
  if (services_.SyncToServerBanList(c.user, c.address)) {
    log_.LogMessage(kSoundNone, "User %s at %s synchronised to the server banlist.", c.user.c_str(),
                    c.address.c_str());
    Reply(c, kNotifySucceeded);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't sync to the server banlist! %s",
                    ErrorText(GetLastErrorCode()));
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::SyncFromServerBans(const Call& c) {
  if (services_.SyncFromServerBanList(c.user, c.address)) {
    log_.LogMessage(kSoundNone, "User %s at %s synchronised from the server banlist.",
                    c.user.c_str(), c.address.c_str());
    Reply(c, kNotifySucceeded);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't sync from the server banlist! %s",
                    ErrorText(GetLastErrorCode()));
    Reply(c, kNotifyFailed);
  }
}

bool Dispatcher::SendPieces(const Call& c, bool chat) {
  const char* format = chat ? "game.sayAll \"" : "admin.serverMessage \"";
  for (const std::string& piece :
       SplitChatPieces(ConsoleSafeText(c.command.text),
                       chat ? MessageStyle::kChat : MessageStyle::kServerMessage)) {
    if (!link_.RunConsoleCommand(format + piece + "\"")) {
      log_.LogMessage(kSoundNone, "%s",
                      chat ? "Couldn't send chat message! The command failed."
                           : "Couldn't send server message! The command failed.");
      Reply(c, kNotifyFailed);
      return false;
    }
  }
  return true;
}

void Dispatcher::Chat(const Call& c) {
  if (!SendPieces(c, true)) return;
  if (c.command.text[0] != '*') {
    log_.LogMessage(kSoundNone, "User %s at %s said '%s'.", c.user.c_str(), c.address.c_str(),
                    c.command.text);
  }
  Reply(c, kNotifyChatSent);
}

void Dispatcher::ServerMessage(const Call& c) {
  if (!SendPieces(c, false)) return;
  log_.LogMessage(kSoundNone, "User %s at %s said '%s'.", c.user.c_str(), c.address.c_str(),
                  c.command.text);
  Reply(c, kNotifyServerMessageSent);
}

void Dispatcher::ConsoleCommand(const Call& c) {
  if (link_.RunConsoleCommand(c.command.text)) {
    log_.LogMessage(kSoundNone, "User %s at %s issued console command '%s'.", c.user.c_str(),
                    c.address.c_str(), c.command.text);
    Reply(c, kNotifyConsoleCommandDone);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't send server message! The command failed.");
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::SetPassword(const Call& c) {
  if (services_.SetOwnPassword(c.user, c.command.text)) {
    Reply(c, kNotifyPasswordSet);
    Notify(kNotifyUsersChanged);
  } else {
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::Screenshot(const Call& c) {
  if (!services_.PunkBusterEnabled()) {
    log_.LogMessage(kSoundNone, "Couldn't take player screenshot! PunkBuster is not enabled.");
    Reply(c, kNotifyFailed);
    return;
  }
  if (link_.RunConsoleCommand("pb_sv_getss " + ConsoleSafeText(c.command.text))) {
    log_.LogMessage(kSoundNone, "User %s at %s requested a screenshot of player %s.",
                    c.user.c_str(), c.address.c_str(), c.command.text);
    Reply(c, kNotifyScreenshotRequested);
  } else {
    log_.LogMessage(kSoundNone, "Couldn't take player screenshot! The command failed.");
    Reply(c, kNotifyFailed);
  }
}

void Dispatcher::ReadSettings(const Call&) {
  if (link_.ConsoleConnected() && !services_.ReadSettingsFromServer()) {
    log_.LogMessage(kSoundNone, "Couldn't get server settings!");
  }
}

void Dispatcher::ApplySettings(const Call&) {
  if (link_.ConsoleConnected() && !services_.ApplySettingsToServer()) {
    log_.LogMessage(kSoundNone, "Couldn't update settings on server!");
  }
}

void Dispatcher::SavePunkBuster(const Call& c) {
  if (!link_.ConsoleConnected() || !services_.PunkBusterEnabled()) {
    log_.LogMessage(kSoundNone,
                    "Could't dump PunkBuster settings! Not connected or PunkBuster is not "
                    "enabled.");
    Reply(c, kNotifyFailed);
    return;
  }
  if (link_.RunConsoleCommand("pb_sv_writecfg")) {
    log_.LogMessage(kSoundNone, "PunkBuster settings have been saved to pbsv.cfg.");
    Reply(c, kNotifyPunkBusterSaved);
  } else {
    log_.LogMessage(kSoundNone, "Could't dump PunkBuster settings! The command failed.");
  }
}

void Dispatcher::LoadPunkBuster(const Call& c) {
  if (!link_.ConsoleConnected() || !services_.PunkBusterEnabled()) {
    log_.LogMessage(kSoundNone,
                    "Could't load PunkBuster settings! Not connected or PunkBuster is not "
                    "enabled.");
    Reply(c, kNotifyFailed);
    return;
  }
  if (link_.RunConsoleCommand("pb_sv_load pbsv.cfg")) {
    log_.LogMessage(kSoundNone, "PunkBuster settings have been loaded from pbsv.cfg.");
    Reply(c, kNotifyPunkBusterLoaded);
  }
}

}  // namespace varnholt
