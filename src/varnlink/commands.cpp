#include "varnlink/commands.h"

#include <cstring>

#include "core/notify_codes.h"
#include "platform/environment.h"
#include "platform/terminal.h"
#include "remote/frames.h"
#include "varnlink/exit_codes.h"
#include "varnlink/request_texts.h"

namespace varnholt::varnlink {
namespace {

// Request numbers (code 0xBABE0000 + n).
enum Request : uint32_t {
  kStart = 26,
  kStop = 27,
  kPause = 28,
  kChangeMap = 30,
  kNextMap = 31,
  kIdleMap = 33,
  kRestartMap = 34,
  kKick = 35,
  kDisconnect = 36,
  kBan = 37,
  kUnban = 38,
  kClearBans = 39,
  kVerifyBans = 41,
  kSyncToServer = 42,
  kSyncFromServer = 43,
  kChat = 44,
  kServerMessage = 45,
  kConsole = 46,
  kPassword = 47,
  kKeepAlive = 50,
};

// The arguments as one text, for say, message and console; a "--" that only ended the
// options is dropped. Refused when it is empty or longer than a request carries.
bool JoinedText(Session& s, const std::vector<std::string>& args, const char* what,
                std::string* text) {
  text->clear();
  for (const std::string& a : args) {
    if (a == "--" && text->empty()) continue;
    if (!text->empty()) *text += ' ';
    *text += a;
  }
  if (text->empty()) {
    Fail(s, kExitUsage, std::string(what) + " needs a text");
    return false;
  }
  if (text->size() > kMaxRequestText) {
    Fail(s, kExitUsage,
         std::string(what) + " text is longer than the " + std::to_string(kMaxRequestText) +
             " characters a request can carry");
    return false;
  }
  return true;
}

int Kick(Session& s, const std::vector<std::string>& args) {
  int id = -1;
  if (args.empty() || !ParsePlayerId(args[0], &id)) {
    return Fail(s, kExitUsage, "kick needs a player id (a number from 0 up)");
  }
  std::string reason;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--" && reason.empty()) continue;
    if (!reason.empty()) reason += ' ';
    reason += args[i];
  }
  if (reason.empty()) reason = "unknown reason";
  return RequestWithOutcome(s, kKick, KickRequestText(id, reason),
                            {{kNotifyPlayerKicked, kExitOk, "player kicked"}}, "kick");
}

int Ban(Session& s, const std::vector<std::string>& args) {
  BanArguments ban;
  std::string error;
  if (!ParseBanArguments(args, &ban, &error)) return Fail(s, kExitUsage, error);
  return RequestWithOutcome(s, kBan, BanRequestText(ban),
                            {{kNotifyPlayerBanned, kExitOk, "player banned"}}, "ban");
}

int Unban(Session& s, const std::vector<std::string>& args) {
  BanArguments ban;
  std::string error;
  if (!ParseUnbanArguments(args, &ban, &error)) return Fail(s, kExitUsage, error);
  return RequestWithOutcome(s, kUnban, UnbanRequestText(ban),
                            {{kNotifyBanRemoved, kExitOk, "ban removed"}}, "unban");
}

int Bans(Session& s, const std::vector<std::string>& args) {
  if (args.empty()) return ShowFileTable(s, "bans");
  const std::string& what = args[0];
  if (args.size() > 1) return Fail(s, kExitUsage, "bans " + what + " takes no arguments");
  if (what == "verify") {
    return RequestWithOutcome(
        s, kVerifyBans, std::nullopt,
        {{kNotifySucceeded, kExitOk, "the ban list agrees with the server's ban files"},
         {kNotifyBanListNotSynchronised, kExitFailed,
          "the ban list does not agree with the server's ban files"}},
        "bans verify");
  }
  if (what == "sync-to") {
    return RequestWithOutcome(s, kSyncToServer, std::nullopt,
                              {{kNotifySucceeded, kExitOk, "server ban files replaced"}},
                              "bans sync-to");
  }
  if (what == "sync-from") {
    return RequestWithOutcome(s, kSyncFromServer, std::nullopt,
                              {{kNotifySucceeded, kExitOk, "ban list taken from the server"}},
                              "bans sync-from");
  }
  if (what == "clear") {
    return RequestWithOutcome(s, kClearBans, std::nullopt,
                              {{kNotifyBanListCleared, kExitOk, "ban list cleared"}}, "bans clear");
  }
  return Fail(s, kExitUsage, "bans takes verify, sync-to, sync-from or clear, not " + what);
}

int NoArguments(Session& s, const std::string& command, const std::vector<std::string>& /*args*/) {
  return Fail(s, kExitUsage, command + " takes no arguments");
}

int Level(Session& s, uint32_t n, const std::vector<std::string>& args, bool optional,
          const char* what) {
  if (args.size() > 1 || (args.empty() && !optional)) {
    return Fail(s, kExitUsage, std::string(what) + " needs one level name");
  }
  const std::string level = args.empty() ? std::string() : args[0];
  if (level.size() > kMaxRequestText) return Fail(s, kExitUsage, "level name too long");
  const Outcome done = n == kChangeMap
                           ? Outcome{kNotifyMapChanged, kExitOk, "map changed"}
                           : Outcome{kNotifyIdleMapSet, kExitOk,
                                     level.empty() ? "idle map cleared" : "idle map set"};
  const int exit = RequestWithOutcome(s, n, level, {done}, what);
  if (exit == kExitFailed && !level.empty()) {
    fprintf(s.out.err, "varnlink: is \"%s\" a level of this server? (varnlink get maps)\n",
            level.c_str());
  }
  return exit;
}

int Disconnect(Session& s, const std::vector<std::string>& args) {
  int slot = 0;
  if (args.size() != 1 || !ParsePlayerId(args[0], &slot) || slot < 1 || slot > 16) {
    return Fail(s, kExitUsage, "disconnect needs a client slot from 1 to 16 (varnlink clients)");
  }
  if (!CheckRight(s, kDisconnect, "disconnect")) return kExitNoRight;
  if (!s.link.SendRequestText(kRequestBase + kDisconnect, args[0])) return ConnectionLost(s);
  // The server reads requests in order: once the keep-alive is answered, the disconnect
  // has been taken (it tells only the client it drops).
  return RequestWithOutcome(s, kKeepAlive, std::nullopt,
                            {{kNotifyKeepAlive, kExitOk, "disconnect requested"}}, "disconnect");
}

int Password(Session& s, const std::vector<std::string>& args) {
  if (!args.empty()) return Fail(s, kExitUsage, "passwd reads the new password, not arguments");
  std::string password;
  if (auto from_env = EnvironmentValue("VARNLINK_NEW_PASSWORD")) {
    password = *from_env;
  } else if (IsTerminal(kStdinFd)) {
    std::string again;
    if (!ReadHiddenLine("New password: ", &password) ||
        !ReadHiddenLine("New password again: ", &again)) {
      return Fail(s, kExitUsage, "could not read the new password");
    }
    if (password != again) return Fail(s, kExitUsage, "the passwords differ; nothing changed");
  } else {
    return Fail(s, kExitUsage,
                "no terminal to ask for the new password: set VARNLINK_NEW_PASSWORD");
  }
  std::string text;
  std::string error;
  if (!PasswordRequestText(password, &text, &error)) return Fail(s, kExitUsage, error);
  return RequestWithOutcome(s, kPassword, text, {{kNotifyPasswordSet, kExitOk, "password changed"}},
                            "passwd");
}

struct CommandRow {
  const char* name;
  int (*run)(Session& s, const std::vector<std::string>& args);
};

constexpr CommandRow kCommands[] = {
    {"status",
     [](Session& s, const std::vector<std::string>& a) {
       return a.empty() ? ShowStatus(s) : NoArguments(s, "status", a);
     }},
    {"players",
     [](Session& s, const std::vector<std::string>& a) {
       return a.empty() ? ShowFileTable(s, "players") : NoArguments(s, "players", a);
     }},
    {"clients",
     [](Session& s, const std::vector<std::string>& a) {
       return a.empty() ? ShowFileTable(s, "clients") : NoArguments(s, "clients", a);
     }},
    {"bans", Bans},
    {"kick", Kick},
    {"ban", Ban},
    {"unban", Unban},
    {"say",
     [](Session& s, const std::vector<std::string>& a) {
       std::string text;
       if (!JoinedText(s, a, "say", &text)) return static_cast<int>(kExitUsage);
       return RequestWithOutcome(s, kChat, text, {{kNotifyChatSent, kExitOk, "chat message sent"}},
                                 "say");
     }},
    {"message",
     [](Session& s, const std::vector<std::string>& a) {
       std::string text;
       if (!JoinedText(s, a, "message", &text)) return static_cast<int>(kExitUsage);
       return RequestWithOutcome(s, kServerMessage, text,
                                 {{kNotifyServerMessageSent, kExitOk, "server message sent"}},
                                 "message");
     }},
    {"console",
     [](Session& s, const std::vector<std::string>& a) {
       std::string text;
       if (!JoinedText(s, a, "console", &text)) return static_cast<int>(kExitUsage);
       return RequestWithOutcome(s, kConsole, text,
                                 {{kNotifyConsoleCommandDone, kExitOk, "console command sent"}},
                                 "console");
     }},
    {"map",
     [](Session& s, const std::vector<std::string>& a) {
       return Level(s, kChangeMap, a, false, "map");
     }},
    {"idle-map",
     [](Session& s, const std::vector<std::string>& a) {
       return Level(s, kIdleMap, a, true, "idle-map");
     }},
    {"next-map",
     [](Session& s, const std::vector<std::string>& a) {
       if (!a.empty()) return NoArguments(s, "next-map", a);
       return RequestWithOutcome(s, kNextMap, std::nullopt,
                                 {{kNotifyNextMapRun, kExitOk, "next map started"}}, "next-map");
     }},
    {"restart-map",
     [](Session& s, const std::vector<std::string>& a) {
       if (!a.empty()) return NoArguments(s, "restart-map", a);
       return RequestWithOutcome(s, kRestartMap, std::nullopt,
                                 {{kNotifyMapRestarted, kExitOk, "map restarted"}},
                                 "restart-map");
     }},
    {"start",
     [](Session& s, const std::vector<std::string>& a) {
       if (!a.empty()) return NoArguments(s, "start", a);
       return RequestWithOutcome(s, kStart, std::nullopt,
                                 {{kNotifyServerStarted, kExitOk, "server started"},
                                  {kNotifyAlreadyRunning, kExitOk, "server already running"}},
                                 "start");
     }},
    {"stop",
     [](Session& s, const std::vector<std::string>& a) {
       if (!a.empty()) return NoArguments(s, "stop", a);
       return RequestWithOutcome(s, kStop, std::nullopt,
                                 {{kNotifyServerStopped, kExitOk, "server stopped"},
                                  {kNotifyAlreadyStopped, kExitOk, "server already stopped"}},
                                 "stop");
     }},
    {"pause",
     [](Session& s, const std::vector<std::string>& a) {
       if (!a.empty()) return NoArguments(s, "pause", a);
       return RequestWithOutcome(s, kPause, std::nullopt,
                                 {{kNotifyPaused, kExitOk, "game paused"},
                                  {kNotifyUnpaused, kExitOk, "game unpaused"}},
                                 "pause");
     }},
    {"disconnect", Disconnect},
    {"passwd", Password},
    {"get", GetFile},
    {"put", PutFile},
    {"watch",
     [](Session& s, const std::vector<std::string>& a) {
       return a.empty() ? Watch(s) : NoArguments(s, "watch", a);
     }},
};

}  // namespace

bool IsCommand(const std::string& name) {
  for (const CommandRow& row : kCommands) {
    if (name == row.name) return true;
  }
  return false;
}

int RunCommand(Session& s, const std::string& command, const std::vector<std::string>& args) {
  for (const CommandRow& row : kCommands) {
    if (command == row.name) return row.run(s, args);
  }
  return Fail(s, kExitUsage, "unknown command " + command + " (try --help)");
}

}  // namespace varnholt::varnlink
