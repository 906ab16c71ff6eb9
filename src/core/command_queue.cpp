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

bool CommandQueue::Queue(uint32_t code, std::string_view text, int32_t number, int delay,
                         bool unique) {
  if (stopped_) return false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopped_ || quit_pending_) return false;
    if (slots_[kQueueSlots - 1].code != 0) {
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
      size_t free_slot = kQueueSlots;
      bool present = false;
      for (size_t i = 0; i < kQueueSlots; ++i) {
        if (slots_[i].code == 0) {
          free_slot = i;
          break;
        }
        if (slots_[i].code == code) present = true;
      }
      if (!(unique && present)) {
        Command& slot = slots_[free_slot];
        slot = Command{};
        slot.code = code;
        size_t n = std::min(text.size(), kCommandTextSize - 1);
        memcpy(slot.text, text.data(), n);
        slot.number = number;
        slot.due = clock_.CalendarSeconds() + delay;
        slot.queued = clock_.MonotonicMs();
      }
    }
    signalled_ = true;
  }
  signal_cv_.notify_one();
  return true;
}

void CommandQueue::WaitForSignal() {
  std::unique_lock<std::mutex> lock(mutex_);
  signal_cv_.wait(lock, [this] { return signalled_ || stopped_; });
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
  for (size_t i = 0; i < kQueueSlots && slots_[i].code != 0; ++i) {
    if (slots_[i].due > now) continue;
    *command = slots_[i];
    // Keep the occupied slots a prefix in queueing order.
    std::move(slots_ + i + 1, slots_ + kQueueSlots, slots_ + i);
    slots_[kQueueSlots - 1] = Command{};
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
  size_t n = 0;
  while (n < kQueueSlots && slots_[n].code != 0) ++n;
  return n;
}

void CommandQueue::Snapshot(Command (&slots)[kQueueSlots]) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::copy(slots_, slots_ + kQueueSlots, slots);
}

}  // namespace varnholt
