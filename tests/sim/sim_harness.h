// Test-side helpers for driving the real ashfront-sim process: a sandbox game folder, the
// process itself, and minimal clients of the remote console and the status query.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace varnholt::testing {

// How long an answer that should come at once may take on a loaded machine (sanitizers,
// parallel builds). Passing tests never wait this long.
constexpr int kPatienceMs = 15000;

// Polls `condition` every 20 ms until it holds or `timeout_ms` passed.
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = kPatienceMs);

// A game folder with the settings files the manager would write before a start.
class SimGameFolder {
 public:
  SimGameFolder();
  const std::string& path() const { return folder_.path(); }
  // Replaces a file of Mods/ashfront/Settings.
  void WriteSetting(const std::string& name, const std::string& contents);
  std::string ReadSetting(const std::string& name) const;
  std::string Read(const std::string& relative) const { return folder_.Read(relative); }
  void Write(const std::string& relative, const std::string& contents) {
    folder_.Write(relative, contents);
  }

 private:
  TempFolder folder_;
};

class SimProcess {
 public:
  ~SimProcess();
  // Starts the sim in `folder` with the game's switches and `options`; waits until it
  // reports its ports. False when it did not come up.
  bool Start(const SimGameFolder& folder, const std::vector<std::string>& options);
  int console_port() const { return console_port_; }
  int query_port() const { return query_port_; }
  pid_t pid() const { return pid_; }
  // Waits up to `timeout_ms` for the process to end; false if it still runs.
  bool WaitExit(int timeout_ms, int* status);
  // Writes a command into the control file, as a test or a demo script would.
  void Control(const std::string& command);
  std::string Output() const;
  // Waits until the output contains `text`.
  bool WaitForOutput(const std::string& text, int timeout_ms) const;
  void Kill();

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int console_port_ = 0;
  int query_port_ = 0;
};

class ConsoleClient {
 public:
  ~ConsoleClient();
  // Connects and logs in; returns the verdict byte, or -1 when the exchange failed.
  int Login(int port, const std::string& user, const std::string& password);
  // One request frame; the response strings, or false when none arrived.
  bool Request(const std::vector<std::string>& strings, std::vector<std::string>* response);
  // Runs a command text the way the manager does: the text cut at line feeds, then "\r".
  bool Run(const std::string& text, std::vector<std::string>* response);
  bool Poll(std::vector<std::string>* response);
  bool SendRaw(const std::string& bytes);
  // True when the server closed the connection (reads EOF within the timeout).
  bool ClosedByServer(int timeout_ms);
  bool ReceiveKey(int port, int timeout_ms);
  void Close();

 private:
  bool ReceiveExactly(char* buffer, size_t n, int timeout_ms);
  int fd_ = -1;
  unsigned char key_[10] = {};
};

// Sends one status query with the three section flags; the raw reply, or false after
// `timeout_ms` without an answer.
bool QueryStatus(int port, bool rules, bool players, bool teams, std::string* reply,
                 int timeout_ms = kPatienceMs);

// Reads a reply into key -> value: rules as they are, player and team fields with their
// row index appended ("player_0", "team_t1").
bool ParseStatusReply(const std::string& reply, bool rules, bool players, bool teams,
                      std::map<std::string, std::string>* values);

}  // namespace varnholt::testing
