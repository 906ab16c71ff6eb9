#include "core/worker.h"

#include <system_error>

#include "platform/crash_report.h"
#include "platform/last_error.h"

namespace varnholt {

Worker::Worker(CommandQueue& queue, EventLog& log, const Clock& clock, Dispatch dispatch)
    : queue_(queue), log_(log), clock_(clock), dispatch_(std::move(dispatch)) {}

Worker::~Worker() {
  Join();
}

bool Worker::Start() {
  running_ = true;
  try {
    thread_ = std::thread([this] {
      // Before any Command runs, so that a crash in one is reported even when it is a stack
      // overflow. Without the stack the worker still works; only such a report is lost.
      InstallCrashStack();
      Run();
    });
  } catch (const std::system_error& e) {
    running_ = false;
    SetLastErrorFromErrno(e.code().value());
    return false;
  }
  return true;
}

void Worker::Run() {
  while (!queue_.Stopped()) {
    queue_.WaitForSignal();
    Command command;
    // Drain every executable Command before waiting again.
    while (queue_.TakeExecutable(&command)) {
      if (command.code == kQuitCommand) {
        queue_.Stop();
        break;
      }
      uint64_t start = clock_.MonotonicMs();
      busy_since_plus_one_ = start + 1;
      dispatch_(command);
      busy_since_plus_one_ = 0;
      if (timing_) {
        uint64_t end = clock_.MonotonicMs();
        log_.LogMessage(kSoundNone,
                        "DEBUG: Processed command %lX (queue %lu ms, execution %lu ms).",
                        static_cast<unsigned long>(command.code),
                        static_cast<unsigned long>(start - command.queued),
                        static_cast<unsigned long>(end - start));
      }
    }
  }
  running_ = false;
  {
    std::lock_guard<std::mutex> lock(exit_mutex_);
    exited_ = true;
  }
  exit_cv_.notify_all();
}

bool Worker::WaitForExit(uint32_t timeout_ms) {
  if (!thread_.joinable()) return true;
  std::unique_lock<std::mutex> lock(exit_mutex_);
  return exit_cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return exited_; });
}

bool Worker::Running() const {
  return running_;
}

bool Worker::StuckFor(uint64_t now_ms, uint64_t limit_ms) const {
  uint64_t since = busy_since_plus_one_;
  if (since == 0) return false;
  --since;
  return now_ms >= since && now_ms - since >= limit_ms;
}

void Worker::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace varnholt
