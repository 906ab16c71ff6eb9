// Throughput of the command path (queue -> worker -> dispatch) and of the event log.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "core/command_queue.h"
#include "core/worker.h"
#include "log/event_log.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

// A worker over a fresh queue whose dispatcher only counts, and the producer's side.
struct CommandPath {
  CommandPath()
      : log(folder.path(), clock),
        queue(clock, log),
        worker(queue, log, clock,
               [this](const Command&) { done.fetch_add(1, std::memory_order_relaxed); }) {
    worker.Start();
  }
  ~CommandPath() {
    queue.QueueCommand(kQuitCommand, "", 0, 0);
    worker.Join();
  }
  testing::TempFolder folder;
  SystemClock clock;
  EventLog log;
  CommandQueue queue;
  std::atomic<int64_t> done{0};
  Worker worker;
};

// Commands per second from a producer through the worker into a dispatcher that only counts.
// The producer waits when the queue is near full, as a full queue would drop Commands.
void BM_QueueToDispatch(benchmark::State& state) {
  CommandPath path;
  int64_t sent = 0;
  for (auto _ : state) {
    while (path.queue.Count() >= kQueueSlots - 1) {
    }
    path.queue.QueueCommand(0xB00B0015, "hello", 0, 0);
    ++sent;
  }
  while (path.done.load() < sent) {
  }
  state.SetItemsProcessed(sent);
}
BENCHMARK(BM_QueueToDispatch)->UseRealTime();

// The same path fed in bursts that fill the queue, as a timer tick and a handful of client
// requests arriving together do: one wake-up of the worker serves the whole burst.
void BM_QueueBurstToDispatch(benchmark::State& state) {
  CommandPath path;
  int64_t sent = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < kQueueSlots; ++i) path.queue.QueueCommand(0xB00B0015, "hello", 0, 0);
    sent += kQueueSlots;
    while (path.done.load(std::memory_order_relaxed) < sent) std::this_thread::yield();
  }
  state.SetItemsProcessed(sent);
}
BENCHMARK(BM_QueueBurstToDispatch)->UseRealTime();

void BM_LogMessage(benchmark::State& state) {
  testing::TempFolder folder;
  SystemClock clock;
  EventLog log(folder.path(), clock);
  int64_t lines = 0;
  for (auto _ : state) {
    log.LogMessage(kSoundNone, "User %s at %s kicked player %s (%s) at %s for %s.", "operator",
                   "console", "Player", "1.2.3.4", "map", "reason");
    ++lines;
  }
  state.SetItemsProcessed(lines);
}
BENCHMARK(BM_LogMessage);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
