#include "log/event_log.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class RecordingPresenter : public MessagePresenter {
 public:
  int ShowBox(int kind, const char* title, const std::string& text) override {
    boxes.push_back(std::to_string(kind) + "|" + title + "|" + text);
    return kButtonOk;
  }
  bool PlaySound(int sound) override {
    sounds.push_back(sound);
    return play_result;
  }
  std::vector<std::string> boxes;
  std::vector<int> sounds;
  bool play_result = true;
};

class EventLogTest : public ::testing::Test {
 protected:
  EventLogTest() : clock_(1'700'000'000), log_(tmp_.path(), clock_) {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  std::string LogText() { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
};

TEST_F(EventLogTest, LineFormatReplacesBreaksAndPlaceholder) {
  log_.LogMessage(kSoundNone, "Player %s said\r\nhello\x80there", "bob");
  std::string text = LogText();
  // 2023-11-14 22:13:20 UTC
  EXPECT_EQ(text, "11/14/23 22:13:20 : Player bob said  hello there\r\n");
}

TEST_F(EventLogTest, ErrorLogOffWritesNothingButBoxesStillShow) {
  RecordingPresenter presenter;
  log_.SetPresenter(&presenter);
  log_.SetErrorLog(false);
  log_.LogMessage(kSoundNone, "nothing");
  EXPECT_EQ(log_.ShowMessage(kMessageError, "Boom %d", 1), kButtonOk);
  EXPECT_FALSE(FileExists(log_.LogPath()));
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0], "6|Error|Boom 1");
}

TEST_F(EventLogTest, QuietSuppressesInformationAndErrorBoxesOnly) {
  RecordingPresenter presenter;
  log_.SetPresenter(&presenter);
  log_.SetQuiet(true);
  EXPECT_EQ(log_.ShowMessage(kMessageError, "err"), kButtonNone);
  EXPECT_EQ(log_.ShowMessage(kMessageInformation, "info"), kButtonNone);
  EXPECT_EQ(log_.ShowMessage(kMessageQuestion, "ask?"), kButtonOk);
  EXPECT_EQ(log_.ShowMessage(7, "ignored"), kButtonNone);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0], "5|Question|ask?");
  std::string text = LogText();
  EXPECT_NE(text.find(" : err\r\n"), std::string::npos);
  EXPECT_NE(text.find(" : info\r\n"), std::string::npos);
  EXPECT_EQ(text.find("ask?"), std::string::npos);
}

TEST_F(EventLogTest, ErrorSoundFallsBackToBeepAndHonoursGuiSounds) {
  RecordingPresenter presenter;
  presenter.play_result = false;
  log_.SetPresenter(&presenter);
  log_.LogMessage(kSoundError, "x");
  EXPECT_EQ(presenter.sounds, (std::vector<int>{kSoundError, kSoundBeep}));
  presenter.sounds.clear();
  log_.SetGuiSounds(false);
  log_.LogMessage(kSoundError, "x");
  log_.LogMessage(kSoundWarning, "y");  // beeps ignore the GUISounds option
  EXPECT_EQ(presenter.sounds, (std::vector<int>{kSoundWarning}));
}

TEST_F(EventLogTest, LongTextsAreCut) {
  std::string long_text(2000, 'a');
  log_.LogMessage(kSoundNone, "%s", long_text.c_str());
  std::string text = LogText();
  EXPECT_EQ(text.size(), std::string("11/14/23 22:13:20 : ").size() + 1023 + 2);
}

TEST_F(EventLogTest, ArchivesAtLimitWithoutOverwritingAnArchive) {
  std::string chunk(1000, 'x');
  for (int i = 0; i < 500; ++i) log_.LogMessage(kSoundNone, "%s", chunk.c_str());
  EXPECT_TRUE(FileExists(log_.LogPath()));
  log_.LogMessage(kSoundNone, "%s", chunk.c_str());  // 501 lines of 1022 bytes cross 512000
  EXPECT_FALSE(FileExists(log_.LogPath()));
  std::string archive = tmp_.Sub("2023-11-14-22-13.log");
  ASSERT_TRUE(FileExists(archive));
  int64_t archived_size = FileSize(archive);
  EXPECT_GE(archived_size, kLogArchiveSize);

  // Fill again within the same minute: the rename must fail, be reported, and keep both.
  for (int i = 0; i < 512; ++i) log_.LogMessage(kSoundNone, "%s", chunk.c_str());
  EXPECT_EQ(FileSize(archive), archived_size);
  std::string text = LogText();
  EXPECT_NE(text.find("Couldn't archive log file! Cannot create a file when that file already "
                      "exists. (183)"),
            std::string::npos);

  // A minute later the archiving succeeds.
  clock_.AdvanceSeconds(60);
  log_.LogMessage(kSoundNone, "next");
  EXPECT_TRUE(FileExists(tmp_.Sub("2023-11-14-22-14.log")));
  EXPECT_FALSE(FileExists(log_.LogPath()));
}

}  // namespace
}  // namespace varnholt
