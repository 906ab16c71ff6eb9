#include "varnlink/session.h"

#include <array>

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/last_error.h"
#include "remote/request_table.h"
#include "varnlink/exit_codes.h"
#include "varnlink/notify_names.h"

namespace varnholt::varnlink {
namespace {

constexpr std::array<const char*, 18> kRightNames = {
    "Server page",      "Game page",   "Friendly Fire page", "Misc page",
    "Admin page",       "Status page", "Maps page",          "Players page",
    "Banlist page",     "Users page",  "Schedule page",      "Clients page",
    "start/stop",       "view log",    "multiple logins",    "critical settings",
    "console commands", "PunkBuster",
};

}  // namespace

std::string RightNeeded(uint32_t n) {
  const RequestRow* row = FindRequest(kRequestBase + n);
  if (row == nullptr) return "an unknown right";
  switch (row->rule) {
    case RequestRule::kAny:
      return "any right";
    case RequestRule::kAdminOnly:
      return "admin rights";
    case RequestRule::kAnyOf:
      break;
  }
  std::string text;
  for (size_t bit = 0; bit < kRightNames.size(); ++bit) {
    if ((row->bits & (1u << bit)) == 0) continue;
    if (!text.empty()) text += " or ";
    text += kRightNames[bit];
  }
  return "the " + text + " right";
}

bool CheckRight(Session& s, uint32_t n, const char* what) {
  if (RequestAllowed(s.login.rights, kRequestBase + n)) return true;
  fprintf(s.out.err, "varnlink: refused: %s needs %s, which this account lacks\n", what,
          RightNeeded(n).c_str());
  return false;
}

int Fail(Session& s, int exit, const std::string& message) {
  fprintf(s.out.err, "varnlink: %s\n", message.c_str());
  return exit;
}

int ConnectionLost(Session& s) {
  return Fail(
      s, kExitConnectionLost,
      std::string("the connection to the server broke off: ") + ErrorText(GetLastErrorCode()));
}

int RequestWithOutcome(Session& s, uint32_t n, const std::optional<std::string>& text,
                       std::initializer_list<Outcome> outcomes, const char* what) {
  if (!CheckRight(s, n, what)) return kExitNoRight;
  const uint32_t code = kRequestBase + n;
  const bool sent = text ? s.link.SendRequestText(code, *text) : s.link.SendRequest(code);
  if (!sent) return ConnectionLost(s);
  for (;;) {
    Notification note;
    switch (s.link.NextNotification(kOutcomeWaitMs, &note)) {
      case Connection::Wait::kTimedOut:
        return Fail(s, kExitFailed,
                    std::string("no answer to ") + what + " within " +
                        std::to_string(kOutcomeWaitMs / 1000) + " seconds");
      case Connection::Wait::kBroken:
        return ConnectionLost(s);
      case Connection::Wait::kNotification:
        break;
    }
    const std::string data = TextOfData(note.data);
    if (note.code == kNotifyFailed) {
      return Fail(s, kExitFailed,
                  std::string("the server could not carry out ") + what + " (its log says why)");
    }
    if (note.code == kNotifyDisconnected) {
      return Fail(s, kExitConnectionLost, "the server disconnected this client");
    }
    for (const Outcome& o : outcomes) {
      if (o.code != note.code) continue;
      if (o.message == nullptr) return o.exit;
      if (s.out.json) {
        const NotifyName* name = FindNotifyName(o.code);
        fprintf(s.out.out, "{\"ok\":%s,\"result\":%s,\"text\":%s}\n",
                o.exit == 0 ? "true" : "false", JsonString(name ? name->name : "").c_str(),
                note.data.empty() ? "null" : JsonString(data).c_str());
      } else {
        fprintf(o.exit == 0 ? s.out.out : s.out.err, "%s%s%s\n", o.message,
                data.empty() ? "" : ": ", data.c_str());
      }
      return o.exit;
    }
  }
}

}  // namespace varnholt::varnlink
