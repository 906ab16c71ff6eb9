// The remote console client: the one TCP connection to the game server's console, its
// login and connection sync, commands and their responses, polls of the console output,
// and the chat lines the server interleaves with both.
//
// Threads: every operation runs on the worker thread, so requests never overlap on the
// socket. Two things are also touched by the user-interface thread: the credentials (copied
// when it starts the server; guarded by a mutex) and the connected flag (read for the status
// bar; atomic).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "gamelink/console_response.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "settings/settings_table.h"

namespace varnholt {

constexpr int kConnectWaitMs = 1000;
constexpr uint32_t kPunkBusterWaitMs = 500;
constexpr uint32_t kChatNotifyCode = 0xBEEF0026;
// Last error of a poll without a connection.
constexpr uint32_t kErrorNotConnected = 1251;
constexpr const char* kUnknownVersion = "(version unknown)";

// Where chat lines seen on the console go: the auto-admin's banned-word check and its
// in-game command parser. Called on the worker thread after the exchange that carried the
// line is complete, so either may run console commands of its own.
class ChatSink {
 public:
  virtual ~ChatSink() = default;
  // Only while manager.autoKickWord is 1.
  virtual void CheckChatWords(const std::string& chat) = 0;
  // Every chat line.
  virtual void ParseChatCommand(const std::string& chat) = 0;
};

// What the connection needs from other parts of the program; any of them may be empty.
struct ConsoleHooks {
  // ServerRunning: a login only counts as a connection while the server runs (empty: it
  // always does).
  std::function<bool()> server_running;
  // Connection sync after the status port: the settings read-back and the player list.
  std::function<bool()> read_settings;
  std::function<bool()> get_player_list;
  // Connected (true) or disconnected (false): enable or disable the console-dependent
  // controls; at a disconnect also forget the game version and the smart-balance flag and
  // empty the player list view.
  std::function<void(bool connected)> connection_changed;
  // NotifyClients of the remote administration service (code, text with its zero byte).
  std::function<void(uint32_t code, std::string_view data)> notify_clients;
  // PumpWait: lets the given milliseconds pass (empty: the thread sleeps).
  std::function<void(uint32_t ms)> pump_wait;
};

class ConsoleClient {
 public:
  ConsoleClient(EventLog& log, const SettingsTable& settings, StatusQuery& status);
  ~ConsoleClient();
  ConsoleClient(const ConsoleClient&) = delete;
  ConsoleClient& operator=(const ConsoleClient&) = delete;

  void SetHooks(ConsoleHooks hooks) { hooks_ = std::move(hooks); }
  void SetChatSink(ChatSink* sink) { chat_sink_ = sink; }
  // The LogPlayerChat option.
  void SetLogPlayerChat(bool on) { log_player_chat_ = on; }
  // -messagelog: requests and responses are appended to this file; empty switches it off.
  void SetMessageLog(std::string path) { message_log_path_ = std::move(path); }
  void SetDebug(bool on) { debug_ = on; }

  // ConsoleCredentials, each cut to 31 characters. An empty user name means there is no
  // console to connect to.
  void SetCredentials(std::string_view username, std::string_view password);
  void ClearCredentials() { SetCredentials("", ""); }
  bool HasCredentials() const;

  // Connects to game.serverIP:manager.consolePort, logs in and synchronises (status port,
  // then the hooks' read-back and player list). Failure leaves the last error: 10060 when
  // the server did not accept the connection within a second, 30011 login refused, 30013,
  // 30014, 30015 for the sync steps, or the socket error.
  bool ConsoleConnect();
  void ConsoleDisconnect();
  // After a failed send or receive: logs the reason and disconnects.
  void ConsoleFailure();

  // Runs a printf-style command text (at most 2051 characters; one command per line).
  // Returns the response lines, each followed by a line feed, or nullptr when no response
  // came. The text stays valid until the next call.
  const std::string* RunConsoleCommand(const char* format, ...)
      __attribute__((format(printf, 2, 3)));
  // The same for a text used as it is (never as a format).
  const std::string* RunConsoleText(std::string_view text);
  // Collects the console's output; nullptr (last error 1251) when not connected.
  const std::string* PollConsoleOutput();
  // "(v1.180 | ...)" as the server reports it, asked once per connection.
  std::string GetPunkBusterVersion();

  bool ConsoleConnected() const { return connected_.load(); }
  int Socket() const { return socket_; }
  StatusQuery& Status() { return status_; }

 private:
  bool Login();
  bool SyncConnection();
  void CloseSocket();
  const std::string* Exchange(std::string_view text);
  // Sends send_buffer_ and reads one response of `kind` into response_; on failure the
  // connection is dealt with and false returned.
  bool SendAndReceive(ResponseKind kind, const char* out_of_memory_line);
  // Hands the chat of response_ on and returns its text (valid until the next call).
  const std::string* TakeResponse();
  void DeliverChat(const std::vector<std::string>& chat);
  void AppendMessageLog(std::string_view head, std::string_view bytes);
  void PumpWait(uint32_t ms);

  EventLog& log_;
  const SettingsTable& settings_;
  StatusQuery& status_;
  // Set by start-up on the user-interface thread before the server is adopted or started,
  // so before any Command uses the console; read-only afterwards.
  ConsoleHooks hooks_;
  ChatSink* chat_sink_ = nullptr;
  bool log_player_chat_ = true;
  bool debug_ = false;
  std::string message_log_path_;

  // Copied in by whichever thread starts or adopts the server, read by the worker's login;
  // guarded by credentials_mutex_.
  mutable std::mutex credentials_mutex_;
  std::string username_;
  std::string password_;

  // Worker only, except connected_, which the user-interface thread reads for the status
  // bar.
  int socket_ = -1;
  std::atomic<bool> connected_{false};
  std::string punkbuster_version_;
  // Reused across calls; they only grow.
  std::string send_buffer_;
  std::string scratch_;
  ConsoleResponse response_;
  std::string result_;
};

}  // namespace varnholt
