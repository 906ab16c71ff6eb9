// varnlink's side of a transfer and its start-up. A stand-in server on loopback logs the
// client in and answers from memory, so only the client is measured:
//   - GetFile: a 50 MB text file (like the program's logs and lists) fetched by a logged-in
//     Connection (receive, Adler-32, safe decompression), beside `lzop -1 -c` of the same
//     file into /dev/null, the ratio the server's send is held to;
//   - StatusRun: the varnlink program from start to exit for `status` (goal: under 50 ms).
//
//   varnlink_bench (use a Release or RelWithDebInfo build)
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "remote/file_frame.h"
#include "remote/frames.h"
#include "support/log_like_text.h"
#include "varnlink/connection.h"

namespace varnholt::varnlink {
namespace {

constexpr size_t kFileSize = 50u * 1000u * 1000u;

bool ReadAll(int fd, size_t n) {
  char buffer[256];
  while (n > 0) {
    const ssize_t got = recv(fd, buffer, std::min(n, sizeof buffer), 0);
    if (got <= 0) return false;
    n -= static_cast<size_t>(got);
  }
  return true;
}

bool SendAll(int fd, const std::string& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t sent = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    at += static_cast<size_t>(sent);
  }
  return true;
}

// Accepts clients one after another, logs each in as admin and answers every request with
// `file_frame` (file requests) or a status text (request 21), until stopped.
class StandInServer {
 public:
  explicit StandInServer(std::string file_frame) : frame_(std::move(file_frame)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    socklen_t length = sizeof at;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    listen(listener_, 16);
    thread_ = std::thread([this] { Serve(); });
  }
  ~StandInServer() {
    stop_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  void Serve() {
    while (!stop_) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      std::string answer(1, '\0');
      AppendWord(&answer, 0xFFFFFFFFu);
      answer.push_back(static_cast<char>(0x90));
      if (ReadAll(client, 64) && SendAll(client, answer) && ReadAll(client, 1) &&
          SendAll(client, std::string(1, '\1'))) {
        uint8_t code[4];
        while (recv(client, code, 4, MSG_WAITALL) == 4) {
          std::string reply;
          if (WordAt(code) == kRequestBase + 21) {
            reply.clear();
            AppendWord(&reply, 17);
            reply.append("Server running.\n", 16);
            reply.push_back('\0');
          }
          if (!SendAll(client, reply.empty() ? frame_ : reply)) break;
        }
      }
      close(client);
    }
  }

  std::string frame_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Fixture {
  Fixture() : text(testing::MakeLogLikeText(kFileSize)) {
    EncodeFileFrame(text, &frame);
    folder = std::filesystem::temp_directory_path() / "varnlink-bench";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "log.txt", std::ios::binary) << text;
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string text;
  std::string frame;
  std::filesystem::path folder;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_GetFile(benchmark::State& state) {
  Fixture& f = Shared();
  StandInServer server(f.frame);
  SystemClock clock;
  Connection link(clock);
  LoginAnswer login;
  if (!link.Connect("127.0.0.1", server.port()) || !link.Login("admin", "x", &login)) {
    state.SkipWithError("cannot log in to the stand-in server");
    return;
  }
  for (auto _ : state) {
    std::string contents;
    if (!link.SendRequest(kRequestBase + 48) ||
        link.ReadFile(&contents, kMaxFileFrameSize) != FrameStatus::kOk ||
        contents.size() != f.text.size()) {
      state.SkipWithError("transfer failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
  state.counters["ratio"] =
      static_cast<double>(f.frame.size()) / static_cast<double>(f.text.size());
}
BENCHMARK(BM_GetFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LzopCompress(benchmark::State& state) {
  Fixture& f = Shared();
  if (std::system("command -v lzop > /dev/null") != 0) {
    state.SkipWithError("lzop is not installed");
    return;
  }
  const std::string command = "lzop -1 -c '" + (f.folder / "log.txt").string() + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("lzop failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}
BENCHMARK(BM_LzopCompress)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusRun(benchmark::State& state) {
  StandInServer server(std::string(4, '\0'));
  const std::string command = std::string("VARNLINK_PASSWORD=x '") + VARNLINK_PATH + "' -p " +
                              std::to_string(server.port()) + " -u admin status > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("varnlink status failed");
      return;
    }
  }
}
BENCHMARK(BM_StatusRun)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace varnholt::varnlink

BENCHMARK_MAIN();
