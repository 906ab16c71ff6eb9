// The Schedule page against a real program: events typed into the pickers go through the
// schedule's own checks, and the list shows them in local time.
#include "ui/schedule_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include "schedule/schedule.h"
#include "schedule/time_conversions.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

class SchedulePageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartProgram()) << Log(); }
  // Tomorrow's local date.
  QDate Tomorrow() {
    CalendarFields now;
    EXPECT_TRUE(SecondsToLocalFields(program().EventSchedule().Now(), &now));
    return QDate(now.year, now.month, now.day).addDays(1);
  }
  void Pick(SchedulePage& page, QDate date, QTime time, const char* action,
            const char* recurrence) {
    page.DatePicker()->setDate(date);
    page.TimePicker()->setTime(time);
    page.ActionBox()->setCurrentText(action);
    page.RecurrenceBox()->setCurrentText(recurrence);
  }
  bool Logged(const std::string& text) {
    return game().Read("Varnholt.log").find(text) != std::string::npos;
  }
  void ClearEvents() {
    for (const ScheduledEvent& e : program().EventSchedule().Events()) {
      program().EventSchedule().RemoveEvent(e.time);
    }
  }
};

TEST_F(SchedulePageTest, SavedEventShowsItsDateTimeActionAndRecurrenceAndDeleteRemovesIt) {
  ClearEvents();
  SchedulePage page(program());
  page.Reload();
  ASSERT_EQ(page.List()->topLevelItemCount(), 0);
  // Without a selection the page offers a start event now, once, without files.
  EXPECT_EQ(page.ActionBox()->currentText(), "Start server");
  EXPECT_EQ(page.RecurrenceBox()->currentText(), "None");

  const QDate date = Tomorrow();
  Pick(page, date, QTime(12, 34, 56), "Stop server", "Weekends only");
  page.SettingsField()->setText("ignored.con");
  page.SaveButton()->click();

  ASSERT_EQ(page.List()->topLevelItemCount(), 1);
  QTreeWidgetItem* row = page.List()->topLevelItem(0);
  EXPECT_EQ(row->text(0), QLocale().toString(date, QLocale::ShortFormat));
  EXPECT_EQ(row->text(1), "12:34:56");
  EXPECT_EQ(row->text(2), "Stop server");
  EXPECT_EQ(row->text(3), "Weekends only");
  EXPECT_EQ(row->text(4), "");  // a stop event names no files
  EXPECT_EQ(row->checkState(0), Qt::Checked);

  const std::vector<ScheduledEvent> events = program().EventSchedule().Events();
  ASSERT_EQ(events.size(), 1u);
  CalendarFields local;
  ASSERT_TRUE(SecondsToLocalFields(events[0].time, &local));
  EXPECT_EQ(QDate(local.year, local.month, local.day), date);
  EXPECT_EQ(QTime(local.hour, local.minute, local.second), QTime(12, 34, 56));
  EXPECT_TRUE(program().EventSchedule().Dirty());

  // Selecting it fills the page; a start event keeps the files chosen with Browse.
  page.SelectEvent(events[0].time);
  EXPECT_EQ(page.ActionBox()->currentText(), "Stop server");
  EXPECT_EQ(page.DatePicker()->date(), date);
  page.ActionBox()->setCurrentText("Start server");
  page.ChooseSettingsFile(program().SettingsFolder() + "/Evening.con");
  page.ChooseMaplistFile(program().SettingsFolder() + "/ServerMapList.con");
  EXPECT_EQ(page.SettingsField()->text(), "Evening.con");
  ASSERT_TRUE(page.SaveEvent());
  ASSERT_EQ(page.List()->topLevelItemCount(), 1);
  EXPECT_EQ(page.List()->topLevelItem(0)->text(2), "Start server");
  EXPECT_EQ(page.List()->topLevelItem(0)->text(5), "ServerMapList.con");

  page.DeleteButton()->click();
  EXPECT_EQ(page.List()->topLevelItemCount(), 0);
  EXPECT_TRUE(program().EventSchedule().Events().empty());
}

TEST_F(SchedulePageTest, BadEntriesAreRefusedWithTheirMessage) {
  ClearEvents();
  SchedulePage page(program());
  page.Reload();
  const QDate date = Tomorrow();

  Pick(page, date, QTime(8, 0, 0), "Start server", "Daily");
  EXPECT_FALSE(page.SaveEvent());
  EXPECT_TRUE(Logged("Couldn't save event! You must specify a settings file for a 'start' event."));
  page.SettingsField()->setText("ServerSettings.con");
  EXPECT_FALSE(page.SaveEvent());
  EXPECT_TRUE(Logged("Couldn't save event! You must specify a maplist file for a 'start' event."));

  Pick(page, date.addDays(-2), QTime(8, 0, 0), "Stop server", "None");
  EXPECT_FALSE(page.SaveEvent());
  EXPECT_TRUE(Logged("Couldn't save event! The selected date/time occurs in the past."));

  // A file outside the settings folder stays refused, chosen or typed.
  Pick(page, date, QTime(9, 0, 0), "Start server", "None");
  page.ChooseSettingsFile("/etc/passwd");
  page.MaplistField()->setText("ServerMapList.con");
  EXPECT_FALSE(page.SaveEvent());
  EXPECT_TRUE(program().EventSchedule().Events().empty());

  // Two events at the same second: the second is refused with the error box.
  Pick(page, date, QTime(10, 0, 0), "Stop server", "None");
  ASSERT_TRUE(page.SaveEvent());
  page.SelectEvent(-1);
  Pick(page, date, QTime(10, 0, 0), "Stop server (wait)", "None");
  EXPECT_FALSE(page.SaveEvent());
  ASSERT_FALSE(presenter().Boxes().empty());
  EXPECT_EQ(presenter().Boxes().back().text,
            "Couldn't save event! An existing event already occurs at this date/time.\n(Event "
            "date/times must differ by at least one second.)");
  EXPECT_EQ(program().EventSchedule().Events().size(), 1u);
}

TEST_F(SchedulePageTest, ExportThenImportRoundTrips) {
  ClearEvents();
  SchedulePage page(program());
  const QDate date = Tomorrow();
  Pick(page, date, QTime(6, 0, 0), "Stop server", "Monday");
  ASSERT_TRUE(page.SaveEvent());
  const std::vector<ScheduledEvent> before = program().EventSchedule().Events();
  const std::string path = game().Sub("schedule-export.con");
  ASSERT_TRUE(page.ExportSchedule(path));
  page.DeleteButton()->click();
  ASSERT_TRUE(program().EventSchedule().Events().empty());
  program().EventSchedule().ClearDirty();
  ASSERT_TRUE(page.ImportSchedule(path));
  EXPECT_EQ(program().EventSchedule().Events(), before);
  EXPECT_EQ(page.List()->topLevelItemCount(), 1);
  EXPECT_TRUE(program().EventSchedule().Dirty());
}

}  // namespace
}  // namespace varnholt
