#include "autoadmin/announcement_picker.h"

namespace varnholt {

bool AnnouncementPicker::Feed(std::string_view piece) {
  for (char c : piece) {
    if (done_) return true;
    if (c == '\n') {
      if (number_ == wanted_) {
        text_ = "*" + line_;
        done_ = true;
      }
      ++number_;
    } else if (c != '\r' && number_ == wanted_ && line_.size() < kAnnouncementLength - 1) {
      line_ += c == '\0' ? ' ' : c;  // a zero byte would end the Command's text
    }
  }
  return done_;
}

bool AnnouncementPicker::Finish() {
  if (!done_ && number_ == wanted_ && !line_.empty()) {
    text_ = "*" + line_;
    done_ = true;
  }
  return done_;
}

}  // namespace varnholt
