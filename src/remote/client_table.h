// The table of connected clients: slot 0 the local operator, slots 1 to 16 remote clients,
// and the lookups that turn a Command's originator into a user, an address and rights.
//
// Threads: the user-interface thread fills and empties slots (login, close events); the
// worker reads them for requests and notifications and may empty one (a disconnect
// Command). `mutex_` guards every slot and is held only to copy data in or out, never
// across I/O. Each slot has a generation that changes whenever the slot is filled or
// emptied, so work begun for one client is never finished for the next one in its slot.
// A socket in use by a lease is shut down at once when its client goes, but its number is
// only given back to the system when the last lease ends, so it cannot be reused under a
// thread that still holds it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/access_rights.h"

namespace varnholt {

class UserAccounts;

constexpr int kLocalOperator = 0;
constexpr int kMaxRemoteClients = 16;
constexpr int kClientSlots = kMaxRemoteClients + 1;
// Originators from here up are in-game administrators; the low 8 bits are the row of
// their account.
constexpr uint32_t kGameAdminOriginator = 0xFF00;
constexpr size_t kMaxClientText = 31;
constexpr const char* kUnknownIdentity = "[unknown]";

struct ClientSession {
  int socket = -1;         // -1: free (the local operator never has one)
  bool connected = false;  // false while a login holds the slot for its last step
  std::string user;
  std::string address;  // "a.b.c.d:port"
  AccessRights rights = 0;
  uint32_t generation = 0;
  std::string last_request;  // ctime text of the client's last request, empty before one
  int leases = 0;
};

// A row of the Clients page.
struct ClientRow {
  int slot = 0;
  std::string user;
  std::string address;
  std::string status;  // "Connected"
  std::string last_request;
};

// A hold on a connected client's socket for one request or one notification.
struct ClientLease {
  int slot = 0;
  uint32_t generation = 0;
  int socket = -1;
  std::string user;
  std::string address;
  AccessRights rights = 0;
};

class ClientTable {
 public:
  // `accounts` resolves in-game administrators; it must outlive the table.
  explicit ClientTable(const UserAccounts& accounts);
  ~ClientTable();
  ClientTable(const ClientTable&) = delete;
  ClientTable& operator=(const ClientTable&) = delete;

  // Empties the table (closing nothing) and gives slot 0 to the local operator.
  void ClearClients();

  // Takes the first free slot among 1..16 for a login in progress; -1 when all are taken.
  int ReserveSlot(int socket, std::string_view user, std::string_view address, AccessRights rights);
  // Makes a reserved slot a connected client; returns its generation.
  uint32_t ConfirmSlot(int slot);
  // Whether a login could still take a slot.
  bool HasFreeSlot() const;
  // Empties slot 1..16 and returns what it held: nothing for a free slot, another number,
  // or (when `generation` is given) another client than the one meant. The socket is the
  // caller's to shut down; its number is given back by SocketUnwatched() and the end of its
  // last lease.
  std::optional<ClientSession> VacateSlot(int slot,
                                          std::optional<uint32_t> generation = std::nullopt);
  // The socket's watch is gone: closes it now, or when its last lease ends.
  void SocketUnwatched(int socket);

  // A lease on a connected client: of this generation only, or of whatever client holds
  // the slot now. Nothing when the slot is free or the client is another one.
  std::optional<ClientLease> AcquireClient(int slot, uint32_t generation);
  std::optional<ClientLease> AcquireSlot(int slot);
  void ReleaseClient(const ClientLease& lease);
  // Frames to one client go out one whole frame at a time, whichever thread sends them.
  std::unique_lock<std::mutex> LockSending(int slot);

  bool IsCurrent(int slot, uint32_t generation) const;
  // The slot 1..16 holding `socket`, else -1.
  int FindSlotBySocket(int socket) const;
  // True when a client (connected or finishing its login) uses that name.
  bool IsUserConnected(std::string_view name) const;
  std::vector<int> ConnectedSlots() const;
  std::optional<ClientSession> Session(int slot) const;

  std::string GetClientName(uint32_t originator) const;
  std::string GetClientAddress(uint32_t originator) const;
  AccessRights GetClientRights(uint32_t originator) const;

  // The time text of a client's latest request (set by the request handler).
  void SetLastRequest(int slot, uint32_t generation, std::string_view text);
  // The Clients page: one row per connected client, in slot order.
  std::vector<ClientRow> ClientRows() const;

 private:
  struct RetiredSocket {
    int socket;
    uint32_t generation;
    int leases;
    bool unwatched;
  };
  static bool IsRemoteSlot(int slot) { return slot >= 1 && slot <= kMaxRemoteClients; }
  std::optional<ClientLease> AcquireLocked(int slot);

  const UserAccounts& accounts_;
  mutable std::mutex mutex_;
  std::array<ClientSession, kClientSlots> slots_;
  std::vector<RetiredSocket> retired_;
  std::array<std::mutex, kClientSlots> send_mutexes_;
};

}  // namespace varnholt
