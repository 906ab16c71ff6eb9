// The remote administration listener: the listening socket, the login exchange of each new
// client, the disconnection of clients and the notifications sent to them. The clients
// themselves are kept in the ClientTable it owns.
//
// Threads: the listener is built, started and fed its socket events on the event loop's
// thread, which runs every login as a small state machine fed by read events and a timer,
// so a client that is slow to send its login never holds the loop. NotifyClient,
// NotifyClients, DisconnectClient and ResumeReading may be called from any thread (the
// worker sends most notifications); what they must do on the loop is posted to it. The
// listener must be destroyed on the loop's thread, after the worker has stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "core/command_line.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "remote/client_table.h"
#include "remote/login_exchange.h"
#include "remote/login_throttle.h"
#include "remote/user_accounts.h"

namespace varnholt {

// A login must be complete this long after it began, however steadily its bytes trickle.
constexpr uint64_t kLoginDeadlineMs = 10000;
// Logins still in progress at a time, in all and from one address; more connections are
// closed at once, so one address cannot keep everyone else from logging in.
constexpr size_t kMaxPendingLogins = 64;
constexpr size_t kMaxPendingLoginsPerAddress = 8;
// After a failed accept (no descriptors left, ...) the listener rests this long instead
// of being woken again at once for the same failure.
constexpr uint32_t kAcceptPauseMs = 1000;
// How often the deadlines of logins in progress are checked.
constexpr uint32_t kLoginSweepMs = 100;

// What start-up shows when StartListener fails, with the ErrorText of the last error.
constexpr const char* kListenerFailedMessage =
    "Couldn't create listen server! %s\nUse the -ip and -port command-line parameters to "
    "configure a valid IP and port address for the Varnholt listen server.\nVarnlink clients "
    "will not be able to connect until you correct the problem and restart Varnholt.";

struct ListenerHooks {
  // The last byte of a login: whether the game server process is started and monitored.
  std::function<bool()> server_running;
  // A logged-in client has bytes waiting: the program queues the read-request Command with
  // the slot and generation. The listener stops watching that client's socket for reading
  // until ResumeReading, so one request raises one call.
  std::function<void(int slot, uint32_t generation)> on_request;
  // The Clients page rows changed (a client came or went).
  std::function<void()> on_clients_changed;
  // The -debug option: logs the removal of dead clients.
  bool debug = false;
};

class RemoteListener {
 public:
  RemoteListener(EventLoop& loop, EventLog& log, const Clock& clock, UserAccounts& accounts);
  ~RemoteListener();
  RemoteListener(const RemoteListener&) = delete;
  RemoteListener& operator=(const RemoteListener&) = delete;

  // Set before StartListener.
  void SetHooks(ListenerHooks hooks) { hooks_ = std::move(hooks); }

  // Listens on address:port (host order, address 0 = every interface; port 0 = any free
  // one, for tests) and logs "Listening on %s:%i.". False with the socket error otherwise;
  // the caller shows kListenerFailedMessage.
  bool StartListener(uint32_t address, uint16_t port);
  // The port listened on (0 before a successful start).
  uint16_t port() const { return port_; }

  ClientTable& clients() { return clients_; }
  const ClientTable& clients() const { return clients_; }

  // One notification frame to slot 1..16; false with the socket error (10038 for a slot
  // with no client).
  bool NotifyClient(uint32_t code, int slot, std::string_view text = {});
  // The frame to every connected client but `except` (0 leaves out nobody).
  void NotifyClients(uint32_t code, std::string_view text = {}, int except = 0);

  // Drops the client of slot 1..16 (false for a free slot or any other number); with a
  // generation, only if that client still holds the slot.
  bool DisconnectClient(int slot);
  bool DisconnectClient(int slot, uint32_t generation);

  // The request handler has read what the client sent: watch its socket for the next one.
  void ResumeReading(int slot, uint32_t generation);

  // Logins in progress, and those of them waiting out a failure delay (loop thread).
  size_t PendingLogins() const { return pending_.size(); }
  size_t HeldLogins() const;

 private:
  struct PendingLogin {
    int socket = -1;
    uint32_t ip = 0;
    std::string address;
    LoginReader reader;
    uint64_t started_ms = 0;
    uint64_t last_byte_ms = 0;
    uint64_t check_at_ms = 0;  // set while a throttled login waits for its check
    bool held = false;
    int slot = -1;
    std::string name;
    AccessRights rights = 0;
  };

  void OnListenEvent();
  void PauseAccepting();
  bool AddressIsBusy(uint32_t ip) const;
  void OnLoginEvent(int socket, SocketEvent event);
  void ReadLogin(PendingLogin& login);
  void CheckLogin(PendingLogin& login);
  void AnswerLogin(PendingLogin& login);
  void FinishLogin(PendingLogin& login);
  void FailLogin(PendingLogin& login, uint32_t error);
  void DropLogin(int socket);
  void SweepLogins();
  void UpdateSweepTimer();

  void WatchClient(int socket, int slot, uint32_t generation, bool reading);
  void OnClientEvent(int slot, uint32_t generation, SocketEvent event);
  bool Disconnect(int slot, std::optional<uint32_t> generation);
  bool SendToClient(const ClientLease& lease, const std::string& frame);
  void RunOnLoop(std::function<void()> fn);
  void ClientsChanged();

  EventLoop& loop_;
  EventLog& log_;
  const Clock& clock_;
  UserAccounts& accounts_;
  ClientTable clients_;
  LoginThrottle throttle_;
  ListenerHooks hooks_;
  const std::thread::id loop_thread_;
  // Work posted to the loop checks this is still alive before touching the listener.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);

  // Loop thread only.
  int listen_socket_ = -1;
  uint16_t port_ = 0;
  std::map<int, PendingLogin> pending_;
  EventLoop::TimerId sweep_timer_ = 0;
  EventLoop::TimerId accept_timer_ = 0;
};

}  // namespace varnholt
