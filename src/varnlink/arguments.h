// The command line of varnlink: the connection options, then a command and its arguments.
// Options may also follow the command (`varnlink status --json`); "--" ends them, so a
// console command or a chat text may start with a dash.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnholt::varnlink {

struct Invocation {
  std::optional<std::string> host;
  std::optional<uint16_t> port;
  std::optional<std::string> user;
  std::optional<std::string> profile;
  bool json = false;
  bool help = false;
  std::string command;
  // The command's own options (--address, --for, ...) stay here for the command to read.
  std::vector<std::string> args;
};

constexpr uint16_t kDefaultPort = 15667;
constexpr const char* kDefaultHost = "127.0.0.1";

// False with a one-line reason for a missing option value, a bad port or an unknown
// connection option. An empty command with no --help is a usage error too.
bool ParseArguments(const std::vector<std::string>& argv, Invocation* out, std::string* error);

// A port number 1..65535 written in decimal.
bool ParsePort(const std::string& text, uint16_t* port);

}  // namespace varnholt::varnlink
