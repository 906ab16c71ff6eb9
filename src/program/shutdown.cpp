// The orderly shutdown, the messages between running instances and the options changed
// while running.
#include "platform/crash_report.h"
#include "platform/files.h"
#include "program/program.h"

namespace varnholt {

void Program::ShutdownProgram(int exit_code) {
  if (shutting_down_) return;
  shutting_down_ = true;
  service_status_.ReportStopping();
  if (command_line_.exit_stops_server && supervisor_.ServerRunning()) {
    supervisor_.StopServer();
    log_.LogMessage(kSoundNone, "Server stopped due to exit.");
  }
  supervisor_.StopMonitorTimer();
  supervisor_.StopStatusTimer();
  if (worker_started_) {
    queue_.QueueCommand(kQuitCommand, "", 0, 0);
    worker_.WaitForExit(3000);
  }
  log_.LogMessage(kSoundNone, "Exited");
  options_.ModeFilter = static_cast<int>(rotation_.ModeFilter());
  options_.ModFilter = static_cast<int>(rotation_.ModFilter());
  WriteProgramOptions(JoinPath(game_folder_, "Varnholt.ini"), options_);
  front_end_.DestroyWindows();
  if (channel_.fd() >= 0) loop_.UnwatchSocket(channel_.fd());
  channel_.Close();
  exit_code_ = exit_code;
  loop_.Quit(exit_code);
}

bool Program::ChangeProgramOptions(const ProgramOptions& options) {
  options_ = options;
  log_.SetErrorLog(options_.ErrorLog);
  SetCrashReportToLog(options_.ErrorLog);
  log_.SetGuiSounds(options_.GUISounds);
  console_.SetLogPlayerChat(options_.LogPlayerChat);
  players_.SetAdminMessages(options_.AdminMessages);
  return WriteProgramOptions(JoinPath(game_folder_, "Varnholt.ini"), options_);
}

void Program::HandleInstanceMessage(const InstancePacket& packet) {
  if (packet.sender == channel_.id()) return;
  int32_t own = server_.ServerPid();
  switch (packet.message) {
    case kVrnhQuery:
      channel_.Broadcast(kVrnhReply, own);
      break;
    case kVrnhReply:
      // A reply about no server (pid 0) says nothing about ours.
      if (packet.pid != 0 && packet.pid == own && !shutting_down_) {
        supervisor_.StopMonitorTimer();
        console_.ConsoleDisconnect();
        log_.ShowMessage(kMessageError,
                         "Another instance of Varnholt is already monitoring this server.");
        ShutdownProgram(1);
      }
      break;
    case kVrnhQuit:
      if (packet.pid != 0 && packet.pid == own && !shutting_down_) {
        if (supervisor_.StopServer()) {
          log_.LogMessage(kSoundNone, "Server stopped via command-line option");
        } else {
          log_.LogMessage(kSoundNone, "Couldn't stop server via command-line option!");
        }
        ShutdownProgram();
      }
      break;
    default:
      break;
  }
}

}  // namespace varnholt
