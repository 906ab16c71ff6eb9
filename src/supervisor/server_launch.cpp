// Starting, stopping and adopting the game server process.
#include <cstdarg>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "platform/process_launch.h"
#include "platform/processes.h"
#include "settings/con_file.h"
#include "supervisor/launch_command.h"
#include "supervisor/supervisor.h"

namespace varnholt {
namespace {

constexpr const char* kDefaultPassword = "Lanterns";
constexpr const char* kDefaultUsername = "UserName";
constexpr size_t kCredentialMax = 31;

}  // namespace

Supervisor::Supervisor(SupervisorDeps deps) : deps_(std::move(deps)) {}

void Supervisor::Notify(uint32_t code) {
  // From any thread: the notification itself is sent by the worker.
  deps_.queue.QueueCommand(kCmdNotifyAll, std::to_string(static_cast<int32_t>(code)), 0, 0);
}

bool Supervisor::StartFailed(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(kMaxMessageText, format, args);
  va_end(args);
  if (automatic_start_) {
    deps_.log.LogMessage(kSoundError, "%s", text.c_str());
  } else {
    deps_.log.ShowMessage(kMessageError, "%s", text.c_str());
  }
  return false;
}

bool Supervisor::ValidateStart() {
  const SettingsTable& s = deps_.settings;
  const SettingDef& port_def = kSettingDefs[setting_rows::kServerPort];
  int32_t game_port = s.GetInt("game.serverPort");
  int32_t console_port = s.GetInt("manager.consolePort");
  bool console_on = s.GetBool("manager.enableRemoteConsole");
  bool admin_on = s.GetBool("manager.enableRemoteAdmin");
  bool internet = s.GetBool("game.serverInternet");
  std::string user = s.GetText("manager.consoleUsername");
  std::string password = s.GetText("manager.consolePassword");
  auto in_port_range = [&](int32_t p) {
    return p >= port_def.low_bound && p <= port_def.high_bound;
  };
  const char* failure = nullptr;
  if (s.GetAddress("game.serverIP") == 0) {
    failure =
        "Couldn't start the server! Server IP is blank. You must specify an IP address on "
        "the Server dialog page.";
  } else if (!in_port_range(game_port)) {
    failure =
        "Couldn't start the server! Game port address is invalid. Configure a valid port "
        "address on the Server dialog page.";
  } else if (console_on && !in_port_range(console_port)) {
    failure =
        "Couldn't start the server! Remote Console port address is invalid. Configure a "
        "valid port address on the Server dialog page.";
  } else if (console_on && console_port == options_.listen_port) {
    failure =
        "Couldn't start the server! Remote Console port address is the same as the "
        "Varnholt port address. These ports must NOT be the same address.";
  } else if (game_port == options_.listen_port) {
    failure =
        "Couldn't start the server! Game port address is the same as the Varnholt port "
        "address. These ports must NOT be the same address.";
  } else if (s.GetText("game.serverName").empty()) {
    failure = "Couldn't start the server! You must provide a name for the server.";
  } else if (admin_on && password.empty()) {
    failure =
        "Couldn't start the server! Remote Admin password is blank. Specify a valid "
        "password on the Admin dialog page.";
  } else if (internet && admin_on && EqualsNoCase(password, kDefaultPassword)) {
    failure =
        "Couldn't start the server! Using the default Remote Admin password is disallowed "
        "for an Internet server to prevent unauthorised access. Change the password on "
        "the Admin dialog page and try again.";
  } else if (console_on && (user.empty() || password.empty())) {
    failure =
        "Couldn't start the server! Remote Console username and/or password is blank. "
        "Specify a username/password on the Admin dialog page.";
  } else if (internet && console_on && user == kDefaultUsername && password == kDefaultPassword) {
    failure =
        "Couldn't start the server! Using the default Remote Console username and password "
        "is disallowed for an Internet server to prevent unauthorised access. Change the "
        "username/password on the Admin dialog page and try again.";
  }
  if (failure == nullptr) return true;
  StartFailed("%s", failure);
  ClearLastError();
  return false;
}

bool Supervisor::WriteServerFiles() {
  const std::string& folder = deps_.settings_folder;
  // The server's own file; it would override what we write.
  RemoveFile(FindPathNoCase(folder, kAdminSettingsFile));
  if (!deps_.settings_files.WriteServerSettingsFile(FindPathNoCase(folder, kServerSettingsFile))) {
    return StartFailed("Couldn't start the server! Couldn't write server settings file.");
  }
  if (!deps_.settings_files.WriteServerAutoexecFile(FindPathNoCase(folder, kServerAutoexecFile))) {
    return StartFailed("Couldn't start the server! Couldn't write server autoexec file.");
  }
  if (!deps_.rotation.SaveMapRotation(deps_.rotation.GameMapListPath())) {
    return StartFailed("Couldn't start the server! Couldn't write maplist file.");
  }
  std::string server_list = deps_.rotation.ServerMapListPath();
  std::string idle;
  if (ReadConSetting(deps_.log, server_list, "game.setIdleLevel", &idle, kMaxLevelSpecLength + 1)) {
    deps_.rotation.SetIdleLevel(idle);
  }
  if (FileExists(server_list) && FileSize(server_list) == 0) {
    return StartFailed(
        "Couldn't start the server! The map rotation does not contain at least one level.");
  }
  return true;
}

bool Supervisor::LaunchServer() {
  uint32_t ip = deps_.settings.GetAddress("game.serverIP");
  if (!deps_.interfaces.IsServerIpLocal(ip)) {
    StartFailed(
        "Couldn't start the server! A network interface with server IP address %s was not "
        "detected on this system.\nYou must activate this interface or change the server "
        "IP address before you can start the server.",
        IpToText(ip).c_str());
    ClearLastError();
    return false;
  }
  std::string executable = ServerExecutablePath(deps_.game_folder);
  if (!FileExists(executable)) {
    StartFailed(
        "Couldn't start the server! The server executable file %s is missing. Reinstall "
        "the game or dedicated server application.",
        kServerExecutable);
    ClearLastError();
    return false;
  }
  std::vector<std::string> args = ServerCommandLine(options_.launch_prefix, executable,
                                                    deps_.settings.GetBool("game.serverInternet"));
  std::string program = args.front();
  args.erase(args.begin());
  pid_t pid = LaunchProcess(program, args, deps_.game_folder);
  if (pid < 0) {
    return StartFailed("Couldn't create the server process! %s", ErrorText(GetLastErrorCode()));
  }
  if (options_.above_normal && !SetProcessNice(pid, kNiceAboveNormal)) {
    deps_.log.LogMessage(kSoundNone, "Couldn't set server priority class! %s",
                         ErrorText(GetLastErrorCode()));
  }
  if (deps_.settings.GetBool("manager.enableRemoteConsole")) {
    std::string user = deps_.settings.GetText("manager.consoleUsername").substr(0, kCredentialMax);
    std::string password =
        deps_.settings.GetText("manager.consolePassword").substr(0, kCredentialMax);
    deps_.console.SetCredentials(user, password);
  } else {
    deps_.console.ClearCredentials();
    deps_.log.LogMessage(kSoundInformation,
                         "WARNING: The server has been started with the remote console disabled. "
                         "This will prevent many admin functions in Varnholt from working!");
  }
  deps_.log.LogMessage(kSoundNone, "Server started");
  Notify(kNotifyServerStarted);
  deps_.process.SetServerPid(pid);
  launched_pid_ = pid;
  deps_.status.ForgetIdentifiedPorts();
  server_version_ = 0;
  deps_.rotation.SetCurrentLevel("");
  // A new server gets a fresh hang count, so one that hangs at once is caught.
  unresponsive_count_ = 0;
  StartStatusTimer();
  server_start_time_ = deps_.clock.CalendarSeconds();
  if (hooks_.start_button_text) hooks_.start_button_text("Stop");
  if (hooks_.pause_button_text) hooks_.pause_button_text("Pause");
  deps_.process.SetServerRunning(true);
  return true;
}

bool Supervisor::StartServer() {
  std::lock_guard<std::recursive_mutex> lock(start_stop_mutex_);
  if (!ValidateStart()) return false;
  if (!WriteServerFiles()) return false;
  return LaunchServer();
}

void Supervisor::ResetRestartCount() {
  std::lock_guard<std::recursive_mutex> lock(start_stop_mutex_);
  restart_count_ = 0;
}

bool Supervisor::StopServer() {
  return StopServerKeepingCount(false);
}

bool Supervisor::StopServerKeepingCount(bool keep_restart_count) {
  std::lock_guard<std::recursive_mutex> lock(start_stop_mutex_);
  deps_.process.SetServerRunning(false);
  deps_.status.ForgetIdentifiedPorts();
  server_version_ = 0;
  if (!keep_restart_count) restart_count_ = 0;
  StopStatusTimer();
  if (hooks_.server_stopped) hooks_.server_stopped();
  int32_t pid = deps_.process.ServerPid();
  // "quit" over the console first; a server that does not go is asked, then terminated.
  bool quit_sent = deps_.link.ConsoleConnected() && deps_.link.RunConsoleCommand("quit");
  deps_.process.StopProcess(pid, quit_sent);
  deps_.console.ConsoleDisconnect();
  deps_.log.LogMessage(kSoundNone, "Server stopped");
  Notify(kNotifyServerStopped);
  if (hooks_.start_button_text) hooks_.start_button_text("Start");
  if (hooks_.pause_button_text) hooks_.pause_button_text("Pause");
  return true;
}

bool Supervisor::ToggleServer() {
  std::lock_guard<std::recursive_mutex> lock(start_stop_mutex_);
  ServerProcessState state = GetServerProcessState();
  if (ServerRunning()) {
    if (state != ServerProcessState::kNotRunning) {
      StopServer();
      return true;
    }
    if (hooks_.start_button_text) hooks_.start_button_text("Start");
    deps_.process.SetServerRunning(false);
    deps_.log.LogMessage(kSoundNone, "Server has already stopped.");
    deps_.console.ConsoleDisconnect();
    return false;
  }
  if (state == ServerProcessState::kRunning) {
    if (hooks_.start_button_text) hooks_.start_button_text("Stop");
    deps_.process.SetServerRunning(true);
    unresponsive_count_ = 0;
    deps_.log.LogMessage(kSoundNone, "Server is already running.");
    return false;
  }
  if (!hooks_.save_all_changes || hooks_.save_all_changes()) {
    // A user's start clears the restart-loop count.
    restart_count_ = 0;
    StartServer();
    return true;
  }
  deps_.log.LogMessage(kSoundNone, "Couldn't start the server! Couldn't save server settings.");
  return false;
}

void Supervisor::AdoptServer(int32_t pid) {
  std::lock_guard<std::recursive_mutex> lock(start_stop_mutex_);
  deps_.process.SetServerPid(pid);
  deps_.process.SetServerRunning(true);
  unresponsive_count_ = 0;
  // An adopted server is watched over its console too, as if this program had started it.
  if (deps_.settings.GetBool("manager.enableRemoteConsole")) {
    deps_.console.SetCredentials(
        deps_.settings.GetText("manager.consoleUsername").substr(0, kCredentialMax),
        deps_.settings.GetText("manager.consolePassword").substr(0, kCredentialMax));
  }
  if (hooks_.start_button_text) hooks_.start_button_text("Stop");
  deps_.log.LogMessage(kSoundNone, "Server is already running, monitoring enabled.");
  StartStatusTimer();
}

}  // namespace varnholt
