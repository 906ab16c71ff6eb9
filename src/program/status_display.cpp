#include "program/status_display.h"

#include "log/event_log.h"
#include "platform/ip_address.h"

namespace varnholt {

void StatusDisplay::Refresh(const StatusInputs& in) {
  StatusTexts t;
  t.title = std::string(kProgramBanner) + " - " + in.server_name;
  t.bar[0] = IpToText(in.server_ip) + ":" + std::to_string(in.listen_port);
  t.bar[1] = in.dedicated ? "Dedicated" : "Game";
  t.bar[2] = in.server_running ? "Started" : "Stopped";
  t.bar[3] = in.console_connected ? "Connected" : "Disconnected";
  t.bar[4] = in.busy ? "Busy" : "Ready";
  std::function<void(const StatusTexts&)> observer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (t == texts_) return;
    texts_ = t;
    observer = observer_;
  }
  if (observer) observer(t);
}

StatusTexts StatusDisplay::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

void StatusDisplay::SetObserver(std::function<void(const StatusTexts&)> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

}  // namespace varnholt
