#include "schedule/scheduled_event.h"

#include <array>

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

struct RecurrencePrefix {
  const char* prefix;
  Recurrence kind;
};

// Compared in this order, each by its own length.
constexpr std::array<RecurrencePrefix, 11> kPrefixes = {{
    {"none", Recurrence::kOnce},
    {"daily", Recurrence::kDaily},
    {"mon", Recurrence::kMonday},
    {"tue", Recurrence::kTuesday},
    {"wed", Recurrence::kWednesday},
    {"thu", Recurrence::kThursday},
    {"fri", Recurrence::kFriday},
    {"sat", Recurrence::kSaturday},
    {"sun", Recurrence::kSunday},
    {"weekdays", Recurrence::kWeekdays},
    {"weekends", Recurrence::kWeekends},
}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

Recurrence RecurrenceOf(std::string_view text) {
  for (const RecurrencePrefix& p : kPrefixes) {
    if (StartsWithNoCase(text, p.prefix)) return p.kind;
  }
  return Recurrence::kInvalid;
}

bool RecursOnWeekday(Recurrence recurrence, int weekday) {
  switch (recurrence) {
    case Recurrence::kInvalid:
      return false;
    case Recurrence::kOnce:
    case Recurrence::kDaily:
      return true;
    case Recurrence::kWeekdays:
      return weekday >= 1 && weekday <= 5;
    case Recurrence::kWeekends:
      return weekday == 0 || weekday == 6;
    default:
      return static_cast<int>(recurrence) - static_cast<int>(Recurrence::kSunday) == weekday;
  }
}

bool IsStartEvent(const ScheduledEvent& event) {
  return StartsWithNoCase(event.action, "start");
}

bool IsWaitEvent(const ScheduledEvent& event) {
  return event.action.find("wait") != std::string::npos;
}

}  // namespace varnholt
