// Logins and requests over real loopback sockets: the listener on its own loop thread, the
// request handler on a worker thread fed by the listener, and a client written from the wire
// rules. Measures the time of one whole login and the round trip of a text request (the game
// port, request 29) and of the keep-alive.
//
//   request_bench (use a Release or RelWithDebInfo build)
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "core/command_queue.h"
#include "platform/ip_address.h"
#include "platform/poll_event_loop.h"
#include "remote/listener.h"
#include "remote/request_handler.h"
#include "support/recording_game_link.h"
#include "support/remote_test_client.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

class RunningServices final : public RequestServices {
 public:
  bool ServerRunning() override { return true; }
  bool ServerInternet() override { return true; }
};

class PortLink final : public testing::RecordingGameLink {
 public:
  bool StatusPortIdentified() const override { return true; }
  bool GetQueryValue(std::string_view, std::string* value) override {
    *value = "14567";
    return true;
  }
};

// The listener, a worker running the handler, and the accounts, for the whole run.
class Server {
 public:
  Server()
      : log_(folder_.path(), clock_),
        queue_(clock_, log_),
        accounts_(folder_.Sub("UserAccess.con"), log_),
        loop_(clock_) {
    accounts_.SetAccounts({{"bench", "bench-pw", "", kAdminRights, true}});
    std::promise<uint16_t> started;
    loop_thread_ = std::thread([&] {
      listener_ = std::make_unique<RemoteListener>(loop_, log_, clock_, accounts_);
      ListenerHooks hooks;
      hooks.server_running = [] { return true; };
      hooks.on_request = [this](int slot, uint32_t generation) {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.emplace_back(slot, generation);
        arrived_.notify_one();
      };
      listener_->SetHooks(std::move(hooks));
      started.set_value(listener_->StartListener(kLoopbackAddress, 0) ? listener_->port() : 0);
      loop_.Run();
      listener_.reset();
    });
    port_ = started.get_future().get();
    handler_ =
        std::make_unique<RequestHandler>(log_, clock_, queue_, link_, *listener_, accounts_,
                                         services_, RequestFolders{folder_.path(), folder_.path()});
    worker_ = std::thread([this] {
      for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        arrived_.wait(lock, [this] { return stop_ || !pending_.empty(); });
        if (stop_) return;
        auto [slot, generation] = pending_.front();
        pending_.pop_front();
        lock.unlock();
        handler_->HandleClientRequest(slot, generation);
      }
    });
  }
  ~Server() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      arrived_.notify_one();
    }
    worker_.join();
    handler_.reset();
    loop_.Quit(0);
    loop_thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  testing::TempFolder folder_;
  SystemClock clock_;
  EventLog log_;
  CommandQueue queue_;
  UserAccounts accounts_;
  PortLink link_;
  RunningServices services_;
  PollEventLoop loop_;
  std::unique_ptr<RemoteListener> listener_;
  std::unique_ptr<RequestHandler> handler_;
  std::thread loop_thread_;
  std::thread worker_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::pair<int, uint32_t>> pending_;
  bool stop_ = false;
};

Server& TheServer() {
  static Server server;
  return server;
}

void BM_Login(benchmark::State& state) {
  Server& server = TheServer();
  for (auto _ : state) {
    testing::RemoteTestClient client(server.port());
    if (client.Login("bench", "bench-pw") != 0) state.SkipWithError("login refused");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Login)->UseRealTime();

void BM_GamePortRequest(benchmark::State& state) {
  testing::RemoteTestClient client(TheServer().port());
  if (client.Login("bench", "bench-pw") != 0) state.SkipWithError("login refused");
  for (auto _ : state) {
    client.Request(kRequestBase + 29);
    if (client.ReceiveText() != "14567,1") state.SkipWithError("wrong answer");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GamePortRequest)->UseRealTime();

void BM_KeepAliveRequest(benchmark::State& state) {
  testing::RemoteTestClient client(TheServer().port());
  if (client.Login("bench", "bench-pw") != 0) state.SkipWithError("login refused");
  for (auto _ : state) {
    client.Request(kRequestBase + 50);
    if (!client.ReceiveNotification()) state.SkipWithError("no answer");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeepAliveRequest)->UseRealTime();

}  // namespace
}  // namespace varnholt

BENCHMARK_MAIN();
