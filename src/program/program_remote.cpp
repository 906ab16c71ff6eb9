// Remote administration plugged into the program: the user accounts as a list of the
// settings folder, the listener's client table and hooks, and the listen socket opened
// at the end of start-up.
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "program/program.h"

namespace varnholt {

void Program::ConfigureRemote() {
  listener_.clients().ClearClients();
  SavedListHooks users;
  users.load = [this](const std::string& path) { return accounts_.LoadUserList(path); };
  users.save = [this](const std::string& path) { return accounts_.SaveUserList(path); };
  users.dirty = [this] { return accounts_.Dirty(); };
  users.clear_dirty = [this] { accounts_.ClearDirty(); };
  store_.SetListHooks(SavedList::kUsers, users);

  ListenerHooks hooks;
  hooks.server_running = [this] { return supervisor_.ServerRunning(); };
  // One Command per request; the generation keeps it from being read for a later client
  // of the same slot.
  hooks.on_request = [this](int slot, uint32_t generation) {
    queue_.QueueCommand(kCmdClientData, std::to_string(generation), slot, 0);
  };
  hooks.debug = command_line_.debug;
  listener_.SetHooks(std::move(hooks));
  requests_.SetTiming(command_line_.timing);
}

void Program::StartRemoteListener() {
  // The -ip option names the address to listen on as well; without it, every interface.
  const uint32_t address = command_line_.ip_given ? IpFromText(command_line_.ip) : 0;
  ClearLastError();
  if (!listener_.StartListener(address, command_line_.port)) {
    log_.ShowMessage(kMessageError, kListenerFailedMessage, ErrorText(GetLastErrorCode()));
    ClearLastError();
  }
}

}  // namespace varnholt
