// The event log (Varnholt.log in the game folder) and message boxes. Both operations may be
// called from any thread: a mutex serialises the append-and-archive step so two threads
// never interleave a line or archive twice. Presenting boxes and playing sounds is left to
// the front end through MessagePresenter (a Qt window, or standard error when headless).
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace varnholt {

// Sound kinds, the first argument of LogMessage.
enum SoundKind : int {
  kSoundNone = 0,
  kSoundBeep = 1,
  kSoundInformation = 2,
  kSoundWarning = 3,
  kSoundSilent = 4,
  kSoundQuestion = 5,
  kSoundError = 6,
};

// Message-box kinds of ShowMessage.
enum MessageKind : int {
  kMessageInformation = 2,
  kMessageRetryCancel = 3,
  kMessageYesNoWarning = 4,
  kMessageQuestion = 5,
  kMessageError = 6,
};

// Button codes a box returns.
enum MessageButton : int {
  kButtonNone = 0,
  kButtonOk = 1,
  kButtonCancel = 2,
  kButtonRetry = 4,
  kButtonYes = 6,
  kButtonNo = 7,
};

constexpr const char* kProgramBanner = "Ashfront Varnholt v2.0 beta 4g";
constexpr int64_t kLogArchiveSize = 512000;
constexpr size_t kMaxMessageText = 1023;

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Shows a box and returns the button pressed.
  virtual int ShowBox(int kind, const char* title, const std::string& text) = 0;
  // Plays a sound kind; returns false when it could not be played.
  virtual bool PlaySound(int sound) = 0;
};

class EventLog {
 public:
  // `folder` is where Varnholt.log and its archives live (the game folder).
  EventLog(std::string folder, const Clock& clock);

  void LogMessage(int sound, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void LogMessageV(int sound, const char* format, va_list args);
  int ShowMessage(int kind, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // Options that steer the log (ErrorLog, GUISounds, -quiet).
  void SetErrorLog(bool on) { error_log_ = on; }
  bool ErrorLogEnabled() const { return error_log_; }
  void SetGuiSounds(bool on) { gui_sounds_ = on; }
  void SetQuiet(bool on) { quiet_ = on; }
  bool Quiet() const { return quiet_; }
  void SetPresenter(MessagePresenter* presenter);
  // Receives every line as written (the log window); called with the log mutex held, so it
  // must only copy the line and return.
  void SetLineObserver(std::function<void(const std::string&)> observer);

  const std::string& LogPath() const { return log_path_; }
  const std::string& Folder() const { return folder_; }

 private:
  void PlayLogSound(int sound);
  void WriteLine(const std::string& message);
  void ArchiveIfFull();

  // Fixed at construction.
  std::string folder_;
  std::string log_path_;
  const Clock& clock_;
  // Set by start-up on the user-interface thread, read by every thread that logs.
  std::atomic<bool> error_log_{true};
  std::atomic<bool> gui_sounds_{true};
  std::atomic<bool> quiet_{false};
  // Held by whichever thread appends a line or archives the file.
  std::mutex mutex_;
  // Both set under mutex_; the observer is called with it held. The presenter is set once
  // by start-up before a second thread logs, so the sound path reads it without the lock.
  MessagePresenter* presenter_ = nullptr;
  std::function<void(const std::string&)> observer_;
};

// printf into a std::string, cut to `limit` characters.
std::string FormatText(size_t limit, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string FormatTextV(size_t limit, const char* format, va_list args);

}  // namespace varnholt
