// The worker thread: takes Commands from the queue one at a time, in order of queueing among
// those that are due, and hands each to the dispatcher. It is the only thread that executes
// Commands.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "core/command_queue.h"

namespace varnholt {

class Worker {
 public:
  using Dispatch = std::function<void(const Command&)>;

  Worker(CommandQueue& queue, EventLog& log, const Clock& clock, Dispatch dispatch);
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void SetTiming(bool on) { timing_ = on; }
  bool Start();
  // Waits at most `timeout_ms` for the thread to end; true when it has ended.
  bool WaitForExit(uint32_t timeout_ms);
  // Waits for the thread to end, however long it takes (before its data is freed).
  void Join();

  // For a watchdog on another thread: whether the thread runs (started, not ended), and
  // whether it has been inside one Command for `limit_ms` or longer at `now_ms`.
  bool Running() const;
  bool StuckFor(uint64_t now_ms, uint64_t limit_ms) const;

 private:
  void Run();

  CommandQueue& queue_;
  EventLog& log_;
  const Clock& clock_;
  Dispatch dispatch_;
  // Set by start-up on the user-interface thread, read by the worker for the timing line.
  std::atomic<bool> timing_{false};
  // Written by the worker around each Command, read by any thread: the monotonic start of
  // the Command it executes plus one, 0 while it waits; running_ while the thread is alive.
  std::atomic<uint64_t> busy_since_plus_one_{0};
  std::atomic<bool> running_{false};
  // Started and joined by the thread that owns the program (the user-interface thread).
  std::thread thread_;
  // exited_ is set by the worker as it ends and waited for by the user-interface thread,
  // both under exit_mutex_.
  std::mutex exit_mutex_;
  std::condition_variable exit_cv_;
  bool exited_ = false;
};

}  // namespace varnholt
