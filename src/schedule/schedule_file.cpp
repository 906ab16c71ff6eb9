#include "schedule/schedule_file.h"

#include <cinttypes>
#include <cstdio>
#include <unordered_set>

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr size_t kFieldCount = 6;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ParseEventTime(std::string_view text, int64_t* time) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > 12) return false;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value <= 0 || value > kMaxEventTime) return false;
  *time = value;
  return true;
}

// Any non-zero number, read as the C library's atoi reads it, means enabled.
bool ParseEnabled(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (c != '0') return true;
  }
  return false;
}

std::string PathField(std::string_view field) {
  return field == "*" ? std::string() : Cut(field, kMaxSchedulePathLength);
}

// Splits at the first five commas; false when there are fewer.
bool SplitFields(std::string_view line, std::string_view (&fields)[kFieldCount]) {
  for (size_t i = 0; i + 1 < kFieldCount; ++i) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) return false;
    fields[i] = line.substr(0, comma);
    line.remove_prefix(comma + 1);
  }
  fields[kFieldCount - 1] = line;
  return true;
}

}  // namespace

bool IsSafeSchedulePath(std::string_view path) {
  if (path.empty()) return true;
  if (path.front() == '/' || path.front() == '\\') return false;
  if (path.size() >= 2 && path[1] == ':') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ',') return false;
  }
  return true;
}

bool ParseScheduleText(std::string_view text, ScheduleText* result, int* bad_line) {
  ScheduleText parsed;
  std::unordered_set<int64_t> used;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view fields[kFieldCount];
    if (!SplitFields(line, fields)) continue;
    ScheduledEvent event;
    event.action = Cut(fields[1], kMaxActionLength);
    event.recurrence = Cut(fields[2], kMaxRecurrenceLength);
    event.settings = PathField(fields[3]);
    event.maplist = PathField(fields[4]);
    event.enabled = ParseEnabled(fields[5]);
    if (!ParseEventTime(fields[0], &event.time) || !IsSafeSchedulePath(event.settings) ||
        !IsSafeSchedulePath(event.maplist) || parsed.events.size() >= kMaxScheduledEvents) {
      *bad_line = number;
      return false;
    }
    while (used.count(event.time) != 0) {
      ++event.time;
      parsed.times_moved = true;
    }
    if (event.time > kMaxEventTime) {
      *bad_line = number;
      return false;
    }
    used.insert(event.time);
    parsed.events.push_back(std::move(event));
  }
  *result = std::move(parsed);
  return true;
}

std::string FormatScheduleText(const std::vector<ScheduledEvent>& events) {
  std::string text;
  for (const ScheduledEvent& e : events) {
    char time[24];
    snprintf(time, sizeof time, "%" PRId64, e.time);
    text += time;
    text += ',';
    text += e.action;
    text += ',';
    text += e.recurrence;
    text += ',';
    text += e.settings.empty() ? "*" : e.settings;
    text += ',';
    text += e.maplist.empty() ? "*" : e.maplist;
    text += e.enabled ? ",1\n" : ",0\n";
  }
  return text;
}

}  // namespace varnholt
