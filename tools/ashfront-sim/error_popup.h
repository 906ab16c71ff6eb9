// The error popup fault: a visible top-level X11 window that names the server process in
// _NET_WM_PID, the way an error dialog of a server run under a compatibility layer shows up.
// Without X11 support or without a display nothing opens and the caller logs that instead.
#pragma once

#include <string>

namespace varnholt::sim {

class ErrorPopup {
 public:
  ErrorPopup() = default;
  ~ErrorPopup();
  ErrorPopup(const ErrorPopup&) = delete;
  ErrorPopup& operator=(const ErrorPopup&) = delete;

  // True when a window was opened; `what` says what happened either way.
  bool Open(std::string* what);
  void Close();
  bool is_open() const { return display_ != nullptr; }

 private:
  void* display_ = nullptr;
  unsigned long window_ = 0;
};

}  // namespace varnholt::sim
