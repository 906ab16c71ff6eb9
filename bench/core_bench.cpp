// Throughput of the command path (queue -> worker -> dispatch) and of the event log.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "core/command_queue.h"
#include "core/worker.h"
#include "log/event_log.h"

namespace varnholt {
namespace {

std::string BenchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-bench-XXXXXX").string();
  return mkdtemp(tmpl.data());
}

// Commands per second from a producer through the worker into a dispatcher that only counts.
// The producer waits when the queue is near full, as a full queue would drop Commands.
void BM_QueueToDispatch(benchmark::State& state) {
  std::string folder = BenchFolder();
  SystemClock clock;
  EventLog log(folder, clock);
  CommandQueue queue(clock, log);
  std::atomic<int64_t> done{0};
  Worker worker(queue, log, clock, [&](const Command&) { done.fetch_add(1, std::memory_order_relaxed); });
  worker.Start();
  int64_t sent = 0;
  for (auto _ : state) {
    while (queue.Count() >= kQueueSlots - 1) {
    }
    queue.QueueCommand(0xB00B0015, "hello", 0, 0);
    ++sent;
  }
  while (done.load() < sent) {
  }
  queue.QueueCommand(kQuitCommand, "", 0, 0);
  worker.Join();
  state.SetItemsProcessed(sent);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_QueueToDispatch)->UseRealTime();

// The same path fed in bursts that fill the queue, as a timer tick and a handful of client
// requests arriving together do: one wake-up of the worker serves the whole burst.
void BM_QueueBurstToDispatch(benchmark::State& state) {
  std::string folder = BenchFolder();
  SystemClock clock;
  EventLog log(folder, clock);
  CommandQueue queue(clock, log);
  std::atomic<int64_t> done{0};
  Worker worker(queue, log, clock, [&](const Command&) { done.fetch_add(1, std::memory_order_relaxed); });
  worker.Start();
  int64_t sent = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < kQueueSlots; ++i) queue.QueueCommand(0xB00B0015, "hello", 0, 0);
    sent += kQueueSlots;
    while (done.load(std::memory_order_relaxed) < sent) std::this_thread::yield();
  }
  queue.QueueCommand(kQuitCommand, "", 0, 0);
  worker.Join();
  state.SetItemsProcessed(sent);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_QueueBurstToDispatch)->UseRealTime();

void BM_LogMessage(benchmark::State& state) {
  std::string folder = BenchFolder();
  SystemClock clock;
  EventLog log(folder, clock);
  int64_t lines = 0;
  for (auto _ : state) {
    log.LogMessage(kSoundNone, "User %s at %s kicked player %s (%s) at %s for %s.", "operator",
                   "console", "Player", "1.2.3.4", "map", "reason");
    ++lines;
  }
  state.SetItemsProcessed(lines);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LogMessage);

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
