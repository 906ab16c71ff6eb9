// The simulator's control commands and fault state: what tests and demos tell the running
// server through "sim." console commands, the control file or --fault options (crash, hang,
// freeze, error popup, slow answers, refused logins, stale or oversized status replies,
// scripted players and chat). Owned by
// the simulated server's single thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "error_popup.h"
#include "match.h"
#include "platform/clock.h"
#include "roster.h"
#include "server_config.h"
#include "sim_options.h"

namespace varnholt::sim {

class SimControl {
 public:
  SimControl(ServerInfo& info, Roster& roster, Match& match, GameEvents& events,
             const Clock& clock);

  // One control command ("hang 5", "chat Bob hello"); its answer lines go to `out`.
  void Execute(const std::string& command, std::vector<std::string>* out);
  void ApplyFault(const FaultPlan& plan, std::vector<std::string>* out);

  // Neither the console nor the status query is served while hung.
  bool hung() const;
  int slow_ms() const { return slow_ms_; }
  bool refuse_login() const { return refuse_login_; }
  // Status query faults: a datagram with another request identifier goes out before each
  // reply; replies are padded beyond the largest datagram a client reads.
  bool stale_replies() const { return stale_replies_; }
  bool oversized_replies() const { return oversized_replies_; }
  bool quit_requested() const { return quit_requested_; }
  // True when the console line's command is the one told to fail: the connection that
  // sends it is dropped without an answer, as a server that lost it would.
  bool FailsCommand(const std::string& line) const;

 private:
  void Chat(const std::string& argument, bool team, std::vector<std::string>* out);
  void Hold(bool ping, const std::string& argument, std::vector<std::string>* out);
  void Join(const std::string& line, std::vector<std::string>* out);
  void Leave(const std::string& who, std::vector<std::string>* out);
  Player* FindPlayer(const std::string& who);

  ServerInfo& info_;
  Roster& roster_;
  Match& match_;
  GameEvents& events_;
  const Clock& clock_;
  ErrorPopup popup_;
  bool hung_forever_ = false;
  uint64_t hung_until_ms_ = 0;
  int slow_ms_ = 0;
  bool refuse_login_ = false;
  bool stale_replies_ = false;
  bool oversized_replies_ = false;
  bool quit_requested_ = false;
  std::string failing_command_;  // lower case; empty = none
};

// Splits "<who> <rest>", where who is either a quoted name or one word.
void SplitWho(const std::string& text, std::string* who, std::string* rest);

}  // namespace varnholt::sim
