// Test-side pieces for the game server link: the real ashfront-sim process in a sandbox
// game folder, small loopback peers for the faults the sim does not produce, and a fixture
// that owns a log, a settings table and both clients.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gamelink/console_client.h"
#include "gamelink/status_query.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "settings/settings_table.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

namespace varnholt::testing {

constexpr const char* kSimUser = "admin";
constexpr const char* kSimPassword = "s3cret";
constexpr int kSimGamePort = 15567;

// The sim in a game folder of its own with the settings a link test needs: a console on a
// free port with the test's credentials, and one level.
class SimServer : public SimProcess {
 public:
  // Starts the sim with the given options; false when it did not report its ports.
  bool Start(const std::vector<std::string>& options, bool punkbuster = false,
             int game_port = kSimGamePort);
  const std::string& folder() const { return folder_.path(); }

 private:
  TempFolder folder_;
};

// A UDP peer on loopback: every request datagram gets the datagrams `answer` returns.
class FakeStatusServer {
 public:
  using Answer = std::function<std::vector<std::string>(const std::string& request)>;
  explicit FakeStatusServer(Answer answer);
  ~FakeStatusServer();
  uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The start of a status reply echoing the request's identifier.
std::string StatusHeader(const std::string& request);
// A status server that answers "\info\" with the given rules (key, value, ...).
FakeStatusServer::Answer RulesAnswer(std::vector<std::string> rules);

// A TCP console peer on loopback for one connection: sends a login key, accepts any login,
// then answers each request frame with the bytes of the next step; a step of "RESET" drops
// the connection with a reset instead.
class FakeConsoleServer {
 public:
  explicit FakeConsoleServer(std::vector<std::string> steps);
  ~FakeConsoleServer();
  uint16_t port() const { return port_; }

 private:
  void Serve(std::vector<std::string> steps);
  int listen_fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Builds a response frame.
std::string ResponseFrame(const std::vector<std::string>& strings);

class GameLinkTest : public ::testing::Test {
 protected:
  GameLinkTest();
  // Points the settings at a console and a status port.
  void UseServer(int console_port, int status_port);
  void UseSim(const SimServer& sim) { UseServer(sim.console_port(), sim.query_port()); }
  std::string LogText() const;
  bool Logged(const std::string& text) const { return LogText().find(text) != std::string::npos; }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  StatusQuery status_;
  ConsoleClient console_;
};

}  // namespace varnholt::testing
