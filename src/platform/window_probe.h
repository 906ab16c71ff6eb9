// The windows a process shows on the desktop. On Linux a dedicated server has no console
// window; a server run under a compatibility layer shows its error dialogs as X11 windows,
// which are found by their _NET_WM_PID among the windows a running window manager lists, or
// else anywhere in the window tree (a reparenting manager puts them inside its frames).
// Without a display there are no windows. Each look uses a connection of its own, so any
// thread may look.
#pragma once

#include <sys/types.h>

#include <string>

namespace varnholt {

class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  // True when the process owns a visible top-level window; `description` names it.
  virtual bool FindVisibleWindow(pid_t pid, std::string* description) = 0;
};

// Looks at the X display named by $DISPLAY, if any.
class X11WindowProbe final : public WindowProbe {
 public:
  bool FindVisibleWindow(pid_t pid, std::string* description) override;
};

// True when an X server answers on the named display.
bool X11DisplayAnswers(const std::string& name);

}  // namespace varnholt
