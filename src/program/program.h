// The program object: owns every subsystem's state for the whole run, runs start-up in its
// fixed order, coordinates with other running instances and shuts down in order. Start-up,
// shutdown and the instance messages run on the user-interface thread (the thread that runs
// the event loop); Commands run on the worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "autoadmin/auto_admin.h"
#include "autoadmin/in_game_commands.h"
#include "autoadmin/player_menu.h"
#include "bans/ban_list.h"
#include "bans/bans.h"
#include "core/command_line.h"
#include "core/command_queue.h"
#include "core/interface_list.h"
#include "core/program_options.h"
#include "core/worker.h"
#include "gamelink/console_client.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink/player_stats.h"
#include "gamelink/status_query.h"
#include "gamelink/status_summary.h"
#include "log/admin_log.h"
#include "log/event_log.h"
#include "maps/map_rotation.h"
#include "maps/mod_catalog.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/instance_channel.h"
#include "platform/window_probe.h"
#include "program/dispatcher.h"
#include "program/program_requests.h"
#include "program/program_services.h"
#include "program/service_status.h"
#include "program/status_display.h"
#include "remote/listener.h"
#include "remote/request_handler.h"
#include "remote/user_accounts.h"
#include "schedule/schedule.h"
#include "settings/live_settings.h"
#include "settings/settings_files.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"
#include "supervisor/server_process.h"
#include "supervisor/supervisor.h"

namespace varnholt {

// What the front end (a window, or nothing when headless) does for start-up and shutdown.
// The button texts and the page refresh may be asked for from any thread.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Builds the main window and its pages; false when it cannot.
  virtual bool CreateMainWindow() { return true; }
  virtual void SetStartButtonText(const char* /*text*/) {}
  virtual void SetPauseButtonText(const char* /*text*/) {}
  // The tables changed behind the pages' back (a load, values read from the server).
  virtual void RefreshPages() {}
  // The tab the window shows, for the worker's page refresh; -1 when every page counts as
  // shown (no window).
  virtual int ShownPage() const { return -1; }
  virtual void DestroyWindows() {}
};

struct ProgramSetup {
  std::string game_folder;             // the working folder at start-up
  std::vector<std::string> arguments;  // the words after the program name
  std::string runtime_folder;          // where instance sockets live
};

class Program {
 public:
  Program(ProgramSetup setup, const Clock& clock, EventLoop& loop, MessagePresenter& presenter,
          FrontEnd& front_end);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The entry point: initialise, run the loop, return the exit code.
  int Run();
  // Everything up to the loop; false means the program ends with the exit code set so far.
  bool Initialise();

  // Ends the run; the loop returns `exit_code`.
  void ShutdownProgram(int exit_code = 0);
  // A shutdown signal (SIGTERM, SIGINT) arrived.
  void OnShutdownSignal(int signal);

  // Tells the service manager the server's state after a Command (worker thread).
  void ReportServiceStatus();

  // Instance messages.
  void HandleInstanceMessage(const InstancePacket& packet);

  // The subsystems the dispatcher's services and the program's main() reach.
  EventLog& Log() { return log_; }
  Supervisor& Supervision() { return supervisor_; }
  ConsoleClient& Console() { return console_; }
  GameLink& Link() { return game_link_; }
  MapRotation& Rotation() { return rotation_; }
  ModCatalog& Catalog() { return catalog_; }
  SettingsStore& Store() { return store_; }
  LiveSettings& Live() { return live_; }
  PlayerList& Players() { return players_; }
  const CommandLine& ParsedCommandLine() const { return command_line_; }
  Bans& BanActions() { return bans_; }
  BanList& BanRecords() { return ban_list_; }
  // Banned words, player rules and announcements; LoadBannedWords reads the file again.
  AutoAdmin& AutoAdministration() { return auto_admin_; }
  PlayerMenu& Menu() { return player_menu_; }
  // Opens BannedWords.con in the text editor; the list is read again before the next chat
  // line is checked or at the next apply (program_autoadmin.cpp).
  bool EditBannedWords();
  SettingsTable& Settings() { return settings_; }
  StatusDisplay& Status() { return status_; }
  // The status summary and the statistics files (program_status.cpp).
  StatusSummary& Summary() { return summary_; }
  PlayerStats& Stats() { return stats_; }
  bool RefreshServerStatus();
  SettingsFiles& Files() { return settings_files_; }
  const std::string& SettingsFolder() const { return settings_folder_; }
  UserAccounts& Accounts() { return accounts_; }
  Schedule& EventSchedule() { return schedule_; }
  RemoteListener& Listener() { return listener_; }
  RequestHandler& Requests() { return requests_; }
  bool DedicatedMode() const { return dedicated_mode_; }
  // What the window reaches besides the subsystems: the queue it puts Commands on, the
  // options it edits (the options dialog, Hide) and the detected addresses.
  CommandQueue& Queue() { return queue_; }
  ProgramOptions& Options() { return options_; }
  const InterfaceList& Interfaces() const { return interfaces_; }
  const std::string& GameFolder() const { return game_folder_; }
  const Clock& ProgramClock() const { return clock_; }
  // The options dialog's confirmation: takes `options`, applies the ones that steer running
  // parts (log, sounds, chat logging, admin messages) and writes Varnholt.ini.
  bool ChangeProgramOptions(const ProgramOptions& options);
  int ShownPage() const { return front_end_.ShownPage(); }

 private:
  // Instance initialisation.
  bool InitialiseInstance();
  bool OpenInstanceChannel();
  // Main initialisation, one function per step in start-up order.
  bool MainInitialisation();
  void DeriveFolders();
  void WriteOwnPid();
  bool DetermineSystemVersion();
  bool ReadOptions();
  bool ParseArguments();
  void DetectDedicatedMode();
  bool CheckServerExecutable();
  void DetectPunkBuster();
  void EnsureSettingsFiles();
  void EnsurePlayerMenu();
  bool CheckSettingsFolder();
  bool CheckWritable(const char* name, const char* message);
  bool CheckModFolder();
  void WarnAboutUserFolders();
  void DeleteKickList();
  bool DetectInterfaces();
  bool BuildUserInterface();
  void ResetSettings();
  bool ExtractDefaultGameModes();
  bool DiscoverMods();
  bool LoadStores();
  void ConfigureGameLink();
  void ConfigureSupervisor();
  // The ban subsystem's view of the server state and settings (program_bans.cpp).
  BanEnvironment BanEnvironmentOf();
  void ConfigureBans();
  // The auto-admin plugged into the program (program_autoadmin.cpp): its view of the
  // options, whom it notifies, the chat it checks, the store's reload of edited words, and
  // the monitor tick's announcements and player rules.
  AutoAdminEnvironment AutoAdminEnvironmentOf();
  InGameEnvironment InGameEnvironmentOf();
  void ConfigureAutoAdmin();
  void AddAutoAdminStoreHooks(SettingsStoreHooks* hooks);
  void AutoAdminTick();
  // The schedule plugged into the program (program_schedule.cpp).
  ScheduleEnvironment ScheduleEnvironmentOf();
  void ConfigureSchedule();
  void AddScheduleHooks(SupervisorHooks* hooks);
  // The user accounts, the client table and the listener's hooks (program_remote.cpp).
  void ConfigureRemote();
  void StartRemoteListener();
  // The status summary's view of the settings, supervisor and rotation, and the statistics
  // file's setting (program_status.cpp).
  ServerStatusFacts StatusFactsNow();
  void ConfigureStatus();
  bool LogPlayerStats();
  // The player list rebuilt from the server; logs `failure` with the error sound.
  void RefreshPlayerList(const char* failure);
  bool ApplyIpOption();
  void CheckServerAddress();
  void DetectRunningServer();
  bool CoordinateInstances();
  void AdoptOrStartServer();
  void StartTimers();
  ServiceState ServiceStateNow() const;

  bool Fatal(const char* format, ...) __attribute__((format(printf, 2, 3)));

  ProgramSetup setup_;
  const Clock& clock_;
  EventLoop& loop_;
  MessagePresenter& presenter_;
  FrontEnd& front_end_;

  std::string game_folder_;
  std::string settings_folder_;
  EventLog log_;
  // Read and parsed by start-up on the user-interface thread before the timers queue the
  // first Command; the worker only reads them afterwards (and shutdown writes the options).
  ProgramOptions options_;
  CommandLine command_line_;
  CommandQueue queue_;
  Worker worker_;
  InstanceChannel channel_;
  ServerProcess server_;
  InterfaceList interfaces_;
  SettingsTable settings_;
  SettingsFiles settings_files_;
  ModCatalog catalog_;
  MapRotation rotation_;
  StatusQuery status_query_;
  ConsoleClient console_;
  PlayerList players_;
  // The one link every subsystem reaches the server through, over the three above.
  GameLinkClients game_link_;
  X11WindowProbe windows_;
  Supervisor supervisor_;
  SettingsStore store_;
  LiveSettings live_;
  // Ban list, bans and the admin action log (-adminlog).
  BanList ban_list_;
  AdminLog admin_log_;
  Bans bans_;
  AutoAdmin auto_admin_;
  // The player menu and the "!" commands typed in chat that run its shortcuts.
  PlayerMenu player_menu_;
  InGameCommands in_game_commands_;
  Schedule schedule_;
  StatusDisplay status_;
  StatusSummary summary_;
  PlayerStats stats_;
  // Remote administration: accounts, the listener with its client table (built and
  // destroyed on the user-interface thread) and the request handler the worker runs.
  UserAccounts accounts_;
  RemoteListener listener_;
  ProgramRequests request_services_;
  RequestHandler requests_;
  ProgramServices services_;
  Dispatcher dispatcher_;
  // Readiness, status and watchdog for systemd; silent without it.
  SystemdNotifier service_notifier_;
  ServiceStatus service_status_;

  // Owned by the user-interface thread (start-up, instance messages, signals, shutdown).
  // dedicated_mode_ is settled by start-up before the timers queue the first Command; the
  // worker only reads it afterwards.
  std::string os_text_;
  int os_version_code_ = 0;
  bool dedicated_mode_ = true;
  bool punkbuster_installed_ = false;
  bool shutting_down_ = false;
  bool worker_started_ = false;
  int exit_code_ = 1;
};

}  // namespace varnholt
