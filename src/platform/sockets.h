// IPv4 sockets for the clients of the game server (TCP remote console, UDP status query).
// Every socket is non-blocking; waiting is done with WaitReadable/WaitWritable, which sleep
// in poll() for at most the given time. Failures leave the last error in the socket code
// space (10035 would block, 10054 reset, 10060 timed out, ...). Sockets are plain file
// descriptors owned by the caller; none of this keeps state.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnholt {

constexpr int kNoSocket = -1;

// A non-blocking TCP or UDP socket bound to any local address and port; kNoSocket on
// failure.
int CreateTcpSocket();
int CreateUdpSocket();
void CloseSocket(int socket);

// Starts a connection to address:port (host order). True when the connection is made or
// under way (the would-block case); false with the socket error otherwise.
bool StartConnect(int socket, uint32_t address, uint16_t port);
// After WaitWritable reported the socket ready: true when the connection was made, false
// with the reason it failed (10061 refused, ...).
bool ConnectionEstablished(int socket);

enum class WaitResult { kReady, kTimedOut, kFailed };
// Sleeps until the socket can be read (or written), at most `timeout_ms`. A socket with a
// pending error or a closed peer counts as ready, so the next call reports it.
WaitResult WaitReadable(int socket, int timeout_ms);
WaitResult WaitWritable(int socket, int timeout_ms);

// One send or receive call. Returns the bytes moved, or -1 with the last error (10035 when
// it would block). ReceiveSome returns 0 when the peer closed the connection. A send on a
// connection the peer has dropped reports 10054 and never raises SIGPIPE.
long SendSome(int socket, const void* bytes, size_t count);
long ReceiveSome(int socket, void* buffer, size_t capacity);

// How many bytes can be read at once without waiting; -1 with the socket error when the
// socket cannot be asked.
long BytesWaiting(int socket);

// One datagram to address:port.
[[nodiscard]] bool SendDatagram(int socket, uint32_t address, uint16_t port, const void* bytes,
                                size_t count);
// One datagram into `buffer`. A datagram larger than `capacity` is consumed and reported as
// 10040 (message too long) instead of being cut silently; 10035 when none is waiting.
bool ReceiveDatagram(int socket, void* buffer, size_t capacity, size_t* size);

// The local port a socket is bound to (0 when unknown).
uint16_t LocalPort(int socket);

}  // namespace varnholt
