#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/window_probe.h"

namespace varnholt {
namespace {

// Bounds on what one look at the display may cost: a desktop has a few hundred windows; a
// display with more is looked at only this far.
constexpr long kMaxListedClients = 4096;
constexpr size_t kMaxWalkedWindows = 8192;

// Reads a window's property of 32-bit items of `type`, at most `limit` of them; false when the
// property is absent, of another type, or the window has gone.
bool ReadLongs(Display* display, Window window, Atom property, Atom type, long limit,
               std::vector<unsigned long>* values) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, limit, False, type, &actual, &format, &count,
                         &after, &data) != Success) {
    return false;
  }
  bool ok = actual == type && format == 32;
  values->clear();
  // Xlib hands 32-bit items over as longs.
  if (ok && data != nullptr) {
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    values->assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return ok;
}

bool ReadOne(Display* display, Window window, Atom property, Atom type, unsigned long* value) {
  std::vector<unsigned long> values;
  if (!ReadLongs(display, window, property, type, 1, &values) || values.size() != 1) {
    return false;
  }
  *value = values[0];
  return true;
}

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

// One look at a display: the atoms it needs and the rule for a window of the process.
class DisplayScan {
 public:
  DisplayScan(Display* display, pid_t pid)
      : display_(display),
        root_(DefaultRootWindow(display)),
        pid_(pid),
        pid_atom_(XInternAtom(display, "_NET_WM_PID", True)) {}

  bool FindVisibleWindow(std::string* description) {
    // Without the atom no window has ever announced its process.
    if (pid_atom_ == None) return false;
    std::vector<unsigned long> clients;
    if (ReadClientList(&clients)) {
      for (unsigned long client : clients) {
        if (IsVisibleWindowOfProcess(client, description)) return true;
      }
      return false;
    }
    return WalkTree(description);
  }

 private:
  // The top-level windows as a running window manager lists them. A list left on the root by
  // a manager that has gone may be stale, so it is used only while the manager's check window
  // still names itself.
  bool ReadClientList(std::vector<unsigned long>* clients) {
    Atom check_atom = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", True);
    Atom list_atom = XInternAtom(display_, "_NET_CLIENT_LIST", True);
    if (check_atom == None || list_atom == None) return false;
    unsigned long check = 0, self = 0;
    if (!ReadOne(display_, root_, check_atom, XA_WINDOW, &check)) return false;
    if (!ReadOne(display_, check, check_atom, XA_WINDOW, &self) || self != check) return false;
    return ReadLongs(display_, root_, list_atom, XA_WINDOW, kMaxListedClients, clients);
  }

  // Without a manager's list: every window under the root, breadth first, as far as the
  // bound allows. A window that names a process is a client: its own subwindows are its
  // parts, not further clients, so the walk does not go into it.
  bool WalkTree(std::string* description) {
    std::deque<Window> pending{root_};
    size_t visited = 0;
    while (!pending.empty() && visited < kMaxWalkedWindows) {
      Window window = pending.front();
      pending.pop_front();
      ++visited;
      unsigned long owner = 0;
      if (window != root_ && ReadOne(display_, window, pid_atom_, XA_CARDINAL, &owner)) {
        if (static_cast<pid_t>(owner) == pid_ && IsShown(window)) {
          Describe(window, description);
          return true;
        }
        continue;
      }
      Window root_return = 0, parent = 0;
      Window* children = nullptr;
      unsigned int count = 0;
      // A window that vanished since it was listed simply has no children.
      if (XQueryTree(display_, window, &root_return, &parent, &children, &count) == 0) continue;
      for (unsigned int i = 0; i < count; ++i) pending.push_back(children[i]);
      if (children != nullptr) XFree(children);
    }
    return false;
  }

  bool IsVisibleWindowOfProcess(Window window, std::string* description) {
    unsigned long owner = 0;
    if (!ReadOne(display_, window, pid_atom_, XA_CARDINAL, &owner)) return false;
    if (static_cast<pid_t>(owner) != pid_ || !IsShown(window)) return false;
    Describe(window, description);
    return true;
  }

  bool IsShown(Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0) return false;
    return attributes.map_state == IsViewable;
  }

  void Describe(Window window, std::string* description) {
    XClassHint hint{};
    if (XGetClassHint(display_, window, &hint) == 0) return;
    *description = hint.res_class != nullptr ? hint.res_class : "";
    if (hint.res_name != nullptr) XFree(hint.res_name);
    if (hint.res_class != nullptr) XFree(hint.res_class);
  }

  Display* display_;
  Window root_;
  pid_t pid_;
  Atom pid_atom_;
};

}  // namespace

bool X11WindowProbe::FindVisibleWindow(pid_t pid, std::string* description) {
  const char* name = getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  // Windows may vanish while we look at them; their errors are not ours to report.
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  bool found = DisplayScan(display, pid).FindVisibleWindow(description);
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
