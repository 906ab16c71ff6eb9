#include "core/command_queue.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

CommandQueue::CommandQueue(const Clock& clock, EventLog& log) : clock_(clock), log_(log) {}

bool CommandQueue::QueueCommand(uint32_t code, std::string_view text, int32_t number, int delay) {
  return Queue(code, text, number, delay, false);
}

bool CommandQueue::QueueUniqueCommand(uint32_t code, std::string_view text, int32_t number,
                                      int delay) {
  return Queue(code, text, number, delay, true);
}

bool CommandQueue::QueueClientCommand(uint32_t code, std::string_view text, int32_t slot,
                                      uint32_t generation) {
  return Queue(code, text, slot, 0, false, generation);
}

bool CommandQueue::Queue(uint32_t code, std::string_view text, int32_t number, int delay,
                         bool unique, uint32_t generation) {
  if (stopped_) return false;
  bool wake = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopped_ || quit_pending_) return false;
    if (count_ == kQueueSlots) {
      if (code == kQuitCommand) {
        // A quit must never be lost: remember it outside the table.
        quit_pending_ = true;
      } else {
        lock.unlock();
        if (unique) {
          log_.LogMessage(kSoundNone, "Couldn't queue command %.8lX! The queue is full.",
                          static_cast<unsigned long>(code));
        } else {
          log_.LogMessage(kSoundNone, "DEBUG: Couldn't queue command %.8lX, the queue is full!",
                          static_cast<unsigned long>(code));
        }
        return true;
      }
    } else {
      bool present = false;
      for (size_t i = 0; unique && i < count_ && !present; ++i) present = At(i).code == code;
      if (!present) {
        Command& slot = At(count_);
        slot.code = code;
        size_t n = std::min(text.size(), kCommandTextSize - 1);
        memcpy(slot.text, text.data(), n);
        memset(slot.text + n, 0, kCommandTextSize - n);
        slot.number = number;
        slot.due = clock_.CalendarSeconds() + delay;
        slot.queued = clock_.MonotonicMs();
        slot.client_generation = generation;
        ++count_;
      }
    }
    signalled_ = true;
    wake = worker_waiting_;
  }
  if (wake) signal_cv_.notify_one();
  return true;
}

void CommandQueue::WaitForSignal() {
  std::unique_lock<std::mutex> lock(mutex_);
  worker_waiting_ = true;
  signal_cv_.wait(lock, [this] { return signalled_ || stopped_; });
  worker_waiting_ = false;
  signalled_ = false;
}

void CommandQueue::Signal() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  signal_cv_.notify_one();
}

bool CommandQueue::TakeExecutable(Command* command) {
  std::lock_guard<std::mutex> lock(mutex_);
  int64_t now = clock_.CalendarSeconds();
  for (size_t i = 0; i < count_; ++i) {
    if (At(i).due > now) continue;
    *command = At(i);
    // Close the gap, keeping the others in queueing order; taking the oldest moves nothing.
    if (i == 0) {
      head_ = (head_ + 1) % kQueueSlots;
    } else {
      for (size_t j = i; j + 1 < count_; ++j) At(j) = At(j + 1);
    }
    --count_;
    At(count_) = Command{};
    return true;
  }
  if (quit_pending_) {
    quit_pending_ = false;
    *command = Command{};
    command->code = kQuitCommand;
    return true;
  }
  return false;
}

void CommandQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  signal_cv_.notify_all();
}

size_t CommandQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

void CommandQueue::Snapshot(Command (&slots)[kQueueSlots]) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < kQueueSlots; ++i) slots[i] = i < count_ ? At(i) : Command{};
}

}  // namespace varnholt
