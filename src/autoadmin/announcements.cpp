// Periodic announcements: one line of Announcements.con per period, then the credit line,
// then from the top again. The file is read afresh each time, so an edit or an upload takes
// effect at the next announcement.
#include "autoadmin/announcement_picker.h"
#include "autoadmin/auto_admin.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr size_t kReadPiece = 8192;

}  // namespace

// Line `line` (from 1) of the file as its announcement; `found` is false when the file has
// fewer lines. False after a read error, which is logged.
bool AutoAdmin::ReadAnnouncement(int line, std::string* text, bool* found) {
  *found = false;
  ReadOnlyFile file;
  if (!file.Open(files_.announcements, ReadOnlyFile::Folders::kRefuse)) {
    log_.LogMessage(kSoundNone, "Couldn't open announcements file! %s",
                    ErrorText(GetLastErrorCode()));
    DisableAutoAnnounce();
    return false;
  }
  AnnouncementPicker picker(line);
  char buffer[kReadPiece];
  size_t got = 0;
  do {
    if (!file.Read(buffer, sizeof buffer, &got)) {
      log_.LogMessage(kSoundNone, "Couldn't read announcements file! %s",
                      ErrorText(GetLastErrorCode()));
      return false;
    }
    if (picker.Feed(std::string_view(buffer, got))) break;
  } while (got > 0);
  *found = picker.Finish();
  if (*found) *text = picker.Text();
  return true;
}

void AutoAdmin::DisableAutoAnnounce() {
  settings_.SetInt("manager.autoAnnounce", 0);
  if (env_.auto_announce_disabled) env_.auto_announce_disabled();
  log_.LogMessage(kSoundNone, "Auto-announce has been disabled.");
}

bool AutoAdmin::AnnounceTick() {
  if (!link_.ConsoleConnected()) return false;
  announce_ticks_ += 1;
  const int64_t waited =
      static_cast<int64_t>(announce_ticks_) * settings_.GetInt("manager.monitorTimerPeriod");
  if (waited < settings_.GetInt("manager.autoAnnouncePeriod")) return true;
  // A deleted file comes back empty, so the rotation goes on with the credit line.
  if (!EnsureFile(files_.announcements, EnsureMode::kCreateIfMissing)) {
    log_.LogMessage(kSoundNone, "Couldn't open announcements file! %s",
                    ErrorText(GetLastErrorCode()));
    DisableAutoAnnounce();
    return false;
  }
  std::string text;
  bool found = false;
  if (!ReadAnnouncement(announce_line_, &text, &found)) return false;
  if (found) {
    queue_.QueueCommand(kCmdChat, text, kOriginLocal, 0);
    announce_line_ += 1;
  } else {
    queue_.QueueCommand(kCmdChat, kAnnouncementCredit, kOriginLocal, 0);
    announce_line_ = 1;
  }
  announce_ticks_ = 0;
  return true;
}

}  // namespace varnholt
