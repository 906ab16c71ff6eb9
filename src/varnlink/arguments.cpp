#include "varnlink/arguments.h"

#include <cstdlib>

namespace varnholt::varnlink {

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

bool ParseArguments(const std::vector<std::string>& argv, Invocation* out, std::string* error) {
  *out = Invocation();
  bool options_ended = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (options_ended || a.empty() || a[0] != '-' || a == "-") {
      if (out->command.empty()) {
        out->command = a;
      } else {
        out->args.push_back(a);
      }
      continue;
    }
    if (a == "--") {
      options_ended = true;
      // Kept for the command, which must not read what follows as its own options.
      if (!out->command.empty()) out->args.push_back(a);
      continue;
    }
    if (a == "--json") {
      out->json = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      out->help = true;
      continue;
    }
    const bool connection = a == "-H" || a == "-p" || a == "-u" || a == "-P";
    if (!connection) {
      // The command's own options; before any command there is nothing to own them.
      if (out->command.empty()) {
        *error = "unknown option " + a;
        return false;
      }
      out->args.push_back(a);
      continue;
    }
    if (i + 1 >= argv.size()) {
      *error = "option " + a + " needs a value";
      return false;
    }
    const std::string& value = argv[++i];
    if (a == "-H") {
      out->host = value;
    } else if (a == "-u") {
      out->user = value;
    } else if (a == "-P") {
      out->profile = value;
    } else {
      uint16_t port = 0;
      if (!ParsePort(value, &port)) {
        *error = "port must be a number from 1 to 65535, not " + value;
        return false;
      }
      out->port = port;
    }
  }
  if (out->command.empty() && !out->help) {
    *error = "no command given (try --help)";
    return false;
  }
  return true;
}

}  // namespace varnholt::varnlink
