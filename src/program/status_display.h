// The status display: the main window's title and the five fields of its status bar, kept
// as state so that the window and remote clients can read it. The worker refreshes it around
// every Command; the user-interface thread reads it, so a mutex guards the texts.
#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <string>

namespace varnholt {

struct StatusTexts {
  std::string title;               // "%s - %s": banner and server name
  std::array<std::string, 5> bar;  // address:port, Dedicated/Game, Started/Stopped,
                                   // Connected/Disconnected, Busy/Ready
  bool operator==(const StatusTexts&) const = default;
};

struct StatusInputs {
  std::string server_name;
  uint32_t server_ip = 0;
  uint16_t listen_port = 0;
  bool dedicated = true;
  bool server_running = false;
  bool console_connected = false;
  bool busy = false;
};

class StatusDisplay {
 public:
  // Recomputes the texts; calls the observer when they changed.
  void Refresh(const StatusInputs& inputs);
  StatusTexts Texts() const;
  // Called on the refreshing thread; a window posts the texts to its own thread.
  void SetObserver(std::function<void(const StatusTexts&)> observer);

 private:
  // Guards both: the worker writes the texts, the user-interface thread reads them and sets
  // the observer (called on the worker, outside the lock).
  mutable std::mutex mutex_;
  StatusTexts texts_;
  std::function<void(const StatusTexts&)> observer_;
};

}  // namespace varnholt
