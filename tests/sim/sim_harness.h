// Test-side helpers for driving the real ashfront-sim process: a sandbox game folder, the
// process itself, and minimal clients of the remote console and the status query.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt::testing {

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
