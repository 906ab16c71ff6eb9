#include "platform/poll_event_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/shutdown_signals.h"

namespace varnholt {

PollEventLoop::PollEventLoop(const Clock& clock) : clock_(clock) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read_ = fds[0];
    wake_write_ = fds[1];
  }
}

PollEventLoop::~PollEventLoop() {
  if (wake_read_ >= 0) close(wake_read_);
  if (wake_write_ >= 0) close(wake_write_);
  CloseShutdownSignals(signal_fd_);
}

EventLoop::TimerId PollEventLoop::StartTimer(uint32_t period_ms, std::function<void()> fn) {
  TimerId id = next_timer_id_++;
  timers_.push_back(Timer{id, std::max<uint32_t>(period_ms, 1),
                          clock_.MonotonicMs() + std::max<uint32_t>(period_ms, 1), std::move(fn)});
  return id;
}

void PollEventLoop::StopTimer(TimerId id) {
  timers_.erase(
      std::remove_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; }),
      timers_.end());
}

void PollEventLoop::WatchSocket(int fd, unsigned events, std::function<void(int, SocketEvent)> fn) {
  UnwatchSocket(fd);
  watches_.push_back(Watch{fd, events, std::move(fn), next_watch_serial_++});
}

void PollEventLoop::UnwatchSocket(int fd) {
  watches_.erase(
      std::remove_if(watches_.begin(), watches_.end(), [fd](const Watch& w) { return w.fd == fd; }),
      watches_.end());
}

void PollEventLoop::Wake() {
  if (wake_write_ < 0) return;
  char byte = 1;
  // A full pipe already guarantees a wake-up, so EAGAIN is fine.
  ssize_t ignored = write(wake_write_, &byte, 1);
  (void)ignored;
}

void PollEventLoop::Post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(posted_mutex_);
    posted_.push_back(std::move(fn));
  }
  Wake();
}

void PollEventLoop::Quit(int code) {
  {
    std::lock_guard<std::mutex> lock(posted_mutex_);
    quit_requested_ = true;
    quit_code_ = code;
  }
  Wake();
}

bool PollEventLoop::EnableShutdownSignals(std::function<void(int)> on_signal) {
  signal_fd_ = OpenShutdownSignals();
  on_signal_ = std::move(on_signal);
  return signal_fd_ >= 0;
}

void PollEventLoop::DrainPosted() {
  char buf[256];
  while (read(wake_read_, buf, sizeof buf) > 0) {
  }
  std::vector<std::function<void()>> work;
  {
    std::lock_guard<std::mutex> lock(posted_mutex_);
    work.swap(posted_);
  }
  for (auto& fn : work) fn();
}

int PollEventLoop::MsToNextTimer() const {
  if (timers_.empty()) return -1;
  uint64_t now = clock_.MonotonicMs();
  uint64_t next = UINT64_MAX;
  for (const Timer& t : timers_) next = std::min(next, t.due_ms);
  if (next <= now) return 0;
  return static_cast<int>(std::min<uint64_t>(next - now, INT_MAX));
}

void PollEventLoop::RunDueTimers() {
  uint64_t now = clock_.MonotonicMs();
  // Collect ids first: a callback may start or stop timers.
  std::vector<TimerId> due;
  for (const Timer& t : timers_) {
    if (t.due_ms <= now) due.push_back(t.id);
  }
  for (TimerId id : due) {
    auto it =
        std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers_.end()) continue;
    // Schedule from now, so a loop that fell behind does not fire a burst of catch-ups.
    it->due_ms = now + it->period_ms;
    std::function<void()> fn = it->fn;
    fn();
  }
}

void PollEventLoop::RunOnce(int max_wait_ms) {
  std::vector<pollfd> fds;
  fds.push_back(pollfd{wake_read_, POLLIN, 0});
  if (signal_fd_ >= 0) fds.push_back(pollfd{signal_fd_, POLLIN, 0});
  size_t first_watch = fds.size();
  std::vector<uint64_t> serials;
  for (const Watch& w : watches_) {
    short ev = (w.events & (kSocketRead | kSocketAccept)) ? POLLIN : 0;
    fds.push_back(pollfd{w.fd, ev, 0});
    serials.push_back(w.serial);
  }
  int timeout = MsToNextTimer();
  if (max_wait_ms >= 0 && (timeout < 0 || timeout > max_wait_ms)) timeout = max_wait_ms;
  int n = poll(fds.data(), fds.size(), timeout);
  if (n < 0 && errno != EINTR) return;
  if (n > 0) {
    if (fds[0].revents & POLLIN) DrainPosted();
    if (signal_fd_ >= 0 && (fds[1].revents & POLLIN)) {
      TakeShutdownSignals(signal_fd_, on_signal_);
    }
    for (size_t i = first_watch; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      int fd = fds[i].fd;
      // The watch may have been removed by an earlier callback of this round, and its
      // descriptor number closed and given to a new socket: the event is the old one's.
      const uint64_t serial = serials[i - first_watch];
      auto it = std::find_if(watches_.begin(), watches_.end(),
                             [serial](const Watch& w) { return w.serial == serial; });
      if (it == watches_.end()) continue;
      std::function<void(int, SocketEvent)> fn = it->fn;
      unsigned events = it->events;
      if (fds[i].revents & POLLIN) {
        fn(fd, (events & kSocketAccept) ? kSocketAccept : kSocketRead);
      } else if (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        if (fds[i].revents & POLLNVAL) UnwatchSocket(fd);
        if (events & kSocketClose) fn(fd, kSocketClose);
      }
    }
  }
  RunDueTimers();
}

int PollEventLoop::Run() {
  for (;;) {
    bool quit = false;
    int code = 0;
    {
      std::lock_guard<std::mutex> lock(posted_mutex_);
      if (quit_requested_) {
        quit_requested_ = false;
        quit = true;
        code = quit_code_;
      }
    }
    if (quit) {
      // Work posted before the quit request still runs, as messages queued before a quit
      // message are still delivered.
      DrainPosted();
      return code;
    }
    RunOnce(-1);
  }
}

}  // namespace varnholt
