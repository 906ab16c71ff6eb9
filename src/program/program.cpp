#include "program/program.h"

#include <cstdarg>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/compression.h"
#include "platform/crash_report.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kSettingsSubfolder = "Mods/ashfront/Settings";
constexpr const char* kSupportAddress = "support@varnholt.example";

}  // namespace

Program::Program(ProgramSetup setup, const Clock& clock, EventLoop& loop,
                 MessagePresenter& presenter, FrontEnd& front_end)
    : setup_(std::move(setup)),
      clock_(clock),
      loop_(loop),
      presenter_(presenter),
      front_end_(front_end),
      game_folder_(setup_.game_folder),
      settings_folder_(FindPathNoCase(game_folder_, kSettingsSubfolder)),
      log_(game_folder_, clock),
      queue_(clock, log_),
      worker_(queue_, log_, clock, [this](const Command& c) { dispatcher_.DispatchCommand(c); }),
      channel_(setup_.runtime_folder),
      server_(game_folder_, log_, clock),
      interfaces_(log_),
      settings_files_(settings_, log_),
      catalog_(game_folder_, settings_folder_, log_),
      rotation_(settings_folder_, log_),
      status_query_(log_, settings_, clock),
      console_(log_, settings_, status_query_),
      players_(log_, settings_),
      game_link_(console_, status_query_, players_),
      supervisor_(SupervisorDeps{log_, clock, loop, queue_, settings_, settings_files_, rotation_,
                                 interfaces_, game_link_, console_, status_query_, windows_,
                                 server_, game_folder_, settings_folder_}),
      store_(settings_, settings_files_, log_, queue_, game_link_, game_folder_, settings_folder_),
      live_(settings_, game_link_),
      ban_list_(log_),
      admin_log_(game_folder_, false),
      bans_(log_, clock, game_link_, ban_list_, admin_log_,
            BanFiles::In(game_folder_, settings_folder_), BanEnvironmentOf()),
      auto_admin_(log_, clock, game_link_, queue_, settings_, AutoAdminFiles::In(settings_folder_),
                  AutoAdminEnvironmentOf()),
      player_menu_(JoinPath(settings_folder_, "PlayerMenu.con"), log_, game_link_, queue_,
                   PlayerMenuEnvironment{[this] { return options_.KickBanDelay; },
                                         [this] { return options_.AdminMessages; }}),
      in_game_commands_(log_, game_link_, queue_, player_menu_, InGameEnvironmentOf()),
      schedule_(log_, clock, queue_, settings_folder_, ScheduleEnvironmentOf()),
      summary_(log_, game_link_, players_),
      stats_(log_, clock, game_link_, game_folder_),
      accounts_(JoinPath(settings_folder_, "UserAccess.con"), log_),
      listener_(loop, log_, clock, accounts_),
      request_services_(*this),
      requests_(log_, clock, queue_, game_link_, listener_, accounts_, request_services_,
                RequestFolders{game_folder_, settings_folder_}),
      services_(*this),
      dispatcher_(log_, game_link_, services_),
      service_status_(service_notifier_, clock, loop, worker_) {
  log_.SetPresenter(&presenter_);
}

Program::~Program() {
  // The worker must be gone before the state it uses is freed.
  if (worker_started_) {
    queue_.QueueCommand(kQuitCommand, "", 0, 0);
    queue_.Stop();
    worker_.Join();
  }
}

int Program::Run() {
  if (!Initialise()) return exit_code_;
  return loop_.Run();
}

bool Program::Fatal(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(kMaxMessageText, format, args);
  va_end(args);
  log_.ShowMessage(kMessageError, "%s", text.c_str());
  exit_code_ = 1;
  return false;
}

bool Program::Initialise() {
  // The queue exists already (it is a member); start its worker.
  if (!worker_.Start()) {
    return Fatal("Couldn't create worker thread! %s", ErrorText(GetLastErrorCode()));
  }
  worker_started_ = true;
  ClearLastError();
  if (!InitialiseInstance()) {
    if (GetLastErrorCode() != 0) {
      Fatal("Couldn't initialise Varnholt! %s", ErrorText(GetLastErrorCode()));
    }
    return false;
  }
  return true;
}

bool Program::InitialiseInstance() {
  CrashReportConfig crash;
  crash.log_path = log_.LogPath();
  crash.banner = kProgramBanner;
  crash.support_address = kSupportAddress;
  InstallCrashReport(crash);
  if (!InitialiseCompression()) {
    Fatal("Couldn't initialise the compression library!");
    ClearLastError();
    return false;
  }
  if (!OpenInstanceChannel()) {
    Fatal("Couldn't register Varnholt messages!");
    ClearLastError();
    return false;
  }
  return MainInitialisation();
}

bool Program::OpenInstanceChannel() {
  if (!channel_.Open()) return false;
  loop_.WatchSocket(channel_.fd(), kSocketRead, [this](int, SocketEvent) {
    InstancePacket packet;
    while (channel_.Receive(&packet)) HandleInstanceMessage(packet);
  });
  return true;
}

void Program::StartTimers() {
  supervisor_.StartMonitorTimer();
  RefreshServerStatus();
}

ServiceState Program::ServiceStateNow() const {
  return ServiceState{supervisor_.ServerRunning(), players_.RowCount(),
                      game_link_.ConsoleConnected()};
}

void Program::ReportServiceStatus() {
  service_status_.ReportStatus(ServiceStateNow());
}

void Program::OnShutdownSignal(int /*signal*/) {
  ShutdownProgram();
}

}  // namespace varnholt
