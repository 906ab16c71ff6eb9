// Message boxes for a program without a window: every box becomes a log line and is also
// written to standard error. Questions cannot be asked, so they are answered with the
// cautious button (No, Cancel).
#pragma once

#include "log/event_log.h"

namespace varnholt {

class StderrPresenter final : public MessagePresenter {
 public:
  explicit StderrPresenter(EventLog* log = nullptr) : log_(log) {}
  void SetLog(EventLog* log) { log_ = log; }
  int ShowBox(int kind, const char* title, const std::string& text) override;
  bool PlaySound(int) override { return true; }

 private:
  EventLog* log_;
};

}  // namespace varnholt
