// varnlink's exit codes: one per way a run can end, so scripts can tell a wrong password
// from a server that is down.
#pragma once

namespace varnholt::varnlink {

enum ExitCode : int {
  kExitOk = 0,
  // The server answered the request with a failure, the error marker or no text.
  kExitFailed = 1,
  // Bad arguments, an unusable config file or profile, a password that could not be read.
  kExitUsage = 2,
  kExitCannotConnect = 3,
  // No such account, account disabled, no rights, no accounts at all.
  kExitBadAccount = 4,
  kExitWrongPassword = 5,
  kExitAlreadyConnected = 6,
  kExitTableFull = 7,
  kExitVersionMismatch = 8,
  // The account lacks the right the request needs; the server would drop it unanswered.
  kExitNoRight = 9,
  // The connection broke or the server sent what the protocol does not allow.
  kExitConnectionLost = 10,
};

// The exit code for a refused login's result byte (1 to 7).
int ExitCodeOfLoginResult(int result);

}  // namespace varnholt::varnlink
