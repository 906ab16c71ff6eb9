// Talks to the X server through xcb, not Xlib: Xlib ends the whole program when the display
// goes away in the middle of a request, and its error handler is process-wide. With xcb a
// vanished window is a failed reply and a lost display a broken connection, both local to
// this look.
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/window_probe.h"

namespace varnholt {
namespace {

// Bounds on what one look at the display may cost: a desktop has a few hundred windows; a
// display with more is looked at only this far.
constexpr uint32_t kMaxListedClients = 4096;
constexpr size_t kMaxWalkedWindows = 8192;
constexpr uint32_t kMaxClassBytes = 256;

struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// Waits for the reply to one request. Its error (the window has gone) is dropped: the
// missing reply says enough.
template <typename ReplyFunction, typename Cookie>
auto Wait(xcb_connection_t* c, ReplyFunction reply_function, Cookie cookie) {
  xcb_generic_error_t* error = nullptr;
  auto* reply = reply_function(c, cookie, &error);
  free(error);
  return Reply<std::remove_pointer_t<decltype(reply)>>(reply);
}

Reply<xcb_get_property_reply_t> WaitProperty(xcb_connection_t* c, xcb_get_property_cookie_t k) {
  return Wait(c, xcb_get_property_reply, k);
}

// The 32-bit items of a property reply of `type`; false when absent or of another type.
bool Items(const Reply<xcb_get_property_reply_t>& reply, xcb_atom_t type,
           std::vector<uint32_t>* items) {
  if (!reply || reply->type != type || reply->format != 32) return false;
  const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  int length = xcb_get_property_value_length(reply.get()) / 4;
  items->assign(data, data + length);
  return true;
}

// One look at a display: the atoms it needs and the rule for a window of the process.
class DisplayScan {
 public:
  DisplayScan(xcb_connection_t* c, xcb_window_t root, pid_t pid) : c_(c), root_(root), pid_(pid) {}

  bool FindVisibleWindow(std::string* description) {
    xcb_intern_atom_cookie_t pid_cookie = Intern("_NET_WM_PID");
    xcb_intern_atom_cookie_t check_cookie = Intern("_NET_SUPPORTING_WM_CHECK");
    xcb_intern_atom_cookie_t list_cookie = Intern("_NET_CLIENT_LIST");
    pid_atom_ = AtomOf(pid_cookie);
    xcb_atom_t check_atom = AtomOf(check_cookie);
    xcb_atom_t list_atom = AtomOf(list_cookie);
    // Without the atom no window has ever announced its process.
    if (pid_atom_ == XCB_ATOM_NONE) return false;
    std::vector<uint32_t> clients;
    if (ReadClientList(check_atom, list_atom, &clients)) {
      return FindAmong(clients, nullptr, description);
    }
    return WalkTree(description);
  }

 private:
  xcb_intern_atom_cookie_t Intern(const char* name) {
    return xcb_intern_atom(c_, 1, static_cast<uint16_t>(strlen(name)), name);
  }

  xcb_atom_t AtomOf(xcb_intern_atom_cookie_t cookie) {
    Reply<xcb_intern_atom_reply_t> reply = Wait(c_, xcb_intern_atom_reply, cookie);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }

  xcb_get_property_cookie_t AskProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                        uint32_t count) {
    return xcb_get_property(c_, 0, window, property, type, 0, count);
  }

  bool ReadWindow(xcb_window_t window, xcb_atom_t property, xcb_window_t* value) {
    std::vector<uint32_t> items;
    if (!Items(WaitProperty(c_, AskProperty(window, property, XCB_ATOM_WINDOW, 1)), XCB_ATOM_WINDOW,
               &items) ||
        items.size() != 1) {
      return false;
    }
    *value = items[0];
    return true;
  }

  // The top-level windows as a running window manager lists them. A list left on the root by
  // a manager that has gone may be stale, so it is used only while the manager's check window
  // still names itself.
  bool ReadClientList(xcb_atom_t check_atom, xcb_atom_t list_atom, std::vector<uint32_t>* out) {
    if (check_atom == XCB_ATOM_NONE || list_atom == XCB_ATOM_NONE) return false;
    xcb_window_t check = 0, self = 0;
    if (!ReadWindow(root_, check_atom, &check)) return false;
    if (!ReadWindow(check, check_atom, &self) || self != check) return false;
    return Items(
        WaitProperty(c_, AskProperty(root_, list_atom, XCB_ATOM_WINDOW, kMaxListedClients)),
        XCB_ATOM_WINDOW, out);
  }

  // Asks for the process of every window at once, then takes the answers in order. With
  // `others`, the windows that name no process are collected there.
  bool FindAmong(const std::vector<uint32_t>& windows, std::vector<uint32_t>* others,
                 std::string* description) {
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (uint32_t window : windows) {
      cookies.push_back(AskProperty(window, pid_atom_, XCB_ATOM_CARDINAL, 1));
    }
    bool found = false;
    for (size_t i = 0; i < windows.size(); ++i) {
      // Every reply is taken, also after a find, so none is left queued.
      std::vector<uint32_t> owner;
      if (!Items(WaitProperty(c_, cookies[i]), XCB_ATOM_CARDINAL, &owner) || owner.size() != 1) {
        if (others != nullptr) others->push_back(windows[i]);
        continue;
      }
      if (!found && static_cast<pid_t>(owner[0]) == pid_ && IsShown(windows[i])) {
        Describe(windows[i], description);
        found = true;
      }
    }
    return found;
  }

  // Without a manager's list: every window under the root, one level at a time, as far as
  // the bound allows. A window that names a process is a client: its own subwindows are its
  // parts, not further clients, so the walk does not go into it.
  bool WalkTree(std::string* description) {
    std::vector<uint32_t> level{root_};
    size_t visited = 0;
    while (!level.empty() && visited < kMaxWalkedWindows) {
      if (level.size() > kMaxWalkedWindows - visited) level.resize(kMaxWalkedWindows - visited);
      visited += level.size();
      std::vector<uint32_t> containers;
      if (level.size() == 1 && level[0] == root_) {
        containers = level;
      } else if (FindAmong(level, &containers, description)) {
        return true;
      }
      level = ChildrenOf(containers);
    }
    return false;
  }

  std::vector<uint32_t> ChildrenOf(const std::vector<uint32_t>& windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (uint32_t window : windows) cookies.push_back(xcb_query_tree(c_, window));
    std::vector<uint32_t> children;
    for (xcb_query_tree_cookie_t cookie : cookies) {
      // A window that vanished since it was listed simply has no children.
      Reply<xcb_query_tree_reply_t> reply = Wait(c_, xcb_query_tree_reply, cookie);
      if (!reply) continue;
      const xcb_window_t* list = xcb_query_tree_children(reply.get());
      children.insert(children.end(), list, list + xcb_query_tree_children_length(reply.get()));
    }
    return children;
  }

  bool IsShown(xcb_window_t window) {
    Reply<xcb_get_window_attributes_reply_t> reply =
        Wait(c_, xcb_get_window_attributes_reply, xcb_get_window_attributes(c_, window));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  // WM_CLASS holds the instance name and the class name, each ended by a zero byte.
  void Describe(xcb_window_t window, std::string* description) {
    Reply<xcb_get_property_reply_t> reply = WaitProperty(
        c_, AskProperty(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kMaxClassBytes / 4));
    if (!reply || reply->type != XCB_ATOM_STRING || reply->format != 8) return;
    const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    std::string text(data, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    size_t end = text.find('\0');
    if (end == std::string::npos) return;
    *description = text.substr(end + 1, text.find('\0', end + 1) - (end + 1));
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  pid_t pid_;
  xcb_atom_t pid_atom_ = XCB_ATOM_NONE;
};

}  // namespace

bool X11WindowProbe::FindVisibleWindow(pid_t pid, std::string* description) {
  const char* name = getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  int screen_number = 0;
  xcb_connection_t* c = xcb_connect(name, &screen_number);
  bool found = false;
  if (xcb_connection_has_error(c) == 0) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem > 0) {
      found = DisplayScan(c, screens.data->root, pid).FindVisibleWindow(description);
      // An answer read from a connection that broke on the way is no answer.
      found = found && xcb_connection_has_error(c) == 0;
    }
  }
  xcb_disconnect(c);
  return found;
}

bool X11DisplayAnswers(const std::string& name) {
  xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
  bool answers = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return answers;
}

}  // namespace varnholt
