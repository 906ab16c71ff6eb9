// Reading BannedWords.con and the reload after the operator edited it.
#include "autoadmin/auto_admin.h"
#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/file_io.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

// A banned-words file larger than this is read on its first part.
constexpr size_t kMaxBannedWordsBytes = 16u * 1024u * 1024u;

}  // namespace

bool AutoAdmin::LoadBannedWords() {
  ReadOnlyFile file;
  if (!file.Open(files_.banned_words, ReadOnlyFile::Folders::kRefuse)) {
    log_.LogMessage(kSoundNone, "Couldn't open banned words file! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  std::string text;
  char buffer[8192];
  size_t got = 0;
  bool ok = true;
  do {
    if (!file.Read(buffer, sizeof buffer, &got)) {
      log_.LogMessage(kSoundNone, "Couldn't read banned words file! %s",
                      ErrorText(GetLastErrorCode()));
      ok = false;
      // The lines read so far form the list; a line cut short by the error is dropped.
      size_t last = text.find_last_of("\r\n");
      text.resize(last == std::string::npos ? 0 : last);
      break;
    }
    text.append(buffer, got);
  } while (got > 0 && text.size() < kMaxBannedWordsBytes);
  words_.Assign(ParseBannedWords(text));
  if (env_.debug) {
    log_.LogMessage(kSoundNone, "DEBUG: Loaded banned words (%s)", words_.JoinedText().c_str());
  }
  return ok;
}

bool AutoAdmin::ReloadEditedBannedWords() {
  if (!banned_words_edited_.exchange(false)) return false;
  LoadBannedWords();
  Notify(kNotifyBannedWordsChanged, {}, false);
  log_.LogMessage(kSoundNone, "User %s at %s updated the banned words.", "operator", "console");
  return true;
}

}  // namespace varnholt
