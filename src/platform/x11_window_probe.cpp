#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "platform/window_probe.h"

namespace varnholt {
namespace {

// Reads a window's 32-bit property; false when it is absent.
bool ReadCardinal(Display* display, Window window, Atom property, unsigned long* value) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) != Success) {
    return false;
  }
  bool ok = data != nullptr && format == 32 && count == 1;
  if (ok) *value = *reinterpret_cast<unsigned long*>(data);
  if (data != nullptr) XFree(data);
  return ok;
}

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

bool X11WindowProbe::FindVisibleWindow(pid_t pid, std::string* description) {
  const char* name = getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  // Windows may vanish while we look at them; their errors are not ours to report.
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  Atom pid_atom = XInternAtom(display, "_NET_WM_PID", True);
  bool found = false;
  if (pid_atom != None) {
    Window root = DefaultRootWindow(display);
    Window parent = 0, root_return = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &root_return, &parent, &children, &count) != 0) {
      for (unsigned int i = 0; i < count && !found; ++i) {
        unsigned long owner = 0;
        if (!ReadCardinal(display, children[i], pid_atom, &owner)) continue;
        if (static_cast<pid_t>(owner) != pid) continue;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
        if (attributes.map_state != IsViewable) continue;
        found = true;
        XClassHint hint{};
        if (XGetClassHint(display, children[i], &hint) != 0) {
          *description = hint.res_class != nullptr ? hint.res_class : "";
          if (hint.res_name != nullptr) XFree(hint.res_name);
          if (hint.res_class != nullptr) XFree(hint.res_class);
        }
      }
      if (children != nullptr) XFree(children);
    }
  }
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return found;
}

bool X11DisplayAnswers(const std::string& name) {
  Display* display = XOpenDisplay(name.c_str());
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

}  // namespace varnholt
