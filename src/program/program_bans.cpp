// The ban subsystem plugged into the program: where it learns the server's state and the
// settings it obeys, how the settings store loads and saves its list, and whom it notifies.
#include "program/program.h"

namespace varnholt {

BanEnvironment Program::BanEnvironmentOf() {
  BanEnvironment env;
  env.server_running = [this] { return supervisor_.ServerRunning(); };
  env.punkbuster_installed = [this] { return punkbuster_installed_; };
  env.punkbuster_enabled = [this] { return supervisor_.PunkBusterEnabled(); };
  env.server_internet = [this] { return settings_.GetBool("game.serverInternet"); };
  env.ban_in_af_and_pb = [this] { return settings_.GetBool("manager.banInAFandPB"); };
  env.notify_clients = [this](uint32_t code, std::string_view data, bool has_data) {
    services_.NotifyClients(code, data, has_data);
  };
  return env;
}

void Program::ConfigureBans() {
  admin_log_.SetEnabled(command_line_.admin_log);
  bans_.SetDebug(command_line_.debug);
  SavedListHooks hooks;
  hooks.load = [this](const std::string& path) { return ban_list_.LoadBanList(path); };
  hooks.save = [this](const std::string& path) { return ban_list_.SaveBanList(path); };
  hooks.dirty = [this] { return ban_list_.Dirty(); };
  hooks.clear_dirty = [this] { ban_list_.SetDirty(false); };
  store_.SetListHooks(SavedList::kBanList, hooks);
}

}  // namespace varnholt
