// The schedule's tick with the clock driven by hand: when events fire across days, weeks,
// midnight and daylight-saving changes, the warnings before them, and "(wait)" events.
#include <map>

#include "schedule/occurrences.h"
#include "schedule_fixture.h"

namespace varnholt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ScheduleTest, AOneTimeEventWarnsThenFiresOnceAtTheFirstTickAfterItsMoment) {
  running_ = true;
  Use({Event(Local(2026, 6, 1, 12, 0, 0), "Stop server", "None")});
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 56, 59)));  // four minutes early: quiet
  EXPECT_THAT(TakeSaid(), IsEmpty());
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 57, 0)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 58, 0)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 58, 30)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 59, 55)));
  EXPECT_THAT(TakeSaid(), ElementsAre("[VRNH] Server is scheduled to stop in three minutes!",
                                      "[VRNH] Server is scheduled to stop in two minutes!",
                                      "[VRNH] Server is scheduled to stop in two minutes!",
                                      "[VRNH] Server is scheduled to stop in one minute or less!"));
  EXPECT_TRUE(actions_.empty());
  EXPECT_TRUE(TickAt(Local(2026, 6, 1, 12, 0, 10)));
  EXPECT_THAT(actions_, ElementsAre("stop"));
  EXPECT_TRUE(Logged("Stopping server per scheduled event."));
  // Fired once, then disabled and marked for saving.
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 0, 20)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 0, 40)));
  EXPECT_THAT(actions_, ElementsAre("stop"));
  EXPECT_FALSE(schedule_.Events()[0].enabled);
  EXPECT_TRUE(schedule_.Dirty());
}

TEST_F(ScheduleTest, WarningsSayRestartForStartEventsAndGoOutAsChatWithoutAdminMessages) {
  running_ = true;
  admin_messages_ = false;
  game_.Write("Settings/ServerSettings.con", "game.serverName x\n");
  Use({Event(Local(2026, 6, 1, 12, 0, 0), "Start server", "Daily", "ServerSettings.con",
             "ServerMapList.con")});
  TickAt(Local(2026, 6, 1, 11, 57, 30));
  TickAt(Local(2026, 6, 1, 11, 58, 30));
  TickAt(Local(2026, 6, 1, 11, 59, 30));
  EXPECT_THAT(TakeSaid(),
              ElementsAre("chat: [VRNH] Server is scheduled to restart in three minutes!",
                          "chat: [VRNH] Server is scheduled to restart in two minutes!",
                          "chat: [VRNH] Server is scheduled to restart in one minute or less!"));
  // No warnings to a server that is not running.
  running_ = false;
  TickAt(Local(2026, 6, 2, 11, 59, 30));
  EXPECT_THAT(TakeSaid(), IsEmpty());
}

TEST_F(ScheduleTest, RecurrencesFireOnTheirLocalDaysAcrossAWeek) {
  period_ = 60;
  // Set long ago: only the local time of day counts.
  Use({Event(Local(2025, 1, 10, 6, 0, 0), "Stop server", "Daily"),
       Event(Local(2025, 1, 10, 7, 0, 0), "Stop server", "Weekends only"),
       Event(Local(2025, 1, 10, 8, 0, 0), "Stop server", "Sunday"),
       Event(Local(2025, 1, 10, 9, 0, 0), "Stop server", "Weekdays only"),
       Event(Local(2025, 1, 10, 10, 0, 0), "Stop server", "Wednesday"),
       Event(Local(2025, 1, 10, 11, 0, 0), "Stop server", "Fortnightly")});
  std::map<int, std::vector<int>> fired_on;  // hour of the event -> local weekdays it fired
  const int64_t start = Local(2026, 6, 1, 0, 0, 30);  // a Monday
  for (int64_t t = start; t < start + 7 * 86400; t += 60) {
    if (TickAt(t)) {
      CalendarFields f;
      ASSERT_TRUE(SecondsToLocalFields(t, &f));
      fired_on[f.hour].push_back(f.weekday);
    }
    TakeSaid();
  }
  EXPECT_THAT(fired_on[6], ElementsAre(1, 2, 3, 4, 5, 6, 0));
  EXPECT_THAT(fired_on[7], ElementsAre(6, 0));
  EXPECT_THAT(fired_on[8], ElementsAre(0));
  EXPECT_THAT(fired_on[9], ElementsAre(1, 2, 3, 4, 5));
  EXPECT_THAT(fired_on[10], ElementsAre(3));
  EXPECT_EQ(fired_on.count(11), 0u);  // an unknown recurrence is inert
  // Recurring events stay enabled.
  for (const ScheduledEvent& e : schedule_.Events()) EXPECT_TRUE(e.enabled);
}

TEST_F(ScheduleTest, ALateTickAcrossMidnightFiresYesterdaysEventOnce) {
  Use({Event(Local(2026, 6, 1, 23, 59, 50), "Stop server", "Daily")});
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 23, 59, 45)));
  // The next tick is already on the next local date.
  EXPECT_TRUE(TickAt(Local(2026, 6, 2, 0, 0, 15)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 2, 0, 0, 45)));
  EXPECT_THAT(actions_, ElementsAre("stop"));
}

TEST_F(ScheduleTest, AMomentFromBeforeTheProgramRanIsNotMadeUp) {
  Use({Event(Local(2026, 6, 1, 11, 0, 0), "Stop server", "None")});
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 30, 0)));
  EXPECT_TRUE(actions_.empty());
  EXPECT_TRUE(schedule_.Events()[0].enabled);
}

TEST_F(ScheduleTest, ASlowTickDoesNotLoseTheEventBetweenTwoTicks) {
  Use({Event(Local(2026, 6, 1, 12, 0, 0), "Stop server", "Daily")});
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 59, 40)));
  EXPECT_TRUE(TickAt(Local(2026, 6, 1, 12, 2, 0)));  // 140 s later, period 30
  EXPECT_THAT(actions_, ElementsAre("stop"));
}

TEST_F(ScheduleTest, TwoEventsDueInOneTickBothFireOnConsecutiveTicks) {
  Use({Event(Local(2026, 6, 1, 12, 0, 0), "Stop server", "None"),
       Event(Local(2026, 6, 1, 12, 0, 5), "Start server", "None", "S.con", "ServerMapList.con")});
  game_.Write("Settings/S.con", "game.serverName x\n");
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 11, 59, 50)));
  EXPECT_TRUE(TickAt(Local(2026, 6, 1, 12, 0, 20)));
  EXPECT_THAT(actions_, ElementsAre("stop"));
  // The second is 55 s old at the next tick, more than a period: it still fires, once.
  EXPECT_TRUE(TickAt(Local(2026, 6, 1, 12, 1, 0)));
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 1, 30)));
  EXPECT_THAT(actions_, ElementsAre("stop", "settings Settings/S.con",
                                    "maplist Settings/ServerMapList.con", "start"));
}

TEST_F(ScheduleTest, DaylightSavingDaysFireADailyEventExactlyOnce) {
  // 02:30 does not exist on 29 March 2026 and happens twice on 25 October 2026.
  Use({Event(Local(2026, 1, 5, 2, 30, 0), "Stop server", "Daily")});
  for (int64_t first : {Local(2026, 3, 28, 0, 0, 15), Local(2026, 10, 24, 0, 0, 15)}) {
    int fired = 0;
    for (int64_t t = first; t < first + 3 * 86400; t += 30) fired += TickAt(t) ? 1 : 0;
    EXPECT_EQ(fired, 3) << first;
  }
  // In summer the event still fires at 02:30 local time.
  EXPECT_EQ(NextOccurrence(schedule_.Events()[0], Local(2026, 7, 1, 0, 0, 0)).at,
            Local(2026, 7, 1, 2, 30, 0));
}

TEST_F(ScheduleTest, AWaitEventWhileTheServerRunsIsDeferredToTheEndOfTheGame) {
  running_ = true;
  const int64_t at = Local(2026, 6, 1, 12, 0, 0);
  Use({Event(at, "Stop server (wait)", "None")});
  TickAt(Local(2026, 6, 1, 11, 59, 30));
  EXPECT_THAT(TakeSaid(), IsEmpty());  // no countdown: the game decides when
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 0, 10)));
  EXPECT_THAT(pending_, ElementsAre(std::make_pair(at, 4242)));
  EXPECT_THAT(TakeSaid(),
              ElementsAre("[VRNH] Server is scheduled to stop at the end of this game!"));
  EXPECT_TRUE(actions_.empty());
  // Later ticks do not defer it again.
  EXPECT_FALSE(TickAt(Local(2026, 6, 1, 12, 0, 30)));
  EXPECT_EQ(pending_.size(), 1u);
  // The status tick fires it when the game has ended.
  EXPECT_TRUE(schedule_.FireScheduledEvent(at));
  EXPECT_THAT(actions_, ElementsAre("stop"));
  EXPECT_FALSE(schedule_.Events()[0].enabled);
}

TEST_F(ScheduleTest, AWaitEventWithTheServerStoppedFiresAtOnce) {
  Use({Event(Local(2026, 6, 1, 12, 0, 0), "Start server (wait)", "Daily", "ServerMapList.con",
             "ServerMapList.con")});
  EXPECT_TRUE(TickAt(Local(2026, 6, 1, 12, 0, 10)));
  EXPECT_TRUE(pending_.empty());
  EXPECT_TRUE(Logged("Starting server per scheduled event."));
  EXPECT_EQ(actions_.back(), "start");
}

TEST_F(ScheduleTest, AStartEventWhileRunningLoadsItsFilesAndRestartsAfterThreeSeconds) {
  running_ = true;
  game_.Write("Settings/Evening/Settings.con", "game.serverName Evening\n");
  game_.Write("Settings/Evening/Maps.con", "game.addLevel ridge GPM_CQ ashfront\n");
  Use({Event(Local(2026, 6, 1, 20, 0, 0), "Start server", "None", "evening/settings.con",
             "Evening\\Maps.con")});
  const uint64_t before = clock_.MonotonicMs();
  ASSERT_TRUE(TickAt(Local(2026, 6, 1, 20, 0, 5)));
  EXPECT_THAT(actions_, ElementsAre("settings Settings/Evening/Settings.con",
                                    "maplist Settings/Evening/Maps.con", "stop", "start"));
  EXPECT_EQ(clock_.MonotonicMs() - before, 3000u);
  EXPECT_TRUE(Logged("Restarting server per scheduled event."));
  EXPECT_EQ(game_.Read("Settings/ServerMapList.con"), "game.addLevel ridge GPM_CQ ashfront\n");
  TakeSaid();
  EXPECT_THAT(
      other_commands_,
      ElementsAre("notify " + std::to_string(static_cast<int32_t>(kNotifyRotationChanged))));
}

TEST_F(ScheduleTest, AStartEventWhoseFilesAreMissingOrOutsideLeavesTheServerAlone) {
  running_ = true;
  testing::TempFolder outside;
  outside.Write("Settings.con", "game.serverName Elsewhere\n");
  std::filesystem::create_symlink(outside.Sub("Settings.con"), game_.Sub("Settings/Link.con"));
  Use({Event(Local(2026, 6, 1, 20, 0, 0), "Start server", "None", "Missing.con",
             "ServerMapList.con"),
       Event(Local(2026, 6, 1, 21, 0, 0), "Start server", "None", "Link.con",
             "ServerMapList.con")});
  ASSERT_TRUE(TickAt(Local(2026, 6, 1, 20, 0, 5)));
  EXPECT_TRUE(
      Logged("Couldn't execute scheduled start event! Couldn't load the specified server "
             "settings file Missing.con."));
  ASSERT_TRUE(TickAt(Local(2026, 6, 1, 21, 0, 5)));
  EXPECT_TRUE(Logged("WARNING: Scheduled file Link.con is not inside the settings folder."));
  EXPECT_TRUE(actions_.empty());  // the link's target was never read
  // Both one-time events stay enabled.
  for (const ScheduledEvent& e : schedule_.Events()) EXPECT_TRUE(e.enabled);
  EXPECT_TRUE(running_);
}

TEST_F(ScheduleTest, FiringAnUnknownTimeFails) {
  EXPECT_FALSE(schedule_.FireScheduledEvent(12345));
  EXPECT_TRUE(Logged("Couldn't fire scheduled event! Event not found."));
}

}  // namespace
}  // namespace varnholt
