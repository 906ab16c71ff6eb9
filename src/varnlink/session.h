// A logged-in session and the steps every command is made of: the local check of the
// account's rights (the server drops a refused request without a word, so the client must
// say why), sending a request, and waiting for the notification that tells its outcome.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "varnlink/connection.h"
#include "varnlink/output.h"

namespace varnholt::varnlink {

// How long a queued request may take before the server reports its outcome (console
// commands go to the game server and back).
constexpr int kOutcomeWaitMs = 15000;

struct Session {
  Connection& link;
  const LoginAnswer& login;
  Output& out;
};

// The right request n needs, in words ("the Players or Admin page right").
std::string RightNeeded(uint32_t n);

// True when the account may send request n; otherwise prints why to err and returns false.
bool CheckRight(Session& s, uint32_t n, const char* what);

// A notification that ends the wait for a request's outcome, and how the command then ends.
struct Outcome {
  uint32_t code;
  int exit;
  const char* message;  // for people, followed by the notification's text; nullptr: silent
};

// Sends request n (with the text when given) and waits for one of `outcomes`, printing its
// message (or a JSON object). A failure notification ends with kExitFailed; other
// notifications are passed over.
int RequestWithOutcome(Session& s, uint32_t n, const std::optional<std::string>& text,
                       std::initializer_list<Outcome> outcomes, const char* what);

// Prints "varnlink: MESSAGE" to err and returns `exit`.
int Fail(Session& s, int exit, const std::string& message);

// The message for a broken connection, with the last error's text.
int ConnectionLost(Session& s);

}  // namespace varnholt::varnlink
