#include "error_popup.h"

#include <unistd.h>

#include <cstdlib>

#ifdef ASHFRONT_SIM_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace varnholt::sim {

ErrorPopup::~ErrorPopup() {
  Close();
}

bool ErrorPopup::Open(std::string* what) {
  if (display_ != nullptr) {
    *what = "error popup already open";
    return true;
  }
#ifdef ASHFRONT_SIM_HAVE_X11
  const char* name = getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    *what = "no X display: would open an error popup now";
    return false;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    *what = std::string("cannot open X display ") + name + ": would open an error popup now";
    return false;
  }
  int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 100, 100, 360, 120, 1,
                                      BlackPixel(display, screen), WhitePixel(display, screen));
  XStoreName(display, window, "ashfront_w32ded.exe - Application Error");
  Atom pid_atom = XInternAtom(display, "_NET_WM_PID", False);
  unsigned long pid = static_cast<unsigned long>(getpid());
  XChangeProperty(display, window, pid_atom, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  XMapWindow(display, window);
  XFlush(display);
  display_ = display;
  window_ = window;
  *what = "error popup opened";
  return true;
#else
  *what = "built without X11: would open an error popup now";
  return false;
#endif
}

void ErrorPopup::Close() {
#ifdef ASHFRONT_SIM_HAVE_X11
  if (display_ != nullptr) {
    auto* display = static_cast<Display*>(display_);
    XDestroyWindow(display, window_);
    XCloseDisplay(display);
  }
#endif
  display_ = nullptr;
  window_ = 0;
}

}  // namespace varnholt::sim
