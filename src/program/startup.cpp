// Start-up of the program, in its fixed order; each step is one function.

#include "autoadmin/player_menu_default.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "maps/default_game_modes.h"
#include "platform/crash_report.h"
#include "platform/files.h"
#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "platform/processes.h"
#include "platform/system_info.h"
#include "program/program.h"
#include "supervisor/launch_command.h"

namespace varnholt {
namespace {

constexpr const char* kSettingsFiles[] = {
    "Varnholt.con",      "ServerMapList.con", "ServerSettings.con", "ServerAutoexec.con",
    "BanList.con",       "ServerBanList.con", "UserAccess.con",     "ServerSchedule.con",
    "Announcements.con", "BannedWords.con",   "Maps.con",           "Mods.con",
};

}  // namespace

bool Program::MainInitialisation() {
  DeriveFolders();
  WriteOwnPid();
  if (!DetermineSystemVersion()) return false;
  if (!ReadOptions()) return false;
  if (!ParseArguments()) return false;
  DetectDedicatedMode();
  if (!CheckServerExecutable()) return false;
  DetectPunkBuster();
  EnsureSettingsFiles();
  EnsurePlayerMenu();
  if (!CheckSettingsFolder()) return false;
  if (!CheckWritable("ServerSettings.con",
                     "Couldn't open ServerSettings.con file for writing!\n%s\nVarnholt must have "
                     "write access to this file, check file permissions and attributes.")) {
    return false;
  }
  if (!CheckWritable("ServerAutoexec.con",
                     "Couldn't open ServerAutoexec.con file for writing!\n%s\n\nVarnholt must "
                     "have write access to this file, check file permissions and attributes.")) {
    return false;
  }
  if (!CheckModFolder()) return false;
  WarnAboutUserFolders();
  DeleteKickList();
  if (!DetectInterfaces()) return false;
  if (!BuildUserInterface()) return false;
  ResetSettings();
  if (!ExtractDefaultGameModes()) return false;
  if (!DiscoverMods()) return false;
  if (!LoadStores()) return false;
  if (!ApplyIpOption()) return false;
  CheckServerAddress();
  DetectRunningServer();
  if (!CoordinateInstances()) return false;
  AdoptOrStartServer();
  StartRemoteListener();
  StartTimers();
  service_status_.ReportReady(ServiceStateNow());
  // The title and status bar show the state start-up ended in, before any Command ran.
  services_.RefreshStatusDisplay(false);
  return true;
}

void Program::DeriveFolders() {
  // Both are fixed at construction from the working folder; nothing more to do here.
}

void Program::WriteOwnPid() {
  // Nothing reads this file; a failure to write it is ignored.
  (void)WriteWholeFile(JoinPath(game_folder_, "vrnh.pid"), std::to_string(OwnProcessId()) + "\n");
}

bool Program::DetermineSystemVersion() {
  if (!GetSystemVersionText(&os_text_, &os_version_code_)) {
    return Fatal("Couldn't determine the Windows version!");
  }
  log_.LogMessage(kSoundNone, "%s", kProgramBanner);
  log_.LogMessage(kSoundNone, "Started under %s", os_text_.c_str());
  return true;
}

bool Program::ReadOptions() {
  if (!ReadProgramOptions(JoinPath(game_folder_, "Varnholt.ini"), &options_)) {
    return Fatal("Couldn't read program options file!");
  }
  log_.SetErrorLog(options_.ErrorLog);
  SetCrashReportToLog(options_.ErrorLog);
  log_.SetGuiSounds(options_.GUISounds);
  return true;
}

bool Program::ParseArguments() {
  command_line_ = ParseCommandLine(setup_.arguments, os_version_code_);
  log_.SetQuiet(command_line_.quiet);
  if (command_line_.show_usage) {
    log_.ShowMessage(kMessageInformation, "%s", kUsageText);
    exit_code_ = 0;
    ClearLastError();
    return false;
  }
  if (command_line_.above_normal_refused) {
    log_.ShowMessage(kMessageInformation,
                     "The \"above normal\" process priority is only supported under Windows "
                     "2000 or higher.");
  }
  worker_.SetTiming(command_line_.timing);
  return true;
}

void Program::DetectDedicatedMode() {
  dedicated_mode_ = !FileExists(FindPathNoCase(game_folder_, "BlackScreen.exe"));
}

bool Program::CheckServerExecutable() {
  if (FileExists(ServerExecutablePath(game_folder_))) return true;
  Fatal(
      "Couldn't find the AshFront server executable file!\nVarnholt.exe must reside in the "
      "same folder as ashfront_w32ded.exe or ashfront.exe.");
  ClearLastError();
  return false;
}

void Program::DetectPunkBuster() {
  punkbuster_installed_ = FileExists(FindPathNoCase(game_folder_, "pb/pbsv.dll"));
  if (!punkbuster_installed_) {
    log_.LogMessage(kSoundNone,
                    "WARNING: PunkBuster is not installed on this server. All PunkBuster controls "
                    "in Varnholt will have no effect until PunkBuster is installed.");
  }
}

void Program::EnsureSettingsFiles() {
  // A file that cannot be created is reported here; whatever reads it later reports again.
  auto ensure = [this](const std::string& path) {
    if (!EnsureFile(path, EnsureMode::kCreateIfMissing)) {
      log_.LogMessage(kSoundNone, "Couldn't create file %s! %s", path.c_str(),
                      ErrorText(GetLastErrorCode()));
    }
  };
  for (const char* name : kSettingsFiles) ensure(FindPathNoCase(settings_folder_, name));
  ensure(FindPathNoCase(game_folder_, "pb/pbbans.dat"));
}

void Program::EnsurePlayerMenu() {
  std::string path = FindPathNoCase(settings_folder_, "PlayerMenu.con");
  // An old installation shipped a 20-byte stub in place of the menu.
  if (FileExists(path) && FileSize(path) != 20) return;
  // Replaced whole, never emptied first: a crash leaves the old file or the new one.
  CreateFolders(settings_folder_);
  if (!WriteWholeFile(path, DefaultPlayerMenuText())) {
    log_.LogMessage(kSoundNone, "Couldn't write file %s! %s", path.c_str(),
                    ErrorText(GetLastErrorCode()));
  }
}

bool Program::CheckSettingsFolder() {
  if (FolderHasEntries(settings_folder_)) return true;
  Fatal(
      "Couldn't find the server settings folder!\n%s\nVerify the server application is "
      "correctly installed.",
      JoinPath(settings_folder_, "*.*").c_str());
  ClearLastError();
  return false;
}

bool Program::CheckWritable(const char* name, const char* message) {
  if (CanOpenForReadWrite(FindPathNoCase(settings_folder_, name))) return true;
  Fatal(message, ErrorText(GetLastErrorCode()));
  ClearLastError();
  return false;
}

bool Program::CheckModFolder() {
  if (FileExists(FindPathNoCase(game_folder_, "Mods/ashfront/init.con"))) return true;
  Fatal(
      "Couldn't detect a valid AshFront mod folder! Verify the server application is correctly "
      "installed.");
  ClearLastError();
  return false;
}

void Program::WarnAboutUserFolders() {
  const std::string profile = UserProfileFolder();
  if (!profile.empty() && FolderHasEntries(FindPathNoCase(profile, "Ashfront"))) {
    log_.ShowMessage(kMessageInformation,
                     "WARNING: \"Ashfront\" folder exists in User Profile folder! The files in "
                     "this folder will interfere with the operation of your server and should be "
                     "deleted.");
  }
  std::string documents = DocumentsFolder();
  if (!documents.empty() && FolderHasEntries(FindPathNoCase(documents, "Ashfront"))) {
    log_.ShowMessage(kMessageInformation,
                     "WARNING: \"Ashfront\" folder exists in My Documents folder! The files in "
                     "this folder will interfere with the operation of your server and should be "
                     "deleted.");
  }
  ClearLastError();
}

void Program::DeleteKickList() {
  // The auto-admin kick list starts empty every run.
  RemoveFile(FindPathNoCase(settings_folder_, "KickList.con"));
}

bool Program::DetectInterfaces() {
  if (interfaces_.Refresh()) return true;
  Fatal(
      "No active IP network interfaces could be detected on this system!\nVarnholt requires "
      "at least one active interface to launch a server.");
  ClearLastError();
  return false;
}

bool Program::BuildUserInterface() {
  if (front_end_.CreateMainWindow()) return true;
  Fatal("Couldn't create a child dialog! %s", ErrorText(GetLastErrorCode()));
  ClearLastError();
  return false;
}

void Program::ResetSettings() {
  settings_.ResetSettingsToDefaults(interfaces_.First());
}

bool Program::ExtractDefaultGameModes() {
  // Creates the save folders and extracts the default game-mode files where missing.
  if (ExtractDefaultGameModeFiles(game_folder_, log_)) return true;
  ClearLastError();  // reported already
  return false;
}

bool Program::DiscoverMods() {
  catalog_.SetDebug(command_line_.debug);
  if (DiscoverModsAndMaps(catalog_, log_)) return true;
  ClearLastError();  // reported already
  return false;
}

bool Program::LoadStores() {
  // The rotation is shown as the options last left the maps page.
  rotation_.SetModeFilter(static_cast<uint32_t>(options_.ModeFilter));
  rotation_.SetModFilter(static_cast<uint32_t>(options_.ModFilter));
  SavedListHooks rotation;
  rotation.load = [this](const std::string& path) {
    return rotation_.LoadMapRotation(path, supervisor_.ServerRunning());
  };
  rotation.save = [this](const std::string& path) { return rotation_.SaveMapRotation(path); };
  rotation.dirty = [this] { return rotation_.Dirty(); };
  rotation.clear_dirty = [this] { rotation_.ClearDirty(); };
  store_.SetListHooks(SavedList::kRotation, rotation);
  ConfigureBans();
  ConfigureRemote();
  ConfigureSchedule();
  // Each load reports its own failure; a failure ends start-up without a box of its own.
  if (!store_.LoadAllAtStart(interfaces_.First())) {
    ClearLastError();
    return false;
  }
  ConfigureGameLink();
  ConfigureSupervisor();
  ConfigureAutoAdmin();
  ConfigureStatus();
  return true;
}

void Program::RefreshPlayerList(const char* failure) {
  if (!players_.GetPlayerList(game_link_)) {
    log_.LogMessage(kSoundError, "%s", failure);
  }
}

void Program::ConfigureGameLink() {
  console_.SetDebug(command_line_.debug);
  console_.SetLogPlayerChat(options_.LogPlayerChat);
  if (command_line_.message_log) console_.SetMessageLog(JoinPath(game_folder_, "message.log"));
  status_query_.SetDebug(command_line_.debug);
  status_query_.SetSearchWanted([this] { return supervisor_.ServerRunning(); });
  if (command_line_.status_log) status_query_.SetStatusLog(JoinPath(game_folder_, "status.log"));
  players_.SetDebug(command_line_.debug);
  players_.SetAdminMessages(options_.AdminMessages);
  ConsoleHooks hooks;
  hooks.server_running = [this] { return supervisor_.ServerRunning(); };
  hooks.read_settings = [this] { return live_.ReadSettingsFromServer(); };
  hooks.get_player_list = [this] { return players_.GetPlayerList(game_link_); };
  hooks.connection_changed = [this](bool connected) {
    if (!connected) {
      supervisor_.ForgetServerVersion();
      players_.ClearOnDisconnect();
    }
  };
  console_.SetHooks(std::move(hooks));

  SettingsStoreHooks store_hooks;
  store_hooks.server_running = [this] { return supervisor_.ServerRunning(); };
  store_hooks.punkbuster_enabled = [this] { return supervisor_.PunkBusterEnabled(); };
  store_hooks.refresh_pages = [this] { front_end_.RefreshPages(); };
  AddAutoAdminStoreHooks(&store_hooks);
  store_.SetHooks(std::move(store_hooks));
  // Values read back from the running server show on the pages at once.
  live_.SetPagesRefresh([this] { front_end_.RefreshPages(); });
}

void Program::ConfigureSupervisor() {
  SupervisorOptions options;
  options.above_normal = command_line_.above_normal;
  options.debug = command_line_.debug;
  options.listen_port = command_line_.port;
  options.launch_prefix = SplitLaunchPrefix(options_.LaunchPrefix);
  supervisor_.SetOptions(options);
  SupervisorHooks hooks;
  hooks.auto_restart = [this] { return options_.AutoRestart; };
  hooks.save_all_changes = [this] { return store_.SaveAllChanges(); };
  hooks.periodic_admin = [this] {
    RefreshPlayerList("Couldn't auto-refresh player list!");
    RefreshServerStatus();
    bans_.ExpireTimedBans();
    AutoAdminTick();
  };
  hooks.log_player_stats = [this] { return LogPlayerStats(); };
  hooks.start_button_text = [this](const char* text) { front_end_.SetStartButtonText(text); };
  hooks.pause_button_text = [this](const char* text) { front_end_.SetPauseButtonText(text); };
  hooks.notify_clients = [this](uint32_t code) {
    queue_.QueueCommand(kCmdNotifyAll, std::to_string(static_cast<int32_t>(code)), 0, 0);
  };
  hooks.server_stopped = [this] { players_.SetSummaryUnknown(); };
  AddScheduleHooks(&hooks);
  supervisor_.SetHooks(std::move(hooks));
}

bool Program::ApplyIpOption() {
  if (!command_line_.ip_given) return true;
  settings_files_.SetServerAddressAndSave(settings_folder_, IpFromText(command_line_.ip));
  return true;
}

void Program::CheckServerAddress() {
  uint32_t ip = settings_.GetAddress("game.serverIP");
  // The reset address is not written back here; a save writes it.
  if (ip == 0) {
    log_.ShowMessage(kMessageInformation,
                     "The current server configuration does not specify a server IP address.\n"
                     "Varnholt has reset the server IP to the first detected IP address on this "
                     "server.");
    settings_.SetAddress("game.serverIP", interfaces_.First());
  } else if (!interfaces_.IsServerIpLocal(ip)) {
    log_.ShowMessage(kMessageInformation,
                     "A network interface with server IP address %s was not detected on this "
                     "system!\nVarnholt has reset the server IP to the first detected IP address "
                     "on this server.",
                     IpToText(ip).c_str());
    settings_.SetAddress("game.serverIP", interfaces_.First());
  }
}

void Program::DetectRunningServer() {
  std::string text;
  int32_t pid = 0;
  if (ReadWholeFile(FindPathNoCase(game_folder_, "ashfront.pid"), &text, 4096)) {
    pid = static_cast<int32_t>(atoi(text.c_str()));
  } else {
    pid = kAnyPid;
    if (!server_.FindServerProcess(&pid)) pid = 0;
  }
  server_.SetServerPid(pid);
}

bool Program::CoordinateInstances() {
  int32_t pid = server_.ServerPid();
  if (pid == 0) return true;
  if (command_line_.stop) {
    channel_.Broadcast(kVrnhQuit, pid);
    exit_code_ = 1;
    ClearLastError();
    return false;
  }
  channel_.Broadcast(kVrnhQuery, pid);
  return true;
}

void Program::AdoptOrStartServer() {
  int32_t pid = server_.ServerPid();
  ClearLastError();
  if (pid != 0 && server_.FindServerProcess(&pid)) {
    supervisor_.AdoptServer(pid);
    return;
  }
  if (GetLastErrorCode() == 0 && command_line_.start && !command_line_.stop) {
    if (supervisor_.StartServer()) {
      log_.LogMessage(kSoundNone, "Server started via command-line option.");
    } else {
      log_.LogMessage(kSoundNone, "Couldn't start server via command-line option!");
    }
  }
}

}  // namespace varnholt
