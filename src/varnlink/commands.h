// varnlink's commands: each is one request of the protocol (get and put one per file kind),
// run on a logged-in session.
#pragma once

#include <string>
#include <vector>

#include "varnlink/session.h"

namespace varnholt::varnlink {

// True for a command name RunCommand knows.
bool IsCommand(const std::string& name);

// Runs the command and returns the exit code.
int RunCommand(Session& s, const std::string& command, const std::vector<std::string>& args);

// The commands that print data (status, players, clients, bans, get) and watch.
int ShowStatus(Session& s);
int ShowFileTable(Session& s, const std::string& command);
int GetFile(Session& s, const std::vector<std::string>& args);
int PutFile(Session& s, const std::vector<std::string>& args);
int Watch(Session& s);

// One notification as watch prints it: "TIME  phrase: text" for people, one JSON object
// for scripts.
std::string WatchLine(uint32_t code, const std::string& data, int64_t now, bool json);

}  // namespace varnholt::varnlink
