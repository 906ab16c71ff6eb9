#include "remote/listener.h"

#include <vector>

#include "log/error_text.h"
#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "platform/listen_socket.h"
#include "platform/sockets.h"
#include "remote/notify_frames.h"
#include "remote/socket_stream.h"

namespace varnholt {
namespace {

// Names come from the peer: no control character of theirs may reach a log line.
std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return out;
}

// The login's few bytes go to a fresh socket whose send buffer is empty, so they leave in
// one call; anything less is a broken connection.
bool SendLoginBytes(int socket, const void* bytes, size_t count) {
  const long n = SendSome(socket, bytes, count);
  if (n == static_cast<long>(count)) return true;
  if (n >= 0) SetLastErrorCode(kWsaConnectionAborted);
  return false;
}

void WipeText(std::string& text) {
  volatile char* p = text.data();
  for (size_t i = 0; i < text.size(); ++i) p[i] = 0;
  text.clear();
}

}  // namespace

RemoteListener::RemoteListener(EventLoop& loop, EventLog& log, const Clock& clock,
                               UserAccounts& accounts)
    : loop_(loop),
      log_(log),
      clock_(clock),
      accounts_(accounts),
      clients_(accounts),
      throttle_(clock),
      loop_thread_(std::this_thread::get_id()) {}

RemoteListener::~RemoteListener() {
  if (sweep_timer_ != 0) loop_.StopTimer(sweep_timer_);
  if (accept_timer_ != 0) loop_.StopTimer(accept_timer_);
  for (auto& [socket, login] : pending_) {
    loop_.UnwatchSocket(socket);
    if (login.slot < 0) CloseSocket(socket);
  }
  for (int slot = 1; slot <= kMaxRemoteClients; ++slot) {
    std::optional<ClientSession> session = clients_.VacateSlot(slot);
    if (!session) continue;
    loop_.UnwatchSocket(session->socket);
    clients_.SocketUnwatched(session->socket);
  }
  if (listen_socket_ >= 0) {
    loop_.UnwatchSocket(listen_socket_);
    CloseSocket(listen_socket_);
  }
}

bool RemoteListener::StartListener(uint32_t address, uint16_t port) {
  if (listen_socket_ >= 0) return true;
  const int socket = CreateListenSocket(address, port);
  if (socket < 0) return false;
  listen_socket_ = socket;
  port_ = port != 0 ? port : LocalPort(socket);
  loop_.WatchSocket(socket, kSocketAccept, [this](int, SocketEvent) { OnListenEvent(); });
  log_.LogMessage(kSoundNone, "Listening on %s:%i.", IpToText(address).c_str(),
                  static_cast<int>(port_));
  return true;
}

void RemoteListener::OnListenEvent() {
  // Take every connection that is waiting; each becomes a login fed by its read events.
  while (true) {
    uint32_t ip = 0;
    uint16_t peer_port = 0;
    const int socket = AcceptConnection(listen_socket_, &ip, &peer_port);
    if (socket < 0) {
      const uint32_t error = GetLastErrorCode();
      if (error != kWsaWouldBlock && error != 0) {
        log_.LogMessage(kSoundNone, "Couldn't authenticate client! %s", ErrorText(error));
        PauseAccepting();
      }
      return;
    }
    if (pending_.size() >= kMaxPendingLogins || AddressIsBusy(ip)) {
      CloseSocket(socket);
      continue;
    }
    PendingLogin& login = pending_[socket];
    login.socket = socket;
    login.ip = ip;
    login.address = IpToText(ip) + ":" + std::to_string(peer_port);
    login.started_ms = login.last_byte_ms = clock_.MonotonicMs();
    loop_.WatchSocket(socket, kSocketRead | kSocketClose,
                      [this](int s, SocketEvent event) { OnLoginEvent(s, event); });
    UpdateSweepTimer();
  }
}

void RemoteListener::PauseAccepting() {
  loop_.UnwatchSocket(listen_socket_);
  accept_timer_ = loop_.StartTimer(kAcceptPauseMs, [this] {
    loop_.StopTimer(accept_timer_);
    accept_timer_ = 0;
    loop_.WatchSocket(listen_socket_, kSocketAccept, [this](int, SocketEvent) { OnListenEvent(); });
  });
}

size_t RemoteListener::HeldLogins() const {
  size_t count = 0;
  for (const auto& [socket, login] : pending_) {
    if (login.held) ++count;
  }
  return count;
}

bool RemoteListener::AddressIsBusy(uint32_t ip) const {
  size_t count = 0;
  for (const auto& [socket, login] : pending_) {
    if (login.ip == ip) ++count;
  }
  return count >= kMaxPendingLoginsPerAddress;
}

void RemoteListener::OnLoginEvent(int socket, SocketEvent event) {
  auto it = pending_.find(socket);
  if (it == pending_.end()) return;
  if (event == kSocketClose) {
    FailLogin(it->second, kWsaConnectionReset);
    return;
  }
  ReadLogin(it->second);
}

void RemoteListener::ReadLogin(PendingLogin& login) {
  uint8_t buffer[kLoginFieldsSize];
  const size_t wanted = login.reader.Needed();
  if (wanted == 0) return;
  const long n = ReceiveSome(login.socket, buffer, wanted);
  if (n == 0) {
    FailLogin(login, kWsaConnectionReset);
    return;
  }
  if (n < 0) {
    if (GetLastErrorCode() != kWsaWouldBlock) FailLogin(login, GetLastErrorCode());
    return;
  }
  login.reader.Feed(buffer, static_cast<size_t>(n));
  login.last_byte_ms = clock_.MonotonicMs();
  if (login.reader.step() == LoginReader::Step::kAnswering) {
    CheckLogin(login);
  } else if (login.reader.step() == LoginReader::Step::kDone) {
    FinishLogin(login);
  }
}

void RemoteListener::CheckLogin(PendingLogin& login) {
  const uint64_t not_before = throttle_.NotBefore(login.ip);
  if (not_before > clock_.MonotonicMs()) {
    // An address that keeps failing waits for its check; meanwhile only its hang-up counts.
    login.held = true;
    login.check_at_ms = not_before;
    loop_.WatchSocket(login.socket, kSocketClose,
                      [this](int s, SocketEvent event) { OnLoginEvent(s, event); });
    return;
  }
  AnswerLogin(login);
}

void RemoteListener::AnswerLogin(PendingLogin& login) {
  const int socket = login.socket;
  login.held = false;
  std::string name = login.reader.Name();
  std::string password = login.reader.Password();
  AccessRights rights = 0;
  AuthResult result = accounts_.AuthenticateUser(
      name, password, [this](std::string_view n) { return clients_.IsUserConnected(n); }, &rights);
  WipeText(password);
  const AuthResult checked = result;
  if (!clients_.HasFreeSlot()) result = AuthResult::kTableFull;
  if (result == AuthResult::kAccepted) {
    login.slot = clients_.ReserveSlot(socket, name, login.address, rights);
    if (login.slot < 0) result = AuthResult::kTableFull;
  }
  if (checked == AuthResult::kUnknownUser || checked == AuthResult::kWrongPassword) {
    bool log_it = false;
    const uint64_t delay = throttle_.RecordFailure(login.ip, &log_it);
    if (log_it) {
      log_.LogMessage(kSoundWarning,
                      "SECURITY ALERT! Client at %s keeps failing to authenticate! Its logins "
                      "are delayed by %i seconds.",
                      IpToText(login.ip).c_str(), static_cast<int>((delay + 999) / 1000));
    }
  } else if (result == AuthResult::kAccepted) {
    throttle_.RecordSuccess(login.ip);
  }

  const uint8_t code = static_cast<uint8_t>(result);
  if (!SendLoginBytes(socket, &code, 1)) {
    FailLogin(login, GetLastErrorCode());
    return;
  }
  const std::string address = login.address;
  const std::string shown = Printable(name);
  switch (result) {
    case AuthResult::kAccepted:
      break;
    case AuthResult::kUnknownUser:
      log_.LogMessage(kSoundWarning,
                      "SECURITY ALERT! Client at %s failed to authenticate! Bad username (%s).",
                      address.c_str(), shown.c_str());
      break;
    case AuthResult::kWrongPassword:
      // The tried password is left out: it may be a real one mistyped, or another's.
      log_.LogMessage(kSoundWarning,
                      "SECURITY ALERT! Client at %s failed to authenticate! Bad password for "
                      "user account (%s).",
                      address.c_str(), shown.c_str());
      break;
    case AuthResult::kInactive:
      log_.LogMessage(kSoundWarning,
                      "SECURITY ALERT! Client at %s failed to authenticate! User account (%s) "
                      "is inactive.",
                      address.c_str(), shown.c_str());
      break;
    case AuthResult::kNoAccounts:
      log_.LogMessage(kSoundWarning,
                      "SECURITY ALERT! Client at %s failed to authenticate! No remote access is "
                      "permitted.",
                      address.c_str());
      break;
    case AuthResult::kTableFull:
      log_.LogMessage(kSoundNone,
                      "Client at %s failed to authenticate! Maximum number of connected clients "
                      "(%i) has been reached.",
                      address.c_str(), kMaxRemoteClients);
      break;
    case AuthResult::kNoRights:
    case AuthResult::kAlreadyConnected:
      break;
  }
  if (result != AuthResult::kAccepted) {
    DropLogin(socket);
    return;
  }
  uint8_t answer[5] = {static_cast<uint8_t>(rights), static_cast<uint8_t>(rights >> 8),
                       static_cast<uint8_t>(rights >> 16), static_cast<uint8_t>(rights >> 24),
                       kProtocolVersion};
  if (!SendLoginBytes(socket, answer, sizeof answer)) {
    FailLogin(login, GetLastErrorCode());
    return;
  }
  login.reader.ExpectVersion();
  login.name = name;
  login.rights = rights;
  login.started_ms = login.last_byte_ms = clock_.MonotonicMs();
  loop_.WatchSocket(socket, kSocketRead | kSocketClose,
                    [this](int s, SocketEvent event) { OnLoginEvent(s, event); });
}

void RemoteListener::FinishLogin(PendingLogin& login) {
  const int socket = login.socket;
  if (login.reader.version() != kProtocolVersion) {
    log_.LogMessage(kSoundNone,
                    "Client at %s failed to authenticate! Client is using a different protocol "
                    "version.",
                    login.address.c_str());
    DropLogin(socket);
    return;
  }
  const uint8_t running = hooks_.server_running && hooks_.server_running() ? 1 : 0;
  if (!SendLoginBytes(socket, &running, 1)) {
    FailLogin(login, GetLastErrorCode());
    return;
  }
  const int slot = login.slot;
  const std::string address = login.address;
  const std::string name = Printable(login.name);
  const AccessRights rights = login.rights;
  pending_.erase(socket);
  UpdateSweepTimer();
  const uint32_t generation = clients_.ConfirmSlot(slot);
  WatchClient(socket, slot, generation, true);
  log_.LogMessage(kSoundNone, "Client at %s connected as user %s with access %s.", address.c_str(),
                  name.c_str(), RightsText(rights).c_str());
  ClientsChanged();
}

void RemoteListener::FailLogin(PendingLogin& login, uint32_t error) {
  if (login.reader.step() == LoginReader::Step::kVersion) {
    log_.LogMessage(kSoundNone,
                    "Client at %s failed to authenticate! Couldn't get client protocol version.",
                    login.address.c_str());
  } else if (!login.held) {
    // A throttled client that hangs up while it waits is not worth a line each time.
    log_.LogMessage(kSoundNone, "Couldn't authenticate client! %s", ErrorText(error));
  }
  DropLogin(login.socket);
}

void RemoteListener::DropLogin(int socket) {
  auto it = pending_.find(socket);
  if (it == pending_.end()) return;
  const int slot = it->second.slot;
  pending_.erase(it);
  loop_.UnwatchSocket(socket);
  if (slot >= 0 && clients_.VacateSlot(slot)) {
    clients_.SocketUnwatched(socket);
  } else {
    CloseSocket(socket);
  }
  UpdateSweepTimer();
}

void RemoteListener::SweepLogins() {
  const uint64_t now = clock_.MonotonicMs();
  std::vector<int> sockets;
  for (const auto& [socket, login] : pending_) sockets.push_back(socket);
  for (int socket : sockets) {
    auto it = pending_.find(socket);
    if (it == pending_.end()) continue;
    PendingLogin& login = it->second;
    if (login.held) {
      if (now >= login.check_at_ms) AnswerLogin(login);
      continue;
    }
    if (now - login.last_byte_ms >= static_cast<uint64_t>(kPeerWaitMs) ||
        now - login.started_ms >= kLoginDeadlineMs) {
      FailLogin(login, kWsaTimedOut);
    }
  }
}

void RemoteListener::UpdateSweepTimer() {
  if (pending_.empty() && sweep_timer_ != 0) {
    loop_.StopTimer(sweep_timer_);
    sweep_timer_ = 0;
  } else if (!pending_.empty() && sweep_timer_ == 0) {
    sweep_timer_ = loop_.StartTimer(kLoginSweepMs, [this] { SweepLogins(); });
  }
}

void RemoteListener::WatchClient(int socket, int slot, uint32_t generation, bool reading) {
  loop_.WatchSocket(
      socket, reading ? kSocketRead | kSocketClose : kSocketClose,
      [this, slot, generation](int, SocketEvent event) { OnClientEvent(slot, generation, event); });
}

void RemoteListener::OnClientEvent(int slot, uint32_t generation, SocketEvent event) {
  std::optional<ClientSession> session = clients_.Session(slot);
  if (!session || !session->connected || session->generation != generation) return;
  const PeekResult peek =
      event == kSocketClose ? PeekResult::kClosed : PeekConnection(session->socket);
  if (peek == PeekResult::kClosed) {
    Disconnect(slot, generation);
    return;
  }
  if (peek == PeekResult::kNothing) return;
  // One call per request: the socket is watched for reading again once it has been read.
  WatchClient(session->socket, slot, generation, false);
  if (hooks_.on_request) hooks_.on_request(slot, generation);
}

void RemoteListener::ResumeReading(int slot, uint32_t generation) {
  RunOnLoop([this, slot, generation] {
    std::optional<ClientSession> session = clients_.Session(slot);
    if (session && session->connected && session->generation == generation) {
      WatchClient(session->socket, slot, generation, true);
    }
  });
}

bool RemoteListener::DisconnectClient(int slot) {
  return Disconnect(slot, std::nullopt);
}

bool RemoteListener::DisconnectClient(int slot, uint32_t generation) {
  return Disconnect(slot, generation);
}

bool RemoteListener::Disconnect(int slot, std::optional<uint32_t> generation) {
  std::optional<ClientSession> now = clients_.Session(slot);
  // A slot held by a login still in progress belongs to the login.
  if (slot < 1 || slot > kMaxRemoteClients || !now || !now->connected) return false;
  std::optional<ClientSession> session = clients_.VacateSlot(slot, generation);
  if (!session) return false;
  const int socket = session->socket;
  // Any thread still using the socket returns at once; its number is kept until then.
  ShutdownSocket(socket);
  log_.LogMessage(kSoundNone, "Client %s at %s has disconnected.", Printable(session->user).c_str(),
                  session->address.c_str());
  RunOnLoop([this, socket] {
    loop_.UnwatchSocket(socket);
    clients_.SocketUnwatched(socket);
  });
  ClientsChanged();
  return true;
}

bool RemoteListener::SendToClient(const ClientLease& lease, const std::string& frame) {
  std::unique_lock<std::mutex> sending = clients_.LockSending(lease.slot);
  SocketSink sink(lease.socket, clock_);
  return sink.Write(frame.data(), frame.size());
}

bool RemoteListener::NotifyClient(uint32_t code, int slot, std::string_view text) {
  std::optional<ClientLease> lease = clients_.AcquireSlot(slot);
  if (!lease) {
    SetLastErrorCode(kWsaNotSocket);
    return false;
  }
  const bool ok = SendToClient(*lease, NotificationFrame(code, text));
  const uint32_t error = GetLastErrorCode();
  clients_.ReleaseClient(*lease);
  SetLastErrorCode(ok ? 0 : error);
  return ok;
}

void RemoteListener::NotifyClients(uint32_t code, std::string_view text, int except) {
  const std::string frame = NotificationFrame(code, text);
  for (int slot : clients_.ConnectedSlots()) {
    if (slot == except) continue;
    std::optional<ClientLease> lease = clients_.AcquireSlot(slot);
    if (!lease) continue;  // gone since the list was taken
    const bool ok = SendToClient(*lease, frame);
    const uint32_t error = GetLastErrorCode();
    clients_.ReleaseClient(*lease);
    if (ok) continue;
    log_.LogMessage(kSoundNone, "Couldn't notify client at %s! %s", lease->address.c_str(),
                    ErrorText(error));
    if (error == kWsaNotSocket) {
      if (hooks_.debug) {
        log_.LogMessage(kSoundNone, "DEBUG: Removing dead client at %s.", lease->address.c_str());
      }
      Disconnect(slot, lease->generation);
    }
  }
}

void RemoteListener::RunOnLoop(std::function<void()> fn) {
  if (std::this_thread::get_id() == loop_thread_) {
    fn();
    return;
  }
  std::weak_ptr<int> alive = alive_;
  loop_.Post([alive, fn = std::move(fn)] {
    if (alive.lock()) fn();
  });
}

void RemoteListener::ClientsChanged() {
  if (hooks_.on_clients_changed) hooks_.on_clients_changed();
}

}  // namespace varnholt
