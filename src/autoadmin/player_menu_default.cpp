#include "autoadmin/player_menu_default.h"

#include <vector>

namespace varnholt {
namespace {

struct Warning {
  const char* shortcut;
  const char* message;
};

constexpr Warning kServerWarnings[] = {
    {"gwspam", "Please do not chat spam"},
    {"gwdis", "Please do not play disruptively"},
    {"gwtk", "Please do not team kill"},
    {"gwayot", "Please do not attack your own team"},
    {"gwsfv", "Please do not shoot friendly vehicles"},
    {"gwdvtp", "Please do not drive vehicles to planes"},
    {"gwexploits", "Please do not use map exploits"},
    {"gwtmstack", "Please do not team stack"},
    {"gwname", "Please keep your username appropriate"},
    {"gwlang", "Please keep your language clean"},
    {"gwlisten", "Please listen to the administrators"},
    {"gwreboot", "The server will be rebooting shortly. Sorry!"},
    {"gwpw", "The server will be passworded shortly. Sorry!"},
};

constexpr Warning kPlayerWarnings[] = {
    {"wspam", "please don't chat spam"},
    {"wdis", "please don't play disruptively"},
    {"wtk", "please don't team kill"},
    {"wayot", "please don't attack your own team"},
    {"wsfv", "please don't shoot friendly vehicles"},
    {"wdvtp", "please don't drive vehicles to planes"},
    {"wname", "please change your name to something more appropriate"},
    {"wlang", "please tone down your language"},
    {"wtmstack", "please don't team stack"},
    {"wlisten", "please listen to the admins"},
    {"wexploits", "please cease using map exploits"},
    {"wreboot", "the server will be rebooting shortly"},
    {"wpw", "the server will be passworded shortly"},
};

struct Offence {
  const char* stem;
  const char* reason;
  const char* heading;
};

constexpr Offence kOffences[] = {
    {"spam", "chat spamming", "// Chat spamming"},
    {"dis", "disrupting gameplay", "// Disruptive gameplay"},
    {"tk", "team killing", "// Team killing"},
    {"atk", "attempted team killing", "// Attempted team killing"},
    {"sfv", "shooting friendly vehicles", "// Shooting friendly vehicles"},
    {"dvtp", "driving vehicles to planes", "// Driving vehicles to planes"},
    {"name", "having an inappropriate name", "// Inappropriate name"},
    {"lang", "using inappropriate language", "// Inappropriate language"},
    {"tmstack", "team stacking", "// Team stacking"},
    {"listen", "ignoring admin requests", "// Ignoring admin requests"},
    {"exploits", "using map exploits", "// Map exploits"},
};

}  // namespace

std::string DefaultPlayerMenuText() {
  std::vector<std::string> lines = {
      "// Ashfront Varnholt v2.0 player menu",
      "// PlayerMenu.con",
      "// Copy this file into the server's Mods/ashfront/Settings folder.",
      "",
      "// Warnings",
      "// To the general server",
  };
  for (const Warning& w : kServerWarnings) {
    lines.push_back(std::string("Warn server>\"") + w.message + "\"|global,[" + w.shortcut + "]");
  }
  lines.push_back("");
  lines.push_back("// To specific people");
  for (const Warning& w : kPlayerWarnings) {
    lines.push_back(std::string("Warn player>\"") + w.message + "\"[" + w.shortcut + "]");
  }
  lines.push_back("");
  lines.push_back("// Kicks");
  lines.push_back("Kick player|kick,[kick]");
  lines.push_back("");
  lines.push_back("// Kick with message");
  for (const Offence& o : kOffences) {
    lines.push_back(std::string("Kick for>\"") + o.reason + "\"|kick,[k" + o.stem + "]");
  }
  lines.push_back("");
  lines.push_back("// Bans");
  lines.push_back("Ban player for 10 minutes|ban,600,[b10min]");
  lines.push_back("Ban player for 1 day|ban,86400,[b1day]");
  lines.push_back("Ban player for 3 days|ban,259200,[b3days]");
  lines.push_back("Ban player for 1 week|ban,604800,[b1week]");
  lines.push_back("Ban player for 1 month|ban,2592000,[b1month]");
  lines.push_back("Ban player permanently|ban,[ban]");
  lines.push_back("");
  lines.push_back("// Ban with message");
  for (const Offence& o : kOffences) {
    // The ban shortcuts for this offence read "ignore" (bignore1day), as players type them.
    std::string stem = std::string(o.stem) == "listen" ? "ignore" : o.stem;
    std::string prefix = std::string("Ban for>\"") + o.reason + "\">";
    lines.push_back("");
    lines.push_back(o.heading);
    lines.push_back(prefix + "for 1 day|ban,86400,[b" + stem + "1day]");
    lines.push_back(prefix + "for 3 days|ban,259200,[b" + stem + "3days]");
    lines.push_back(prefix + "for 1 week|ban,604800,[b" + stem + "1week]");
    lines.push_back(prefix + "for 1 month|ban,2592000,[b" + stem + "1month]");
    lines.push_back(prefix + "permanently|ban,[b" + stem + "]");
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  text.push_back('\0');
  return text;
}

}  // namespace varnholt
