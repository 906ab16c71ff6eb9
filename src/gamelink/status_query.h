// The status query client: one UDP query per call, the reply kept as text in StatusReply,
// value lookups in it, and the search for the port the running server answers on.
// Threads: the worker queries for its status tick and player list, and the user-interface
// thread for the hang test of its Start/Stop action. One lock is held for each whole
// exchange (socket, reply buffers, StatusReply), and callers get copies taken under it, so
// neither thread ever reads a buffer the other is refilling.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "gamelink/status_datagram.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"

namespace varnholt {

constexpr int kStatusWaitMs = 1000;
// Every query waits this long after creating its socket before sending.
constexpr uint32_t kQueryStartDelayMs = 100;

class StatusQuery {
 public:
  StatusQuery(EventLog& log, const SettingsTable& settings, const Clock& clock);
  StatusQuery(const StatusQuery&) = delete;
  StatusQuery& operator=(const StatusQuery&) = delete;

  // Sends one query to game.serverIP:port and returns the reply text (also left as
  // StatusReply), or none with the last error: 87 bad arguments, 10060 no reply within a
  // second, 10040 a reply too large (logged), or the socket error.
  std::optional<std::string> QueryServerStatus(uint16_t port, const char* query_text);

  // The value of `key` in `reply`, or none when the key is absent.
  static std::optional<std::string> GetQueryValue(const std::string& reply, std::string_view key);
  // The value of `key` in the last StatusReply.
  std::optional<std::string> GetQueryValue(std::string_view key) const;

  // Finds the port the server answers on: the configured one first, then 23000-23009 and
  // 22000-22010. Sets StatusPort on success.
  bool IdentifyStatusPort();

  uint16_t StatusPort() const { return status_port_.load(); }
  void SetStatusPort(uint16_t port);
  // At a console disconnect: StatusPort is learned again at the next connection.
  void ForgetStatusPort() { status_port_.store(0); }
  // The port last identified for the running server, kept across console disconnects, so a
  // server that stopped answering can still be asked; 0 when none was identified.
  uint16_t LastIdentifiedPort() const { return last_identified_port_.load(); }
  // For a new or stopped server: nothing identified for the old one applies.
  void ForgetIdentifiedPorts();
  // The status port the settings name: game.gameSpyPort for an Internet server, else
  // game.gameSpyLANPort.
  uint16_t ConfiguredStatusPort() const;
  // What the last query left: the reply text, or empty.
  std::string StatusReply() const;

  // -statuslog: every reply is appended to this file; empty switches it off.
  void SetStatusLog(std::string path) { status_log_path_ = std::move(path); }
  // -debug lines.
  void SetDebug(bool on) { debug_ = on; }
  // Run before each attempt of the port search (keeps a window responsive when the search
  // runs on its thread); may be empty.
  void SetPumpMessages(std::function<void()> pump) { pump_messages_ = std::move(pump); }
  // Asked before each attempt of the port search; the search ends without a port once it
  // returns false (the server was stopped meanwhile: each silent port costs a second).
  void SetSearchWanted(std::function<bool()> wanted) { search_wanted_ = std::move(wanted); }
  // Sleeps the start delay of a query; replaceable for benchmarks.
  void SetStartDelay(uint32_t ms) { start_delay_ms_ = ms; }

 private:
  // The exchange itself; the caller holds mutex_.
  bool QueryLocked(uint16_t port, const char* query_text);
  bool ReceiveReply(int socket, const RequestId& id, size_t* size);
  bool PortAnswers(uint16_t port, const std::string& game_port);
  void AppendStatusLog();

  EventLog& log_;
  const SettingsTable& settings_;
  const Clock& clock_;
  std::atomic<uint16_t> status_port_{0};
  std::atomic<uint16_t> last_identified_port_{0};
  // Guards the generator and the buffers below for a whole exchange.
  mutable std::mutex mutex_;
  std::mt19937 random_;
  std::string status_reply_;
  std::string datagram_;
  std::string conversion_;
  std::string status_log_path_;
  std::function<void()> pump_messages_;
  std::function<bool()> search_wanted_;
  uint32_t start_delay_ms_ = kQueryStartDelayMs;
  bool debug_ = false;
};

}  // namespace varnholt
