// The schedule plugged into the program: the server it starts and stops, the settings and
// rotation a start event loads, the monitor and status ticks that drive it, and how the
// settings store loads and saves ServerSchedule.con.
#include "program/program.h"
#include "settings/setting_def.h"

namespace varnholt {

ScheduleEnvironment Program::ScheduleEnvironmentOf() {
  ScheduleEnvironment env;
  env.server_running = [this] { return supervisor_.ServerRunning(); };
  env.server_pid = [this] { return supervisor_.ServerPid(); };
  env.start_server = [this] { return supervisor_.StartServer(); };
  env.stop_server = [this] { return supervisor_.StopServer(); };
  env.load_settings_file = [this](const std::string& path) {
    return settings_files_.LoadSettingsFile(path, kAllPages, SettingsUser::LocalOperator(), true);
  };
  env.load_map_rotation = [this](const std::string& path) {
    rotation_.SetModeFilter(kAllModes);
    rotation_.SetModFilter(kAllMods);
    return rotation_.LoadMapRotation(path, supervisor_.ServerRunning());
  };
  env.server_map_list_path = [this] { return rotation_.ServerMapListPath(); };
  env.set_pending_event = [this](int64_t time, int32_t pid) {
    supervisor_.SetPendingEvent(time, pid);
  };
  env.admin_messages = [this] { return options_.AdminMessages; };
  env.monitor_period = [this] { return settings_.GetInt("manager.monitorTimerPeriod"); };
  return env;
}

void Program::ConfigureSchedule() {
  schedule_.SetDebug(command_line_.debug);
  SavedListHooks hooks;
  hooks.load = [this](const std::string& path) { return schedule_.LoadSchedule(path); };
  hooks.save = [this](const std::string& path) { return schedule_.SaveSchedule(path); };
  hooks.dirty = [this] { return schedule_.Dirty(); };
  hooks.clear_dirty = [this] { schedule_.ClearDirty(); };
  store_.SetListHooks(SavedList::kSchedule, hooks);
}

void Program::AddScheduleHooks(SupervisorHooks* hooks) {
  hooks->schedule_tick = [this] { return schedule_.ScheduleTick(); };
  hooks->fire_scheduled_event = [this](int64_t time) { schedule_.FireScheduledEvent(time); };
}

}  // namespace varnholt
