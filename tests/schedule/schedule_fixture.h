// A schedule in a temporary settings folder with a hand-driven clock, a fake server that
// records starts and stops, and the lines, messages and notifications it produced. Local
// time follows a fixed central European zone, so weekdays and daylight-saving days are known.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/command_queue.h"
#include "core/notify_codes.h"
#include "log/event_log.h"
#include "platform/clock.h"
#include "schedule/schedule.h"
#include "schedule/time_conversions.h"
#include "support/temp_folder.h"

namespace varnholt {

constexpr const char* kCentralEuropeZone = "CET-1CEST,M3.5.0/2,M10.5.0/3";

// Sets the zone for the life of a test, before any other member reads local time.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    had_tz_ = old != nullptr;
    if (had_tz_) old_tz_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_tz_) {
      setenv("TZ", old_tz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ZoneGuard(const ZoneGuard&) = delete;
  ZoneGuard& operator=(const ZoneGuard&) = delete;

 private:
  bool had_tz_ = false;
  std::string old_tz_;
};

class ScheduleTest : public ::testing::Test {
 protected:
  ScheduleTest()
      : log_(game_.path(), clock_),
        queue_(clock_, log_),
        schedule_(log_, clock_, queue_, game_.Sub("Settings"), Environment()) {
    log_.SetLineObserver([this](const std::string& line) { lines_.push_back(line); });
    game_.Write("Settings/ServerMapList.con", "game.addLevel hue GPM_CQ ashfront\n");
  }
  ScheduleEnvironment Environment() {
    ScheduleEnvironment env;
    env.server_running = [this] { return running_; };
    env.server_pid = [this] { return pid_; };
    env.start_server = [this] {
      actions_.push_back("start");
      running_ = true;
      return true;
    };
    env.stop_server = [this] {
      actions_.push_back("stop");
      running_ = false;
      return true;
    };
    env.load_settings_file = [this](const std::string& path) {
      actions_.push_back("settings " + path.substr(game_.path().size() + 1));
      return !testing::ReadFileText(path).empty();
    };
    env.load_map_rotation = [this](const std::string& path) {
      actions_.push_back("maplist " + path.substr(game_.path().size() + 1));
      return !testing::ReadFileText(path).empty();
    };
    env.server_map_list_path = [this] { return game_.Sub("Settings/ServerMapList.con"); };
    env.set_pending_event = [this](int64_t time, int32_t pid) { pending_.push_back({time, pid}); };
    env.admin_messages = [this] { return admin_messages_; };
    env.monitor_period = [this] { return period_; };
    return env;
  }

  // Seconds of a local date and time.
  static int64_t Local(int y, int mo, int d, int h, int mi, int s) {
    CalendarFields f;
    f.year = static_cast<uint16_t>(y);
    f.month = static_cast<uint16_t>(mo);
    f.day = static_cast<uint16_t>(d);
    f.hour = static_cast<uint16_t>(h);
    f.minute = static_cast<uint16_t>(mi);
    f.second = static_cast<uint16_t>(s);
    int64_t seconds = 0;
    EXPECT_TRUE(LocalFieldsToSeconds(f, &seconds));
    return seconds;
  }
  static int LocalWeekday(int64_t seconds) {
    CalendarFields f;
    EXPECT_TRUE(SecondsToLocalFields(seconds, &f));
    return f.weekday;
  }

  static ScheduledEvent Event(int64_t time, const char* action, const char* recurrence,
                              const char* settings = "", const char* maplist = "") {
    ScheduledEvent e;
    e.time = time;
    e.action = action;
    e.recurrence = recurrence;
    e.settings = settings;
    e.maplist = maplist;
    return e;
  }

  // Writes the events as the schedule file and loads it.
  void Use(const std::vector<ScheduledEvent>& events) {
    std::string text;
    for (const ScheduledEvent& e : events) {
      text += std::to_string(e.time) + "," + e.action + "," + e.recurrence + "," +
              (e.settings.empty() ? "*" : e.settings) + "," +
              (e.maplist.empty() ? "*" : e.maplist) + ",1\n";
    }
    ASSERT_TRUE(schedule_.LoadSchedule(game_.Write("Settings/ServerSchedule.con", text)));
  }

  // A tick at the given moment.
  bool TickAt(int64_t seconds) {
    clock_.SetCalendarSeconds(seconds);
    return schedule_.ScheduleTick();
  }

  // Takes the queued Commands: the texts said to players, and the other codes.
  std::vector<std::string> TakeSaid() {
    std::vector<std::string> said;
    Command c;
    while (queue_.TakeExecutable(&c)) {
      if (c.code == kCmdServerMessage || c.code == kCmdChat) {
        said.push_back(std::string(c.code == kCmdChat ? "chat: " : "") + c.text);
      } else {
        other_commands_.push_back(c.code == kCmdNotifyAll ? "notify " + std::string(c.text)
                                                          : std::to_string(c.code));
      }
    }
    return said;
  }

  bool Logged(const std::string& text) const {
    for (const std::string& line : lines_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  ZoneGuard zone_{kCentralEuropeZone};
  testing::TempFolder game_;
  ManualClock clock_{Local(2026, 6, 1, 0, 0, 0)};
  EventLog log_;
  CommandQueue queue_;
  bool running_ = false;
  int32_t pid_ = 4242;
  bool admin_messages_ = true;
  int period_ = 30;
  std::vector<std::string> actions_;
  std::vector<std::pair<int64_t, int32_t>> pending_;
  std::vector<std::string> lines_;
  std::vector<std::string> other_commands_;
  Schedule schedule_;
};

}  // namespace varnholt
