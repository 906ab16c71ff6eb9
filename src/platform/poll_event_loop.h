// EventLoop over poll(2). Timers are kept in a small vector (the program has a handful);
// posted functions and quit requests reach the loop through a self-pipe; SIGTERM and SIGINT
// arrive through a signalfd when EnableShutdownSignals() was called before any thread started.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/event_loop.h"

namespace varnholt {

class PollEventLoop final : public EventLoop {
 public:
  explicit PollEventLoop(const Clock& clock);
  ~PollEventLoop() override;
  PollEventLoop(const PollEventLoop&) = delete;
  PollEventLoop& operator=(const PollEventLoop&) = delete;

  TimerId StartTimer(uint32_t period_ms, std::function<void()> fn) override;
  void StopTimer(TimerId id) override;
  void WatchSocket(int fd, unsigned events, std::function<void(int, SocketEvent)> fn) override;
  void UnwatchSocket(int fd) override;
  void Post(std::function<void()> fn) override;
  int Run() override;
  void Quit(int code) override;

  // Blocks SIGTERM and SIGINT for this thread (and every thread it starts later) and calls
  // `on_signal` on the loop when one arrives. Call before starting other threads.
  bool EnableShutdownSignals(std::function<void(int signal)> on_signal);

  // Runs one round: waits at most `max_wait_ms` for something to do, then does it.
  void RunOnce(int max_wait_ms);

 private:
  struct Timer {
    TimerId id;
    uint32_t period_ms;
    uint64_t due_ms;
    std::function<void()> fn;
  };
  struct Watch {
    int fd;
    unsigned events;
    std::function<void(int, SocketEvent)> fn;
    // Tells a watch from a later one of the same descriptor number.
    uint64_t serial;
  };

  void Wake();
  void DrainPosted();
  void RunDueTimers();
  int MsToNextTimer() const;

  const Clock& clock_;
  int wake_read_ = -1;
  int wake_write_ = -1;
  int signal_fd_ = -1;
  std::function<void(int)> on_signal_;
  std::vector<Timer> timers_;
  std::vector<Watch> watches_;
  uint64_t next_watch_serial_ = 1;
  TimerId next_timer_id_ = 1;

  std::mutex posted_mutex_;
  std::vector<std::function<void()>> posted_;
  bool quit_requested_ = false;
  int quit_code_ = 0;
};

}  // namespace varnholt
