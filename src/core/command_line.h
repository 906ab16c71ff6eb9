// The command line: the flags and the two values (-ip, -port) the program starts with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnholt {

constexpr uint16_t kDefaultListenPort = 15667;

struct CommandLine {
  bool start = false;
  bool stop = false;
  bool debug = false;
  bool timing = false;
  bool admin_log = false;
  bool status_log = false;
  bool message_log = false;
  bool above_normal = false;
  bool exit_stops_server = false;  // -exit
  bool quiet = false;
  bool show_usage = false;            // -? or /?
  bool above_normal_refused = false;  // -abovenormal on a system that cannot honour it
  bool ip_given = false;
  std::string ip;  // the -ip value as typed
  uint16_t port = kDefaultListenPort;
};

extern const char* const kUsageText;

// Parses the words after the program name. `os_version_code` decides whether -abovenormal
// can be honoured (codes above 4).
CommandLine ParseCommandLine(const std::vector<std::string>& words, int os_version_code);

// Splits a Windows-style command-line string at blanks (a word in double quotes keeps its
// blanks), dropping the first word (the program path).
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace varnholt
