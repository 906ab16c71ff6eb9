// One request being handled: the client's lease, the streams over its socket and what was
// read after the code. Shared by the files of the request handler only.
#pragma once

#include <string>

#include "remote/request_handler.h"
#include "remote/request_table.h"
#include "remote/socket_stream.h"

namespace varnholt {

// The server's CustomCombat game-mode file, below the game folder.
constexpr const char* kCustomCombatFile = "Mods/ashfront/save/GameModeSettings/CustomCombat.wst";

struct RequestHandler::Request {
  Request(const ClientLease& lease, const Clock& clock)
      : client(lease), source(lease.socket, clock), sink(lease.socket, clock) {}

  ClientIdentity Identity() const { return {client.user, client.address, client.rights}; }
  const char* user() const { return client.user.c_str(); }
  const char* address() const { return client.address.c_str(); }

  ClientLease client;
  uint32_t code = 0;
  const RequestRow* row = nullptr;
  SocketSource source;
  SocketSink sink;
  std::string text;
  // False once the stream is out of step: the client is dropped after this request.
  bool in_step = true;
};

}  // namespace varnholt
