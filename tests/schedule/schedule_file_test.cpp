// ServerSchedule.con read and written, what a schedule may name, and the page's edits.
#include "schedule/schedule_file.h"

#include <sys/stat.h>

#include "schedule_fixture.h"

namespace varnholt {
namespace {

using ::testing::ElementsAre;

TEST(ScheduleTextTest, ReadsFieldsSkipsShortLinesAndMovesEqualTimes) {
  ScheduleText parsed;
  int bad_line = 0;
  ASSERT_TRUE(
      ParseScheduleText("1780000000,Start server,Daily,ServerSettings.con,Maps/A.con,1\r\n"
                        "\n"
                        "1780000000,Stop server,None,*,*,0\n"
                        "not,enough,fields\n"
                        "1780000001,Stop server (wait),Weekends only,*,*, 7 trailing\n"
                        "1780000900,A very long action text here,Whenever,*,*,-1",
                        &parsed, &bad_line));
  ASSERT_EQ(parsed.events.size(), 4u);
  EXPECT_TRUE(parsed.times_moved);
  const ScheduledEvent& a = parsed.events[0];
  EXPECT_EQ(a.time, 1780000000);
  EXPECT_EQ(a.action, "Start server");
  EXPECT_EQ(a.recurrence, "Daily");
  EXPECT_EQ(a.settings, "ServerSettings.con");
  EXPECT_EQ(a.maplist, "Maps/A.con");
  EXPECT_TRUE(a.enabled);
  // The second moves on to the next free second, the third behind it.
  EXPECT_EQ(parsed.events[1].time, 1780000001);
  EXPECT_EQ(parsed.events[1].settings, "");
  EXPECT_FALSE(parsed.events[1].enabled);
  EXPECT_EQ(parsed.events[2].time, 1780000002);
  EXPECT_TRUE(parsed.events[2].enabled);
  EXPECT_EQ(parsed.events[3].action, "A very long action ");  // cut at 19
  EXPECT_TRUE(parsed.events[3].enabled);
  EXPECT_EQ(RecurrenceOf(parsed.events[3].recurrence), Recurrence::kInvalid);
  // Written back in the same form.
  EXPECT_EQ(FormatScheduleText({a, parsed.events[1]}),
            "1780000000,Start server,Daily,ServerSettings.con,Maps/A.con,1\n"
            "1780000001,Stop server,None,*,*,0\n");
}

TEST(ScheduleTextTest, ABadLineRejectsTheWholeText) {
  const char* bad[] = {
      "abc,Stop server,None,*,*,1",
      "-5,Stop server,None,*,*,1",
      "99999999999999999999,Stop server,None,*,*,1",
      "1780000000,Start server,None,/etc/passwd,ServerMapList.con,1",
      "1780000000,Start server,None,../../x.con,ServerMapList.con,1",
      "1780000000,Start server,None,ServerSettings.con,Maps\\..\\..\\x.con,1",
      "1780000000,Start server,None,C:\\Windows\\x.con,ServerMapList.con,1",
  };
  for (const char* line : bad) {
    ScheduleText parsed;
    parsed.events.resize(3);
    int bad_line = 0;
    EXPECT_FALSE(ParseScheduleText(std::string("1780000000,Stop server,None,*,*,1\n") + line,
                                   &parsed, &bad_line))
        << line;
    EXPECT_EQ(bad_line, 2) << line;
    EXPECT_EQ(parsed.events.size(), 3u) << line;
  }
  std::string many;
  for (int i = 0; i <= static_cast<int>(kMaxScheduledEvents); ++i) {
    many += std::to_string(1780000000 + i) + ",Stop server,None,*,*,1\n";
  }
  ScheduleText parsed;
  int bad_line = 0;
  EXPECT_FALSE(ParseScheduleText(many, &parsed, &bad_line));
  EXPECT_EQ(bad_line, static_cast<int>(kMaxScheduledEvents) + 1);
}

TEST(ScheduleTextTest, RecurrencesAreReadByTheirFirstLetters) {
  EXPECT_EQ(RecurrenceOf("Wednesday"), Recurrence::kWednesday);
  EXPECT_EQ(RecurrenceOf("WED"), Recurrence::kWednesday);
  EXPECT_EQ(RecurrenceOf("none"), Recurrence::kOnce);
  EXPECT_EQ(RecurrenceOf("Weekends only"), Recurrence::kWeekends);
  EXPECT_EQ(RecurrenceOf("Weekdays only"), Recurrence::kWeekdays);
  EXPECT_EQ(RecurrenceOf("We"), Recurrence::kInvalid);
  EXPECT_EQ(RecurrenceOf(""), Recurrence::kInvalid);
  EXPECT_TRUE(IsWaitEvent(ScheduledEvent{0, "Stop server (wait)", "", "", "", true}));
  EXPECT_FALSE(IsWaitEvent(ScheduledEvent{0, "Stop server (WAIT)", "", "", "", true}));
  EXPECT_TRUE(IsStartEvent(ScheduledEvent{0, "START server", "", "", "", true}));
}

TEST_F(ScheduleTest, LoadingMovesEqualTimesAndWritesTheFileBack) {
  const std::string path = game_.Write("Settings/ServerSchedule.con",
                                       "1780000000,Stop server,Daily,*,*,1\n"
                                       "1780000000,Stop server,Sunday,*,*,1\n");
  ASSERT_TRUE(schedule_.LoadSchedule(path));
  EXPECT_EQ(game_.Read("Settings/ServerSchedule.con"),
            "1780000000,Stop server,Daily,*,*,1\n1780000001,Stop server,Sunday,*,*,1\n");
  TakeSaid();
  EXPECT_THAT(
      other_commands_,
      ElementsAre("notify " + std::to_string(static_cast<int32_t>(kNotifyScheduleChanged))));
}

TEST_F(ScheduleTest, AFailedLoadKeepsThePreviousSchedule) {
  Use({Event(1780000000, "Stop server", "Daily")});
  const std::string path =
      game_.Write("Settings/Upload.con",
                  "1780000500,Stop server,None,*,*,1\n"
                  "1780000600,Start server,None,../../../home/x.con,ServerMapList.con,1\n");
  EXPECT_FALSE(schedule_.LoadSchedule(path));
  EXPECT_TRUE(Logged("WARNING: Line 2 of " + path + " is not a valid event."));
  EXPECT_TRUE(Logged("Couldn't read event schedule file! "));
  EXPECT_FALSE(schedule_.LoadSchedule(game_.Sub("Settings/Missing.con")));
  EXPECT_TRUE(Logged("Couldn't open event schedule file! "));
  ASSERT_EQ(schedule_.Events().size(), 1u);
  EXPECT_EQ(schedule_.Events()[0].time, 1780000000);
}

TEST_F(ScheduleTest, SavingReplacesTheFileWhole) {
  Use({Event(1780000000, "Start server", "Daily", "A.con", "B.con"),
       Event(1780000100, "Stop server", "None")});
  const std::string path = game_.Sub("Settings/ServerSchedule.con");
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  ASSERT_TRUE(schedule_.SaveSchedule(path));
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
  EXPECT_EQ(game_.Read("Settings/ServerSchedule.con"),
            "1780000000,Start server,Daily,A.con,B.con,1\n1780000100,Stop server,None,*,*,1\n");
}

TEST_F(ScheduleTest, PageEditsValidateKeepTimeOrderAndMarkTheScheduleDirty) {
  const int64_t now = clock_.CalendarSeconds();
  EXPECT_FALSE(schedule_.AddEvent(Event(now + 600, "Start server", "None", "", "M.con")));
  EXPECT_TRUE(Logged("You must specify a settings file for a 'start' event."));
  EXPECT_FALSE(schedule_.AddEvent(Event(now + 600, "Start server", "None", "S.con", "")));
  EXPECT_TRUE(Logged("You must specify a maplist file for a 'start' event."));
  EXPECT_FALSE(schedule_.AddEvent(Event(now, "Stop server", "None")));
  EXPECT_TRUE(Logged("Couldn't save event! The selected date/time occurs in the past."));
  EXPECT_FALSE(schedule_.AddEvent(Event(now + 600, "Start server", "None", "../S.con", "M.con")));
  EXPECT_FALSE(schedule_.AddEvent(Event(now + 600, "Stop server", "Daily,1\n1")));
  EXPECT_FALSE(schedule_.Dirty());
  EXPECT_TRUE(schedule_.Events().empty());

  // A stop event drops its paths; events are kept in time order.
  ScheduledEvent stop = Event(now + 900, "Stop server", "Daily", "S.con", "M.con");
  stop.enabled = false;
  ASSERT_TRUE(schedule_.AddEvent(stop));
  ASSERT_TRUE(schedule_.AddEvent(Event(now + 600, "Start server", "Monday", "S.con", "M.con")));
  EXPECT_TRUE(schedule_.Dirty());
  std::vector<ScheduledEvent> events = schedule_.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].time, now + 600);
  EXPECT_EQ(events[1].settings, "");
  EXPECT_TRUE(events[1].enabled);

  // Equal times are refused with a box; changing an event may keep its own time.
  EXPECT_FALSE(schedule_.AddEvent(Event(now + 900, "Stop server", "None")));
  EXPECT_TRUE(Logged("An existing event already occurs at this date/time."));
  ASSERT_TRUE(schedule_.ChangeEvent(now + 900, Event(now + 900, "Stop server (wait)", "None")));
  ASSERT_TRUE(schedule_.ChangeEvent(now + 600, Event(now + 1200, "Stop server", "None")));
  events = schedule_.Events();
  EXPECT_EQ(events[0].action, "Stop server (wait)");
  EXPECT_EQ(events[1].time, now + 1200);

  schedule_.ClearDirty();
  EXPECT_TRUE(schedule_.EnableEvent(now + 900, false));
  EXPECT_TRUE(schedule_.Dirty());
  EXPECT_FALSE(schedule_.Events()[0].enabled);
  EXPECT_TRUE(schedule_.RemoveEvent(now + 900));
  EXPECT_FALSE(schedule_.RemoveEvent(now + 900));
  EXPECT_EQ(schedule_.Events().size(), 1u);

  // Export and import.
  ASSERT_TRUE(schedule_.ExportSchedule(game_.Sub("Exported.con")));
  ASSERT_TRUE(schedule_.RemoveEvent(now + 1200));
  schedule_.ClearDirty();
  ASSERT_TRUE(schedule_.ImportSchedule(game_.Sub("Exported.con")));
  EXPECT_TRUE(schedule_.Dirty());
  EXPECT_EQ(schedule_.Events().size(), 1u);

  // A refresh goes back to the settings file and forgets the unsaved edits.
  ASSERT_TRUE(schedule_.SaveSchedule(schedule_.SchedulePath()));
  ASSERT_TRUE(schedule_.RemoveEvent(schedule_.Events()[0].time));
  ASSERT_TRUE(schedule_.RefreshSchedule());
  EXPECT_FALSE(schedule_.Dirty());
  EXPECT_EQ(schedule_.Events().size(), 1u);
}

}  // namespace
}  // namespace varnholt
