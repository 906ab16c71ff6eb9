// The requests that act on the server or queue a Command for the dispatcher.
#include "core/notify_codes.h"
#include "remote/request_handler.h"
#include "remote/request_state.h"

namespace varnholt {

void RequestHandler::StartServer(Request& r) {
  if (services_.ServerRunning()) {
    listener_.NotifyClients(kNotifyAlreadyRunning);
    log_.LogMessage(kSoundNone,
                    "User %s at %s tried to start the server but it is already running.", r.user(),
                    r.address());
  } else if (services_.StartServer()) {
    log_.LogMessage(kSoundNone, "User %s at %s started the server.", r.user(), r.address());
  } else {
    listener_.NotifyClient(kNotifyFailed, r.client.slot);
  }
}

void RequestHandler::StopServer(Request& r) {
  if (!services_.ServerRunning()) {
    listener_.NotifyClients(kNotifyAlreadyStopped);
    log_.LogMessage(kSoundNone, "User %s at %s tried to stop the server but it is already stopped.",
                    r.user(), r.address());
  } else if (services_.StopServer()) {
    log_.LogMessage(kSoundNone, "User %s at %s stopped the server.", r.user(), r.address());
  } else {
    listener_.NotifyClient(kNotifyFailed, r.client.slot);
  }
}

void RequestHandler::QueueLevelCommand(Request& r, uint32_t command, bool empty_allowed) {
  // Only a level of this server's catalogue goes on to the console, so a client cannot
  // smuggle other console commands in with a map name.
  if (!(empty_allowed && r.text.empty()) && !services_.IsKnownLevel(r.text)) {
    log_.LogMessage(kSoundNone,
                    "Couldn't take the map from user %s at %s! It is not a level of "
                    "this server.",
                    r.user(), r.address());
    listener_.NotifyClient(kNotifyFailed, r.client.slot);
    return;
  }
  QueueFor(r, command);
}

}  // namespace varnholt
