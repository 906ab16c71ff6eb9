#include "log/event_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/local_time.h"

namespace varnholt {

std::string FormatTextV(size_t limit, const char* format, va_list args) {
  char buf[kMaxMessageText + 1];
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(buf, sizeof buf, format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  std::string out(buf, std::min(static_cast<size_t>(n), sizeof buf - 1));
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::string FormatText(size_t limit, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatTextV(limit, format, args);
  va_end(args);
  return out;
}

EventLog::EventLog(std::string folder, const Clock& clock)
    : folder_(std::move(folder)), log_path_(JoinPath(folder_, "Varnholt.log")), clock_(clock) {}

void EventLog::SetPresenter(MessagePresenter* presenter) {
  std::lock_guard<std::mutex> lock(mutex_);
  presenter_ = presenter;
}

void EventLog::SetLineObserver(std::function<void(const std::string&)> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

void EventLog::PlayLogSound(int sound) {
  MessagePresenter* presenter = presenter_;
  if (presenter == nullptr) return;
  switch (sound) {
    case kSoundBeep:
    case kSoundInformation:
    case kSoundWarning:
    case kSoundQuestion:
      presenter->PlaySound(sound);
      break;
    case kSoundError:
      if (gui_sounds_ && !presenter->PlaySound(kSoundError)) presenter->PlaySound(kSoundBeep);
      break;
    default:
      break;
  }
}

void EventLog::LogMessage(int sound, const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogMessageV(sound, format, args);
  va_end(args);
}

void EventLog::LogMessageV(int sound, const char* format, va_list args) {
  if (!error_log_ || format == nullptr || format[0] == '\0') return;
  PlayLogSound(sound);
  WriteLine(FormatTextV(kMaxMessageText, format, args));
}

namespace {

// "date time : message" with line breaks and the chat blank placeholder made blanks, CR LF.
std::string FormatLogLine(const std::string& message, int64_t now) {
  std::string line;
  line.reserve(message.size() + 40);
  line.append(LogStamp(now)).append(" : ").append(message);
  for (char& c : line) {
    if (c == '\r' || c == '\n' || static_cast<unsigned char>(c) == 0x80) c = ' ';
  }
  line.append("\r\n");
  return line;
}

}  // namespace

void EventLog::WriteLine(const std::string& message) {
  std::string line = FormatLogLine(message, clock_.CalendarSeconds());
  // Keep the caller's last error: logging a failure must not change its reason.
  uint32_t saved_error = GetLastErrorCode();
  std::lock_guard<std::mutex> lock(mutex_);
  AppendToFile(log_path_, line);  // an unwritable log loses the line silently
  if (observer_) observer_(line);
  ArchiveIfFull();
  SetLastErrorCode(saved_error);
}

void EventLog::ArchiveIfFull() {
  if (FileSize(log_path_) < kLogArchiveSize) return;
  const int64_t now = clock_.CalendarSeconds();
  std::string archive = JoinPath(folder_, FormatLocalTime(now, "%Y-%m-%d-%H-%M.log"));
  // An archive that exists already is never overwritten.
  if (MoveFileNoReplace(log_path_, archive)) return;
  // The report goes straight to the file, so it cannot start another archiving attempt.
  std::string line = FormatLogLine(
      FormatText(kMaxMessageText, "Couldn't archive log file! %s", ErrorText(GetLastErrorCode())),
      now);
  AppendToFile(log_path_, line);
  if (observer_) observer_(line);
}

int EventLog::ShowMessage(int kind, const char* format, ...) {
  if (kind < kMessageInformation || kind > kMessageError) return kButtonNone;
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(kMaxMessageText, format, args);
  va_end(args);

  static constexpr const char* kTitles[] = {"",        "",         "Information", "Warning",
                                            "Warning", "Question", "Error"};
  MessagePresenter* presenter;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    presenter = presenter_;
  }
  if (presenter != nullptr && gui_sounds_) {
    int sound = kind == kMessageError         ? kSoundError
                : kind == kMessageInformation ? kSoundInformation
                : kind == kMessageQuestion    ? kSoundQuestion
                                              : kSoundWarning;
    if (!presenter->PlaySound(sound) && sound == kSoundError) presenter->PlaySound(kSoundBeep);
  }
  int button = kButtonNone;
  bool suppressed = quiet_ && (kind == kMessageInformation || kind == kMessageError);
  if (!suppressed && presenter != nullptr) button = presenter->ShowBox(kind, kTitles[kind], text);
  if (kind == kMessageInformation || kind == kMessageError)
    LogMessage(kSoundNone, "%s", text.c_str());
  return button;
}

}  // namespace varnholt
