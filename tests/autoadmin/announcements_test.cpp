// Periodic announcements from a real Announcements.con: the order of the lines, the period
// in whole monitor ticks, and what happens when the file goes away or cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>

#include "autoadmin_fixture.h"

namespace varnholt::testing {
namespace {

class AnnouncementsTest : public AutoAdminTest {
 protected:
  void SetUp() override {
    settings_.SetInt("manager.autoAnnounce", 1);
    settings_.SetInt("manager.monitorTimerPeriod", 30);
    settings_.SetInt("manager.autoAnnouncePeriod", 30);
  }
  // The texts announced by `ticks` monitor ticks.
  std::vector<std::string> Run(int ticks) {
    std::vector<std::string> said;
    for (int i = 0; i < ticks; ++i) {
      admin_->AnnounceTick();
      for (const Queued& q : TakeQueued()) {
        EXPECT_EQ(q.code, kCmdChat);
        said.push_back(q.text);
      }
    }
    return said;
  }
};

TEST_F(AnnouncementsTest, LinesInTurnThenTheCreditLineThenFromTheTop) {
  folder_.Write("Settings/Announcements.con", "one\r\n\r\nthree" + std::string(100, 'x'));
  EXPECT_EQ(Run(5), (std::vector<std::string>{"*one", "*", "*three" + std::string(57, 'x'),
                                              kAnnouncementCredit, "*one"}));
  // The file is read each time: an edit shows at the next announcement.
  folder_.Write("Settings/Announcements.con", "a\nb\n");
  EXPECT_EQ(Run(2), (std::vector<std::string>{"*b", kAnnouncementCredit}));
}

TEST_F(AnnouncementsTest, ThePeriodCountsWholeMonitorTicks) {
  folder_.Write("Settings/Announcements.con", "hi\n");
  settings_.SetInt("manager.autoAnnouncePeriod", 45);
  std::vector<std::string> said;
  for (int i = 0; i < 4; ++i) {
    admin_->AnnounceTick();
    said.push_back(TakeQueued().empty() ? "-" : "said");
  }
  EXPECT_EQ(said, (std::vector<std::string>{"-", "said", "-", "said"}));
}

TEST_F(AnnouncementsTest, AnEmptyOrDeletedFileGivesTheCreditLine) {
  EXPECT_EQ(Run(2), (std::vector<std::string>{kAnnouncementCredit, kAnnouncementCredit}));
  EXPECT_TRUE(std::filesystem::exists(files_.announcements));
  EXPECT_EQ(disabled_, 0);
}

TEST_F(AnnouncementsTest, AFileThatCannotBeOpenedSwitchesAutoAnnounceOff) {
  std::filesystem::create_directories(files_.announcements);
  EXPECT_FALSE(admin_->AnnounceTick());
  EXPECT_TRUE(Logged("Couldn't open announcements file! "));
  EXPECT_TRUE(Logged("Auto-announce has been disabled."));
  EXPECT_FALSE(settings_.GetBool("manager.autoAnnounce"));
  EXPECT_EQ(disabled_, 1);
  EXPECT_TRUE(TakeQueued().empty());

  link_.connected = false;
  EXPECT_FALSE(admin_->AnnounceTick());
}

}  // namespace
}  // namespace varnholt::testing
