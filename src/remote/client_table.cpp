#include "remote/client_table.h"

#include <algorithm>

#include "platform/sockets.h"
#include "remote/user_accounts.h"

namespace varnholt {
namespace {

std::string Cut(std::string_view text) {
  return std::string(text.substr(0, kMaxClientText));
}

bool IsGameAdmin(uint32_t originator) {
  return originator >= kGameAdminOriginator;
}

}  // namespace

ClientTable::ClientTable(const UserAccounts& accounts) : accounts_(accounts) {
  ClearClients();
}

ClientTable::~ClientTable() {
  std::lock_guard lock(mutex_);
  for (const RetiredSocket& r : retired_) CloseSocket(r.socket);
}

void ClientTable::ClearClients() {
  std::lock_guard lock(mutex_);
  for (ClientSession& s : slots_) {
    const uint32_t generation = s.generation + 1;
    s = ClientSession{};
    s.generation = generation;
  }
  ClientSession& local = slots_[kLocalOperator];
  local.user = "operator";
  local.address = "console";
  local.rights = kAdminRights;
  local.connected = true;
}

int ClientTable::ReserveSlot(int socket, std::string_view user, std::string_view address,
                             AccessRights rights) {
  std::lock_guard lock(mutex_);
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    ClientSession& s = slots_[slot];
    if (s.socket >= 0) continue;
    s.socket = socket;
    s.connected = false;
    s.user = Cut(user);
    s.address = Cut(address);
    s.rights = rights;
    s.last_request.clear();
    s.leases = 0;
    ++s.generation;
    return slot;
  }
  return -1;
}

uint32_t ClientTable::ConfirmSlot(int slot) {
  std::lock_guard lock(mutex_);
  if (!IsRemoteSlot(slot)) return 0;
  slots_[slot].connected = true;
  return slots_[slot].generation;
}

bool ClientTable::HasFreeSlot() const {
  std::lock_guard lock(mutex_);
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    if (slots_[slot].socket < 0) return true;
  }
  return false;
}

std::optional<ClientSession> ClientTable::VacateSlot(int slot, std::optional<uint32_t> generation) {
  std::lock_guard lock(mutex_);
  if (!IsRemoteSlot(slot) || slots_[slot].socket < 0) return std::nullopt;
  ClientSession& s = slots_[slot];
  if (generation && s.generation != *generation) return std::nullopt;
  ClientSession old = s;
  retired_.push_back(RetiredSocket{s.socket, s.generation, s.leases, false});
  const uint32_t next = s.generation + 1;
  s = ClientSession{};
  s.generation = next;
  return old;
}

void ClientTable::SocketUnwatched(int socket) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(retired_.begin(), retired_.end(),
                         [socket](const RetiredSocket& r) { return r.socket == socket; });
  if (it == retired_.end()) return;
  it->unwatched = true;
  if (it->leases == 0) {
    CloseSocket(it->socket);
    retired_.erase(it);
  }
}

std::optional<ClientLease> ClientTable::AcquireLocked(int slot) {
  ClientSession& s = slots_[slot];
  if (s.socket < 0 || !s.connected) return std::nullopt;
  ++s.leases;
  return ClientLease{slot, s.generation, s.socket, s.user, s.address, s.rights};
}

std::optional<ClientLease> ClientTable::AcquireClient(int slot, uint32_t generation) {
  std::lock_guard lock(mutex_);
  if (!IsRemoteSlot(slot) || slots_[slot].generation != generation) return std::nullopt;
  return AcquireLocked(slot);
}

std::optional<ClientLease> ClientTable::AcquireSlot(int slot) {
  std::lock_guard lock(mutex_);
  if (!IsRemoteSlot(slot)) return std::nullopt;
  return AcquireLocked(slot);
}

void ClientTable::ReleaseClient(const ClientLease& lease) {
  std::lock_guard lock(mutex_);
  if (IsRemoteSlot(lease.slot) && slots_[lease.slot].generation == lease.generation) {
    if (slots_[lease.slot].leases > 0) --slots_[lease.slot].leases;
    return;
  }
  auto it = std::find_if(retired_.begin(), retired_.end(), [&](const RetiredSocket& r) {
    return r.socket == lease.socket && r.generation == lease.generation;
  });
  if (it == retired_.end()) return;
  if (it->leases > 0) --it->leases;
  if (it->leases == 0 && it->unwatched) {
    CloseSocket(it->socket);
    retired_.erase(it);
  }
}

std::unique_lock<std::mutex> ClientTable::LockSending(int slot) {
  return std::unique_lock<std::mutex>(send_mutexes_[std::clamp(slot, 0, kMaxRemoteClients)]);
}

bool ClientTable::IsCurrent(int slot, uint32_t generation) const {
  std::lock_guard lock(mutex_);
  return IsRemoteSlot(slot) && slots_[slot].connected && slots_[slot].generation == generation;
}

int ClientTable::FindSlotBySocket(int socket) const {
  if (socket < 0) return -1;
  std::lock_guard lock(mutex_);
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    if (slots_[slot].socket == socket) return slot;
  }
  return -1;
}

bool ClientTable::IsUserConnected(std::string_view name) const {
  std::lock_guard lock(mutex_);
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    if (slots_[slot].socket >= 0 && SameUserName(slots_[slot].user, name)) return true;
  }
  return false;
}

std::vector<int> ClientTable::ConnectedSlots() const {
  std::lock_guard lock(mutex_);
  std::vector<int> out;
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    if (slots_[slot].socket >= 0 && slots_[slot].connected) out.push_back(slot);
  }
  return out;
}

std::optional<ClientSession> ClientTable::Session(int slot) const {
  std::lock_guard lock(mutex_);
  if (slot < 0 || slot >= kClientSlots) return std::nullopt;
  return slots_[slot];
}

std::string ClientTable::GetClientName(uint32_t originator) const {
  if (IsGameAdmin(originator)) {
    std::optional<UserAccount> account = accounts_.AccountAt(originator & 0xFF);
    return account ? account->name : kUnknownIdentity;
  }
  if (originator >= static_cast<uint32_t>(kClientSlots)) return kUnknownIdentity;
  std::lock_guard lock(mutex_);
  return slots_[originator].user;
}

std::string ClientTable::GetClientAddress(uint32_t originator) const {
  if (IsGameAdmin(originator)) return "game";
  if (originator >= static_cast<uint32_t>(kClientSlots)) return kUnknownIdentity;
  std::lock_guard lock(mutex_);
  return slots_[originator].address;
}

AccessRights ClientTable::GetClientRights(uint32_t originator) const {
  if (IsGameAdmin(originator)) {
    std::optional<UserAccount> account = accounts_.AccountAt(originator & 0xFF);
    return account ? account->rights : 0;
  }
  if (originator >= static_cast<uint32_t>(kClientSlots)) return 0;
  std::lock_guard lock(mutex_);
  return slots_[originator].rights;
}

void ClientTable::SetLastRequest(int slot, uint32_t generation, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (IsRemoteSlot(slot) && slots_[slot].generation == generation) {
    slots_[slot].last_request = std::string(text.substr(0, 63));
  }
}

std::vector<ClientRow> ClientTable::ClientRows() const {
  std::lock_guard lock(mutex_);
  std::vector<ClientRow> rows;
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    const ClientSession& s = slots_[slot];
    if (s.socket < 0 || !s.connected) continue;
    rows.push_back(ClientRow{slot, s.user, s.address, "Connected", s.last_request});
  }
  return rows;
}

}  // namespace varnholt
