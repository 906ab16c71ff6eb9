// watch: every notification as it arrives, until interrupted or disconnected.
#include <cstdio>

#include "platform/clock.h"
#include "remote/frames.h"
#include "varnlink/commands.h"
#include "varnlink/exit_codes.h"
#include "varnlink/notify_names.h"

namespace varnholt::varnlink {

std::string WatchLine(uint32_t code, const std::string& data, int64_t now, bool json) {
  const NotifyName* name = FindNotifyName(code);
  const std::string text = TextOfData(data);
  char number[16];
  snprintf(number, sizeof number, "0x%08X", code);
  if (json) {
    return "{\"time\":" + JsonTime(now) + ",\"code\":" + JsonString(number) +
           ",\"name\":" + (name ? JsonString(name->name) : std::string("null")) +
           ",\"text\":" + (data.empty() ? std::string("null") : JsonString(text)) + "}";
  }
  std::string line = PeopleTime(now) + "  " + (name ? name->phrase : number);
  if (!data.empty()) line += ": " + text;
  return line;
}

int Watch(Session& s) {
  SystemClock clock;
  for (;;) {
    Notification note;
    switch (s.link.NextNotification(-1, &note)) {
      case Connection::Wait::kNotification:
        break;
      case Connection::Wait::kTimedOut:
        continue;
      case Connection::Wait::kBroken:
        return Fail(s, kExitConnectionLost, "the server closed the connection");
    }
    const std::string line = WatchLine(note.code, note.data, clock.CalendarSeconds(), s.out.json);
    fprintf(s.out.out, "%s\n", line.c_str());
    // A reader at the other end of a pipe sees each notification when it comes.
    fflush(s.out.out);
  }
}

}  // namespace varnholt::varnlink
