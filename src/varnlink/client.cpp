#include "varnlink/client.h"

#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/last_error.h"
#include "platform/terminal.h"
#include "varnlink/arguments.h"
#include "varnlink/commands.h"
#include "varnlink/config_file.h"
#include "varnlink/exit_codes.h"

namespace varnholt::varnlink {

int ExitCodeOfLoginResult(int result) {
  switch (result) {
    case 2:
      return kExitWrongPassword;
    case 6:
      return kExitAlreadyConnected;
    case 7:
      return kExitTableFull;
    default:
      return kExitBadAccount;
  }
}

std::string UsageText() {
  return R"(Usage: varnlink [-H HOST] [-p PORT] [-u USER] [-P PROFILE] [--json] COMMAND [ARG...]
       varnlink --help | --version

Connects to the remote administration service of varnholtd (default 127.0.0.1:15667).
The password comes from VARNLINK_PASSWORD, else from the profile in
~/.config/varnlink/config (mode 0600), else from a prompt on the terminal.

Commands (the right each needs):
  status                        server status summary (Status page)
  players                       player list (Players page)
  clients                       connected remote clients (Clients page)
  bans                          ban list (Banlist page)
  bans verify|sync-to|sync-from compare or copy the server's ban files (Banlist page)
  bans clear                    remove every ban (Banlist page)
  kick ID [REASON]              kick a player (Players page)
  ban (ID|--address A|--keyhash K|--guid G)... [--name N] [--for DURATION] [REASON]
                                ban identities, for good or for a time such as 12h, 7d
                                (Players or Banlist page)
  unban (--address A|--keyhash K|--guid G)... [--name N]   lift a ban (Banlist page)
  say TEXT                      chat message to all players (any right)
  message TEXT                  server message (any right)
  map LEVEL                     change the map now (Maps page)
  next-map | restart-map        run the next map / restart this one (Maps page)
  idle-map [LEVEL]              set or clear the idle map (Maps page)
  start | stop | pause          the game server (start/stop)
  console COMMAND...            a remote console command (console commands)
  disconnect SLOT               disconnect another client (admin)
  passwd                        change your own password (any right); reads
                                VARNLINK_NEW_PASSWORD or asks twice on the terminal
  get NAME [FILE]               fetch a file to FILE or standard output
  put NAME FILE                 send a file
                                NAME: settings (any), banlist (Banlist), maplist, mods,
                                maps (Maps), schedule (Schedule), announcements (Admin),
                                bannedwords (Players or Admin), playermenu (Players),
                                users (Users), pbsv.cfg (PunkBuster), customcombat (admin),
                                log (view log, fetch only; mods, maps, playermenu too)
  watch                         print every notification until interrupted

Options:
  --json    one JSON document per command (watch: one JSON object per line)

Exit codes:
  0 success              1 the server could not carry out the request
  2 bad arguments        3 cannot connect
  4 unknown, disabled or rightless account
  5 wrong password       6 already connected (account allows one login)
  7 all client slots taken                    8 protocol version mismatch
  9 the account lacks the right the command needs
  10 the connection broke off
)";
}

std::string LoginResultText(int result) {
  if (result < 1 || result > 7) return ErrorText(kErrorBadAuthCode);
  std::string text = ErrorText(static_cast<uint32_t>(kErrorBadAuthCode + result));
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

namespace {

int Usage(Output& out, const std::string& message) {
  fprintf(out.err, "varnlink: %s\n", message.c_str());
  return kExitUsage;
}

}  // namespace

int RunClient(const std::vector<std::string>& argv, Output& out) {
  Invocation call;
  std::string error;
  if (!ParseArguments(argv, &call, &error)) return Usage(out, error);
  if (call.help) {
    fputs(UsageText().c_str(), out.out);
    return kExitOk;
  }
  if (!IsCommand(call.command))
    return Usage(out, "unknown command " + call.command + " (try --help)");
  out.json = call.json;

  Profiles profiles;
  if (!LoadConfig(DefaultConfigPath(), &profiles, &error)) return Usage(out, error);
  Profile profile;
  const std::string profile_name = call.profile.value_or(kDefaultProfile);
  if (auto found = profiles.find(profile_name); found != profiles.end()) {
    profile = found->second;
  } else if (call.profile) {
    return Usage(out, "no profile " + profile_name + " in " + DefaultConfigPath());
  }
  const std::string host = call.host.value_or(profile.host.value_or(kDefaultHost));
  const uint16_t port = call.port.value_or(profile.port.value_or(kDefaultPort));
  const std::optional<std::string> user = call.user ? call.user : profile.user;
  if (!user || user->empty()) return Usage(out, "no user: give -u USER or a profile with a user");

  std::string password;
  if (auto from_env = EnvironmentValue("VARNLINK_PASSWORD")) {
    password = *from_env;
  } else if (profile.password) {
    password = *profile.password;
  } else if (IsTerminal(kStdinFd)) {
    const std::string prompt = "Password for " + *user + "@" + host + ": ";
    if (!ReadHiddenLine(prompt.c_str(), &password)) return Usage(out, "could not read a password");
  } else {
    return Usage(out,
                 "no password: set VARNLINK_PASSWORD, put it in a profile or run on a terminal");
  }

  SystemClock clock;
  Connection link(clock);
  if (!link.Connect(host, port)) {
    const uint32_t code = GetLastErrorCode();
    fprintf(out.err, "varnlink: cannot connect to %s:%u: %s\n", host.c_str(), port,
            ErrorText(code));
    return kExitCannotConnect;
  }
  LoginAnswer login;
  const bool answered = link.Login(*user, password, &login);
  std::fill(password.begin(), password.end(), '\0');
  if (!answered) {
    const uint32_t code = GetLastErrorCode();
    if (code == kErrorProtocolVersion) {
      fprintf(out.err, "varnlink: login refused: %s\n", LoginResultText(-1).c_str());
      fprintf(out.err, "varnlink: %s\n", ErrorText(kErrorProtocolVersion));
      return kExitVersionMismatch;
    }
    fprintf(out.err, "varnlink: no login answer from %s:%u: %s\n", host.c_str(), port,
            ErrorText(code));
    return kExitCannotConnect;
  }
  if (login.result != 0) {
    fprintf(out.err, "varnlink: login refused: %s\n", LoginResultText(login.result).c_str());
    return ExitCodeOfLoginResult(login.result);
  }
  Session session{link, login, out};
  return RunCommand(session, call.command, call.args);
}

}  // namespace varnholt::varnlink
