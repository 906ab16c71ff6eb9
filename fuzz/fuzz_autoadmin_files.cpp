// Feeds arbitrary texts to the auto-admin's file readers: BannedWords.con into its entries,
// which are then matched against names and chat cut from the same input, and
// Announcements.con, read in pieces whose size the input chooses. Entries must be whole,
// non-empty lines; a match must really occur; an announcement must not depend on how the
// file was cut into pieces.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "autoadmin/announcement_picker.h"
#include "autoadmin/banned_words.h"
#include "platform/ascii_text.h"

namespace {

using namespace varnholt;

void CheckBannedWords(std::string_view text) {
  BannedWordList list;
  list.Assign(ParseBannedWords(text));
  for (const std::string& e : list.Entries()) {
    if (e.empty() || e.size() > kBannedWordPiece || e.find_first_of("\r\n") != std::string::npos) {
      __builtin_trap();
    }
  }
  // The input's own lines serve as names and chat.
  for (const std::string& line : ParseBannedWords(text)) {
    list.NameHasBannedWord(line);
    const std::string* word = list.FindOffendingWord(line);
    if (word != nullptr &&
        Lower(line.substr(0, kBannedChatLength)).find(*word) == std::string::npos) {
      __builtin_trap();
    }
  }
}

void CheckAnnouncements(std::string_view text, size_t piece, int wanted) {
  AnnouncementPicker whole(wanted);
  whole.Feed(text);
  const bool found = whole.Finish();
  AnnouncementPicker cut(wanted);
  for (size_t i = 0; i < text.size(); i += piece) {
    if (cut.Feed(text.substr(i, piece))) break;
  }
  if (cut.Finish() != found || cut.Text() != whole.Text()) __builtin_trap();
  if (found) {
    const std::string& t = whole.Text();
    if (t.empty() || t[0] != '*' || t.size() > kAnnouncementLength ||
        t.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t piece = 1 + data[0] % 64;
  const int wanted = 1 + data[1] % 8;
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
  CheckBannedWords(text);
  CheckAnnouncements(text, piece, wanted);
  return 0;
}
