// The command queue: 64 slots of Commands kept in the order they were queued, taken one at a
// time by the worker thread. Producers are the user-interface thread (timers, sockets, the
// window) and the worker itself; the mutex is held only to fill, scan or take a slot, never
// while a Command executes, so a producer never waits long and never needs to pump messages.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "log/event_log.h"
#include "platform/clock.h"

namespace varnholt {

constexpr uint32_t kQuitCommand = 1;
constexpr size_t kQueueSlots = 64;
constexpr size_t kCommandTextSize = 256;

struct Command {
  uint32_t code = 0;  // 0 marks an empty slot
  char text[kCommandTextSize] = {};
  // Who asked. For kCmdClientData: the slot of the client whose request is to be read, with
  // the client's generation as the text.
  int32_t number = 0;
  int64_t due = 0;      // calendar seconds at which it becomes executable
  uint64_t queued = 0;  // monotonic ms at queueing, for the timing line
  // For a remote client's Command: the generation of the client that asked, so that its
  // outcome is never reported to a later client of the same slot. 0 for everyone else.
  uint32_t client_generation = 0;

  // 0 = the local user, 1-16 = a remote client slot, kOriginGameAdminBase + account row =
  // an in-game administrator.
  int32_t Originator() const { return number; }
};
// code, text, number and due keep the 272-byte layout of a slot; queued only follows them.
static_assert(offsetof(Command, due) + sizeof(Command::due) == 272);

class CommandQueue {
 public:
  CommandQueue(const Clock& clock, EventLog& log);

  // Appends a Command, executable `delay` seconds from now. False only when the worker has
  // stopped (or a quit is pending); a Command dropped because the queue is full still
  // returns true, as producers cannot do anything about it.
  bool QueueCommand(uint32_t code, std::string_view text, int32_t number, int delay);
  // The same, but adds nothing when a Command with the same code is queued already (the
  // worker is signalled either way).
  bool QueueUniqueCommand(uint32_t code, std::string_view text, int32_t number, int delay);
  // A remote client's Command, without delay, carrying the client's slot and generation.
  bool QueueClientCommand(uint32_t code, std::string_view text, int32_t slot, uint32_t generation);

  // Worker side. Blocks until signalled (auto-reset) or stopped.
  void WaitForSignal();
  // Takes the oldest Command that is due. A quit request that found the queue full is
  // delivered here once nothing executable is left.
  bool TakeExecutable(Command* command);
  // Wakes the worker without queueing anything.
  void Signal();

  void Stop();
  bool Stopped() const { return stopped_.load(); }
  size_t Count() const;
  // A copy of the Commands, oldest first, for inspection.
  void Snapshot(Command (&slots)[kQueueSlots]) const;

 private:
  bool Queue(uint32_t code, std::string_view text, int32_t number, int delay, bool unique,
             uint32_t generation = 0);

  const Clock& clock_;
  EventLog& log_;
  // Guards every field below but stopped_: producers (user-interface thread, worker) and
  // the worker all take it.
  mutable std::mutex mutex_;
  std::condition_variable signal_cv_;
  // The slots form a ring: slots_[(head_ + i) % kQueueSlots] for i < count_ is the i-th
  // oldest Command, so taking the oldest costs no block move.
  Command& At(size_t i) { return slots_[(head_ + i) % kQueueSlots]; }
  const Command& At(size_t i) const { return slots_[(head_ + i) % kQueueSlots]; }

  bool signalled_ = false;
  bool worker_waiting_ = false;  // only then does a producer need to wake it
  // Set by Stop (worker or user-interface thread); read without the lock by Stopped().
  std::atomic<bool> stopped_{false};
  bool quit_pending_ = false;  // a quit that found no free slot
  Command slots_[kQueueSlots];
  size_t head_ = 0;
  size_t count_ = 0;
};

}  // namespace varnholt
