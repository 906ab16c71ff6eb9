// The listening side of TCP: the remote administration listener's socket, accepting its
// connections, and the two calls it needs on an accepted one. Every socket is non-blocking;
// failures leave the last error in the socket code space (10048 address in use, 10049 no
// such local address, ...).
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// A non-blocking IPv4 stream socket bound to address:port (host order; 0 = every interface)
// and listening with the largest backlog the system allows; -1 with the last error.
int CreateListenSocket(uint32_t address, uint16_t port);

// Takes one waiting connection: a non-blocking socket and the peer's address and port, or
// -1 with the last error (10035 when none is waiting).
int AcceptConnection(int listen_socket, uint32_t* peer_address, uint16_t* peer_port);

enum class PeekResult { kData, kNothing, kClosed };
// Looks at a readable socket without taking anything: data waiting, nothing (a spurious
// wake-up), or a peer that closed the connection or a failed socket.
PeekResult PeekConnection(int socket);

// Ends both directions at once, so a thread blocked on the socket returns, while its number
// stays taken until CloseSocket.
void ShutdownSocket(int socket);

}  // namespace varnholt
