#include "program/service_status.h"

namespace varnholt {

std::string ServiceStatusText(const ServiceState& state) {
  if (!state.server_running) return "Server stopped";
  std::string text = "Server running, " + std::to_string(state.players);
  text += state.players == 1 ? " player, " : " players, ";
  text += state.console_connected ? "console connected" : "console disconnected";
  return text;
}

ServiceStatus::ServiceStatus(ServiceNotifier& notifier, const Clock& clock, EventLoop& loop,
                             const Worker& worker)
    : notifier_(notifier), clock_(clock), loop_(loop), worker_(worker) {}

ServiceStatus::~ServiceStatus() {
  if (heartbeat_timer_ != 0) loop_.StopTimer(heartbeat_timer_);
}

void ServiceStatus::ReportReady(const ServiceState& state) {
  std::string text = ServiceStatusText(state);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    last_status_ = text;
  }
  notifier_.Notify("READY=1\nSTATUS=" + text);
  watchdog_ms_ = notifier_.WatchdogPeriodMs();
  if (watchdog_ms_ == 0 || heartbeat_timer_ != 0) return;
  // Twice per period, so one late beat never costs a restart.
  uint64_t beat_ms = watchdog_ms_ / 2 == 0 ? 1 : watchdog_ms_ / 2;
  heartbeat_timer_ = loop_.StartTimer(
      static_cast<uint32_t>(beat_ms > UINT32_MAX ? UINT32_MAX : beat_ms), [this] { Heartbeat(); });
}

void ServiceStatus::ReportStatus(const ServiceState& state) {
  // Commands finishing during shutdown must not cover the "Stopping" line.
  if (stopping_) return;
  std::string text = ServiceStatusText(state);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (text == last_status_) return;
    last_status_ = text;
  }
  notifier_.Notify("STATUS=" + text);
}

void ServiceStatus::ReportStopping() {
  if (stopping_.exchange(true)) return;
  if (heartbeat_timer_ != 0) {
    loop_.StopTimer(heartbeat_timer_);
    heartbeat_timer_ = 0;
  }
  notifier_.Notify("STOPPING=1\nSTATUS=Stopping");
}

bool ServiceStatus::Heartbeat() {
  if (stopping_ || watchdog_ms_ == 0) return false;
  if (!worker_.Running()) return false;
  if (worker_.StuckFor(clock_.MonotonicMs(), watchdog_ms_)) return false;
  notifier_.Notify("WATCHDOG=1");
  return true;
}

}  // namespace varnholt
